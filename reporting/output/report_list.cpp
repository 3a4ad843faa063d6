#include "output/report_list.h"
#include "input/text_util.h"
#include "output/report_used.h"

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

}  // namespace bomreport
