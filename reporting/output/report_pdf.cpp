// The PDF report, laid out as ReportTable gives it, on A4 portrait unless the
// options say otherwise:
//
//   Steel frame, hall 1: bill of materials        steel-parts.csv · 2026-12-07   running head
//   ---------------------------------------------------------------------
//   Steel frame, hall 1: bill of materials                     title block (page 1)
//   MNum  MName  PNum ...           Quantity  Length [mm]  Weight [kg]      headings
//   B1    BEAM                                               (continued)  open groups
//   ...
//   ---------------------------------------------------------------------
//                                                              Page 2 of 7
//
// With a page header in the template, its texts are the running head, before
// the date; a page footer's texts lead the footer line. Headings (with units) and
// the header rows of the groups a page starts inside, marked "(continued)",
// open every page. Rows are one line each and never split; a group header is
// not left alone at the foot of a page. Numbers are right-aligned in tabular
// figures; headers are shaded and bold; footers are ruled, labelled "Σ ..."
// and their sums bold. Columns are as wide as their widest text. On wider paper
// the type grows with the page's width (8 pt on A4 portrait, up to 12 pt) as
// far as the table fits, and the columns share the room left, so that the
// table spans the printable width; a table wider than the page shrinks to fit,
// a text column counting at most half the table at 8 pt, so that one long
// text does not shrink every column: the widest text columns are narrowed
// instead (and below 2 pt all of them), their texts cut with "…" and each
// such column warned of (Report::writerWarnings).
//
// Memory: the table is walked twice, once to count the pages ("Page N of M")
// and once to draw them; each page is written out as soon as it is complete.
#include "output/report_pdf.h"

#include <algorithm>
#include <string>
#include <vector>

#include "output/paper.h"
#include "output/pdf_canvas.h"
#include "output/report_coverage.h"
#include "output/report_table.h"
#include "output/report_format.h"
#include "text/text_util.h"

