#include "input/parts_file.h"

#include <filesystem>

#include "input/parts_csv.h"
#include "input/parts_json.h"

namespace bomreport {
namespace {

bool endsWithJson(const std::string& path) {
  const std::string ext = std::filesystem::path(path).extension().string();
  if (ext.size() != 5) return false;
  std::string lower;
  for (char c : ext) lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return lower == ".json";
}

}  // namespace

void readPartsFile(const std::string& path, PartsBuilder& builder) {
  if (endsWithJson(path)) {
    readPartsJson(path, builder);
  } else {
    readPartsCsv(path, builder);
  }
}

}  // namespace bomreport
