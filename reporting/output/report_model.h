// ReportModel: an evaluated report as every writer reads it.
//
// The engine gives every value of a report as its display text. The model
// reads the evaluated tree once and types each value where the writers ask
// for it, so that no writer reads a display text as a number on its own:
//   - the exact value behind the text (ExactValues: the row's number, or the
//     sum of the rows a closing item covers, added up once for every group),
//     in the unit the text shows;
//   - whether the display text reads as a number, and as which (its value,
//     its decimals): what the formats for people align and round;
//   - kMissing where the text is the template's placeholder for a number no
//     row gave ("0.00"), which every format shows blank (null in JSON).
//
// Thread-safety: const after construction; any number of threads may ask at
// once. The trees and units the report points into must outlive the model.
#ifndef BOMREPORT_OUTPUT_REPORT_MODEL_H_
#define BOMREPORT_OUTPUT_REPORT_MODEL_H_

#include <cstddef>
#include <string_view>
#include <utility>
#include <vector>

#include "BomReportWriter.h"
#include "output/exact_values.h"
#include "output/report_tree.h"
#include "text/display_number.h"

namespace bomreport {

// One tuple of an evaluated item, typed.
struct ReportCell {
  ReportCell() = default;
  // A copy shows its own copy of a text it holds.
  ReportCell(const ReportCell& other) { *this = other; }
  ReportCell& operator=(const ReportCell& other);

  const QelBomDataTuple* tuple = nullptr;  // in the tree: its token and value
  // The display text: the tree's own text, or one the cell holds of a value
  // that is no text. Valid while the tree lives and the cells are not asked
  // for again.
  const QelString& text() const { return *text_; }
  bool visible = false;  // not a grouping, sorting or filter directive
  // Whether the display text reads as a number, and as which (read when first
  // asked, by the one rule of display_number.h).
  bool isNumber() const;
  const DisplayNumber& shown() const;  // REQUIRES: isNumber()
  // The value behind the text, of visible cells only (kUnknown for the
  // others); kMissing: none, shown blank.
  ExactValue exact;

 private:
  friend class ReportModel;
  const QelString* text_ = nullptr;
  QelString converted_;  // the text of a value that is no text
  mutable signed char read_ = -1;  // isNumber(): -1 not read yet
  mutable DisplayNumber shown_;
};

// The cells of one line as ReportModel::cellsOf fills them, and what filling
// them keeps from line to line. Not thread-safe: one per thread, reused line
// after line.
class LineCells {
 public:
  std::size_t size() const { return cells_.size(); }
  const ReportCell& operator[](std::size_t i) const { return cells_[i]; }
  std::vector<ReportCell>::const_iterator begin() const { return cells_.begin(); }
  std::vector<ReportCell>::const_iterator end() const { return cells_.end(); }

 private:
  friend class ReportModel;
  std::vector<ReportCell> cells_;
  // Which tuples are shown, by the texts of an item's tokens: the items of
  // one section share the very texts of its tokens. Of the model model_ only.
  struct Shape {
    std::vector<const char16_t*> tokens;
    std::vector<char> visible;  // by tuple
  };
  std::vector<Shape> shapes_;
  std::vector<ExactValue> exact_;
  ExactValues::Scratch scratch_;
  unsigned long long model_ = 0;
};

class ReportModel {
 public:
  // The items below report.output. REQUIRES: report.output is non-null.
  explicit ReportModel(const Report& report) : ReportModel(*report.output, report) {}
  // The items below `output`, exact numbers from `report`'s rows and levels
  // (none without them: the display texts are all there is).
  ReportModel(const QelBomTemplateItem& output, const Report& report);
  ReportModel(const ReportModel&) = delete;
  ReportModel& operator=(const ReportModel&) = delete;

  // Every item below the output, in report order.
  const std::vector<ReportLine>& lines() const { return lines_; }
  // The cells of lines()[at], one per tuple, into `out`.
  void cellsOf(std::size_t at, LineCells& out) const;

 private:
  // Which tuples of `tuples` are shown.
  static const std::vector<char>& visibleOf(const QelArray<QelBomDataTuple>& tuples,
                                            LineCells& out);

  unsigned long long id_;  // tells the models of a process apart
  std::vector<ReportLine> lines_;
  ExactValues exact_;  // over lines_
};

// Whether a text that is no cell of the report (a heading, a handle) reads
// as a number, by the rule the cells are read by.
bool readsAsNumber(std::string_view text);

}  // namespace bomreport

#endif  // BOMREPORT_OUTPUT_REPORT_MODEL_H_
