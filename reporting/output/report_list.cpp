#include "output/report_list.h"
#include "text/text_util.h"
#include "output/report_used.h"
#include "output/report_format.h"

namespace bomreport {

void writeListReport(std::ostream& out, const Report& report) {
  QelString text;
  report.output->list(text, 0, 1, 1);
  out << toUtf8(text);
  if (report.used != nullptr) {
    out << "\n\n";
    writeUsedText(out, *report.used);
  }
}

BOM_REPORT_FORMAT(list, "", 20, kText,
                  "the report as the engine lists it, one item per line",
                  writeListReport);

}  // namespace bomreport
