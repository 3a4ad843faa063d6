// vrkbom.Report and what it hands out: Item, Trace.
#ifndef VRKBOM_REPORT_H_
#define VRKBOM_REPORT_H_

#include <pybind11/pybind11.h>

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "BomReport.h"

namespace vrkbom {

// What the template asks of the data: the token trace and the object types its
// filters name.
struct TraceInfo {
  std::vector<std::string> tokens;
  std::vector<int> filterObjectTypes;
};

// An evaluated report. Owns its trees (an EvaluatedReport), released when the
// Python object goes.
//
// Thread-safety: one report may be read and written from several Python
// threads at once (the GIL is released meanwhile): the items are made once,
// whoever asks first, and what marks the trees (the used handles, a writer)
// runs under the report's own lock, one at a time.
class ReportObject {
 public:
  // `strict`: a document that does not show the report whole is refused.
  ReportObject(std::unique_ptr<bomreport::EvaluatedReport> report, TraceInfo trace,
               std::vector<std::string> inputPaths, bool strict);

  // The items, read from the tree on first use and kept.
  const std::vector<bomreport::ReportItem>& items();
  // Per row whose values reached the report: its handles and the tokens used.
  std::vector<std::pair<std::vector<std::string>, std::vector<std::string>>> used();
  // Writes the report in `format`; with `used`, the used handles and tokens
  // follow it. Returns what the document shows less than whole (see
  // Report::writerWarnings). REQUIRES: `writer` is a registered format's.
  std::vector<bomreport::ReportWarning> write(std::ostream& out, const bomreport::ReportWriter& writer,
                                              const bomreport::WriterOptions& options, bool used);
  bool strict() const { return strict_; }
  // The unit symbol `token`'s values are shown in; none for a token without.
  std::optional<std::string> unitOf(const std::string& token) const;

  const bomreport::EvaluatedReport& report() const { return *report_; }
  const TraceInfo& trace() const { return trace_; }
  // The files the report was made from, which writing must not overwrite.
  const std::vector<std::string>& inputPaths() const { return inputPaths_; }

 private:
  std::unique_ptr<bomreport::EvaluatedReport> report_;
  TraceInfo trace_;
  std::vector<std::string> inputPaths_;
  bool strict_;
  std::once_flag itemsMade_;
  std::vector<bomreport::ReportItem> items_;  // made under itemsMade_
  std::mutex marking_;  // held by used() and write()
};

void bindReport(pybind11::module_& module);

}  // namespace vrkbom

#endif  // VRKBOM_REPORT_H_
