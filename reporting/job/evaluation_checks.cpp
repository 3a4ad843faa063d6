#include "job/evaluation_checks.h"

#include <cmath>
#include <cstdio>
#include <unordered_map>
#include <unordered_set>

#include "text/names.h"
#include "text/text_util.h"

namespace bomreport {
namespace {

// The catalogue's totals of a per-piece token over the parts a row stands for.
constexpr const char* kInModel[][2] = {{"%Weight", "%WeightInModel"},
                                       {"%Length", "%LengthInModel"},
                                       {"%SawLength", "%SawLengthInModel"},
                                       {"%ExactWeight", "%ExactWeightInModel"}};

std::string sectionName(const QelBomTemplateItem* section) {
  const char* name = section != nullptr ? sectionTypeName(section->type()) : nullptr;
  return name != nullptr ? name : "section";
}

// An amount in internal units as the report shows it, with its unit.
std::string shownAmount(const EvaluationContext& context, const QelString& token, double amount,
                        bool integral, ReportWarning& warning) {
  if (integral) return std::to_string(static_cast<long long>(amount));
  const DisplayUnit* unit = context.units != nullptr ? context.units->unitOf(token) : nullptr;
  warning.amount = context.units != nullptr ? context.units->shownValue(token, amount) : amount;
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", unit != nullptr ? unit->decimals : 6, warning.amount);
  if (unit == nullptr) return text;
  warning.unit = unit->symbol;
  return std::string(text) + " " + unit->symbol;
}

// The cure names no option already given.
std::string cureForLeftOut(const std::string& token, bool merged) {
  std::string cure = "show a token that tells the rows apart (such as \"%ElementID\") so that no "
                     "details line repeats";
  if (merged) return cure;
  for (const auto& pair : kInModel) {
    if (token == pair[0]) {
      cure += ", or merge equal parts (" + optionReference("merge-equal") + ") and sum " +
              quoteForMessage(pair[1]) + " for the total in the model";
    }
  }
  if (token == "%Quantity") {
    cure += ", or merge equal parts (" + optionReference("merge-equal") +
            "), whose \"%Quantity\" counts them";
  }
  return cure;
}

// The rows no longer counting in sums, and what of each summed token they carry.
void rowsLeftOut(const EvaluationContext& context, std::vector<ReportWarning>& warnings) {
  const std::vector<TemplateLevel>& levels = *context.levels;
  std::vector<QelString> summed;
  for (const TemplateLevel& level : levels) {
    for (const ReportLevel::Sum& sum : level.report.sums) {
      bool known = false;
      for (const QelString& token : summed) known = known || token == sum.summed;
      if (!known) summed.push_back(sum.summed);
    }
  }
  if (summed.empty()) return;
  long long rows = 0;
  std::vector<double> amounts(summed.size());
  std::vector<bool> integral(summed.size(), true);
  for (const QelBomItemBase* node = context.data->child(); node != nullptr; node = node->next()) {
    const auto& row = static_cast<const QelBomDataRow&>(*node);
    if (row.getUseThisDataForSums() != 0) continue;
    ++rows;
    for (std::size_t t = 0; t < summed.size(); ++t) {
      const QelBomDataValue* value = rowValue(row, summed[t]);
      if (value == nullptr) continue;
      if (value->type() == QelBomDataValue::kIntDataValue) amounts[t] += intValueOf(*value);
      if (value->type() == QelBomDataValue::kDoubleDataValue) {
        amounts[t] += doubleValueOf(*value);
        integral[t] = false;
      }
    }
  }
  const QelBomTemplateItem* details = levels.back().section;
  for (std::size_t t = 0; t < summed.size(); ++t) {
    if (amounts[t] == 0.0 || std::isnan(amounts[t])) continue;
    const std::string token = toUtf8(summed[t]);
    ReportWarning warning{WarningKind::kSumsLeaveRowsOut};
    warning.file = context.templateName;
    warning.line = context.lines->sectionLine(details);
    warning.section = sectionName(details);
    warning.token = token;
    warning.rows = rows;
    const std::string amount = shownAmount(context, summed[t], amounts[t], integral[t], warning);
    if (integral[t]) warning.amount = amounts[t];
    warning.text = "the sums of " + quoteForMessage(token) + " leave out " + std::to_string(rows) +
                   " rows whose " + sectionName(details) +
                   " line repeated the line before it and was dropped: " + amount +
                   " of it is in no total";
    warning.cure = cureForLeftOut(token, context.merged);
    warnings.push_back(std::move(warning));
  }
}

QelString withoutSortPrefix(QelString key) {
  int ascending = 1;
  QelBomDataToken::removeSortingPrefix(key, ascending);
  return key;
}

// True when rows sorted by the sort keys of every level cannot hold one value
// of `grouping` in two places: the keys begin with exactly those tokens.
bool sortedByGrouping(const std::vector<TemplateLevel>& levels,
                      const std::vector<QelString>& grouping) {
  std::vector<QelString> keys;
  for (const TemplateLevel& level : levels) {
    for (const QelString& key : level.section->sortingTokens()) keys.push_back(withoutSortPrefix(key));
  }
  if (keys.size() < grouping.size()) return false;
  for (std::size_t k = 0; k < grouping.size(); ++k) {
    bool inGrouping = false;
    for (const QelString& token : grouping) inGrouping = inGrouping || token == keys[k];
    if (!inGrouping) return false;
  }
  for (const QelString& token : grouping) {
    bool sorted = false;
    for (std::size_t k = 0; k < grouping.size(); ++k) sorted = sorted || token == keys[k];
    if (!sorted) return false;
  }
  return true;
}

// Level `l`'s groups in row order, and the keys that come back.
void groupsApart(const EvaluationContext& context, std::size_t l,
                 std::vector<ReportWarning>& warnings) {
  const std::vector<TemplateLevel>& levels = *context.levels;
  std::vector<QelString> grouping;
  QelArray<QelString> tokens;
  for (std::size_t outer = 0; outer <= l; ++outer) {
    for (const QelString& token : levels[outer].report.groupingTokens) {
      grouping.push_back(token);
      tokens.append(token);
    }
  }
  if (levels[l].report.groupingTokens.empty() || sortedByGrouping(levels, grouping)) return;
  std::unordered_set<std::string> keys;
  long long groups = 0;
  long long again = 0;
  std::string example;
  std::string key;
  QelBomDataRow* previous = nullptr;
  for (QelBomItemBase* node = context.data->child(); node != nullptr; node = node->next()) {
    auto* row = static_cast<QelBomDataRow*>(node);
    const bool starts = previous == nullptr || row->compare(previous, tokens) != 0;
    previous = row;
    if (!starts) continue;
    ++groups;
    key.clear();
    for (const QelString& token : grouping) appendValueKey(key, rowValue(*row, token));
    if (keys.insert(key).second) continue;
    ++again;
    if (example.empty()) {
      const QelBomDataValue* value = rowValue(*row, levels[l].report.groupingTokens[0]);
      example = value != nullptr ? quoteForMessage(toUtf8(value->asString())) : "(none)";
    }
  }
  if (again == 0) return;
  std::string names;
  std::string sorts;
  for (const QelString& token : levels[l].report.groupingTokens) {
    names += (names.empty() ? "" : ", ") + quoteForMessage(toUtf8(token));
    sorts += (sorts.empty() ? directivePrefix(Directive::kSortAsc) : ", ") + toUtf8(token);
  }
  ReportWarning warning{WarningKind::kGroupsComeApart};
  warning.file = context.templateName;
  warning.line = context.lines->sectionLine(levels[l].section);
  warning.section = sectionName(levels[l].section);
  warning.token = toUtf8(levels[l].report.groupingTokens[0]);
  warning.rows = again;
  warning.text = "the groups of " + names + " come apart: the rows are not sorted by it, so the " +
                 warning.section + " makes " + std::to_string(groups) + " groups of " +
                 std::to_string(keys.size()) + " values (" + example + " among them) and a "
                 "value's rows are summed in several places";
  warning.cure = "sort by it: add " + quoteForMessage(sorts) + " to the " + warning.section +
                 " (before its other sort keys)";
  warnings.push_back(std::move(warning));
}

}  // namespace

std::vector<ReportWarning> evaluationWarnings(const EvaluationContext& context) {
  std::vector<ReportWarning> warnings;
  if (context.levels->empty()) return warnings;
  for (std::size_t l = 0; l + 1 < context.levels->size(); ++l) groupsApart(context, l, warnings);
  rowsLeftOut(context, warnings);
  return warnings;
}

}  // namespace bomreport
