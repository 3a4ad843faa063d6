// The registry of report formats: every format BOM_REPORT_FORMATS lists, as
// its writer's file declares it (output/report_format.h).
#include <algorithm>
#include <filesystem>
#include <sstream>
#include <vector>

#include "BomReportOptions.h"
#include "BomReportWriter.h"
#include "output/report_format.h"

namespace bomreport {

#define BOM_LIST_FORMAT(NAME) extern const ReportFormat kReportFormat_##NAME;
BOM_REPORT_FORMATS(BOM_LIST_FORMAT)
#undef BOM_LIST_FORMAT

namespace {

class FunctionReportWriter final : public ReportWriter {
 public:
  explicit FunctionReportWriter(const ReportFormat& format) : format_(format) {}
  void write(std::ostream& out, const Report& report) const override { format_.write(out, report); }

 private:
  const ReportFormat& format_;
};

// Each of `extensions` (space-separated) in turn.
template <class Visit>
void forEachExtension(const char* extensions, Visit visit) {
  std::istringstream words(extensions);
  for (std::string extension; words >> extension;) visit(extension);
}

const std::vector<FunctionReportWriter>& writers() {
  static const std::vector<FunctionReportWriter> kWriters = [] {
    std::vector<FunctionReportWriter> made;
    for (const ReportFormat& format : reportFormats()) made.emplace_back(format);
    return made;
  }();
  return kWriters;
}

}  // namespace

ReportWriter::~ReportWriter() = default;

const std::vector<ReportFormat>& reportFormats() {
  static const std::vector<ReportFormat> kFormats = [] {
#define BOM_LIST_FORMAT(NAME) kReportFormat_##NAME,
    std::vector<ReportFormat> listed{BOM_REPORT_FORMATS(BOM_LIST_FORMAT)};
#undef BOM_LIST_FORMAT
    std::stable_sort(listed.begin(), listed.end(),
                     [](const ReportFormat& a, const ReportFormat& b) { return a.rank < b.rank; });
    return listed;
  }();
  return kFormats;
}

const ReportFormat* findReportFormat(std::string_view name) {
  for (const ReportFormat& format : reportFormats()) {
    if (sameName(name, format.name)) return &format;
  }
  return nullptr;
}

const ReportWriter* findReportWriter(std::string_view name) {
  const std::vector<ReportFormat>& formats = reportFormats();
  for (std::size_t i = 0; i < formats.size(); ++i) {
    if (sameName(name, formats[i].name)) return &writers()[i];
  }
  return nullptr;
}

std::vector<std::string> reportFormatNames() {
  std::vector<std::string> names;
  for (const ReportFormat& format : reportFormats()) names.emplace_back(format.name);
  return names;
}

std::string reportFormatExtensions() {
  std::string text;
  for (const ReportFormat& format : reportFormats()) {
    forEachExtension(format.extensions, [&text](const std::string& extension) {
      text += (text.empty() ? "" : ", ") + extension;
    });
  }
  return text;
}

std::string formatForOutputPath(const std::string& outputPath) {
  const std::string extension = std::filesystem::path(outputPath).extension().string();
  if (extension.empty()) return "text";
  for (const ReportFormat& format : reportFormats()) {
    bool chosen = false;
    forEachExtension(format.extensions, [&](const std::string& known) {
      chosen = chosen || sameName(extension, known);
    });
    if (chosen) return format.name;
  }
  return std::string();
}

}  // namespace bomreport
