#include "job/report_warnings.h"

#include <algorithm>
#include <unordered_set>

#include "BomReportOptions.h"
#include "output/report_coverage.h"
#include "text/text_util.h"

namespace bomreport {
namespace {

// Lists at most this many names in one message.
constexpr std::size_t kListedNames = 8;

bool contains(const std::vector<std::string>& names, std::string_view name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

// Names in the order first met, each once; a template may name thousands.
class NameList {
 public:
  NameList() = default;
  explicit NameList(std::vector<std::string> names) {
    for (std::string& name : names) add(std::move(name));
  }
  void add(std::string name) {
    if (seen_.insert(name).second) names_.push_back(std::move(name));
  }
  bool contains(const std::string& name) const { return seen_.count(name) != 0; }
  std::vector<std::string> take() { return std::move(names_); }

 private:
  std::vector<std::string> names_;
  std::unordered_set<std::string> seen_;
};

// The tokens a directive names; none for a filter or a plain token.
std::vector<std::string> directiveArguments(const QelString& text) {
  const QelBomDataToken token(text);
  std::vector<std::string> arguments;
  QelString argument;
  if (token.getGroupingRequest(argument) == 1 || token.getSummingRequest(argument) == 1) {
    arguments.push_back(toUtf8(argument));
  }
  QelArray<QelString> keys;
  if (token.getSortingRequest(keys) == 1) {
    for (QelString key : keys) {
      int ascending = 1;
      QelBomDataToken::removeSortingPrefix(key, ascending);
      arguments.push_back(toUtf8(key));
    }
  }
  return arguments;
}

bool isDirective(const QelString& text) {
  QelString summed;
  return QelBomDataToken::isInvisibleToken(text) == 1 ||
         QelBomDataToken(text).getSummingRequest(summed) == 1;
}

std::string quotedList(const std::vector<std::string>& names) {
  std::string list;
  for (std::size_t i = 0; i < names.size() && i < kListedNames; ++i) {
    list += (i == 0 ? "" : ", ") + quoteForMessage(names[i]);
  }
  if (names.size() > kListedNames) list += ", ...";
  return list;
}

std::string typeList(const std::set<int>& types) {
  return objectTypeList(std::vector<int>(types.begin(), types.end()));
}

}  // namespace

std::size_t editDistance(std::string_view a, std::string_view b) {
  // Three rows of the dynamic programme: two back, one back, this one.
  std::vector<std::size_t> twoBack(b.size() + 1), oneBack(b.size() + 1), row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) oneBack[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t cost = a[i - 1] == b[j - 1] ? 0 : 1;
      row[j] = std::min({oneBack[j] + 1, row[j - 1] + 1, oneBack[j - 1] + cost});
      if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1]) {
        row[j] = std::min(row[j], twoBack[j - 2] + 1);
      }
    }
    std::swap(twoBack, oneBack);
    std::swap(oneBack, row);
  }
  return oneBack[b.size()];
}

std::string didYouMean(std::string_view name, const std::vector<std::string>& candidates) {
  const std::string* best = nullptr;
  std::size_t bestDistance = 3;
  for (const std::string& candidate : candidates) {
    if (candidate == name) continue;
    // A name in other case is the likeliest slip of all.
    const std::size_t distance = sameName(candidate, name) ? 0 : editDistance(name, candidate);
    if (distance < bestDistance && 2 * distance < name.size()) {
      best = &candidate;
      bestDistance = distance;
    }
  }
  return best == nullptr ? std::string() : " (did you mean " + quoteForMessage(*best) + "?)";
}

std::vector<std::string> templateDataTokens(const QelArray<QelString>& trace) {
  NameList arguments;
  for (const QelString& token : trace) {
    for (std::string& argument : directiveArguments(token)) arguments.add(std::move(argument));
  }
  NameList tokens;
  for (const QelString& token : trace) {
    if (isDirective(token)) continue;
    std::string text = toUtf8(token);
    if (arguments.contains(text) || QelBomDataToken::isToken(token) == 1) {
      tokens.add(std::move(text));
    }
  }
  return tokens.take();
}