namespace bomreport {
namespace {

constexpr double kMillimetre = 72.0 / 25.4;
constexpr double kMarginX = 14 * kMillimetre;
constexpr double kMarginY = 12 * kMillimetre;
constexpr double kBodySize = 8.0;
constexpr double kMinBodySize = 2.0;  // below it texts are cut rather than shrunk
constexpr double kMaxBodySize = 12.0;
constexpr double kA4Width = 595.276;  // A4 portrait, where the table is set at kBodySize
constexpr double kHeadSize = 7.0;
constexpr double kTitleSize = 14.0;
constexpr double kInfoSize = 8.0;
constexpr double kPadding = 3.0;  // in a cell, on either side
constexpr double kRowFactor = 1.55;

constexpr Color kInk{0.07, 0.07, 0.07};
constexpr Color kGrey{0.35, 0.35, 0.35};
constexpr Color kRule{0.54, 0.60, 0.66};
constexpr Color kShades[] = {{0.875, 0.902, 0.933}, {0.929, 0.945, 0.961}, {0.961, 0.969, 0.976}};

const char kContinued[] = "(continued)";
const char kContinuedInMargin[] = "(cont.)";

// Where things go on a page, in points from its top left corner.
struct Layout {
  PageSize page;
  double left, right;  // the table's edges
  double headTop, bodyTop, bodyBottom, footTop;
  double size;  // of the table's text
  double rowHeight;
  std::vector<double> x, width;  // of each column
  std::vector<bool> narrowed;    // [c]: narrower than its widest text
};

// Widths at `size`: the widest text and the padding.
std::vector<double> naturalWidths(const ReportTable& table, double size) {
  std::vector<double> widths;
  for (const TableColumn& column : table.columns()) {
    widths.push_back(column.width * size + 2 * kPadding);
  }
  return widths;
}

double sum(const std::vector<double>& values) {
  double total = 0;
  for (double value : values) total += value;
  return total;
}

// Narrows the widest text columns to a common cap so that the table fits
// `available`; when numbers alone are too wide, every column shrinks alike.
void narrowToFit(const ReportTable& table, double available, std::vector<double>& widths) {
  double numbers = 0;
  std::vector<double> texts;
  for (std::size_t c = 0; c < widths.size(); ++c) {
    if (table.columns()[c].numeric) {
      numbers += widths[c];
    } else {
      texts.push_back(widths[c]);
    }
  }
  const double room = available - numbers;
  const double minimum = 4 * kPadding;
  if (texts.empty() || room < minimum * static_cast<double>(texts.size())) {
    const double scale = available / sum(widths);
    for (double& width : widths) width *= scale;
    return;
  }
  // The cap c with sum(min(w, c)) == room, found over the sorted widths.
  std::sort(texts.begin(), texts.end());
  double below = 0;
  double cap = texts.back();
  for (std::size_t i = 0; i < texts.size(); ++i) {
    const double candidate = (room - below) / static_cast<double>(texts.size() - i);
    if (candidate <= texts[i]) {
      cap = candidate;
      break;
    }
    below += texts[i];
  }
  for (std::size_t c = 0; c < widths.size(); ++c) {
    if (!table.columns()[c].numeric) widths[c] = std::min(widths[c], cap);
  }
}

// The width of the table's texts at size 1 that chooses its size: a text
// column counts at most half the table at the body size, so that one long
// text is cut with an ellipsis instead of shrinking every column.
double sizingWidth(const ReportTable& table, double available) {
  const double longest = available / 2 / kBodySize;
  double total = 0;
  for (const TableColumn& column : table.columns()) {
    total += column.numeric ? column.width : std::min(column.width, longest);
  }
  return total;
}

Layout makeLayout(const ReportTable& table, const PdfFonts& fonts, PageSize page) {
  Layout layout;
  layout.page = page;
  layout.left = kMarginX;
  layout.right = page.width - kMarginX;
  const double headLine = fonts.lineHeight() * kHeadSize;
  layout.headTop = kMarginY;
  layout.bodyTop = kMarginY + headLine + 8;
  layout.footTop = page.height - kMarginY - headLine;
  layout.bodyBottom = layout.footTop - 8;

  const double available = layout.right - layout.left;
  const double padding = 2 * kPadding * static_cast<double>(table.columns().size());
  const double textWidth = sizingWidth(table, available);
  layout.size = std::min(kMaxBodySize, kBodySize * std::max(1.0, page.width / kA4Width));
  if (textWidth > 0 && textWidth * layout.size + padding > available) {
    layout.size = std::max(kMinBodySize, (available - padding) / textWidth);
  }
  layout.rowHeight = layout.size * kRowFactor;
  layout.width = naturalWidths(table, layout.size);
  const double total = sum(layout.width);
  if (total > available) {
    narrowToFit(table, available, layout.width);
  } else if (total > 0) {
    // The room left is shared out in proportion to the widths.
    for (double& width : layout.width) width *= available / total;
  }
  for (std::size_t c = 0; c < layout.width.size(); ++c) {
    const double natural = table.columns()[c].width * layout.size + 2 * kPadding;
    layout.narrowed.push_back(natural > layout.width[c] + 1e-6);
  }
  double x = layout.left;
  for (double width : layout.width) {
    layout.x.push_back(x);
    x += width;
  }
  layout.right = std::min(layout.right, x);
  return layout;
}

// Lays the report out on pages; with a canvas it draws them, without one it
// only counts them.
class Pages {
 public:
  Pages(const Report& report, const ReportTable& table, const Layout& layout, const PdfFonts& fonts,
        PdfCanvas* canvas, int pageCount, std::string date)
      : report_(report),
        table_(table),
        layout_(layout),
        fonts_(fonts),
        canvas_(canvas),
        pageCount_(pageCount),
        date_(std::move(date)),
        pageHeader_(joinLabelled(table.pageHeader(), "  \xC2\xB7  ")),
        pageFooter_(joinLabelled(table.pageFooter(), "  \xC2\xB7  ")) {}

  // Returns the number of pages.
  int run();
  // The texts drawn cut, by column (while drawing).
  const std::vector<long long>& cut() const { return cut_; }

 private:
  bool fits(double height) const { return y_ + height <= layout_.bodyBottom + 1e-6; }
  // The headings' row, its rule below it and a point of space.
  double headingHeight() const { return layout_.rowHeight + 3; }
  double top(double lineSize, double boxHeight) const {
    return y_ + (boxHeight - fonts_.lineHeight() * lineSize) / 2;
  }
  void startPage();
  void drawHeadAndFoot();
  void placeLine(const std::string& text, double size, FontStyle style, Color color, double height);
  void placeTitle();
  void placeHeadings();
  void placeContinued(const std::vector<TableRow>& groups);
  void placeRow(const TableRow& row, bool continued);
  void drawInColumn(std::size_t column, double textTop, const std::string& text, FontStyle style);
  void drawCells(const TableRow& row);
  void drawMarks(const TableRow& row, bool continued);

