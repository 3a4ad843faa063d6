// The revision list as JSON:
//   {"template": ..., "before": ..., "after": ...,
//    "counts": {"added": 1, "removed": 1, "changed": 2, "unchanged": 40},
//    "lines": [{"change": "changed", "type": "kDetails", "groups": [...], "key": "P12",
//               "values": [{"token": "%Quantity", "before": 2, "after": 3,
//                           "difference": 1}, ...]}, ...],
//    "moves": [{"handle": ..., "from": ..., "to": ...}]}
// Footers are lines of change "sum". Numbers are exact; a side without the
// value is left out.
#include "output/revisions_formats.h"
#include "text/display_number.h"
#include "text/json_text.h"

namespace bomreport {
namespace {

std::string jsonOf(const ReportValue& value) {
  if (value.kind == ReportValue::Kind::kInteger || value.kind == ReportValue::Kind::kReal) {
    return shortestNumberText(value.number);
  }
  return value.kind == ReportValue::Kind::kNone ? "null" : jsonString(value.text);
}

std::string jsonList(const std::vector<std::string>& texts) {
  std::string list = "[";
  for (const std::string& text : texts) list += (list.size() > 1 ? ", " : "") + jsonString(text);
  return list + "]";
}

void writeValue(std::ostream& out, const RevisionValue& value) {
  out << "{\"token\": " << jsonString(value.token);
  if (value.before) out << ", \"before\": " << jsonOf(*value.before);
  if (value.after) out << ", \"after\": " << jsonOf(*value.after);
  const std::optional<double> difference = value.difference();
  if (difference) out << ", \"difference\": " << shortestNumberText(*difference);
  out << "}";
}

}  // namespace

void writeRevisionsJson(std::ostream& out, const Revisions& revisions) {
  out << "{\n  \"template\": " << jsonString(revisions.templateName)
      << ",\n  \"before\": " << jsonString(revisions.beforeName)
      << ",\n  \"after\": " << jsonString(revisions.afterName)
      << ",\n  \"counts\": {\"added\": " << revisions.added
      << ", \"removed\": " << revisions.removed << ", \"changed\": " << revisions.changed
      << ", \"unchanged\": " << revisions.unchanged << "},\n  \"lines\": [";
  const char* separator = "\n";
  for (const RevisionLine& line : revisions.lines) {
    out << separator << "    {\"change\": \""
        << (isFooterLine(line) ? "sum" : revisionChangeName(line.change))
        << "\", \"groups\": " << jsonList(line.groups)
        << ", \"key\": " << jsonString(line.key)
        << ", \"values\": [";
    for (std::size_t v = 0; v < line.values.size(); ++v) {
      out << (v > 0 ? ", " : "");
      writeValue(out, line.values[v]);
    }
    out << "]}";
    separator = ",\n";
  }
  out << "\n  ],\n  \"moves\": [";
  separator = "\n";
  for (const RevisionMove& move : revisions.moves) {
    out << separator << "    {\"handle\": " << jsonString(move.handle)
        << ", \"from\": " << jsonString(move.from) << ", \"to\": " << jsonString(move.to) << "}";
    separator = ",\n";
  }
  out << (revisions.moves.empty() ? "]\n}\n" : "\n  ]\n}\n");
}

}  // namespace bomreport
