// The "pdf" report format: the report paginated for print.
#ifndef BOMREPORT_OUTPUT_REPORT_PDF_H_
#define BOMREPORT_OUTPUT_REPORT_PDF_H_

#include <ostream>

#include "BomReportWriter.h"

namespace bomreport {

void writePdfReport(std::ostream& out, const Report& report);

}  // namespace bomreport

#endif  // BOMREPORT_OUTPUT_REPORT_PDF_H_
