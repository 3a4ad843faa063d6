// The JSON report: the output tree in the template file format, each item with
// "row", the handle of the row that opened its group. A value whose display
// text reads as a number is a JSON number; when the number's shortest JSON
// text differs from the display text ("4.20" against 4.2), the display text
// follows as a third element: ["%Weight", 4.2, {"text": "4.20"}]. The root's
// "units" names the unit of every token with one (sums included), and "used",
// when asked for, the used handles and tokens.
#include "output/report_json.h"

#include <unordered_set>

#include "BomReportTrees.h"
#include "BomTemplateFile.h"
#include "input/json_text.h"
#include "output/display_number.h"
#include "output/report_labels.h"
#include "output/report_tree.h"
#include "output/report_used.h"

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

// A display text that reads as a number as a JSON number, with the text kept
// when the two differ; anything else as its type gives it.
std::string typedValue(const QelBomDataValue& value) {
  DisplayNumber number;
  if (value.type() != QelBomDataValue::kStringDataValue) return jsonValue(value);
  const QelString text = value.asString();
  if (!readDisplayNumber(text, number)) return jsonValue(value);
  const std::string shortest = shortestNumberText(number.value);
  const std::string shown = text.toUtf8();
  return shortest == shown ? shortest : shortest + ", {\"text\": " + jsonString(shown) + '}';
}

}  // namespace

void writeJsonReport(std::ostream& out, const Report& report) {
  TreeJsonOptions options;
  options.withRows = true;
  options.tupleValue = typedValue;
  options.extraRootMembers = unitsMember(*report.output, report.units);
  if (report.used != nullptr) options.extraRootMembers += ",\n" + usedMember(*report.used);
  writeTreeJson(out, *report.output, options);
}

}  // namespace bomreport
