// The report formats. Each writer reads the evaluated output tree and writes
// one complete document to `out`; with `used` set it also reports the handles
// and tokens that reached the report (QelBomData::getUsedHandlesAndTokens).
#ifndef BOMREPORT_REPORT_WRITERS_H_
#define BOMREPORT_REPORT_WRITERS_H_

#include <ostream>
#include <string>
#include <vector>

#include "VRKBomEngine.h"

namespace bomreport {

struct Report {
  const QelBomTemplate* output;  // the evaluated tree
  QelBomData* used;              // non-null: append the used handles and tokens
  std::string templateName;      // for the page's caption ("built-in default" when none)
  std::string dataName;
};

// The output template's listing, list(text, 0, 1, 1), byte for byte.
void writeListReport(std::ostream& out, const Report& report);
// One line per item, indented by depth, visible tuples in aligned columns.
void writeTextReport(std::ostream& out, const Report& report);
// One line per item: depth, section type, one column per visible token.
void writeCsvReport(std::ostream& out, const Report& report);
// The output tree in the template file format, with each item's first row.
void writeJsonReport(std::ostream& out, const Report& report);
// A self-contained printable HTML page.
void writeHtmlReport(std::ostream& out, const Report& report);

// The used handles and tokens, one entry per row that reached the report.
struct UsedEntry {
  std::vector<std::string> handles;  // the row's handle, then its equal parts
  std::vector<std::string> tokens;   // the tokens used, in tuple order
};
std::vector<UsedEntry> usedEntries(QelBomData& data);

// Text block "Used handles and tokens:" with one "HANDLES: TOKENS" line each.
void writeUsedText(std::ostream& out, QelBomData& data);

}  // namespace bomreport

#endif  // BOMREPORT_REPORT_WRITERS_H_
