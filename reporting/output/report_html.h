// The "html" report format: a self-contained printable HTML page.
#ifndef BOMREPORT_OUTPUT_REPORT_HTML_H_
#define BOMREPORT_OUTPUT_REPORT_HTML_H_

#include <ostream>
#include <string>
#include <string_view>

#include "BomReportWriter.h"

namespace bomreport {

void writeHtmlReport(std::ostream& out, const Report& report);

// `text` with & < > " ' as HTML's character references.
std::string escapeHtml(std::string_view text);

}  // namespace bomreport

#endif  // BOMREPORT_OUTPUT_REPORT_HTML_H_
