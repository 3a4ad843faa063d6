// The revision list as a spreadsheet: a row per line with the change, the
// groups, the line, and for each token its value before, after and (for
// numbers) the difference, as numbers; an autofilter on the heading row, so
// that the change kinds can be filtered.
#include <xlsxwriter.h>

#include <fstream>

#include "BomReportErrors.h"
#include "output/revisions_formats.h"
#include "output/temporary_files.h"

namespace bomreport {
namespace {

void check(lxw_error error) {
  if (error != LXW_NO_ERROR) throw OutputError(std::string("spreadsheet: ") + lxw_strerror(error));
}

void writeValue(lxw_worksheet* sheet, lxw_row_t row, lxw_col_t column,
                const std::optional<ReportValue>& value) {
  if (!value || value->kind == ReportValue::Kind::kNone) return;
  if (value->kind == ReportValue::Kind::kText) {
    check(worksheet_write_string(sheet, row, column, value->text.c_str(), nullptr));
  } else {
    check(worksheet_write_number(sheet, row, column, value->number, nullptr));
  }
}

void writeSheet(lxw_workbook* book, const Revisions& revisions) {
  lxw_worksheet* sheet = workbook_add_worksheet(book, "Revisions");
  lxw_format* bold = workbook_add_format(book);
  format_set_bold(bold);
  const std::vector<RevisionColumn> columns = revisionColumns(revisions);
  lxw_col_t column = 0;
  for (const char* heading : {"Change", "Groups", "Line"}) {
    check(worksheet_write_string(sheet, 0, column++, heading, bold));
  }
  for (const RevisionColumn& c : columns) {
    check(worksheet_write_string(sheet, 0, column++, (c.label + " before").c_str(), bold));
    check(worksheet_write_string(sheet, 0, column++, (c.label + " after").c_str(), bold));
    if (c.numeric)
      check(worksheet_write_string(sheet, 0, column++, ("Δ " + c.label).c_str(), bold));
  }
  lxw_row_t row = 1;
  for (const RevisionLine& line : revisions.lines) {
    const bool footer = isFooterLine(line);
    std::string groups;
    for (const std::string& group : line.groups) groups += (groups.empty() ? "" : " / ") + group;
    column = 0;
    check(worksheet_write_string(sheet, row, column++,
                                 footer ? "sum" : revisionChangeName(line.change),
                                 footer ? bold : nullptr));
    check(worksheet_write_string(sheet, row, column++, groups.c_str(), nullptr));
    check(worksheet_write_string(sheet, row, column++,
                                 line.key.c_str(),
                                 footer ? bold : nullptr));
    for (const RevisionColumn& c : columns) {
      const RevisionValue* value = revisionValue(line, c.token);
      if (value != nullptr) {
        writeValue(sheet, row, column, value->before);
        writeValue(sheet, row, column + 1, value->after);
        const std::optional<double> difference = value->difference();
        if (c.numeric && difference)
          check(worksheet_write_number(sheet, row, column + 2, *difference, nullptr));
      }
      column += c.numeric ? 3 : 2;
    }
    ++row;
  }
  check(worksheet_autofilter(sheet, 0, 0, row - 1, column - 1));
  worksheet_freeze_panes(sheet, 1, 3);
  worksheet_set_column(sheet, 0, 2, 14, nullptr);
}

}  // namespace

void writeRevisionsXlsx(std::ostream& out, const Revisions& revisions) {
  ScratchFile file(".xlsx");
  lxw_workbook* book = workbook_new(file.path().c_str());
  if (book == nullptr) throw OutputError("spreadsheet: cannot make the workbook");
  try {
    writeSheet(book, revisions);
  } catch (...) {
    workbook_close(book);
    throw;
  }
  check(workbook_close(book));
  std::ifstream in(file.path(), std::ios::binary);
  if (!in) throw OutputError("spreadsheet: cannot read the scratch file back");
  out << in.rdbuf();
}

}  // namespace bomreport
