#include "input/input_limits.h"

#include <unistd.h>

#include <algorithm>

namespace bomreport {

std::string sizeText(std::size_t bytes) {
  if (bytes >= (std::size_t{1} << 30) && bytes % (std::size_t{1} << 30) == 0) {
    return std::to_string(bytes >> 30) + " GiB";
  }
  if (bytes >= (std::size_t{1} << 20) && bytes % (std::size_t{1} << 20) == 0) {
    return std::to_string(bytes >> 20) + " MiB";
  }
  return std::to_string(bytes) + " bytes";
}

std::size_t defaultMaxInputBytes() {
  const long pages = ::sysconf(_SC_PHYS_PAGES);
  const long pageSize = ::sysconf(_SC_PAGESIZE);
  const std::size_t physical =
      pages > 0 && pageSize > 0 ? static_cast<std::size_t>(pages) * static_cast<std::size_t>(pageSize)
                                : 0;
  return std::max(physical / 4, std::size_t{1} << 30);
}

std::size_t InputLimits::effectiveMaxBytes() const {
  return maxBytes != 0 ? maxBytes : defaultMaxInputBytes();
}

}  // namespace bomreport
