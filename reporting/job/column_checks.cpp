#include "job/column_checks.h"
#include "output/tree_walk.h"

#include <cmath>
#include <cstdio>
#include <unordered_set>

#include "text/text_util.h"

namespace bomreport {

std::vector<ReportWarning> columnWarnings(const LoadedTemplate& templ,
                                          const std::string& fileName) {
  std::vector<ReportWarning> warnings;
  if (templ.columns.empty()) return warnings;
  std::unordered_set<std::string> shown;
  const auto addTuples = [&shown](const QelBomItemBase* node) {
    const auto* item = static_cast<const QelBomTemplateItem*>(node);
    for (const QelBomDataTuple& tuple : item->getData()) shown.insert(toUtf8(tuple.token().token()));
  };
  addTuples(templ.root.get());
  walkDescendants(
      *templ.root, [&](const QelBomItemBase* node, int) { addTuples(node); }, [] {}, [](int) {});
  for (const ColumnStyle& style : templ.columns.entries()) {
    if (shown.count(style.key) > 0) continue;
    ReportWarning warning(WarningKind::kColumnUnused);
    warning.file = fileName;
    warning.line = style.line;
    warning.token = style.key;
    warning.text = "\"columns\" names " + quoteForMessage(style.key) +
                   ", which no tuple of the template has, so its caption and decimals show nowhere";
    warning.cure = "write the token as the template's tuples do, or remove the entry";
    warnings.push_back(std::move(warning));
  }
  return warnings;
}

namespace {

ReportWarning columnWarning(const ColumnStyle& style, const std::string& fileName) {
  ReportWarning warning(WarningKind::kDecimalsHideValues);
  warning.file = fileName;
  warning.line = style.line;
  warning.token = style.key;
  return warning;
}

// The decimals that show `shown` (not 0) as a number other than 0.
int decimalsToShow(double shown) {
  int digits = 0;
  while (digits < kMaxColumnDecimals && std::round(std::fabs(shown) * std::pow(10.0, digits)) == 0) {
    ++digits;
  }
  return digits;
}

// The parts whose non-zero `token` shows as 0 with `decimals` in `unit`.
ReportWarning hiddenValues(const ColumnStyle& style, const QelBomData& rows,
                           const ReportUnits& units, int decimals, const DisplayUnit& unit,
                           const std::string& fileName) {
  const QelString token = toQel(style.key);
  const double scale = std::pow(10.0, decimals);
  ReportWarning warning = columnWarning(style, fileName);
  double smallest = 0.0;
  for (const QelBomItemBase* node = rows.child(); node != nullptr; node = node->next()) {
    const QelBomDataTuple* tuple = static_cast<const QelBomDataRow*>(node)->getTupleAt(token);
    if (tuple == nullptr || tuple->value().type() != QelBomDataValue::kDoubleDataValue) continue;
    const double shown = units.shownValue(token, doubleValueOf(tuple->value()));
    if (shown == 0 || !std::isfinite(shown) || std::round(std::fabs(shown) * scale) != 0) continue;
    if (warning.rows++ == 0 || std::fabs(shown) < std::fabs(smallest)) smallest = shown;
  }
  if (warning.rows == 0) return warning;
  char first[64];
  std::snprintf(first, sizeof first, "%.*g", 3, smallest);
  warning.text = "the column " + quoteForMessage(style.key) + " shows " +
                 std::to_string(decimals) + " decimals in " + unit.symbol + ", so " +
                 std::to_string(warning.rows) +
                 (warning.rows == 1 ? " part's non-zero value shows" : " parts' non-zero values show") +
                 " as 0 (the smallest: " + first + " " + unit.symbol + ")";
  warning.cure = "give it more decimals, for instance \"decimals\": {\"" + unit.symbol + "\": " +
                 std::to_string(decimalsToShow(smallest)) + "}";
  return warning;
}

}  // namespace

std::vector<ReportWarning> decimalsWarnings(const ColumnStyles& columns, const QelBomData& rows,
                                            const ReportUnits& units, const std::string& fileName) {
  std::vector<ReportWarning> warnings;
  for (const ColumnStyle& style : columns.entries()) {
    const DisplayUnit* unit = units.unitOf(toQel(style.key));
    if (unit == nullptr) continue;
    if (style.lacksUnit(unit)) {
      ReportWarning warning = columnWarning(style, fileName);
      warning.text = "the \"decimals\" of " + quoteForMessage(style.key) + " name no unit " +
                     quoteForMessage(unit->symbol) + ", the unit the column is shown in, so it " +
                     "shows the unit's own " + std::to_string(unit->decimals) + " decimals";
      warning.cure = "add " + quoteForMessage(unit->symbol) + " to its \"decimals\"";
      warnings.push_back(std::move(warning));
      continue;
    }
    const int decimals = style.decimalsIn(unit);
    if (decimals < 0) continue;
    ReportWarning hidden = hiddenValues(style, rows, units, decimals, *unit, fileName);
    if (hidden.rows > 0) warnings.push_back(std::move(hidden));
  }
  return warnings;
}

}  // namespace bomreport
