// The JSON report: the output tree in the template file format, each item with
// "row", the handle of the row that opened its group. A value whose display
// text reads as a number is a JSON number; when the number's shortest JSON
// text differs from the display text ("4.20" against 4.2), the display text
// follows as a third element: ["%Weight", 4.2, {"text": "4.20"}]. The root's
// "units" names the unit of every token with one (sums included), "columns"
// the template's captions and decimals (as the template file has them), "used",
// when asked for, the used handles and tokens.
#include "output/report_json.h"

#include <unordered_set>

#include "BomReportTrees.h"
#include "BomTemplateFile.h"
#include "text/json_text.h"
#include "text/display_number.h"
#include "output/report_labels.h"
#include "output/report_model.h"
#include "output/report_tree.h"
#include "output/report_used.h"
#include "output/report_format.h"

namespace bomreport {
namespace {

std::string jsonList(const std::vector<std::string>& items) {
  std::string text = "[";
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (i > 0) text += ", ";
    text += jsonString(items[i]);
  }
  return text + ']';
}

// The root member "used": one {"handles", "tokens"} object per row.
std::string usedMember(QelBomData& data) {
  const std::vector<UsedEntry> entries = usedEntries(data);
  if (entries.empty()) return "  \"used\": []";
  std::string text = "  \"used\": [\n";
  for (std::size_t i = 0; i < entries.size(); ++i) {
    text += "    {\"handles\": " + jsonList(entries[i].handles) +
            ", \"tokens\": " + jsonList(entries[i].tokens) + '}';
    text += i + 1 < entries.size() ? ",\n" : "\n";
  }
  return text + "  ]";
}

// The root member "units": {"%Length": "mm", "%SumBy:%Length": "mm", ...} for
// the visible tokens with a unit, in order of first appearance.
std::string unitsMember(const QelBomTemplateItem& root, const ReportUnits* units) {
  std::unordered_set<std::u16string_view> seen;
  std::string text;
  walkDescendants(
      root,
      [&](const QelBomItemBase* node, int) {
        for (const QelBomDataTuple& tuple : node->getData()) {
          const std::u16string_view token = view(tuple.token().token());
          if (!isVisible(tuple) || !seen.insert(token).second) continue;
          const std::string symbol = unitSymbol(token, units);
          if (symbol.empty()) continue;
          text += text.empty() ? "" : ", ";
          text += jsonString(tuple.token().token()) + ": " + jsonString(symbol);
        }
      },
      [] {}, [](int) {});
  return "  \"units\": {" + text + '}';
}

// The values of the report as JSON: the exact number where there is one, else
// a display text that reads as a number as a JSON number; the display text
// follows when it differs from the number's text. Anything else as its type
// gives it. Told of the items in report order (visit).
class TypedValues {
 public:
  explicit TypedValues(const Report& report) : model_(report) {}

  void visit(const QelBomTemplateItem& item, int depth) {
    model_.cellsOf(ReportLine{&item, depth}, cells_);
  }

  std::string value(const QelBomTemplateItem& item, int index) const {
    const QelBomDataValue& value = item.getData()[index].value();
    const ReportCell& cell = cells_[static_cast<std::size_t>(index)];
    if (cell.exact.kind == ExactValue::kMissing) return "null";
    if (value.type() != QelBomDataValue::kStringDataValue) return jsonValue(value);
    std::string number;
    if (cell.exact.isNumber()) {
      number = exactNumberText(cell.exact);
    } else if (cell.isNumber) {
      number = shortestNumberText(cell.shown.value);
    } else {
      return jsonValue(value);
    }
    const std::string shown = cell.text.toUtf8();
    return number == shown ? number : number + ", {\"text\": " + jsonString(shown) + '}';
  }

 private:
  ReportModel model_;
  std::vector<ReportCell> cells_;  // of the item visited last
};

// The root member "warnings": each warning as data and in words.
std::string warningsMember(const std::vector<ReportWarning>& warnings, OptionSpelling spelling) {
  std::string text = "  \"warnings\": [";
  for (std::size_t i = 0; i < warnings.size(); ++i) {
    const ReportWarning& w = warnings[i];
    text += i == 0 ? "\n" : ",\n";
    text += "    {\"kind\": " + jsonString(std::string(warningKindName(w.kind)));
    if (!w.file.empty()) text += ", \"file\": " + jsonString(w.file);
    if (w.line > 0) text += ", \"line\": " + std::to_string(w.line);
    if (!w.section.empty()) text += ", \"section\": " + jsonString(w.section);
    if (!w.token.empty()) text += ", \"token\": " + jsonString(w.token);
    if (w.rows > 0) text += ", \"rows\": " + std::to_string(w.rows);
    if (w.amount != 0.0) text += ", \"amount\": " + shortestNumberText(w.amount);
    if (!w.unit.empty()) text += ", \"unit\": " + jsonString(w.unit);
    text += ", \"message\": " + jsonString(wordWarning(w, spelling)) + '}';
  }
  return text + (warnings.empty() ? "]" : "\n  ]");
}

}  // namespace

void writeJsonReport(std::ostream& out, const Report& report) {
  TreeJsonOptions options;
  options.withRows = true;
  TypedValues values(report);
  options.onItem = [&values](const QelBomTemplateItem& item, int depth) { values.visit(item, depth); };
  options.tupleValue = [&values](const QelBomTemplateItem& item, int index) {
    return values.value(item, index);
  };
  options.columns = report.columns;  // the template's captions and decimals
  options.extraRootMembers = unitsMember(*report.output, report.units);
  if (report.warnings != nullptr && !report.warnings->empty()) {
    const OptionSpelling spelling =
        report.options != nullptr ? report.options->spelling : commandLineSpelling;
    options.extraRootMembers += ",\n" + warningsMember(*report.warnings, spelling);
  }
  if (report.used != nullptr) options.extraRootMembers += ",\n" + usedMember(*report.used);
  writeTreeJson(out, *report.output, options);
}

BOM_REPORT_FORMAT(json, ".json", 40, kText,
                  "the output tree in the template file format, with exact numbers and warnings",
                  writeJsonReport);

}  // namespace bomreport
