// The "html" report format: a self-contained printable HTML page.
#ifndef BOMREPORT_OUTPUT_REPORT_HTML_H_
#define BOMREPORT_OUTPUT_REPORT_HTML_H_

#include <ostream>

#include "BomReportWriter.h"

namespace bomreport {

void writeHtmlReport(std::ostream& out, const Report& report);

}  // namespace bomreport

#endif  // BOMREPORT_OUTPUT_REPORT_HTML_H_
