// Any bytes as a parts CSV file: read or rejected with a message, never a crash.
#include "input/parts_csv.h"
#include "parts_file_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzzPartsFile(data, size, bomreport::readPartsCsv);
  return 0;
}
