// Any bytes as an IFC model: read or rejected with a message, never a crash.
#include "input/parts_ifc.h"
#include "parts_file_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzzPartsFile(data, size, bomreport::readPartsIfc);
  return 0;
}
