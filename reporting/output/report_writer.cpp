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
  void write(std::ostream& out, const Report& report) const override {
    if (report.options != nullptr && report.writerWarnings != nullptr) {
      for (ReportWarning& warning : ignoredWriterOptions(format_, *report.options)) {
        report.writerWarnings->push_back(std::move(warning));
      }
    }
    format_.write(out, report);
  }

 private:
  const ReportFormat& format_;
};

// A writer option as people name it, and whether `options` sets it.
struct NamedOption {
  ReportFormat::Option bit;
  const char* name;  // for optionReference
  bool (*set)(const WriterOptions& options);
};

constexpr NamedOption kNamedOptions[] = {
    {ReportFormat::kPaper, "paper", [](const WriterOptions& o) { return o.paper != Paper::kA4; }},
    {ReportFormat::kLandscape, "landscape", [](const WriterOptions& o) { return o.landscape; }},
    {ReportFormat::kDate, "date", [](const WriterOptions& o) { return !o.date.empty(); }},
    {ReportFormat::kCsvSumsUnderToken, "csv-sums-under-token",
     [](const WriterOptions& o) { return o.csvSumsUnderToken; }},
    {ReportFormat::kCsvRaw, "csv-raw", [](const WriterOptions& o) { return o.csvRaw; }},
};

// "html, xlsx and pdf": the formats whose documents show `bit`.
std::string formatsShowing(ReportFormat::Option bit) {
  std::vector<std::string> names;
  for (const ReportFormat& format : reportFormats()) {
    if ((format.reads & bit) != 0) names.emplace_back(format.name);
  }
  std::string text;
  for (std::size_t i = 0; i < names.size(); ++i) {
    text += (i == 0 ? "" : (i + 1 == names.size() ? " and " : ", ")) + names[i];
  }
  return text;
}

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

std::vector<ReportWarning> ignoredWriterOptions(const ReportFormat& format,
                                                const WriterOptions& options) {
  std::vector<ReportWarning> warnings;
  for (const NamedOption& option : kNamedOptions) {
    if ((format.reads & option.bit) != 0 || !option.set(options)) continue;
    ReportWarning warning{WarningKind::kOptionIgnored};
    warning.text = optionReference(option.name) + " changes nothing in " + format.name + " output" +
                   ": only reports in " + formatsShowing(option.bit) + " show it";
    warning.cure = "leave it out, or write one of those formats";
    warnings.push_back(std::move(warning));
  }
  return warnings;
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
