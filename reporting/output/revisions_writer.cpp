#include <algorithm>
#include <cmath>
#include <cstdio>

#include "BomReportErrors.h"
#include "BomReportOptions.h"
#include "output/revisions_formats.h"
#include "text/names.h"

namespace bomreport {
namespace {

struct RevisionFormat {
  const char* name;
  void (*write)(std::ostream& out, const Revisions& revisions);
};

constexpr RevisionFormat kFormats[] = {{"text", writeRevisionsText}, {"csv", writeRevisionsCsv},
                                       {"json", writeRevisionsJson}, {"html", writeRevisionsHtml},
                                       {"xlsx", writeRevisionsXlsx}, {"pdf", writeRevisionsPdf}};

int decimalsOf(const std::optional<ReportValue>& value) {
  if (!value) return 0;
  const std::size_t point = value->text.find('.');
  return point == std::string::npos ? 0 : static_cast<int>(value->text.size() - point - 1);
}

}  // namespace

namespace {

bool shownByDetails(const Revisions& revisions, const std::string& token) {
  for (const RevisionLine& line : revisions.lines) {
    if (isFooterLine(line)) continue;
    for (const RevisionValue& value : line.values) {
      if (value.token == token) return true;
    }
  }
  return false;
}

}  // namespace

std::vector<RevisionColumn> revisionColumns(const Revisions& revisions, bool sumsUnderToken) {
  std::vector<RevisionColumn> columns;
  // The details lines' tokens first, then the sums: the order a report shows.
  for (const RevisionLine& line : revisions.lines) {
    if (!isFooterLine(line)) addColumns(revisions, line, sumsUnderToken, columns);
  }
  for (const RevisionLine& line : revisions.lines) {
    if (isFooterLine(line)) addColumns(revisions, line, sumsUnderToken, columns);
  }
  return columns;
}

void addColumns(const Revisions& revisions, const RevisionLine& line, bool sumsUnderToken,
                std::vector<RevisionColumn>& columns) {
  for (const RevisionValue& value : line.values) {
    std::string token = value.token;
    const std::string_view summed = summedToken(token);
    if (sumsUnderToken && !summed.empty() && shownByDetails(revisions, std::string(summed))) {
      token = std::string(summed);
    }
    auto found = std::find_if(columns.begin(), columns.end(),
                              [&token](const RevisionColumn& c) { return c.token == token; });
    if (found == columns.end()) {
      columns.push_back({token, value.label, true});
      found = columns.end() - 1;
    }
    for (const auto* side : {&value.before, &value.after}) {
      if (*side && (*side)->kind == ReportValue::Kind::kText) found->numeric = false;
    }
  }
}

const RevisionValue* revisionValue(const RevisionLine& line, const std::string& token,
                                   bool sumsUnderToken) {
  for (const RevisionValue& value : line.values) {
    if (value.token == token) return &value;
  }
  if (!sumsUnderToken || !isFooterLine(line)) return nullptr;
  const std::string sum = directivePrefix(Directive::kSum) + token;
  for (const RevisionValue& value : line.values) {
    if (value.token == sum) return &value;
  }
  return nullptr;
}

std::string shownText(const std::optional<ReportValue>& value) {
  return value ? value->text : std::string();
}

std::string differenceText(const RevisionValue& value) {
  const std::optional<double> difference = value.difference();
  if (!difference || !value.changed()) return std::string();
  const int decimals = std::max(decimalsOf(value.before), decimalsOf(value.after));
  char text[64];
  std::snprintf(text, sizeof text, "%+.*f", decimals, *difference);
  return text;
}

std::string revisionCounts(const Revisions& revisions) {
  return std::to_string(revisions.added) + " added, " + std::to_string(revisions.removed) +
         " removed, " + std::to_string(revisions.changed) + " changed, " +
         std::to_string(revisions.unchanged) + " unchanged";
}

bool isFooterLine(const RevisionLine& line) {
  return line.type == SectionType::kGroupFooter ||
         line.type == SectionType::kReportFooter ||
         line.type == SectionType::kPageFooter;
}

std::string groupPath(const RevisionLine& line) {
  std::string path;
  for (const std::string& group : line.groups) path += (path.empty() ? "" : " / ") + group;
  return path;
}

bool startsGroups(const RevisionLine& line, std::vector<std::string>& previous) {
  const bool starts = !isFooterLine(line) && line.groups != previous && !line.groups.empty();
  previous = line.groups;
  return starts;
}

std::vector<std::string> revisionFormats() {
  std::vector<std::string> names;
  for (const RevisionFormat& format : kFormats) names.emplace_back(format.name);
  return names;
}

void writeRevisions(std::ostream& out, const Revisions& revisions, const std::string& format) {
  for (const RevisionFormat& known : kFormats) {
    if (sameName(known.name, format)) return known.write(out, revisions);
  }
  std::string names;
  for (const std::string& name : revisionFormats()) names += (names.empty() ? "" : ", ") + name;
  throw OutputError("a revision list is written as " + names + ", not as " + format);
}

}  // namespace bomreport
