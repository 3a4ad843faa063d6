#include "output/report_json.h"
#include "BomTemplateFile.h"
#include "input/json_text.h"
#include "output/report_used.h"

namespace bomreport {
namespace {

std::string jsonList(const std::vector<std::string>& items) {
  std::string text = "[";
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (i > 0) text += ", ";
    text += jsonString(items[i]);
  }
  return text + ']';
}

// The root member "used": one {"handles", "tokens"} object per row.
std::string usedMember(QelBomData& data) {
  const std::vector<UsedEntry> entries = usedEntries(data);
  if (entries.empty()) return "  \"used\": []";
  std::string text = "  \"used\": [\n";
  for (std::size_t i = 0; i < entries.size(); ++i) {
    text += "    {\"handles\": " + jsonList(entries[i].handles) +
            ", \"tokens\": " + jsonList(entries[i].tokens) + '}';
    text += i + 1 < entries.size() ? ",\n" : "\n";
  }
  return text + "  ]";
}

}  // namespace

void writeJsonReport(std::ostream& out, const Report& report) {
  TreeJsonOptions options;
  options.withRows = true;
  if (report.used != nullptr) options.extraRootMembers = usedMember(*report.used);
  writeTreeJson(out, *report.output, options);
}

}  // namespace bomreport
