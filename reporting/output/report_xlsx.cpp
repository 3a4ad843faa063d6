// The XLSX report, one worksheet laid out as ReportTable gives it:
//
//   Steel frame, hall 1: bill of materials           the title, then the
//   Site   Hall 1                                    title block's other texts
//   Template: steel.json · Parts: steel.csv          and the page header's
//
//   MNum  MName  ...  Quantity  Length [mm]  Weight [kg]    headings: bold, frozen,
//   B1    BEAM                                              with an autofilter
//   ...
//
// A cell whose display text reads as a number holds that number, in the unit
// it is shown in, with a number format of the same decimals ("0.00" for 4.20),
// one per column of reals; every other text (and every value of a catalogue
// text token, such as a bolt grade "8.8") is a string, never a formula. Rows
// carry their group level as an outline level (at most 7, the format's limit),
// so groups collapse onto their footers.
//
// For filtering, every details row repeats the keys of the groups it lies in:
// the texts of their header rows, in the same columns, in grey. The
// autofilter covers the headings and the rows down to the last that is no
// report footer. A sum is a formula, =SUBTOTAL(9,range) over its group's rows
// (header to the row above the footer; the report's whole table for a report
// footer), with its value stored, so that filtering recomputes it and a reader
// that does not recalculate shows the right figure. Where the cells of the
// range do not add up to the sum (its token is not shown in the details, rows
// left out of sums, a group that began on an earlier sheet), the sum is its
// value alone. Columns are as wide as their texts. The page setup prints on
// the options' paper, one page wide, headings repeated, the title and the
// parts file at the top of every page and "Page N of M" at the bottom; the
// page footer's texts follow the table.
//
// libxlsxwriter writes a file: the workbook is made in a scratch file in
// TMPDIR (constant-memory mode, rows in order) and then copied to the stream.
// A sheet holds 1048576 rows; a longer report goes on in further sheets, each
// with its headings (and without the title block).
#include "output/report_xlsx.h"

#include <unistd.h>
#include <xlsxwriter.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "BomReportErrors.h"
#include "text/text_util.h"
#include "output/paper.h"
#include "output/report_coverage.h"
#include "output/report_table.h"
#include "output/temporary_files.h"
#include "output/report_format.h"

namespace bomreport {
namespace {

constexpr int kMaxCellCharacters = 32767;
constexpr std::size_t kMaxSheetColumns = 16384;  // column XFD
constexpr int kMaxOutlineLevel = 7;
// A printed page header holds 255 characters: the left part (the title or the
// template's page header) and the right (the parts file) are cut to these.
constexpr int kHeadLeftCharacters = 160;
constexpr int kHeadRightCharacters = 80;
const char kSheetName[] = "Bill of materials";

// How a cell looks, before its number format.
enum class Style {
  kPlain,
  kHeader0,
  kHeader1,
  kHeaderDeep,
  kFooter,
  kSum,
  kLabel,
  kHeading,
  kHeadingRight,
  kTitle,
  kInfo,
  kKey  // a group key repeated in a details row
};

// `text` in the header language of the page setup ("&" doubled), cut to at
// most `most` characters of that language.
std::string pageText(const std::string& text, int most) {
  std::string out;
  int characters = 0;
  for (std::size_t i = 0; i < text.size();) {
    std::size_t end = i + 1;
    while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0u) == 0x80u) ++end;
    characters += text[i] == '&' ? 2 : 1;
    if (characters > most) break;
    out += text[i] == '&' ? std::string("&&") : text.substr(i, end - i);
    i = end;
  }
  return out;
}

// The number itself where it is known; the format shows it as the text does.
double numberOf(const TableCell& cell) {
  if (!cell.exact.isNumber()) return cell.number.value;
  return cell.exact.kind == ExactValue::kInteger ? static_cast<double>(cell.exact.integer)
                                                 : cell.exact.real;
}

// Whether SUBTOTAL's `total` is the sum `value` (as adding the same numbers in
// another order gives it).
bool sameSum(double total, double value) {
  return std::fabs(total - value) <= 1e-9 * std::max(1.0, std::fabs(value));
}

// "C12" for row 11, column 2 (both from 0).
std::string cellName(lxw_row_t row, lxw_col_t column) {
  std::string letters;
  for (unsigned long c = column + 1UL; c > 0; c = (c - 1) / 26) {
    letters.insert(letters.begin(), static_cast<char>('A' + (c - 1) % 26));
  }
  return letters + std::to_string(row + 1);
}

