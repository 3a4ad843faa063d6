#include "input/parts_file.h"

#include "input/ifc_zip.h"
#include "input/input_bytes.h"
#include "input/parts_csv.h"
#include "input/parts_ifc.h"
#include "input/parts_json.h"

namespace bomreport {
namespace {

std::string lowerCase(std::string text) {
  for (char& c : text) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return text;
}

bool endsWith(const std::string& text, const std::string& suffix) {
  return text.size() >= suffix.size() &&
         text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

PartsFormat formatOf(const std::string& path, std::string_view text) {
  std::string name = lowerCase(path);
  if (endsWith(name, ".gz")) name.resize(name.size() - 3);
  if (endsWith(name, ".json")) return PartsFormat::kJson;
  if (endsWith(name, ".csv")) return PartsFormat::kCsv;
  if (endsWith(name, ".ifc") || endsWith(name, ".ifczip")) return PartsFormat::kIfc;
  const std::size_t first = text.find_first_not_of(" \t\r\n");
  if (looksLikeZip(text) || (first != std::string_view::npos &&
                             text.compare(first, 13, "ISO-10303-21;") == 0)) {
    return PartsFormat::kIfc;
  }
  const bool json = first != std::string_view::npos && (text[first] == '[' || text[first] == '{');
  return json ? PartsFormat::kJson : PartsFormat::kCsv;
}

}  // namespace

PartsFormat readPartsFile(const std::string& path, PartsBuilder& builder,
                          const PartsFileOptions& options) {
  const InputBytes input(path, options.limits);
  const PartsFormat format =
      options.format == PartsFormat::kAuto ? formatOf(path, input.text()) : options.format;
  if (format == PartsFormat::kIfc) {
    readPartsIfc(input, builder, options.ifcMap, options.limits);
  } else if (format == PartsFormat::kJson) {
    readPartsJson(input, builder);
  } else {
    readPartsCsv(input, builder, options.delimiter);
  }
  return format;
}

}  // namespace bomreport
