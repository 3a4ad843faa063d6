#include "BomReportJob.h"
#include "text/text_util.h"

namespace bomreport {

void writeTokenTrace(std::ostream& out, const TokenTrace& trace) {
  out << "Token trace:\n";
  for (const std::string& token : trace.tokens) out << token << '\n';
  out << "Filter object types:";
  if (trace.filterObjTypes.empty()) out << " (none)";
  for (int type : trace.filterObjTypes) out << ' ' << type;
  out << '\n';
}

}  // namespace bomreport
