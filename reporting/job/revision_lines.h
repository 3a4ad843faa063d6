// RevisionSide: one revision of the parts evaluated as a report, and the
// lines of that report keyed as the revision list matches them
// (BomRevisions.h): a details line by the grouping values of the groups it
// lies in and its own key tokens' values, a footer by the groups it closes.
//
// Keys are made from the display texts of the output tree (or of the row
// that opened a line, for a key token the line does not show) without making
// items: the comparison makes items only of the lines that changed.
//
// Thread-safety: plain data once made.
#ifndef BOMREPORT_JOB_REVISION_LINES_H_
#define BOMREPORT_JOB_REVISION_LINES_H_

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "BomReportJob.h"
#include "output/report_item_reader.h"

namespace bomreport {

struct RevisionSide {
  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
  struct Line {
    std::size_t at;      // in reader->lines()
    std::uint64_t key;   // a hash of the full key, unique within the side
    std::size_t header;  // the line of the innermost group it lies in; kNone for none
    // Two hashes of different mixing steps over the display texts it shows
    // (its tokens are its section's): lines whose texts hash alike in both
    // are taken to show the same.
    std::uint64_t texts[2];
  };
  RevisionSide(std::unique_ptr<ReportJob> made, EvaluatedReport evaluated)
      : job(std::move(made)), report(std::move(evaluated)) {}

  std::unique_ptr<ReportJob> job;  // its template gives the levels' tokens
  EvaluatedReport report;
  std::unique_ptr<ReportItemReader> reader;  // over report
  std::vector<Line> lines;                   // details lines and footers, in report order
  std::unordered_map<std::uint64_t, std::size_t> byKey;
  // [at]: the line of the group that reader->lines()[at] lies in; kNone for none.
  std::vector<std::size_t> headerOf;
  std::vector<QelString> keyTokens;  // of a details line; empty: all it shows
  std::vector<const QelBomTemplateItem*> levels;
  long long repeatedKeys = 0;  // lines whose key an earlier line has
  std::string repeatedExample;

  const QelBomTemplateItem& item(const Line& line) const { return *reader->lines()[line.at].item; }
  bool isFooter(const Line& line) const;
  // The line's own key as people read it: "P12", or "Σ C1 COLUMN", "Σ Total".
  std::string shownKey(const Line& line) const;
  // The whole key as text: the grouping values of its groups and its own. Two
  // lines of equal hashes are the same line when their texts agree too.
  std::string keyText(const Line& line) const;
  // The display texts of its group headers, outermost first.
  std::vector<std::string> groupTexts(const Line& line) const;
  // The handles of the parts on each details line (by index into lines): the
  // row that made it, its equal parts, and the rows after it whose repeated
  // lines were dropped. Parts without a handle are counted in
  // `withoutHandle`, not listed.
  std::vector<std::vector<std::string>> handlesByLine(long long& withoutHandle);
};

// Evaluates `job` over `parts`. Throws InputError as ReportJob does.
std::unique_ptr<RevisionSide> evaluateRevision(const ReportJobOptions& job,
                                               const std::string& parts);
// Keys the side's lines. `keyTokens` identify a details line; empty: its
// section's sort tokens, else all it shows. Reads the side's trees only, and
// touches no state of the engine's: it may run while another job evaluates.
void keyLines(RevisionSide& side, const std::vector<std::string>& keyTokens);

// Whether two lines show the same tokens with the same display texts (as
// their hashes say).
bool sameTexts(const RevisionSide::Line& a, const RevisionSide::Line& b);

}  // namespace bomreport

#endif  // BOMREPORT_JOB_REVISION_LINES_H_
