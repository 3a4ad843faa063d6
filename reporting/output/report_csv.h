// The "csv" report format: one line per item: depth, section type, one column per visible token.
#ifndef BOMREPORT_OUTPUT_REPORT_CSV_H_
#define BOMREPORT_OUTPUT_REPORT_CSV_H_

#include <ostream>

#include "BomReportWriter.h"

namespace bomreport {

void writeCsvReport(std::ostream& out, const Report& report);

}  // namespace bomreport

#endif  // BOMREPORT_OUTPUT_REPORT_CSV_H_
