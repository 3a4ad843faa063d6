// Paper sizes, as each paginated format names them.
#ifndef BOMREPORT_OUTPUT_PAPER_H_
#define BOMREPORT_OUTPUT_PAPER_H_

#include "BomReportWriter.h"

namespace bomreport {

// Width and height in PostScript points (1/72 inch), of the page as it is
// printed (turned for landscape).
struct PageSize {
  double width;
  double height;
};

PageSize pageSize(Paper paper, bool landscape);
// The name CSS's @page size takes: "A4", "A3", "letter".
const char* paperName(Paper paper);
// The spreadsheet paper code: 9 (A4), 8 (A3), 1 (Letter).
int spreadsheetPaperCode(Paper paper);

}  // namespace bomreport

#endif  // BOMREPORT_OUTPUT_PAPER_H_
