// The HTML report: one self-contained page (inline style, no scripts, no
// external resources, every text escaped) that prints as the PDF report does.
// The report's title (the first text of its report header) is the page's
// heading, the header's other texts are listed below it; then one table with a
// row per evaluated item and a column per token, headed with its unit
// ("Weight [kg]"), a sum in the column of the token it sums. Header rows are
// shaded and bold, details plain, footers ruled above and labelled "Σ ..." in
// the empty cells before their sums. Printed, the page is A4 (or the options'
// paper) with margins; the headings, and the template's page header and page
// footer, repeat on every page, and no row is split across pages.
#include <algorithm>
#include <string>
#include <vector>

#include "text/names.h"
#include "output/paper.h"
#include "output/report_html.h"
#include "output/report_coverage.h"
#include "output/report_table.h"
#include "output/report_used.h"
#include "output/report_format.h"

namespace bomreport {
namespace {

const char kDot[] = " \xC2\xB7 ";  // between the texts of a page header or footer

// The running head and the page numbers, in the page's margins.
const char kMarginFont[] = "font: 8pt \"DejaVu Sans\", sans-serif; color: #555;";

const char kStyle[] =
    "body { font-family: \"DejaVu Sans\", Arial, sans-serif; font-size: 9pt; color: #111; "
    "margin: 1.5em; }\n"
    "h1 { font-size: 15pt; margin: 0 0 0.3em 0; }\n"
    "table.info { border-collapse: collapse; margin: 0 0 0.3em 0; }\n"
    "table.info th { text-align: left; font-weight: normal; color: #555; padding: 0 1em 0 0; }\n"
    "table.info td { padding: 0; }\n"
    "p.source { color: #555; margin: 0 0 1em 0; font-size: 8pt; }\n"
    "table.report { border-collapse: collapse; width: 100%; }\n"
    "table.report th, table.report td { padding: 2px 6px; text-align: left; "
    "vertical-align: top; }\n"
    "thead th { border-bottom: 1.5px solid #111; white-space: nowrap; }\n"
    "thead tr.page th, tfoot tr.page td { font-weight: normal; color: #444; font-size: 8pt; "
    "border: none; }\n"
    "tfoot tr.page td { border-top: 1px solid #999; }\n"
    ".num { text-align: right !important; font-variant-numeric: tabular-nums; "
    "white-space: nowrap; }\n"
    ".sum { font-weight: bold; }\n"
    "td.label { font-style: italic; color: #333; white-space: nowrap; }\n"
    "tr.header td { font-weight: bold; }\n"
    "tr.header.l0 td { background: #dfe6ee; border-top: 1px solid #8a99a8; }\n"
    "tr.header.l1 td { background: #edf1f5; }\n"
    "tr.header.deep td { background: #f5f7f9; }\n"
    "tr.footer td { border-top: 1px solid #8a99a8; }\n"
    "tr.kReportFooter td { border-top: 2px solid #111; }\n"
    "table.used td { font-family: monospace; }\n"
    "h2 { font-size: 12pt; margin: 1.5em 0 0.4em 0; }\n"
    "thead { display: table-header-group; }\n"
    "tfoot { display: table-footer-group; }\n"
    "tr { break-inside: avoid; page-break-inside: avoid; }\n"
    "@media print { body { margin: 0; } }\n";


// A CSS string's content: quotes and backslashes escaped, line breaks as
// spaces, and "<" escaped so that no text can close the style element.
std::string cssString(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (c == '<') {
      out += "\\3c ";
    } else {
      out += c == '\n' || c == '\r' ? ' ' : c;
    }
  }
  return out;
}

void writeHead(std::ostream& out, const Report& report, const ReportTable& table) {
  const WriterOptions defaults;
  const WriterOptions& options = report.options != nullptr ? *report.options : defaults;
  const std::string title = escapeHtml(table.title());
  out << "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
      << "<title>" << title << "</title>\n<style>\n"
      << "@page { size: " << paperName(options.paper)
      << (options.landscape ? " landscape" : " portrait") << "; margin: 16mm 12mm 16mm 12mm;\n"
      << "  @top-left { content: \"" << cssString(table.title()) << "\"; " << kMarginFont << " }\n"
      << "  @top-right { content: \"" << cssString(report.dataName) << "\"; " << kMarginFont
      << " }\n"
      << "  @bottom-right { content: \"Page \" counter(page) \" of \" counter(pages); "
      << kMarginFont << " }\n}\n"
      << kStyle << "</style>\n</head>\n<body>\n<h1>" << title << "</h1>\n";
  std::string info;
  for (const LabelledText& line : table.titleDetails()) {
    info += "<tr><th>" + escapeHtml(line.label) + "</th><td>" + escapeHtml(line.text) + "</td></tr>\n";
  }
  if (!info.empty()) out << "<table class=\"info\">\n" << info << "</table>\n";
  out << "<p class=\"source\">Template: " << escapeHtml(report.templateName)
      << " &middot; Parts: " << escapeHtml(sourceLine(report, " \xC2\xB7 ")) << "</p>\n";
}

void writeHeadings(std::ostream& out, const ReportTable& table) {
  const std::size_t span = std::max<std::size_t>(table.columns().size(), 1);
  out << "<table class=\"report\">\n<thead>\n";
  if (!table.pageHeader().empty()) {
    out << "<tr class=\"page\"><th colspan=\"" << span << "\">"
        << escapeHtml(joinLabelled(table.pageHeader(), kDot)) << "</th></tr>\n";
  }
  out << "<tr>";
  for (const TableColumn& column : table.columns()) {
    out << (column.numeric ? "<th class=\"num\">" : "<th>") << escapeHtml(column.heading) << "</th>";
  }
  out << "</tr>\n</thead>\n";
  if (!table.pageFooter().empty()) {
    out << "<tfoot>\n<tr class=\"page\"><td colspan=\"" << span << "\">"
        << escapeHtml(joinLabelled(table.pageFooter(), kDot)) << "</td></tr>\n</tfoot>\n";
  }
}

const char* rowClass(const TableRow& row) {
  switch (row.kind) {
    case RowKind::kHeader:
      return row.level == 0 ? "header l0" : row.level == 1 ? "header l1" : "header deep";
    case RowKind::kFooter:
      return "footer";
    default:
      return "details";
  }
}

std::string cellHtml(const TableCell& cell, const TableColumn& column, const std::string& prefix) {
  std::string cls = column.numeric ? "num" : "";
  if (cell.sum) cls += cls.empty() ? "sum" : " sum";
  std::string html = cls.empty() ? "<td>" : "<td class=\"" + cls + "\">";
  return html + prefix + escapeHtml(cell.text) + "</td>";
}

// One row; a footer's label fills the empty cells before its first value, or
// leads its first cell when there are none.
void writeRow(std::ostream& out, const TableRow& row, const ReportTable& table, std::string& html) {
  const char* type = sectionTypeName(row.type);
  html = "<tr class=\"";
  html += rowClass(row);
  html += ' ';
  html += type != nullptr ? type : "kUnkTemplateItemType";
  html += "\">";
  std::size_t c = 0;
  std::string prefix;
  if (!row.label.empty()) {
    const int span = row.firstFilled();
    if (span > 0) {
      html += "<td class=\"label\" colspan=\"" + std::to_string(span) + "\">" + escapeHtml(row.label) +
              "</td>";
      c = static_cast<std::size_t>(span);
    } else {
      prefix = "<span class=\"label\">" + escapeHtml(row.label) + "</span> ";
    }
  }
  for (; c < row.cells.size(); ++c) {
    html += row.cells[c].text.empty() && prefix.empty()
                ? "<td></td>"
                : cellHtml(row.cells[c], table.columns()[c], prefix);
    prefix.clear();
  }
  html += "</tr>\n";
  out << html;
}

void writeUsedHtml(std::ostream& out, QelBomData& data) {
  out << "<h2>Used handles and tokens</h2>\n<table class=\"used\">\n"
      << "<thead><tr><th>Handles</th><th>Tokens</th></tr></thead>\n<tbody>\n";
  for (const UsedEntry& entry : usedEntries(data)) {
    std::string handles;
    for (const std::string& h : entry.handles) handles += (handles.empty() ? "" : " ") + h;
    std::string tokens;
    for (const std::string& t : entry.tokens) tokens += (tokens.empty() ? "" : " ") + t;
    out << "<tr><td>" << escapeHtml(handles) << "</td><td>" << escapeHtml(tokens) << "</td></tr>\n";
  }
  out << "</tbody>\n</table>\n";
}

}  // namespace

std::string escapeHtml(std::string_view text) {
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

void writeHtmlReport(std::ostream& out, const Report& report) {
  const ReportTable table(report, nullptr);
  writeHead(out, report, table);
  writeHeadings(out, table);
  out << "<tbody>\n";
  std::string html;
  for (ReportTable::Cursor rows(table); rows.next();) writeRow(out, rows.row(), table, html);
  out << "</tbody>\n</table>\n";
  if (report.used != nullptr) writeUsedHtml(out, *report.used);
  out << "</body>\n</html>\n";
}

BOM_REPORT_FORMAT(html, ".html .htm", 50, kText,
                  ReportFormat::kPaper | ReportFormat::kLandscape | ReportFormat::kDate,
                  "one self-contained page, a table that prints on paper",
                  writeHtmlReport);

}  // namespace bomreport
