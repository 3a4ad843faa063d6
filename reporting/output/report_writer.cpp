// The registry of report formats. A new format is a file pair
// output/report_NAME.{h,cpp} with its write function, and one line below.
#include <vector>

#include "BomReportOptions.h"
#include "BomReportWriter.h"
#include "output/report_csv.h"
#include "output/report_html.h"
#include "output/report_json.h"
#include "output/report_list.h"
#include "output/report_pdf.h"
#include "output/report_text.h"
#include "output/report_xlsx.h"

namespace bomreport {
namespace {

using WriteFunction = void (*)(std::ostream&, const Report&);

class FunctionReportWriter final : public ReportWriter {
 public:
  explicit FunctionReportWriter(WriteFunction function) : write_(function) {}
  void write(std::ostream& out, const Report& report) const override { write_(out, report); }

 private:
  WriteFunction write_;
};

struct Format {
  const char* name;
  FunctionReportWriter writer;
};

// One line per format; the first is the default.
const std::vector<Format>& formats() {
  static const std::vector<Format> kFormats{{
      {"text", FunctionReportWriter(writeTextReport)},
      {"list", FunctionReportWriter(writeListReport)},
      {"csv", FunctionReportWriter(writeCsvReport)},
      {"json", FunctionReportWriter(writeJsonReport)},
      {"html", FunctionReportWriter(writeHtmlReport)},
      {"xlsx", FunctionReportWriter(writeXlsxReport)},
      {"pdf", FunctionReportWriter(writePdfReport)},
  }};
  return kFormats;
}

}  // namespace

ReportWriter::~ReportWriter() = default;

const ReportWriter* findReportWriter(std::string_view name) {
  for (const Format& format : formats()) {
    if (sameName(name, format.name)) return &format.writer;
  }
  return nullptr;
}

std::vector<std::string> reportFormatNames() {
  std::vector<std::string> names;
  for (const Format& format : formats()) names.emplace_back(format.name);
  return names;
}

}  // namespace bomreport
