// The format an output file's name asks for.
#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>

#include "BomReportWriter.h"

namespace bomreport {

std::string formatForOutputPath(const std::string& outputPath) {
  static const std::map<std::string, std::string> kFormats{
      {".txt", "text"}, {".csv", "csv"},   {".json", "json"}, {".html", "html"},
      {".htm", "html"}, {".xlsx", "xlsx"}, {".pdf", "pdf"}};
  std::string extension = std::filesystem::path(outputPath).extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (extension.empty()) return "text";
  const auto found = kFormats.find(extension);
  return found != kFormats.end() ? found->second : std::string();
}

}  // namespace bomreport
