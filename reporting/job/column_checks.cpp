#include "job/column_checks.h"

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

}  // namespace bomreport
