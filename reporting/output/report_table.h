// The report as a table, for the formats people read and print (HTML, XLSX,
// PDF). Of the evaluated items,
//   - the first report header directly below the output template is the title
//     block: its visible tuples, shown above the table;
//   - the first page header and the first page footer stand apart, for the
//     formats to repeat on every page (the engine leaves pages to its host);
//   - every other item is a row, with a cell per column: a column per visible
//     token in order of first appearance, a sum in the column of the token it
//     sums, headed "Weight [kg]" (report_labels.h), or by the template's
//     caption; a column of reals shows one number of decimals (column_styles.h).
// A footer row is labelled with "Σ" and the texts of the group header it closes
// ("Σ B1 BEAM"), or "Σ Total" when it closes the report.
#ifndef BOMREPORT_OUTPUT_REPORT_TABLE_H_
#define BOMREPORT_OUTPUT_REPORT_TABLE_H_

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "BomReportWriter.h"
#include "output/column_styles.h"
#include "output/report_model.h"

namespace bomreport {

enum class RowKind { kHeader, kDetails, kFooter };

struct TableCell {
  std::string text;       // the display text; empty for an empty cell
  bool sum = false;       // the value of a "%SumBy:" tuple
  bool isNumber = false;  // the text reads as a number, which is `number`
  DisplayNumber number;
  ExactValue exact;       // the number behind the text, where known
};

struct TableRow {
  RowKind kind = RowKind::kDetails;
  int type = 0;                  // the section type
  int level = 0;                 // rows around it: 0 for the outermost rows
  bool opensGroup = false;       // rows of its own follow it
  std::vector<TableCell> cells;  // one per column
  std::string label;             // a footer's "Σ ..." label; empty otherwise

  // The first and last column with a text; -1 when every cell is empty.
  int firstFilled() const;
  int lastFilled() const;
};

struct TableColumn {
  std::string heading;  // "Weight [kg]"
  // Every text in it reads as a number, and its token is no text of the
  // catalogue: its numbers are numbers, right-aligned.
  bool numeric = true;
  int decimals = -1;    // what every real of a numeric column shows; -1: no reals
  double width = 0.0;   // the widest text, heading included, as the measure gives it
};

// A visible tuple of the title block or of a page header or footer.
struct LabelledText {
  std::string label;  // "Weight [kg]", "Σ Weight [kg]"
  std::string text;
  bool isNumber = false;  // the text reads as a number, which is `number`
  DisplayNumber number;
};

// "Label: text", one after the other with `separator` between them: a page
// header or footer on one line.
std::string joinLabelled(const std::vector<LabelledText>& texts, std::string_view separator);

// How wide a writer sets a text; bold for headings, header rows and sums.
class TextMeasure {
 public:
  virtual ~TextMeasure() = default;
  virtual double width(std::string_view utf8, bool bold) const = 0;
};

// Not thread-safe: one table, and one cursor over it at a time, per thread.
class ReportTable {
 public:
  // Reads the report's tree once. `measure` (may be null: widths stay 0) sizes
  // the columns. The report's tree and units must outlive the table.
  ReportTable(const Report& report, const TextMeasure* measure);

  // The first text of the title block; "Bill of materials" without one.
  const std::string& title() const { return title_; }
  // The title block's other texts.
  const std::vector<LabelledText>& titleDetails() const { return titleDetails_; }
  const std::vector<LabelledText>& pageHeader() const { return pageHeader_; }
  const std::vector<LabelledText>& pageFooter() const { return pageFooter_; }
  const std::vector<TableColumn>& columns() const { return columns_; }
  // Whether any row is a footer (a group's sums below its rows).
  bool hasFooters() const { return hasFooters_; }

  // The rows in report order:  for (Cursor rows(table); rows.next();) rows.row()
  class Cursor {
   public:
    explicit Cursor(const ReportTable& table) : table_(table) {}
    bool next();  // false after the last row
    const TableRow& row() const { return row_; }
    // The header rows of the groups the current row lies in, outermost first;
    // a footer lies in the group it closes.
    const std::vector<TableRow>& openGroups() const { return openRows_; }

   private:
    void finishRow();
    bool advance();  // to the next line that is a row; keeps the levels

    const ReportTable& table_;
    std::size_t next_ = 0;         // the next line to read
    int depth_ = 0;                // the current row's depth in the tree
    std::vector<int> levelAbove_;  // [d]: table rows among the ancestors up to depth d
    std::vector<int> openDepths_;  // the depths of openRows_
    std::vector<TableRow> openRows_;
    bool closesGroup_ = false;  // the current row is the footer of openRows_.back()
    bool started_ = false;
    TableRow row_;
  };

 private:
  enum class Role { kRow, kTitle, kPageHeader, kPageFooter };

  Role roleOf(std::size_t line) const;
  void readTree(const TextMeasure* measure);
  void measureColumns(const TextMeasure& measure);
  // The first text of the title block is the title, the others its details.
  void splitTitle(std::vector<LabelledText> block);
  void fillCells(std::size_t line, TableRow& row) const;
  std::vector<LabelledText> texts(std::size_t line) const;

  const ReportUnits* units_;
  const ColumnStyles* styles_;  // may be null
  ReportModel model_;
  const std::vector<ReportLine>& lines_;  // the model's
  std::size_t titleLine_, pageHeaderLine_, pageFooterLine_;  // lines_.size(): none
  std::string title_;
  std::vector<LabelledText> titleDetails_, pageHeader_, pageFooter_;
  mutable ColumnIndex index_{true};  // mapping tuples to columns
  mutable std::vector<int> cellColumns_;
  mutable LineCells lineCells_;
  std::vector<TableColumn> columns_;
  std::vector<ColumnDecimals> decimals_;  // by column
  bool hasFooters_ = false;
};

}  // namespace bomreport

#endif  // BOMREPORT_OUTPUT_REPORT_TABLE_H_
