// Any bytes as a parts JSON file: read or rejected with a message, never a crash.
#include <unistd.h>
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "input_error.h"
#include "parts_builder.h"
#include "parts_json.h"
#include "tree.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  char path[] = "/tmp/bom_fuzz_parts_XXXXXX";
  const int fd = mkstemp(path);
  if (fd < 0) return 0;
  const bool written = write(fd, data, size) == static_cast<ssize_t>(size);
  close(fd);
  if (written) {
    bomreport::DataPtr parts(new QelBomData());
    QelArray<QelString> tokens;
    tokens.append(QelString("%A"));
    QelIntArray types;
    types.append(1);
    parts->setTemplUsedTokensAndObjTypes(tokens, types);
    bomreport::PartsBuilder builder(parts.get(), size % 2 == 0, true);
    try {
      bomreport::readPartsJson(path, builder);
    } catch (const bomreport::InputError&) {
    }
  }
  std::remove(path);
  return 0;
}