std::string numberFormat(const DisplayNumber& number) {
  std::string format = "0";
  if (number.decimals > 0)
    format += '.' + std::string(static_cast<std::size_t>(number.decimals), '0');
  if (number.exponent) format += "E+00";
  return format;
}

class XlsxReport {
 public:
  XlsxReport(const Report& report, const std::string& path, lxw_row_t sheetRows);
  ~XlsxReport();
  XlsxReport(const XlsxReport&) = delete;
  XlsxReport& operator=(const XlsxReport&) = delete;

  void write();

 private:
  struct Sheet {
    lxw_worksheet* sheet = nullptr;
    lxw_row_t row = 0;  // the next row to write
    lxw_row_t headingRow = 0;
    lxw_row_t tableEnd = 0;  // the row after the table's last
    bool filtered = false;   // the autofilter is set
    bool finished = false;
    std::vector<int> widths;  // per column, in characters
  };

  lxw_format* format(Style style, const DisplayNumber* number);
  void check(lxw_error error, const char* what) const;
  void newSheet();
  void setUpPage(Sheet& sheet);
  void writeTitle();
  void writeLabelled(const std::vector<LabelledText>& texts);
  void writeHeadings();
  // What the cells of a group's rows add up to, column by column, as
  // SUBTOTAL(9, ...) adds them: every number that is no formula.
  struct Range {
    std::size_t sheet;  // the sheet it began on
    lxw_row_t first;    // its first row
    std::vector<double> sums;
  };
  void writeRow(const TableRow& row, const std::vector<TableRow>& open);
  void writeKeys(const TableRow& row, const std::vector<TableRow>& open);
  // A footer's sum: a formula over `range` (null: none) when its cells add up
  // to it. Returns whether it wrote a formula.
  bool writeSum(lxw_col_t column, const TableCell& cell, Style style, const Range* range);
  void count(std::size_t column, double value);
  // Table cells widen their column; other texts (title lines) do not.
  void writeCell(lxw_col_t column, const TableCell& cell, Style style, bool inTable = true);
  void writeString(lxw_col_t column, const std::string& text, Style style);
  void finishSheet();
  // The autofilter over the headings and the rows above the current one.
  void setFilter();

  const Report& report_;
  const WriterOptions options_;
  const lxw_row_t sheetRows_;
  ReportTable table_;
  lxw_workbook* workbook_;
  std::map<std::tuple<Style, int, bool>, lxw_format*> formats_;
  std::vector<Sheet> sheets_;
  std::vector<Range> groups_;  // of the cursor's open groups
  Range all_{0, 0, {}};        // the table of the first sheet
};

XlsxReport::XlsxReport(const Report& report, const std::string& path, lxw_row_t sheetRows)
    : report_(report),
      options_(report.options != nullptr ? *report.options : WriterOptions()),
      sheetRows_(sheetRows),
      table_(report, nullptr) {
  if (table_.columns().size() > kMaxSheetColumns) {
    throw OutputError("spreadsheet: the report has " + std::to_string(table_.columns().size()) +
                      " columns; a sheet holds at most " + std::to_string(kMaxSheetColumns) +
                      " (show fewer tokens, or write CSV, JSON or text)");
  }
  lxw_workbook_options options = {};
  options.constant_memory = LXW_TRUE;
  workbook_ = workbook_new_opt(path.c_str(), &options);
  if (workbook_ == nullptr) throw OutputError("cannot start the spreadsheet");
}

XlsxReport::~XlsxReport() {
  if (workbook_ != nullptr) workbook_close(workbook_);
}

void XlsxReport::check(lxw_error error, const char* what) const {
  if (error != LXW_NO_ERROR) {
    throw OutputError(std::string("spreadsheet: ") + what + ": " + lxw_strerror(error));
  }
}

