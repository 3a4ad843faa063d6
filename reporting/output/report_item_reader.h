// ReportItemReader: an evaluated report's items one at a time, as
// reportItems (BomReportItems.h) gives them all: for a reader that needs
// only some of them in full (the revision list reads every line's display
// texts but makes items only of the lines that changed).
//
// Thread-safety: const after construction. The report's trees must outlive it.
#ifndef BOMREPORT_OUTPUT_REPORT_ITEM_READER_H_
#define BOMREPORT_OUTPUT_REPORT_ITEM_READER_H_

#include <vector>

#include "BomReportItems.h"
#include "output/report_model.h"

namespace bomreport {

class ReportItemReader {
 public:
  explicit ReportItemReader(const Report& report) : ReportItemReader(*report.output, report) {}
  // The items below `output`, exact numbers from `report`'s rows (none
  // without them).
  ReportItemReader(const QelBomTemplateItem& output, const Report& report)
      : model_(output, report) {}
  // Every item below the output template, in report order.
  const std::vector<ReportLine>& lines() const { return model_.lines(); }
  // lines()[at] as reportItems gives it.
  ReportItem item(std::size_t at) const;

 private:
  ReportModel model_;
};

}  // namespace bomreport

#endif  // BOMREPORT_OUTPUT_REPORT_ITEM_READER_H_
