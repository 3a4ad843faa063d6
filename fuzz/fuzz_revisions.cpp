// Any bytes as two revisions of a parts CSV file (split at the first byte
// 0x1E) under one template that groups, sorts and sums: compared and written
// in every revision format, or refused with a message; never a crash.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <sstream>
#include <string>
#include <string_view>

#include "BomReport.h"

namespace {

constexpr const char kTemplate[] = R"({"children": [{"type": "kReportHeader", "children": [
  {"type": "kGroupHeader", "tuples": [["%GroupBy:%Name", ""], ["%SortAscBy:%Name", ""], ["%Name", ""]],
   "children": [{"type": "kDetails", "tuples": [["%SortAscBy:%PNum", ""], ["%PNum", ""],
     ["%Quantity", 0], ["%Weight", 0.0], ["%WeightInModel", 0.0]]}]},
  {"type": "kGroupFooter", "tuples": [["%SumBy:%Quantity", 0], ["%SumBy:%WeightInModel", 0.0]]}]},
  {"type": "kReportFooter", "tuples": [["%SumBy:%WeightInModel", 0.0]]}]})";

// A temporary file holding `text`, removed with the object.
class Scratch {
 public:
  explicit Scratch(std::string_view text) {
    const int fd = mkstemp(path_);
    ok_ = fd >= 0 && write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    if (fd >= 0) close(fd);
  }
  ~Scratch() { std::remove(path_); }
  bool ok() const { return ok_; }
  std::string path() const { return path_; }

 private:
  char path_[32] = "/tmp/bom_fuzz_rev_XXXXXX";
  bool ok_ = false;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t split = input.find('\x1e');
  const Scratch templ(kTemplate);
  const Scratch before(input.substr(0, split));
  const Scratch after(split == std::string_view::npos ? std::string_view() : input.substr(split + 1));
  if (!templ.ok() || !before.ok() || !after.ok()) return 0;
  bomreport::ReportJobOptions job;
  job.templatePath = templ.path();
  job.partsFormat = bomreport::PartsFormat::kCsv;
  job.mergeEqualParts = size % 2 == 0;
  bomreport::RevisionOptions options;
  options.byHandle = size % 3 == 0;
  options.all = size % 5 == 0;
  try {
    const bomreport::Revisions revisions =
        bomreport::diffRevisions(job, before.path(), after.path(), options);
    for (const std::string& format : bomreport::revisionFormats()) {
      if (format == "xlsx" || format == "pdf") continue;  // the libraries' own costs
      std::ostringstream out;
      bomreport::writeRevisions(out, revisions, format);
    }
  } catch (const bomreport::InputError&) {
  }
  return 0;
}