lxw_format* XlsxReport::format(Style style, const DisplayNumber* number) {
  const auto key = std::make_tuple(style, number != nullptr ? number->decimals : -1,
                                   number != nullptr && number->exponent);
  auto found = formats_.find(key);
  if (found != formats_.end()) return found->second;
  lxw_format* format = workbook_add_format(workbook_);
  switch (style) {
    case Style::kHeader0:
    case Style::kHeader1:
    case Style::kHeaderDeep:
      format_set_bold(format);
      format_set_pattern(format, LXW_PATTERN_SOLID);
      format_set_bg_color(format, style == Style::kHeader0   ? 0xDFE6EE
                                  : style == Style::kHeader1 ? 0xEDF1F5
                                                             : 0xF5F7F9);
      break;
    case Style::kSum:
      format_set_bold(format);
      format_set_top(format, LXW_BORDER_THIN);
      break;
    case Style::kFooter:
      format_set_top(format, LXW_BORDER_THIN);
      break;
    case Style::kLabel:
      format_set_italic(format);
      format_set_top(format, LXW_BORDER_THIN);
      break;
    case Style::kHeading:
    case Style::kHeadingRight:
      format_set_bold(format);
      format_set_bottom(format, LXW_BORDER_MEDIUM);
      if (style == Style::kHeadingRight) format_set_align(format, LXW_ALIGN_RIGHT);
      break;
    case Style::kTitle:
      format_set_bold(format);
      format_set_font_size(format, 14);
      break;
    case Style::kInfo:
    case Style::kKey:
      format_set_font_color(format, style == Style::kKey ? 0x808080 : 0x555555);
      break;
    default:
      break;
  }
  if (number != nullptr) format_set_num_format(format, numberFormat(*number).c_str());
  formats_.emplace(key, format);
  return format;
}

void XlsxReport::setUpPage(Sheet& sheet) {
  lxw_worksheet* ws = sheet.sheet;
  worksheet_set_paper(ws, static_cast<uint8_t>(spreadsheetPaperCode(options_.paper)));
  if (options_.landscape) worksheet_set_landscape(ws);
  worksheet_fit_to_pages(ws, 1, 0);
  std::string head = joinLabelled(table_.pageHeader(), " \xC2\xB7 ");
  if (head.empty()) head = table_.title();
  check(worksheet_set_header(ws, ("&L" + pageText(head, kHeadLeftCharacters) + "&R" +
                                  pageText(report_.dataName, kHeadRightCharacters))
                                     .c_str()),
        "page header");
  check(worksheet_set_footer(ws, "&RPage &P of &N"), "page footer");
  worksheet_outline_settings(ws, LXW_TRUE, table_.hasFooters() ? LXW_TRUE : LXW_FALSE, LXW_FALSE,
                             LXW_FALSE);
}

void XlsxReport::newSheet() {
  if (!sheets_.empty()) finishSheet();
  const std::string name =
      sheets_.empty() ? std::string(kSheetName)
                      : std::string(kSheetName) + " (" + std::to_string(sheets_.size() + 1) + ')';
  Sheet sheet;
  sheet.sheet = workbook_add_worksheet(workbook_, name.c_str());
  if (sheet.sheet == nullptr) throw OutputError("spreadsheet: cannot add a worksheet");
  sheet.widths.assign(table_.columns().size(), 0);
  setUpPage(sheet);
  sheets_.push_back(std::move(sheet));
}

void XlsxReport::writeString(lxw_col_t column, const std::string& text, Style style) {
  Sheet& sheet = sheets_.back();
  if (displayWidth(text) > kMaxCellCharacters) {
    throw OutputError("spreadsheet: a text of " + std::to_string(displayWidth(text)) +
                      " characters in row " + std::to_string(sheet.row + 1) +
                      "; a cell holds at most 32767");
  }
  check(
      worksheet_write_string(sheet.sheet, sheet.row, column, text.c_str(), format(style, nullptr)),
      "writing a text");
}

void XlsxReport::writeCell(lxw_col_t column, const TableCell& cell, Style style, bool inTable) {
  Sheet& sheet = sheets_.back();
  if (inTable && column < sheet.widths.size()) {
    sheet.widths[column] = std::max(sheet.widths[column], displayWidth(cell.text));
  }
  if (!cell.isNumber) {
    writeString(column, cell.text, style);
    return;
  }
  check(worksheet_write_number(sheet.sheet, sheet.row, column, numberOf(cell),
                               format(style, &cell.number)),
        "writing a number");
}

void XlsxReport::count(std::size_t column, double value) {
  if (column >= all_.sums.size()) return;
  for (Range& group : groups_) group.sums[column] += value;
  all_.sums[column] += value;
}

