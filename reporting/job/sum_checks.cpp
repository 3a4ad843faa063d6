#include "job/sum_checks.h"

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdio>
#include <unordered_map>

#include "BomReportErrors.h"
#include "text/names.h"
#include "text/text_util.h"
#include "job/token_cache.h"

namespace bomreport {
namespace {

// "1 row", "3 rows".
std::string countOf(long long count, const char* noun) {
  return std::to_string(count) + ' ' + noun + (count == 1 ? "" : "s");
}

// Tokens whose value is the figure of one piece; a row with a %Quantity above
// 1 stands for that many pieces.
constexpr const char* kPerPieceTokens[] = {"%Weight", "%Length", "%SawLength", "%ExactWeight"};
constexpr int kQuantityRole = -2;

// What the rows hold of one summed token.
struct TokenFacts {
  QelString token;
  int level = 0;  // where it is summed first: the level and its sum's index
  int sum = 0;
  long long intRows = 0;
  long long realRows = 0;
  long long textRows = 0;
  long long missingRows = 0;  // rows without a value of it
  std::string firstText = std::string();  // the first text, to show
  long long positive = 0;  // the sum of its positive integers
  long long negative = 0;  // and of its negative ones
  double magnitude = 0.0;  // the sum of the magnitudes of all its numbers
};

struct RowFacts {
  std::vector<TokenFacts> tokens;
  long long severalPieces = 0;  // rows whose %Quantity is above 1
};

std::string sectionName(const QelBomTemplateItem* section) {
  const char* name = section != nullptr ? sectionTypeName(section->type()) : nullptr;
  return name != nullptr ? name : "section";
}

// One pass over the rows: every summed token's types and integer totals, and
// the rows that stand for several pieces.
RowFacts scanRows(const SumContext& context) {
  RowFacts facts;
  const std::vector<TemplateLevel>& levels = *context.levels;
  for (std::size_t l = 0; l < levels.size(); ++l) {
    const std::vector<ReportLevel::Sum>& sums = levels[l].report.sums;
    for (std::size_t s = 0; s < sums.size(); ++s) {
      bool known = false;
      for (const TokenFacts& token : facts.tokens) known = known || token.token == sums[s].summed;
      if (!known) {
        facts.tokens.push_back(TokenFacts{sums[s].summed, static_cast<int>(l), static_cast<int>(s)});
      }
    }
  }
  if (facts.tokens.empty()) return facts;
  const QelString quantity = toQel("%Quantity");
  TokenCache<int> roles;
  const auto roleOf = [&](const QelString& token) {
    for (std::size_t i = 0; i < facts.tokens.size(); ++i) {
      if (facts.tokens[i].token == token) return static_cast<int>(i);
    }
    return token == quantity ? kQuantityRole : -1;
  };
  std::vector<bool> seen(facts.tokens.size());
  for (const QelBomItemBase* node = context.data->child(); node != nullptr; node = node->next()) {
    std::fill(seen.begin(), seen.end(), false);
    bool quantitySeen = false;
    for (const QelBomDataTuple& tuple : node->getData()) {
      const int role = roles.get(tuple.token().token(), roleOf);
      const QelBomDataValue& value = tuple.value();
      if (role == kQuantityRole && !quantitySeen) {
        quantitySeen = true;
        if (value.type() == QelBomDataValue::kIntDataValue && intValueOf(value) > 1) {
          ++facts.severalPieces;
        }
      }
      if (role < 0 || seen[static_cast<std::size_t>(role)]) continue;
      seen[static_cast<std::size_t>(role)] = true;  // the engine sums a row's first tuple
      TokenFacts& token = facts.tokens[static_cast<std::size_t>(role)];
      if (value.type() == QelBomDataValue::kIntDataValue) {
        ++token.intRows;
        (intValueOf(value) > 0 ? token.positive : token.negative) += intValueOf(value);
        token.magnitude += std::fabs(static_cast<double>(intValueOf(value)));
      } else if (value.type() == QelBomDataValue::kDoubleDataValue) {
        ++token.realRows;
        token.magnitude += std::fabs(doubleValueOf(value));
      } else if (value.type() == QelBomDataValue::kStringDataValue && token.textRows++ == 0) {
        token.firstText = toUtf8(textValueOf(value));
      } else if (value.type() == QelBomDataValue::kUnkDataValueType) {
        seen[static_cast<std::size_t>(role)] = false;
      }
    }
    for (std::size_t t = 0; t < seen.size(); ++t) facts.tokens[t].missingRows += seen[t] ? 0 : 1;
  }
  return facts;
}

int startOf(const ReportLevel::Sum& sum) {
  return sum.start.type() == QelBomDataValue::kIntDataValue ? intValueOf(sum.start) : 0;
}

bool fitsInt32(long long value) { return value >= INT_MIN && value <= INT_MAX; }

std::string groupName(const QelBomDataRow& row, const std::vector<QelString>& tokens) {
  if (tokens.empty()) return "for all parts";
  std::string name = "for the group";
  for (std::size_t i = 0; i < tokens.size(); ++i) {
    const QelBomDataValue* value = rowValue(row, tokens[i]);
    name += (i == 0 ? " " : ", ") + toUtf8(tokens[i]) + " " +
            (value != nullptr ? quoteForMessage(toUtf8(value->asString())) : "(none)");
  }
  return name;
}

[[noreturn]] void overflow(const SumContext& context, std::size_t level, const ReportLevel::Sum& sum,
                           const std::string& group, long long total) {
  const TemplateLevel& site = (*context.levels)[level];
  const long long line = context.lines->tupleLine(site.closing, sum.tuple);
  throw InputError(
      context.partsName,
      "the sum of " + quoteForMessage(toUtf8(sum.summed)) + " in the " + sectionName(site.closing) +
          (line > 0 ? " (" + context.templateName + ":" + std::to_string(line) + ")" : "") + " " +
          group + " would be " + std::to_string(total) +
          ", beyond the 32-bit integers a report sums (-2147483648 to 2147483647); check the "
          "parts' values, or sum over smaller groups");
}

// The sums of `sum` over the groups of `level`, each checked.
void checkGroups(const SumContext& context, std::size_t level, const ReportLevel::Sum& sum) {
  const std::vector<TemplateLevel>& levels = *context.levels;
  std::vector<QelString> tokens;
  for (std::size_t l = 0; l <= level; ++l) {
    for (const QelString& token : levels[l].report.groupingTokens) tokens.push_back(token);
  }
  const bool deepest = level + 1 == levels.size();  // every row a group of its own
  struct Totals {
    long long positive = 0;
    long long negative = 0;
  };
  std::unordered_map<std::string, Totals> groups;
  std::string key;
  const int start = startOf(sum);
  for (const QelBomItemBase* node = context.data->child(); node != nullptr; node = node->next()) {
    const auto& row = static_cast<const QelBomDataRow&>(*node);
    const QelBomDataValue* value = rowValue(row, sum.summed);
    if (value == nullptr || value->type() != QelBomDataValue::kIntDataValue) continue;
    const long long added = intValueOf(*value);
    if (deepest) {
      if (!fitsInt32(start + added)) overflow(context, level, sum, groupName(row, tokens), start + added);
      continue;
    }
    key.clear();
    for (const QelString& token : tokens) appendValueKey(key, rowValue(row, token));
    Totals& totals = groups[key];
    (added > 0 ? totals.positive : totals.negative) += added;
    if (!fitsInt32(start + totals.positive)) {
      overflow(context, level, sum, groupName(row, tokens), start + totals.positive);
    }
    if (!fitsInt32(start + totals.negative)) {
      overflow(context, level, sum, groupName(row, tokens), start + totals.negative);
    }
  }
}

// Sums no group's values can carry past what the sum holds: reals past the
// largest double (the report would print "inf"), and sums of integers and
// reals, which turn into 32-bit integers where they meet an integer, past
// those. Bounded by the magnitudes of all the rows' values, which no group's
// running sum exceeds.
[[noreturn]] void beyondRange(const SumContext& context, std::size_t level,
                              const ReportLevel::Sum& sum, const TokenFacts& token, bool mixed) {
  const TemplateLevel& site = (*context.levels)[level];
  const long long line = context.lines->tupleLine(site.closing, sum.tuple);
  char total[40];
  std::snprintf(total, sizeof total, mixed ? "%.0f" : "%.6g", token.magnitude);
  const std::string name = quoteForMessage(toUtf8(sum.summed));
  throw InputError(
      context.partsName,
      "the sum of " + name + " in the " + sectionName(site.closing) +
          (line > 0 ? " (" + context.templateName + ":" + std::to_string(line) + ")" : "") +
          (mixed ? " adds integers and reals, and where it meets an integer it is one: its "
                   "values add up to " + std::string(total) +
                       ", beyond the 32-bit integers (-2147483648 to 2147483647); write every "
                       "value of " + name + " as a real (5.0, not 5)"
                 : " could pass the largest number a report holds (1.8e308): its values add "
                   "up to more than that; check the parts' values"));
}

void checkRanges(const SumContext& context, std::size_t level, const ReportLevel::Sum& sum,
                 const TokenFacts& token) {
  const double start = std::fabs(static_cast<double>(startOf(sum)));
  if (token.realRows > 0 && !(start + token.magnitude <= DBL_MAX)) {
    beyondRange(context, level, sum, token, false);
  }
  if (token.realRows > 0 && token.intRows > 0 && start + token.magnitude > INT_MAX) {
    beyondRange(context, level, sum, token, true);
  }
}

void checkIntegerSums(const SumContext& context, const RowFacts& facts) {
  const std::vector<TemplateLevel>& levels = *context.levels;
  for (std::size_t l = 0; l < levels.size(); ++l) {
    for (const ReportLevel::Sum& sum : levels[l].report.sums) {
      for (const TokenFacts& token : facts.tokens) {
        if (token.token == sum.summed) checkRanges(context, l, sum, token);
        if (!(token.token == sum.summed) || token.intRows == 0) continue;
        // No group sums more than all rows: only then are the groups looked at.
        if (fitsInt32(startOf(sum) + token.positive) && fitsInt32(startOf(sum) + token.negative)) {
          continue;
        }
        checkGroups(context, l, sum);
      }
    }
  }
}

std::vector<ReportWarning> sumWarnings(const SumContext& context, const RowFacts& facts) {
  std::vector<ReportWarning> warnings;
  for (const TokenFacts& token : facts.tokens) {
    const TemplateLevel& site = (*context.levels)[static_cast<std::size_t>(token.level)];
    const ReportLevel::Sum& sum = site.report.sums[static_cast<std::size_t>(token.sum)];
    const std::string name = toUtf8(token.token);
    ReportWarning warning{WarningKind::kMixedSum};
    warning.file = context.templateName;
    warning.line = context.lines->tupleLine(site.closing, sum.tuple);
    warning.section = sectionName(site.closing);
    warning.token = name;
    if (token.intRows > 0 && token.realRows > 0) {
      warning.rows = token.intRows;
      warning.text = "the parts hold " + quoteForMessage(name) + " as an integer in " +
                     countOf(token.intRows, "row") + " and as a real in " +
                     countOf(token.realRows, "row") + ": a sum takes the type of each value it adds, so a real sum that meets an "
                     "integer loses its fraction";
      warning.cure = "write every value of " + quoteForMessage(name) + " as a real (5.0, not 5)";
      warnings.push_back(warning);
    }
    if (token.textRows > 0) {
      warning.kind = WarningKind::kSumSkipsTexts;
      warning.rows = token.textRows;
      warning.text = "the parts hold " + quoteForMessage(name) + " as a text in " +
                     countOf(token.textRows, "row") + " (such as " +
                     quoteForMessage(token.firstText) +
                     "): a sum adds numbers only, so those rows add nothing to it";
      warning.cure = "write every value of " + quoteForMessage(name) +
                     " as a number, with a point before its decimals (2.5, not 2,5)";
      warnings.push_back(warning);
    }
    if (token.missingRows > 0 && token.intRows + token.realRows > 0) {
      warning.kind = WarningKind::kSumSkipsMissing;
      warning.rows = token.missingRows;
      warning.text = countOf(token.missingRows, "part") + " of the report " +
                     (token.missingRows == 1 ? "has" : "have") + " no " + quoteForMessage(name) +
                     " in " + context.partsName + ": the sums leave " +
                     (token.missingRows == 1 ? "it" : "them") +
                     " out, and " + (token.missingRows == 1 ? "its cell is" : "their cells are") +
                     " blank";
      warning.cure = "give every part a value of " + quoteForMessage(name);
      warnings.push_back(warning);
    }
    bool perPiece = false;
    for (const char* piece : kPerPieceTokens) perPiece = perPiece || name == piece;
    if (perPiece && facts.severalPieces > 0) {
      warning.kind = WarningKind::kSumCountsRows;
      warning.rows = facts.severalPieces;
      warning.text = "the sum of " + quoteForMessage(name) + " adds each row's value once, but " +
                     countOf(facts.severalPieces, "row") +
                     (facts.severalPieces == 1 ? " stands" : " stand") +
                     " for several pieces (\"%Quantity\" above 1) and " +
                     quoteForMessage(name) + " is the figure of one piece";
      warning.cure = (context.merged ? std::string("sum ")
                             : "merge equal parts (" + optionReference("merge-equal") + ") and sum ") +
                     quoteForMessage(name + "InModel") +
                     ", the figure of all the pieces a row stands for";
      warnings.push_back(warning);
    }
  }
  return warnings;
}

}  // namespace

std::vector<ReportWarning> checkSums(const SumContext& context) {
  const RowFacts facts = scanRows(context);
  checkIntegerSums(context, facts);
  return sumWarnings(context, facts);
}

}  // namespace bomreport
