// The "json" report format: the output tree in the template file format, with each item's first
// row.
#ifndef BOMREPORT_OUTPUT_REPORT_JSON_H_
#define BOMREPORT_OUTPUT_REPORT_JSON_H_

#include <ostream>

#include "BomReportWriter.h"

namespace bomreport {

void writeJsonReport(std::ostream& out, const Report& report);

}  // namespace bomreport

#endif  // BOMREPORT_OUTPUT_REPORT_JSON_H_
