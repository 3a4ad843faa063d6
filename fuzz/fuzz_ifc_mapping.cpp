// Any bytes as an IFC mapping file over the built-in mapping: read (then each
// entity's tokens resolved) or rejected with a message, never a crash.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "BomReportErrors.h"
#include "input/ifc_mapping.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  bomreport::IfcMapping mapping = bomreport::IfcMapping::defaults();
  try {
    mapping.readText("fuzz.json", std::string_view(reinterpret_cast<const char*>(data), size));
  } catch (const bomreport::InputError&) {
    return 0;
  }
  for (const bomreport::IfcEntityMapping& entity : mapping.entities) mapping.tokensOf(entity);
  return 0;
}
