// How much text an input may bring into memory when it is not a regular file
// that can be mapped as it is: standard input, pipes, devices and everything
// that is decompressed.
#ifndef BOMREPORT_INPUT_INPUT_LIMITS_H_
#define BOMREPORT_INPUT_INPUT_LIMITS_H_

#include <cstddef>
#include <string>

namespace bomreport {

struct InputLimits {
  // The most bytes of text read or decompressed into memory; 0: the default
  // for this machine (defaultMaxInputBytes).
  std::size_t maxBytes = 0;
  // The longest line a decompressed text may hold: a parts or template file
  // worth reading has no line this long, a decompression bomb has.
  std::size_t maxLine = std::size_t{1} << 30;

  std::size_t effectiveMaxBytes() const;
};

// A quarter of this machine's physical memory, at least 1 GiB: a parts file
// of that size takes several times as much once read into rows.
std::size_t defaultMaxInputBytes();

// "6 GiB", "512 MiB", "1000 bytes": a size as messages give it.
std::string sizeText(std::size_t bytes);

}  // namespace bomreport

#endif  // BOMREPORT_INPUT_INPUT_LIMITS_H_
