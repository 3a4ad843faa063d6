// The "list" report format: the output template's listing, list(text, 0, 1, 1), byte for byte.
#ifndef BOMREPORT_OUTPUT_REPORT_LIST_H_
#define BOMREPORT_OUTPUT_REPORT_LIST_H_

#include <ostream>

#include "BomReportWriter.h"

namespace bomreport {

void writeListReport(std::ostream& out, const Report& report);

}  // namespace bomreport

#endif  // BOMREPORT_OUTPUT_REPORT_LIST_H_
