// The revision list (BomRevisions.h) in each format, and what they share:
// its columns and how a value and a difference read.
//   text  a line per listed line: "changed  P12  Name HEA260 → HEA280; ..."
//   csv   a row per line: change, groups, key, then before, after and
//         difference of each token (exact numbers)
//   json  the lines with their values before and after, exact numbers
//   html  a page: a change column, old values struck through, new ones
//   xlsx  a row per line with before, after and difference columns, filtered
//   pdf   A4 landscape pages: what changed on each line, old texts struck through
#ifndef BOMREPORT_OUTPUT_REVISIONS_FORMATS_H_
#define BOMREPORT_OUTPUT_REVISIONS_FORMATS_H_

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "BomRevisions.h"

namespace bomreport {

struct RevisionColumn {
  std::string token;  // "%Weight", "%SumBy:%Weight"
  std::string label;  // "Weight [kg]", "Σ Weight [kg]"
  bool numeric = true;  // no value of it is a text
};

// Every token the listed lines show, in order of first appearance. With
// `sumsUnderToken`, a sum ("%SumBy:%Weight") stands in the column of the
// token it sums when a line shows that token, as the formats for people
// place it.
std::vector<RevisionColumn> revisionColumns(const Revisions& revisions, bool sumsUnderToken = false);
// The value of `token` on `line`, or null; with `sumsUnderToken`, also the
// sum of `token` on a footer line.
const RevisionValue* revisionValue(const RevisionLine& line, const std::string& token,
                                   bool sumsUnderToken = false);
// The display text; empty for a side without the value.
std::string shownText(const std::optional<ReportValue>& value);
// "+2", "−77.84" with as many decimals as the texts show; empty for texts and
// for no change.
std::string differenceText(const RevisionValue& value);
// "2 added, 1 removed, 3 changed, 40 unchanged".
std::string revisionCounts(const Revisions& revisions);
// The groups a line lies in, "S355J2 / HEA240"; empty for none.
std::string groupPath(const RevisionLine& line);
// Whether `line` is a details line that begins other groups than the line
// listed before it (whose groups are `previous`): a formats for people shows
// the group path above it. Updates `previous`.
bool startsGroups(const RevisionLine& line, std::vector<std::string>& previous);
bool isFooterLine(const RevisionLine& line);
// Adds the columns of `line`'s values that `columns` lacks (revisionColumns).
void addColumns(const Revisions& revisions, const RevisionLine& line, bool sumsUnderToken,
                std::vector<RevisionColumn>& columns);

void writeRevisionsText(std::ostream& out, const Revisions& revisions);
void writeRevisionsCsv(std::ostream& out, const Revisions& revisions);
void writeRevisionsJson(std::ostream& out, const Revisions& revisions);
void writeRevisionsHtml(std::ostream& out, const Revisions& revisions);
void writeRevisionsXlsx(std::ostream& out, const Revisions& revisions);
void writeRevisionsPdf(std::ostream& out, const Revisions& revisions);

}  // namespace bomreport

#endif  // BOMREPORT_OUTPUT_REVISIONS_FORMATS_H_
