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
#include <vector>

#include "BomReportWriter.h"
#include "output/exact_values.h"
#include "output/report_tree.h"
#include "text/display_number.h"

namespace bomreport {

// One tuple of an evaluated item, typed.
struct ReportCell {
  const QelBomDataTuple* tuple = nullptr;  // in the tree: its token
  QelString text;                          // the display text
  bool visible = false;   // not a grouping, sorting or filter directive
  bool isNumber = false;  // the display text reads as a number: `shown`
  DisplayNumber shown;
  // The value behind the text, of visible cells only (kUnknown for the
  // others); kMissing: none, shown blank.
  ExactValue exact;
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
  // The cells of `line` (one of lines()), one per tuple, into `out`.
  void cellsOf(const ReportLine& line, std::vector<ReportCell>& out) const;

 private:
  std::vector<ReportLine> lines_;
  ExactValues exact_;  // over lines_
};

// Whether a text that is no cell of the report (a heading, a handle) reads
// as a number, by the rule the cells are read by.
bool readsAsNumber(std::string_view text);

}  // namespace bomreport

#endif  // BOMREPORT_OUTPUT_REPORT_MODEL_H_
