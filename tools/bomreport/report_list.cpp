#include "report_writers.h"
#include "text_util.h"

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
