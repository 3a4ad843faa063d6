// A parts file of either format, chosen by its name.
#ifndef BOMREPORT_INPUT_PARTS_FILE_H_
#define BOMREPORT_INPUT_PARTS_FILE_H_

#include <string>

#include "input/parts_builder.h"

namespace bomreport {

// Reads `path` into `builder`: as JSON when the name ends in ".json" (any
// case), as CSV otherwise. Throws InputError "FILE:LINE[:COL]: reason".
void readPartsFile(const std::string& path, PartsBuilder& builder);

}  // namespace bomreport

#endif  // BOMREPORT_INPUT_PARTS_FILE_H_
