// Shared by the parts-file fuzzers: writes the bytes to a temporary file and
// reads it with `read` into a data set that wants the token "%A" and object
// type 1. A rejected file is fine; a crash is not.
#ifndef BOM_FUZZ_PARTS_FILE_FUZZ_H_
#define BOM_FUZZ_PARTS_FILE_FUZZ_H_

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "BomReportErrors.h"
#include "BomReportTrees.h"
#include "input/parts_builder.h"

inline void fuzzPartsFile(const uint8_t* data, size_t size,
                          void (*read)(const std::string&, bomreport::PartsBuilder&)) {
  char path[] = "/tmp/bom_fuzz_parts_XXXXXX";
  const int fd = mkstemp(path);
  if (fd < 0) return;
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
      read(path, builder);
    } catch (const bomreport::InputError&) {
    }
  }
  std::remove(path);
}

#endif  // BOM_FUZZ_PARTS_FILE_FUZZ_H_