bool XlsxReport::writeSum(lxw_col_t column, const TableCell& cell, Style style,
                          const Range* range) {
  Sheet& sheet = sheets_.back();
  const double value = numberOf(cell);
  if (range == nullptr || range->sheet + 1 != sheets_.size() || range->first >= sheet.row ||
      !sameSum(range->sums[column], value)) {
    writeCell(column, cell, style);
    return false;
  }
  sheet.widths[column] = std::max(sheet.widths[column], displayWidth(cell.text));
  const std::string formula = "=SUBTOTAL(9," + cellName(range->first, column) + ':' +
                              cellName(sheet.row - 1, column) + ')';
  check(worksheet_write_formula_num(sheet.sheet, sheet.row, column, formula.c_str(),
                                    format(style, &cell.number), value),
        "writing a sum");
  return true;
}

// The title, the title block's other texts and the page header, as label and
// value; then where the report comes from.
void XlsxReport::writeTitle() {
  Sheet& sheet = sheets_.back();
  writeString(0, table_.title(), Style::kTitle);
  ++sheet.row;
  writeLabelled(table_.titleDetails());
  writeLabelled(table_.pageHeader());
  writeString(0, "Template: " + report_.templateName + " \xC2\xB7 Parts: " +
                     sourceLine(report_, " \xC2\xB7 "),
              Style::kInfo);
  sheet.row += 2;  // and an empty row
}

void XlsxReport::writeLabelled(const std::vector<LabelledText>& texts) {
  for (const LabelledText& text : texts) {
    writeString(0, text.label, Style::kInfo);
    TableCell cell;
    cell.text = text.text;
    cell.isNumber = text.isNumber;
    cell.number = text.number;
    if (!cell.text.empty()) writeCell(1, cell, Style::kPlain, false);
    ++sheets_.back().row;
  }
}

void XlsxReport::writeHeadings() {
  Sheet& sheet = sheets_.back();
  sheet.headingRow = sheet.row;
  const std::vector<TableColumn>& columns = table_.columns();
  for (std::size_t c = 0; c < columns.size(); ++c) {
    TableCell heading;
    heading.text = columns[c].heading;
    writeCell(static_cast<lxw_col_t>(c), heading,
              columns[c].numeric ? Style::kHeadingRight : Style::kHeading);
  }
  sheet.tableEnd = ++sheet.row;
}

Style styleOf(const TableRow& row, const TableCell& cell) {
  switch (row.kind) {
    case RowKind::kHeader:
      return row.level == 0   ? Style::kHeader0
             : row.level == 1 ? Style::kHeader1
                              : Style::kHeaderDeep;
    case RowKind::kFooter:
      return cell.sum ? Style::kSum : Style::kFooter;
    default:
      return Style::kPlain;
  }
}

void XlsxReport::writeRow(const TableRow& row, const std::vector<TableRow>& open) {
  if (sheets_.back().row >= sheetRows_) {
    newSheet();
    writeHeadings();
  }
  // In constant-memory mode a range must end at or after the row being
  // written: the filter is set before the first report footer.
  if (row.type == QelBomTemplateItem::kReportFooter) setFilter();
  Sheet& sheet = sheets_.back();
  if (groups_.size() > open.size()) groups_.resize(open.size());
  const bool closes = row.kind == RowKind::kFooter && !open.empty() &&
                      open.back().level == row.level && groups_.size() == open.size();
  const Range* range = closes ? &groups_.back()
                       : row.type == QelBomTemplateItem::kReportFooter && row.level == 0 ? &all_
                                                                                         : nullptr;
  if (row.opensGroup) {  // as the cursor opens it
    groups_.push_back(Range{sheets_.size() - 1, sheet.row, std::vector<double>(row.cells.size())});
  }
  lxw_row_col_options outline = {};
  outline.level = static_cast<uint8_t>(std::min(row.level, kMaxOutlineLevel));
  check(worksheet_set_row_opt(sheet.sheet, sheet.row, LXW_DEF_ROW_HEIGHT, nullptr, &outline),
        "row outline");
  const bool labelled = !row.label.empty() && !row.cells.empty() && row.cells[0].text.empty();
  if (labelled) writeString(0, row.label, Style::kLabel);
  for (std::size_t c = labelled ? 1 : 0; c < row.cells.size(); ++c) {
    const TableCell& cell = row.cells[c];
    if (cell.sum && cell.isNumber) {
      if (!writeSum(static_cast<lxw_col_t>(c), cell, styleOf(row, cell), range)) {
        count(c, numberOf(cell));
      }
    } else if (!cell.text.empty()) {
      writeCell(static_cast<lxw_col_t>(c), cell, styleOf(row, cell));
      if (cell.isNumber) count(c, numberOf(cell));
    } else if (row.kind != RowKind::kDetails) {  // shading and rules across the row
      check(worksheet_write_blank(sheet.sheet, sheet.row, static_cast<lxw_col_t>(c),
                                  format(styleOf(row, cell), nullptr)),
            "writing a cell");
    }
  }
  if (row.kind == RowKind::kDetails) writeKeys(row, open);
  if (closes) groups_.pop_back();
  sheet.tableEnd = ++sheet.row;
}

