// The HTML report: one self-contained page (inline style, no scripts, no
// external resources) with a table of one row per evaluated item. The first
// column names the section, indented by depth; then one column per token, a
// sum standing in the column of the token it sums. Rows are styled by section
// type: headers shaded and bold, details plain, footers ruled above with their
// sums right-aligned. Every text is escaped.
#include <string>
#include <vector>

#include "input/names.h"
#include "input/text_util.h"
#include "output/display_number.h"
#include "output/report_html.h"
#include "output/report_tree.h"
#include "output/report_used.h"

namespace bomreport {
namespace {

const char kStyle[] =
    "body { font-family: \"DejaVu Sans\", Arial, sans-serif; font-size: 10pt; color: #111; "
    "margin: 1.5em; }\n"
    "h1 { font-size: 15pt; margin: 0 0 0.2em 0; }\n"
    "p.source { color: #555; margin: 0 0 1em 0; }\n"
    "table { border-collapse: collapse; }\n"
    "th, td { padding: 2px 8px; text-align: left; vertical-align: top; }\n"
    "thead th { border-bottom: 2px solid #111; }\n"
    "td.section { color: #666; font-size: 8.5pt; white-space: nowrap; }\n"
    "td.num, td.sum { white-space: nowrap; }\n"
    "td.num { text-align: right; font-variant-numeric: tabular-nums; }\n"
    "td.sum { text-align: right; font-weight: bold; font-variant-numeric: tabular-nums; }\n"
    "tr.kReportHeader td, tr.kPageHeader td { background: #c9d3dd; font-weight: bold; }\n"
    "tr.kGroupHeader td { background: #e8edf2; font-weight: bold; border-top: 1px solid #8a99a8; "
    "}\n"
    "tr.kDetails td { background: #fff; }\n"
    "tr.kGroupFooter td { border-top: 1px solid #8a99a8; font-style: italic; }\n"
    "tr.kReportFooter td, tr.kPageFooter td { border-top: 2px solid #111; font-weight: bold; }\n"
    "table.used td { font-family: monospace; }\n"
    "h2 { font-size: 12pt; margin: 1.5em 0 0.4em 0; }\n"
    "@media print { body { margin: 0; } thead { display: table-header-group; } "
    "tr { page-break-inside: avoid; } }\n";

std::string escape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&#39;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

// A column heading: the token without its leading "%".
std::string heading(std::u16string_view token) {
  std::string text = toUtf8(QelString(token.data(), static_cast<int>(token.size())));
  if (!text.empty() && text.front() == '%') text.erase(0, 1);
  return text;
}

void writeHead(std::ostream& out, const Report& report) {
  out << "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
      << "<title>Bill of materials</title>\n<style>\n"
      << kStyle << "</style>\n</head>\n<body>\n<h1>Bill of materials</h1>\n"
      << "<p class=\"source\">Template: " << escape(report.templateName)
      << " &middot; Parts: " << escape(report.dataName) << "</p>\n";
}

void writeUsedHtml(std::ostream& out, QelBomData& data) {
  out << "<h2>Used handles and tokens</h2>\n<table class=\"used\">\n"
      << "<thead><tr><th>Handles</th><th>Tokens</th></tr></thead>\n<tbody>\n";
  for (const UsedEntry& entry : usedEntries(data)) {
    std::string handles;
    for (const std::string& h : entry.handles) handles += (handles.empty() ? "" : " ") + h;
    std::string tokens;
    for (const std::string& t : entry.tokens) tokens += (tokens.empty() ? "" : " ") + t;
    out << "<tr><td>" << escape(handles) << "</td><td>" << escape(tokens) << "</td></tr>\n";
  }
  out << "</tbody>\n</table>\n";
}

// One table row for `line`; `cellColumns` maps its tuples to columns.
void writeRow(std::ostream& out, const ReportLine& line, const std::vector<int>& cellColumns,
              std::size_t columnCount, std::vector<std::string>& cells, std::string& row) {
  for (std::string& cell : cells) cell.clear();
  const QelArray<QelBomDataTuple>& tuples = line.item->getData();
  for (int i = 0; i < tuples.count(); ++i) {
    const int column = cellColumns[i];
    if (column < 0) continue;
    const std::string value = toUtf8(tuples[i].value().asString());
    QelString summed;
    DisplayNumber number;
    const char* cls = nullptr;
    if (tuples[i].token().getSummingRequest(summed) == 1) {
      cls = "sum";
    } else if (readDisplayNumber(value, number)) {
      cls = "num";
    }
    std::string& cell = cells[static_cast<std::size_t>(column)];
    cell = cls != nullptr ? std::string("<td class=\"") + cls + "\">" : std::string("<td>");
    cell += escape(value);
    cell += "</td>";
  }
  const char* type = sectionTypeName(line.item->type());
  row = "<tr class=\"";
  row += type != nullptr ? type : "kUnkTemplateItemType";
  row += "\"><td class=\"section\"";
  if (line.depth > 0)
    row += " style=\"padding-left:" + std::to_string(8 + 14 * line.depth) + "px\"";
  row += '>';
  row += escape(sectionTitle(line.item->type()));
  row += "</td>";
  for (std::size_t c = 0; c < columnCount; ++c) row += cells[c].empty() ? "<td></td>" : cells[c];
  row += "</tr>\n";
  out << row;
}

}  // namespace

void writeHtmlReport(std::ostream& out, const Report& report) {
  const std::vector<ReportLine> lines = collectLines(*report.output);
  ColumnIndex index(true);
  std::vector<int> cellColumns;
  for (const ReportLine& line : lines) index.map(*line.item, cellColumns);
  const std::vector<ColumnIndex::Column>& columns = index.columns();

  writeHead(out, report);
  out << "<table class=\"report\">\n<thead><tr><th>Section</th>";
  for (const ColumnIndex::Column& column : columns) {
    out << "<th>" << escape(heading(column.token)) << "</th>";
  }
  out << "</tr></thead>\n<tbody>\n";
  std::vector<std::string> cells(columns.size());
  std::string row;
  for (const ReportLine& line : lines) {
    index.map(*line.item, cellColumns);
    writeRow(out, line, cellColumns, columns.size(), cells, row);
  }
  out << "</tbody>\n</table>\n";
  if (report.used != nullptr) writeUsedHtml(out, *report.used);
  out << "</body>\n</html>\n";
}

}  // namespace bomreport
