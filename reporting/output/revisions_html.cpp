// The revision list as a page: a change column, each changed value with its
// old text struck through before the new one, the groups' and the report's
// sums with their differences.
#include "output/report_html.h"
#include "output/revisions_formats.h"

namespace bomreport {
namespace {

const char kStyle[] =
    "body { font: 10pt 'DejaVu Sans', sans-serif; margin: 1.5em; color: #111; }\n"
    "h1 { font-size: 15pt; margin: 0 0 0.2em 0; }\n"
    "p.source { color: #444; margin: 0 0 1em 0; }\n"
    "table { border-collapse: collapse; }\n"
    "th, td { padding: 0.2em 0.6em; border-bottom: 1px solid #ddd; text-align: left; "
    "vertical-align: top; }\n"
    "th { border-bottom: 2px solid #111; }\n"
    "td.num { text-align: right; font-variant-numeric: tabular-nums; }\n"
    "tr.group td { font-weight: bold; background: #f2f2f2; }\n"
    "tr.sum td { font-weight: bold; }\n"
    "tr.added td.change { color: #0a6b22; } tr.removed td.change { color: #a11; }\n"
    "tr.changed td.change { color: #8a5a00; }\n"
    "tr.removed td { color: #777; }\n"
    "del { color: #a11; } ins { color: #0a6b22; text-decoration: none; font-weight: bold; }\n"
    "span.diff { color: #444; font-size: 90%; }\n"
    "@media print { body { margin: 0; } tr { break-inside: avoid; } }\n";

std::string cell(const RevisionLine& line, const RevisionValue* value, bool numeric) {
  const std::string open = numeric ? "<td class=\"num\">" : "<td>";
  if (value == nullptr) return open + "</td>";
  const bool footer = isFooterLine(line);
  if (!value->changed()) return open + escapeHtml(shownText(value->after)) + "</td>";
  if (line.change == RevisionChange::kAdded) {
    const std::string text = escapeHtml(shownText(value->after));
    return open + (footer ? "<ins>" + text + "</ins>" : text) + "</td>";
  }
  if (line.change == RevisionChange::kRemoved) {
    const std::string text = escapeHtml(shownText(value->before));
    return open + (footer ? "<del>" + text + "</del>" : text) + "</td>";
  }
  std::string text = open;
  if (value->before) text += "<del>" + escapeHtml(shownText(value->before)) + "</del> ";
  if (value->after) text += "<ins>" + escapeHtml(shownText(value->after)) + "</ins>";
  const std::string difference = differenceText(*value);
  if (!difference.empty()) text += " <span class=\"diff\">(" + escapeHtml(difference) + ")</span>";
  return text + "</td>";
}

}  // namespace

void writeRevisionsHtml(std::ostream& out, const Revisions& revisions) {
  const std::vector<RevisionColumn> columns = revisionColumns(revisions, true);
  const std::string title = "Revisions: " + revisions.beforeName + " → " + revisions.afterName;
  out << "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>"
      << escapeHtml(title) << "</title>\n<style>\n"
      << kStyle << "</style>\n</head>\n<body>\n<h1>" << escapeHtml(title)
      << "</h1>\n<p class=\"source\">Template: " << escapeHtml(revisions.templateName) << " · "
      << escapeHtml(revisionCounts(revisions)) << "</p>\n<table>\n<thead><tr><th>Change</th>";
  for (const RevisionColumn& column : columns) out << "<th>" << escapeHtml(column.label) << "</th>";
  out << "</tr></thead>\n<tbody>\n";
  std::vector<std::string> groups;
  const std::size_t span = columns.size() + 1;
  for (const RevisionLine& line : revisions.lines) {
    const bool footer = isFooterLine(line);
    if (startsGroups(line, groups)) {
      out << "<tr class=\"group\"><td colspan=\"" << span << "\">" << escapeHtml(groupPath(line))
          << "</td></tr>\n";
    }
    out << "<tr class=\"" << (footer ? "sum" : revisionChangeName(line.change))
        << "\"><td class=\"change\">"
        << (footer ? escapeHtml(line.key) : revisionChangeName(line.change)) << "</td>";
    for (const RevisionColumn& column : columns) {
      out << cell(line, revisionValue(line, column.token, true), column.numeric);
    }
    out << "</tr>\n";
  }
  out << "</tbody>\n</table>\n";
  if (!revisions.moves.empty()) {
    out << "<h2>Parts on another line</h2>\n<table>\n<thead><tr><th>Part</th><th>From</th>"
           "<th>To</th></tr></thead>\n<tbody>\n";
    for (const RevisionMove& move : revisions.moves) {
      out << "<tr><td>" << escapeHtml(move.handle) << "</td><td>" << escapeHtml(move.from)
          << "</td><td>" << escapeHtml(move.to) << "</td></tr>\n";
    }
    out << "</tbody>\n</table>\n";
  }
  out << "</body>\n</html>\n";
}

}  // namespace bomreport
