// The "text" report format: one line per item, indented by depth, visible tuples in aligned
// columns.
#ifndef BOMREPORT_OUTPUT_REPORT_TEXT_H_
#define BOMREPORT_OUTPUT_REPORT_TEXT_H_

#include <ostream>

#include "BomReportWriter.h"

namespace bomreport {

void writeTextReport(std::ostream& out, const Report& report);

}  // namespace bomreport

#endif  // BOMREPORT_OUTPUT_REPORT_TEXT_H_
