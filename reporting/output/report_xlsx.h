// The "xlsx" report format: a spreadsheet whose numbers are numbers, with the
// groups as outline levels.
#ifndef BOMREPORT_OUTPUT_REPORT_XLSX_H_
#define BOMREPORT_OUTPUT_REPORT_XLSX_H_

#include <cstdint>
#include <ostream>

#include "BomReportWriter.h"

namespace bomreport {

// A sheet holds kSheetRows rows; a longer report goes on in further sheets.
constexpr std::uint32_t kSheetRows = 1048576;

void writeXlsxReport(std::ostream& out, const Report& report);
// The same with at most `sheetRows` rows a sheet, for tests of the overflow.
void writeXlsxReport(std::ostream& out, const Report& report, std::uint32_t sheetRows);

}  // namespace bomreport

#endif  // BOMREPORT_OUTPUT_REPORT_XLSX_H_
