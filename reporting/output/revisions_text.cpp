// The revision list as text and as CSV.
#include <sstream>

#include "output/revisions_formats.h"
#include "text/display_number.h"

namespace bomreport {
namespace {

std::string joined(const std::vector<std::string>& texts, const char* separator) {
  std::string text;
  for (const std::string& piece : texts) text += (text.empty() ? "" : separator) + piece;
  return text;
}

// "Name HEA260 → HEA280; Qty 2 → 3 (+1)" for a change, every value otherwise.
std::string valuesText(const RevisionLine& line) {
  std::vector<std::string> pieces;
  for (const RevisionValue& value : line.values) {
    if (line.change == RevisionChange::kChanged && !value.changed() && !isFooterLine(line))
      continue;
    std::string piece = value.label + " ";
    if (line.change == RevisionChange::kAdded) {
      piece += shownText(value.after);
    } else if (line.change == RevisionChange::kRemoved) {
      piece += shownText(value.before);
    } else if (value.changed()) {
      piece += shownText(value.before) + " → " + shownText(value.after);
      const std::string difference = differenceText(value);
      if (!difference.empty()) piece += " (" + difference + ")";
    } else {
      piece += shownText(value.after);
    }
    pieces.push_back(piece);
  }
  return joined(pieces, "; ");
}

// A CSV field, quoted when it must be.
std::string field(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + "\"";
}

std::string exactText(const std::optional<ReportValue>& value) {
  if (!value) return std::string();
  if (value->kind == ReportValue::Kind::kInteger || value->kind == ReportValue::Kind::kReal) {
    return shortestNumberText(value->number);
  }
  return value->text;
}

}  // namespace

void writeRevisionsText(std::ostream& out, const Revisions& revisions) {
  out << "Revisions of " << revisions.templateName << ": " << revisions.beforeName << " → "
      << revisions.afterName << "\n"
      << revisionCounts(revisions) << "\n";
  std::vector<std::string> groups;
  for (const RevisionLine& line : revisions.lines) {
    if (startsGroups(line, groups)) out << "\n" << groupPath(line) << "\n";
    const std::string& name = line.key;
    const char* change = isFooterLine(line) ? "" : revisionChangeName(line.change);
    out << "  " << change << std::string(10 - std::string(change).size(), ' ') << name << "  "
        << valuesText(line) << "\n";
  }
  if (!revisions.moves.empty()) out << "\nParts on another line:\n";
  for (const RevisionMove& move : revisions.moves) {
    out << "  " << move.handle << "  " << move.from << " → " << move.to << "\n";
  }
}

void writeRevisionsCsv(std::ostream& out, const Revisions& revisions) {
  const std::vector<RevisionColumn> columns = revisionColumns(revisions);
  out << "change,groups,key";
  for (const RevisionColumn& column : columns) {
    out << "," << field(column.token + " before") << "," << field(column.token + " after");
    if (column.numeric) out << "," << field(column.token + " difference");
  }
  out << "\r\n";
  for (const RevisionLine& line : revisions.lines) {
    out << (isFooterLine(line) ? "sum" : revisionChangeName(line.change)) << ","
        << field(groupPath(line)) << "," << field(line.key);
    for (const RevisionColumn& column : columns) {
      const RevisionValue* value = revisionValue(line, column.token);
      out << "," << (value ? field(exactText(value->before)) : "") << ","
          << (value ? field(exactText(value->after)) : "");
      if (!column.numeric) continue;
      const std::optional<double> difference = value ? value->difference() : std::nullopt;
      out << "," << (difference ? shortestNumberText(*difference) : "");
    }
    out << "\r\n";
  }
  for (const RevisionMove& move : revisions.moves) {
    out << "moved,," << field(move.handle) << "," << field(move.from) << "," << field(move.to)
        << "\r\n";
  }
}

}  // namespace bomreport