// The texts of the open groups' headers in the details row's empty cells,
// innermost first.
void XlsxReport::writeKeys(const TableRow& row, const std::vector<TableRow>& open) {
  std::vector<bool> filled(row.cells.size());
  for (std::size_t c = 0; c < row.cells.size(); ++c) filled[c] = !row.cells[c].text.empty();
  for (auto header = open.rbegin(); header != open.rend(); ++header) {
    for (std::size_t c = 0; c < header->cells.size() && c < filled.size(); ++c) {
      const TableCell& key = header->cells[c];
      if (filled[c] || key.text.empty() || key.sum) continue;
      filled[c] = true;
      writeCell(static_cast<lxw_col_t>(c), key, Style::kKey);
      if (key.isNumber) count(c, numberOf(key));
    }
  }
}

// The table's filter, frozen headings and column widths. In constant-memory
// mode a range must end at or after the row being written: this comes before
// anything below the table.
void XlsxReport::finishSheet() {
  Sheet& sheet = sheets_.back();
  if (sheet.finished) return;
  sheet.finished = true;
  const lxw_col_t columns = static_cast<lxw_col_t>(table_.columns().size());
  if (columns == 0 || sheet.tableEnd <= sheet.headingRow) return;  // no table on it
  worksheet_freeze_panes(sheet.sheet, sheet.headingRow + 1, 0);
  setFilter();
  check(worksheet_repeat_rows(sheet.sheet, sheet.headingRow, sheet.headingRow), "print titles");
  for (lxw_col_t c = 0; c < columns; ++c) {
    const double width = std::clamp(sheet.widths[c] * 1.1 + 2.0, 6.0, 80.0);
    check(worksheet_set_column(sheet.sheet, c, c, width, nullptr), "column width");
  }
}

void XlsxReport::setFilter() {
  Sheet& sheet = sheets_.back();
  const lxw_col_t columns = static_cast<lxw_col_t>(table_.columns().size());
  if (sheet.filtered || columns == 0 || sheet.row <= sheet.headingRow + 1) return;
  sheet.filtered = true;
  check(worksheet_autofilter(sheet.sheet, sheet.headingRow, 0, sheet.row - 1, columns - 1),
        "autofilter");
}

void XlsxReport::write() {
  lxw_doc_properties properties = {};
  const std::string title = table_.title();
  properties.title = const_cast<char*>(title.c_str());
  check(workbook_set_properties(workbook_, &properties), "properties");
  newSheet();
  writeTitle();
  writeHeadings();
  all_ = Range{0, sheets_.back().row, std::vector<double>(table_.columns().size())};
  for (ReportTable::Cursor rows(table_); rows.next();) writeRow(rows.row(), rows.openGroups());
  finishSheet();
  if (!table_.pageFooter().empty()) {
    if (sheets_.back().row + 1 + table_.pageFooter().size() > sheetRows_) newSheet();
    ++sheets_.back().row;
    writeLabelled(table_.pageFooter());
  }
  lxw_workbook* workbook = workbook_;
  workbook_ = nullptr;
  check(workbook_close(workbook), "writing the file");
}

}  // namespace

void writeXlsxReport(std::ostream& out, const Report& report) {
  writeXlsxReport(out, report, kSheetRows);
}

void writeXlsxReport(std::ostream& out, const Report& report, std::uint32_t sheetRows) {
  ScratchFile file(".xlsx");
  XlsxReport(report, file.path(), sheetRows).write();
  std::ifstream in(file.path(), std::ios::binary);
  if (!in) throw OutputError("spreadsheet: cannot read the scratch file back");
  out << in.rdbuf();
}

BOM_REPORT_FORMAT(xlsx, ".xlsx", 60, kBinary,
                  ReportFormat::kPaper | ReportFormat::kLandscape | ReportFormat::kDate,
                  "a worksheet with numbers as numbers, outline levels and an autofilter",
                  writeXlsxReport);

}  // namespace bomreport