  const Report& report_;
  const ReportTable& table_;
  const Layout& layout_;
  std::vector<long long> cut_ = std::vector<long long>(table_.columns().size());
  const PdfFonts& fonts_;
  PdfCanvas* canvas_;  // null: counting
  int pageCount_;
  std::string date_;
  std::string pageHeader_, pageFooter_;  // the template's, on one line
  int page_ = 0;
  double y_ = 0;
};

int Pages::run() {
  startPage();
  placeTitle();
  bool started = false;
  if (!table_.columns().empty()) {
    for (ReportTable::Cursor rows(table_); rows.next();) {
      const TableRow& row = rows.row();
      double need = layout_.rowHeight;
      if (row.kind == RowKind::kHeader && row.opensGroup) need += layout_.rowHeight;
      if (!started) need += headingHeight();
      if (!fits(need) && y_ > layout_.bodyTop) {
        startPage();
        if (started) {
          placeHeadings();
          placeContinued(rows.openGroups());
        }
      }
      if (!started) {
        placeHeadings();
        started = true;
      }
      placeRow(row, false);
    }
  }
  if (canvas_ != nullptr) canvas_->endPage();
  return page_;
}

void Pages::startPage() {
  if (page_ > 0 && canvas_ != nullptr) canvas_->endPage();
  ++page_;
  y_ = layout_.bodyTop;
  if (canvas_ != nullptr) drawHeadAndFoot();
}

void Pages::drawHeadAndFoot() {
  const double width = layout_.page.width - 2 * kMarginX;
  const double left = kMarginX;
  const double right = layout_.page.width - kMarginX;
  const double headTop = layout_.headTop;
  const std::string lead = table_.pageHeader().empty() ? table_.title() : pageHeader_;
  canvas_->text(left, headTop, width * 0.6, lead, kHeadSize,
                table_.pageHeader().empty() ? FontStyle::kBold : FontStyle::kRegular, Align::kLeft,
                kGrey);
  const std::string source =
      table_.pageHeader().empty() ? report_.dataName + "  \xC2\xB7  " + date_ : date_;
  canvas_->text(right, headTop, width * 0.35, source, kHeadSize, FontStyle::kRegular, Align::kRight,
                kGrey);
  const double headRule = headTop + fonts_.lineHeight() * kHeadSize + 2;
  canvas_->rule(left, right, headRule, 0.5, kRule);
  canvas_->rule(left, right, layout_.footTop - 2, 0.5, kRule);
  canvas_->text(left, layout_.footTop, width * 0.75, pageFooter_, kHeadSize, FontStyle::kRegular,
                Align::kLeft, kGrey);
  canvas_->text(right, layout_.footTop, width * 0.2,
                "Page " + std::to_string(page_) + " of " + std::to_string(pageCount_), kHeadSize,
                FontStyle::kRegular, Align::kRight, kGrey);
}

// A line of the title block, on the next page when this one is full.
void Pages::placeLine(const std::string& text, double size, FontStyle style, Color color,
                      double height) {
  if (!fits(height)) startPage();
  if (canvas_ != nullptr) {
    canvas_->text(layout_.left, top(size, height), layout_.page.width - 2 * kMarginX, text, size,
                  style, Align::kLeft, color);
  }
  y_ += height;
}

void Pages::placeTitle() {
  placeLine(table_.title(), kTitleSize, FontStyle::kBold, kInk, kTitleSize * 1.5);
  for (const LabelledText& line : table_.titleDetails()) {
    placeLine(line.label + ": " + line.text, kInfoSize, FontStyle::kRegular, kInk, kInfoSize * 1.5);
  }
  placeLine("Template: " + report_.templateName + "  \xC2\xB7  Parts: " +
                sourceLine(report_, "  \xC2\xB7  "),
            kInfoSize - 1, FontStyle::kRegular, kGrey, kInfoSize * 1.5);
  y_ += 6;
}

void Pages::placeHeadings() {
  const double height = layout_.rowHeight + 2;
  if (canvas_ != nullptr) {
    const std::vector<TableColumn>& columns = table_.columns();
    for (std::size_t c = 0; c < columns.size(); ++c) {
      drawInColumn(c, top(layout_.size, height), columns[c].heading, FontStyle::kBold);
    }
    canvas_->rule(layout_.left, layout_.right, y_ + height, 0.8, kInk);
  }
  y_ += headingHeight();
}

// The header rows of the groups a page starts inside, the innermost that fit
// in half a page.
void Pages::placeContinued(const std::vector<TableRow>& groups) {
  const double room = (layout_.bodyBottom - layout_.bodyTop) / 2;
  const std::size_t most = static_cast<std::size_t>(std::max(0.0, room / layout_.rowHeight));
  const std::size_t first = groups.size() > most ? groups.size() - most : 0;
  for (std::size_t g = first; g < groups.size(); ++g) placeRow(groups[g], true);
}

void Pages::placeRow(const TableRow& row, bool continued) {
  if (canvas_ != nullptr) {
    if (row.kind == RowKind::kHeader) {
      canvas_->fill(layout_.left, y_, layout_.right - layout_.left, layout_.rowHeight,
                    kShades[std::min(row.level, 2)]);
    } else if (row.kind == RowKind::kFooter) {
      const bool report = row.type == QelBomTemplateItem::kReportFooter;
      canvas_->rule(layout_.left, layout_.right, y_, report ? 1.0 : 0.5, report ? kInk : kRule);
    }
    drawCells(row);
    drawMarks(row, continued);
  }
  y_ += layout_.rowHeight;
}

// A column of numbers is right-aligned, any other left-aligned.
void Pages::drawInColumn(std::size_t column, double textTop, const std::string& text,
                         FontStyle style) {
  const bool right = table_.columns()[column].numeric;
  const double x = layout_.x[column];
  const double width = layout_.width[column];
  if (layout_.narrowed[column] &&
      fonts_.width(text, style == FontStyle::kBold) * layout_.size > width - kPadding) {
    ++cut_[column];
  }
  canvas_->text(right ? x + width - kPadding : x + kPadding, textTop, width - kPadding, text,
                layout_.size, style, right ? Align::kRight : Align::kLeft, kInk);
}

void Pages::drawCells(const TableRow& row) {
  const double textTop = top(layout_.size, layout_.rowHeight);
  for (std::size_t c = 0; c < row.cells.size(); ++c) {
    const TableCell& cell = row.cells[c];
    if (cell.text.empty()) continue;
    const bool bold = row.kind == RowKind::kHeader || cell.sum;
    drawInColumn(c, textTop, cell.text, bold ? FontStyle::kBold : FontStyle::kRegular);
  }
}

// A footer's label in the empty cells before its first value; a continued
// header's mark after its last value, else before its first, else in the
// margin.
void Pages::drawMarks(const TableRow& row, bool continued) {
  const double textTop = top(layout_.size, layout_.rowHeight);
  const int first = row.firstFilled();
  if (!row.label.empty() && first > 0) {
    canvas_->text(layout_.left + kPadding, textTop, layout_.x[first] - layout_.left - 2 * kPadding,
                  row.label, layout_.size, FontStyle::kItalic, Align::kLeft, kInk);
  }
  if (!continued) return;
  const std::size_t after = static_cast<std::size_t>(row.lastFilled() + 1);
  if (after < layout_.x.size()) {
    canvas_->text(layout_.x[after] + kPadding, textTop, layout_.right - layout_.x[after] - kPadding,
                  kContinued, layout_.size, FontStyle::kItalic, Align::kLeft, kGrey);
  } else if (first > 0) {
    canvas_->text(layout_.left + kPadding, textTop, layout_.x[first] - layout_.left - 2 * kPadding,
                  kContinued, layout_.size, FontStyle::kItalic, Align::kLeft, kGrey);
  } else {
    canvas_->text(layout_.left - 2, textTop, kMarginX - 4, kContinuedInMargin, layout_.size * 0.8,
                  FontStyle::kItalic, Align::kRight, kGrey);
  }
}

// A warning for each column whose texts were drawn cut.
void warnOfCuts(const ReportTable& table, const std::vector<long long>& cut,
                std::vector<ReportWarning>& warnings) {
  for (std::size_t c = 0; c < cut.size(); ++c) {
    if (cut[c] == 0) continue;
    ReportWarning warning{WarningKind::kTextsCut};
    warning.rows = cut[c];
    warning.text = "the PDF cuts " + std::to_string(cut[c]) +
                   (cut[c] == 1 ? " text" : " texts") + " of the column " +
                   quoteForMessage(table.columns()[c].heading) +
                   " to fit the page, each ending in \u2026";
    warning.cure = "print on wider paper (" + optionReference("paper=a3") + ", " +
                   optionReference("landscape") +
                   "), or write HTML, XLSX or CSV, which hold every text whole";
    warnings.push_back(std::move(warning));
  }
}

}  // namespace

void writePdfReport(std::ostream& out, const Report& report) {
  const WriterOptions options = report.options != nullptr ? *report.options : WriterOptions();
  const PdfFonts fonts;
  const ReportTable table(report, &fonts);
  const Layout layout = makeLayout(table, fonts, pageSize(options.paper, options.landscape));
  const std::string date = reportDate(&options);
  const int pages = Pages(report, table, layout, fonts, nullptr, 0, date).run();
  PdfCanvas canvas(out, layout.page, fonts, table.title());
  Pages drawn(report, table, layout, fonts, &canvas, pages, date);
  drawn.run();
  canvas.finish();
  if (report.writerWarnings != nullptr) warnOfCuts(table, drawn.cut(), *report.writerWarnings);
}

BOM_REPORT_FORMAT(pdf, ".pdf", 70, kBinary,
                  ReportFormat::kPaper | ReportFormat::kLandscape | ReportFormat::kDate,
                  "pages of a table with the title and page sections on every page",
                  writePdfReport);

}  // namespace bomreport
