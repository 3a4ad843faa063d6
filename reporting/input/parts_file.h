// A parts file of either format.
#ifndef BOMREPORT_INPUT_PARTS_FILE_H_
#define BOMREPORT_INPUT_PARTS_FILE_H_

#include <string>

#include "input/input_limits.h"
#include "input/parts_builder.h"

namespace bomreport {

enum class PartsFormat { kAuto, kCsv, kJson };

struct PartsFileOptions {
  // kAuto: by the name's ending (".csv", ".json", also before ".gz"); for
  // other names and standard input, JSON when the text starts with '[' or '{'
  // (after white space), CSV otherwise.
  PartsFormat format = PartsFormat::kAuto;
  char delimiter = ',';  // of CSV
  InputLimits limits;    // of standard input, pipes and compressed files
};

// Reads `path` ("-": standard input) into `builder`. Throws InputError
// "NAME:LINE[:COL]: reason".
void readPartsFile(const std::string& path, PartsBuilder& builder,
                   const PartsFileOptions& options = PartsFileOptions());

}  // namespace bomreport

#endif  // BOMREPORT_INPUT_PARTS_FILE_H_
