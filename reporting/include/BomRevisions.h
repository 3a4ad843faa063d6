// Revisions: what changed between two revisions of a model, line by line of
// the report one template makes of each.
//
// Both revisions are evaluated under the same template and options, exactly
// as reports are. A line of the report is identified by its key:
//   - the values of the grouping tokens of every group it lies in, and
//   - for a details line, the values of its section's own sort tokens
//     ("%SortAscBy:"/"%SortDescBy:" of the details section), or of every
//     token it shows when it sorts by none; RevisionOptions::keyTokens
//     replaces these.
// Lines of the two reports with the same key are the same line: a value that
// differs is a change of that line (a position whose profile goes from HEA260
// to HEA280 is one changed line, not a removed and an added one). A line of
// only one report is added or removed. Footers compare their sums: the
// change of each group's and of the whole report's figures.
//
// Thread-safety: diffRevisions runs two jobs, which serialise themselves (see
// BomReportJob.h); a Revisions is plain data.
#ifndef BOM_REVISIONS_H_
#define BOM_REVISIONS_H_

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "BomReportExport.h"
#include "BomReportItems.h"
#include "BomReportJob.h"

namespace bomreport {

enum class RevisionChange { kUnchanged, kAdded, kRemoved, kChanged };

// "unchanged", "added", "removed", "changed".
BOM_REPORT_API const char* revisionChangeName(RevisionChange change);

// One value a line shows, in each revision: absent where the line is not in
// that revision.
struct BOM_REPORT_API RevisionValue {
  std::string token;  // as written: "%Weight", "%SumBy:%Weight"
  std::string label;  // as people read it: "Weight [kg]", "Σ Weight [kg]"
  std::optional<ReportValue> before;
  std::optional<ReportValue> after;
  // Whether the display texts differ (what a reader sees changed).
  bool changed() const;
  // after − before for numbers (a missing side counts 0); none for texts.
  std::optional<double> difference() const;
};

struct RevisionLine {
  RevisionChange change = RevisionChange::kUnchanged;
  int depth = 0;  // as ReportItem::depth
  SectionType type = SectionType::kDetails;
  // The texts of the group headers the line lies in, outermost first
  // ("C1 COLUMN"); for a footer, those of the groups it closes and lies in.
  std::vector<std::string> groups;
  // The key's values as people read them ("P12"); a footer's is "Σ " and
  // the texts of the group it closes ("Σ C1 COLUMN"), or "Σ Total".
  std::string key;
  std::vector<RevisionValue> values;
  // The handles of the parts that reached the line, in each revision.
  std::vector<std::string> handlesBefore, handlesAfter;
};

// A part that lies on another line in the new revision (matched by handle).
struct RevisionMove {
  std::string handle;
  std::string from, to;  // the keys of its lines
};

struct Revisions {
  std::string templateName;
  std::string beforeName, afterName;  // the parts files
  // The lines of either revision that changed (every line with
  // RevisionOptions::all; the report's totals always), footers included, in
  // report order: the new revision's, with each removed line after the line
  // before it in the old.
  std::vector<RevisionLine> lines;
  long long added = 0, removed = 0, changed = 0, unchanged = 0;
  std::vector<RevisionMove> moves;  // with RevisionOptions::byHandle
  // The warnings of both evaluations (their files name the revision) and of
  // the comparison.
  std::vector<ReportWarning> warnings;
};

struct RevisionOptions {
  // The tokens that identify a details line; empty: its section's sort
  // tokens, or all it shows.
  std::vector<std::string> keyTokens;
  bool all = false;       // list unchanged lines too
  bool byHandle = false;  // also match parts by handle and list those that moved
  // Leave both revisions' trees to the end of the process (see
  // EvaluatedReport::keepUntilExit): for a front end that exits once the list
  // is written.
  bool keepTreesUntilExit = false;
};

// Evaluates `job`'s template over the parts files `before` and `after` (with
// job's other options) and compares the reports. Throws InputError for bad
// input, as ReportJob does.
BOM_REPORT_API Revisions diffRevisions(const ReportJobOptions& job, const std::string& before,
                                       const std::string& after,
                                       const RevisionOptions& options = {});

// Writes the revision list in format `format` ("text", "csv", "json", "html",
// "xlsx", "pdf"; see revisionFormats). Throws OutputError for a format it has none
// of.
BOM_REPORT_API void writeRevisions(std::ostream& out, const Revisions& revisions,
                                   const std::string& format);
BOM_REPORT_API std::vector<std::string> revisionFormats();

}  // namespace bomreport

#endif  // BOM_REVISIONS_H_
