// The JSON report: the output tree in the template file format, each item with
// "row", the handle of the row that opened its group. A value whose display
// text reads as a number is a JSON number; when the number's shortest JSON
// text differs from the display text ("4.20" against 4.2), the display text
// follows as a third element: ["%Weight", 4.2, {"text": "4.20"}]. The root's
// "units" names the unit of every token with one (sums included), "columns"
// the template's captions and decimals (as the template file has them), "used",
// when asked for, the used handles and tokens.
#include "output/report_json.h"
#include "output/tree_walk.h"

#include <algorithm>
#include <unordered_set>

#include "BomReportTrees.h"
#include "BomTemplateFile.h"
#include "text/json_text.h"
#include "text/display_number.h"
#include "output/report_labels.h"
#include "output/ordered_blocks.h"
#include "output/report_model.h"
#include "output/report_tree.h"
#include "output/report_used.h"
#include "output/template_writer.h"
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

// Items formatted at a time on one thread.
constexpr std::size_t kLinesPerBlock = 16384;

// The values of the report as JSON: the exact number where there is one, else
// a display text that reads as a number as a JSON number; the display text
// follows when it differs from the number's text. Anything else as its type
// gives it. Of the item whose cells were asked for last.
std::string typedValue(const LineCells& cells, const QelBomTemplateItem& item, int index) {
  const QelBomDataValue& value = item.getData()[index].value();
  const ReportCell& cell = cells[static_cast<std::size_t>(index)];
  if (cell.exact.kind == ExactValue::kMissing) return "null";
  if (value.type() != QelBomDataValue::kStringDataValue) return jsonValue(value);
  std::string number;
  if (cell.exact.isNumber()) {
    number = exactNumberText(cell.exact);
  } else if (cell.isNumber()) {
    number = shortestNumberText(cell.shown().value);
  } else {
    return jsonValue(value);
  }
  const std::string shown = cell.text().toUtf8();
  return number == shown ? number : number + ", {\"text\": " + jsonString(shown) + '}';
}

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

// The root's members besides its children: the units, the warnings and the
// used handles, as the options ask.
std::string rootMembers(const Report& report) {
  std::string members = unitsMember(*report.output, report.units);
  if (report.warnings != nullptr && !report.warnings->empty()) {
    const OptionSpelling spelling =
        report.options != nullptr ? report.options->spelling : commandLineSpelling;
    members += ",\n" + warningsMember(*report.warnings, spelling);
  }
  if (report.used != nullptr) members += ",\n" + usedMember(*report.used);
  return members;
}

}  // namespace

// The tree as writeTreeJson writes it, with typed values and each item's
// row: its items formatted in blocks on two threads and written in order.
void writeJsonReport(std::ostream& out, const Report& report) {
  const ReportModel model(report);
  const std::vector<ReportLine>& lines = model.lines();
  TreeJsonOptions options;
  options.withRows = true;
  options.columns = report.columns;  // the template's captions and decimals
  const std::string members = rootMembers(report);
  std::string text;
  {
    TreeJsonOptions rootOptions = options;  // its own tuples as their types give them
    rootOptions.extraRootMembers = members;
    appendOpenItem(text, *report.output, 0, true, rootOptions);
  }
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
  const std::size_t blocks = (lines.size() + kLinesPerBlock - 1) / kLinesPerBlock;
  writeBlocksInOrder(
      blocks,
      [&](std::size_t block, std::string& blockText) {
        LineCells cells;
        TreeJsonOptions blockOptions = options;
        blockOptions.tupleValue = [&cells](const QelBomTemplateItem& item, int index) {
          return typedValue(cells, item, index);
        };
        const std::size_t end = std::min(lines.size(), (block + 1) * kLinesPerBlock);
        for (std::size_t l = block * kLinesPerBlock; l < end; ++l) {
          model.cellsOf(l, cells);
          appendOpenItem(blockText, *lines[l].item, lines[l].depth + 1, false, blockOptions);
          if (l + 1 < lines.size()) {
            appendBetween(blockText, lines[l].depth + 1, lines[l + 1].depth + 1, blockOptions);
          } else {  // the end of the tree closes the root, with its members
            blockOptions.extraRootMembers = members;
            appendBetween(blockText, lines[l].depth + 1, 0, blockOptions);
          }
        }
      },
      out);
  out << '\n';
}

BOM_REPORT_FORMAT(json, ".json", 40, kText,
                  0,
                  "the output tree in the template file format, with exact numbers and warnings",
                  writeJsonReport);

}  // namespace bomreport
