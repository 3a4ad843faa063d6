#include "BomReportWriter.h"
#include "text/text_util.h"

namespace bomreport {

void writeTokenTrace(std::ostream& out, const QelArray<QelString>& tokens,
                     const QelIntArray& filterObjTypes) {
  out << "Token trace:\n";
  for (const QelString& token : tokens) out << toUtf8(token) << '\n';
  out << "Filter object types:";
  if (filterObjTypes.count() == 0) out << " (none)";
  for (int type : filterObjTypes) out << ' ' << type;
  out << '\n';
}

}  // namespace bomreport
