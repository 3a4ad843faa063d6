// A parts file of either format.
#ifndef BOMREPORT_INPUT_PARTS_FILE_H_
#define BOMREPORT_INPUT_PARTS_FILE_H_

#include <string>

#include "input/input_limits.h"
#include "input/parts_builder.h"
#include "BomReportOptions.h"

namespace bomreport {


struct PartsFileOptions {
  // kAuto: by the name's ending (".csv", ".json", ".ifc", also before ".gz",
  // and ".ifczip"); for other names and standard input, IFC when the text
  // starts with "ISO-10303-21;" or is a zip archive, JSON when it starts with
  // '[' or '{' (after white space), CSV otherwise.
  PartsFormat format = PartsFormat::kAuto;
  char delimiter = ',';  // of CSV
  InputLimits limits;    // of standard input, pipes and compressed files
  std::string ifcMap;    // of IFC: a mapping file over the default mapping
};

// Reads `path` ("-": standard input) into `builder`; returns the format it
// was read in. Throws InputError "NAME:LINE[:COL]: reason".
PartsFormat readPartsFile(const std::string& path, PartsBuilder& builder,
                          const PartsFileOptions& options = PartsFileOptions());

}  // namespace bomreport

#endif  // BOMREPORT_INPUT_PARTS_FILE_H_
