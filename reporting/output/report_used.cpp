#include "output/report_used.h"
#include "text/text_util.h"

namespace bomreport {

std::vector<UsedEntry> usedEntries(QelBomData& data) {
  QelArray<QelArray<QelString>> handles;
  QelArray<QelArray<QelString>> tokens;
  data.getUsedHandlesAndTokens(handles, tokens);
  std::vector<UsedEntry> entries(static_cast<std::size_t>(handles.count()));
  for (int i = 0; i < handles.count(); ++i) {
    for (const QelString& handle : handles[i]) entries[i].handles.push_back(toUtf8(handle));
    for (const QelString& token : tokens[i]) entries[i].tokens.push_back(toUtf8(token));
  }
  return entries;
}

void writeUsedText(std::ostream& out, QelBomData& data) {
  out << "Used handles and tokens:\n";
  for (const UsedEntry& entry : usedEntries(data)) {
    std::string line;
    for (const std::string& handle : entry.handles) line += (line.empty() ? "" : " ") + handle;
    line += ':';
    for (const std::string& token : entry.tokens) line += ' ' + token;
    out << line << '\n';
  }
}

}  // namespace bomreport