std::vector<std::string> templateRowTokens(const QelArray<QelString>& trace) {
  NameList tokens(templateDataTokens(trace));
  for (const QelString& token : trace) {
    if (!isDirective(token)) tokens.add(toUtf8(token));
  }
  return tokens.take();
}

ReportWarning lowQuantityWarning(const LowQuantities& low, const std::string& fileName) {
  ReportWarning warning{WarningKind::kQuantityBelowOne};
  warning.file = fileName;
  warning.token = "%Quantity";
  warning.rows = low.parts;
  warning.text = std::to_string(low.parts) + (low.parts == 1 ? " part has" : " parts have") +
                 " a \"%Quantity\" below 1 (the first, part " + std::to_string(low.firstPart) +
                 " with the handle " + quoteForMessage(low.firstHandle) + ", has " +
                 std::to_string(low.firstValue) +
                 "): each counts as that many pieces in every quantity and total";
  warning.cure = "give every part the number of pieces it stands for, at least 1";
  return warning;
}

ReportWarning untypedPartsWarning(long long parts, const QelIntArray& filterTypes,
                                  const std::string& fileName) {
  ReportWarning warning{WarningKind::kUntypedPartsKept};
  warning.file = fileName;
  warning.rows = parts;
  const std::set<int> wanted(filterTypes.begin(), filterTypes.end());
  warning.text = std::to_string(parts) + (parts == 1 ? " part has" : " parts have") +
                 " no object type, and a part without one is always kept: the template's "
                 "filter (object types " + typeList(wanted) + ") leaves " +
                 (parts == 1 ? "it" : "them") + " in the report";
  warning.cure = "give every part its object type (a \"#type\" column, a \"type\" key)";
  return warning;
}

std::vector<ReportWarning> partsFileWarnings(const std::vector<std::string>& dataTokens,
                                             const std::vector<std::string>& derived,
                                             const QelIntArray& filterTypes,
                                             const PartsFileFacts& file) {
  std::vector<ReportWarning> warnings;
  std::vector<std::string> missing;
  bool anyNamed = false;
  for (const std::string& token : dataTokens) {
    if (file.named->count(token) != 0) {
      anyNamed = true;
    } else if (!contains(derived, token)) {
      missing.push_back(token);
    }
  }
  std::vector<std::string> columns(file.named->begin(), file.named->end());
  std::sort(columns.begin(), columns.end());
  if (!anyNamed && !missing.empty() && !columns.empty()) {
    ReportWarning warning{WarningKind::kNoTokenNamed};
    warning.text = "the template names none of the tokens of " + file.name + " (it uses " +
                   quotedList(missing) + "; the file has " + quotedList(columns) + ")";
    warnings.push_back(std::move(warning));
  }
  std::vector<std::string> candidates = columns;
  candidates.insert(candidates.end(), catalogueTokenNames().begin(), catalogueTokenNames().end());
  for (const std::string& token : missing) {
    ReportWarning warning{WarningKind::kTokenMissing};
    warning.token = token;
    warning.text = "no part of " + file.name + " has the template's token " +
                   quoteForMessage(token) + didYouMean(token, candidates);
    warnings.push_back(std::move(warning));
  }
  if (filterTypes.count() > 0 && file.partsRead > 0 && file.partsKept == 0) {
    std::set<int> wanted(filterTypes.begin(), filterTypes.end());
    ReportWarning warning{WarningKind::kFilterKeepsNothing};
    warning.rows = file.partsRead;
    warning.text = "the template's filter keeps object types " + typeList(wanted) +
                   ", and none of the " + std::to_string(file.partsRead) + " parts of " +
                   file.name + " is of those types (they are of types " +
                   typeList(*file.objectTypes) + ")";
    warnings.push_back(std::move(warning));
  }
  return warnings;
}

}  // namespace bomreport
