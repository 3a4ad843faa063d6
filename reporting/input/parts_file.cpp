#include "input/parts_file.h"

#include <memory>

#include "BomReportErrors.h"

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

// Stops a stream of parts as soon as the parts it has brought so far need
// more memory than the budget allows, at the rate of kept parts a byte that
// a reading of its first stretch found: a stream's size is not known until
// it ends, and a huge one would otherwise be read whole before its rows are
// charged.
class KeptRateWatch : public StreamWatch {
 public:
  KeptRateWatch(const std::string& path, const PartsBuilder& builder,
                const PartsFileOptions& options)
      : path_(path), builder_(builder), options_(options) {}

  void streamed(std::string_view soFar) override {
    if (rate_ < 0) rate_ = sampleRate(soFar);
    builder_.memoryBudget().check(
        static_cast<long long>(rate_ * static_cast<double>(soFar.size())), true);
  }

 private:
  // Kept parts a byte in `text`, read as the file will be; 0 when that is
  // not known (IFC, or a sample that does not read).
  double sampleRate(std::string_view text) const {
    const PartsFormat format =
        options_.format == PartsFormat::kAuto ? formatOf(path_, text) : options_.format;
    if (format == PartsFormat::kIfc) return 0;
    std::unique_ptr<PartsBuilder> counter = builder_.counter();
    try {
      if (format == PartsFormat::kJson) {
        readPartsJson(text, path_, *counter);  // ends where the text is cut
      } else {
        const std::size_t end = text.find_last_of('\n');
        if (end == std::string_view::npos) return 0;
        readPartsCsv(text.substr(0, end + 1), path_, *counter, options_.delimiter);
      }
    } catch (const InputError&) {
    }
    return static_cast<double>(counter->partsKept()) / static_cast<double>(text.size());
  }

  const std::string& path_;
  const PartsBuilder& builder_;
  const PartsFileOptions& options_;
  double rate_ = -1;  // not sampled yet
};

}  // namespace

PartsFormat readPartsFile(const std::string& path, PartsBuilder& builder,
                          const PartsFileOptions& options) {
  KeptRateWatch watch(path, builder, options);
  const InputBytes input(path, options.limits, &watch);
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
