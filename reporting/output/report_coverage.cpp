#include "output/report_coverage.h"

#include <ctime>

namespace bomreport {

std::string reportDate(const WriterOptions* options) {
  if (options != nullptr && !options->date.empty()) return options->date;
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[16];
  std::strftime(text, sizeof(text), "%Y-%m-%d", &local);
  return text;
}

std::string coverageText(const Report& report) {
  const ReportCoverage* coverage = report.coverage;
  if (coverage == nullptr || !coverage->known) return std::string();
  const std::vector<int>& types = coverage->objectTypes;
  std::string text = types.empty() ? "every object type"
                                   : (types.size() == 1 ? "object type " : "object types ");
  for (std::size_t i = 0; i < types.size(); ++i) {
    if (i > 0) text += i + 1 == types.size() ? " and " : ", ";
    text += std::to_string(types[i]);
  }
  if (coverage->partsCut > 0) {
    const long long shown = coverage->partsKept - coverage->partsCut;
    text += "; a preview of the first " + std::to_string(shown) + " of " +
            std::to_string(coverage->partsKept) + " parts kept";
  }
  const long long left = coverage->partsRead - coverage->partsKept;
  if (left <= 0) return text + "; no part left out";
  return text + "; " + std::to_string(left) + " of " + std::to_string(coverage->partsRead) +
         (coverage->partsRead == 1 ? " part" : " parts") + " left out";
}

std::string objectTypeList(const std::vector<int>& types) {
  std::string list;
  for (int type : types) list += (list.empty() ? "" : ", ") + std::to_string(type);
  return list;
}

std::string emptyReportText(const ReportCoverage& coverage) {
  if (!coverage.known || coverage.objectTypes.empty() || coverage.partsRead == 0 ||
      coverage.partsKept > 0) {
    return std::string();
  }
  return "no parts kept by the filter (types " + objectTypeList(coverage.objectTypes) + ")";
}

std::string sourceLine(const Report& report, const std::string& separator) {
  std::string line = report.dataName + separator + reportDate(report.options);
  const std::string coverage = coverageText(report);
  if (!coverage.empty()) line += separator + coverage;
  return line;
}

}  // namespace bomreport
