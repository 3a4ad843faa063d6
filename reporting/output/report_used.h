// The used handles and tokens of a data set after an evaluation, for the
// writers that append them to a report.
#ifndef BOMREPORT_OUTPUT_REPORT_USED_H_
#define BOMREPORT_OUTPUT_REPORT_USED_H_

#include <ostream>
#include <string>
#include <vector>

#include "VRKBomEngine.h"

namespace bomreport {

// One entry per row that reached the report.
struct UsedEntry {
  std::vector<std::string> handles;  // the row's handle, then its equal parts
  std::vector<std::string> tokens;   // the tokens used, in tuple order
};
std::vector<UsedEntry> usedEntries(QelBomData& data);

// Text block "Used handles and tokens:" with one "HANDLES: TOKENS" line each.
void writeUsedText(std::ostream& out, QelBomData& data);

}  // namespace bomreport

#endif  // BOMREPORT_OUTPUT_REPORT_USED_H_
