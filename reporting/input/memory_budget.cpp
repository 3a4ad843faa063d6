#include "input/memory_budget.h"

#include <cstdio>
#include <fstream>

#include "BomReportErrors.h"
#include "BomReportWarnings.h"

namespace bomreport {
namespace {

// "166 MiB", "2.4 GiB": a size as a reader takes it in.
std::string aboutSize(double bytes) {
  char text[32];
  if (bytes >= 1024.0 * 1024 * 1024) {
    std::snprintf(text, sizeof text, "%.1f GiB", bytes / (1024.0 * 1024 * 1024));
  } else if (bytes >= 1024.0 * 1024) {
    std::snprintf(text, sizeof text, "%.0f MiB", bytes / (1024.0 * 1024));
  } else {
    std::snprintf(text, sizeof text, "%.0f KiB", bytes / 1024.0);
  }
  return text;
}

}  // namespace

void MemoryBudget::check(long long parts, bool estimated) const {
  if (maxBytes == 0 || parts <= 0) return;
  const double needed = static_cast<double>(parts) * static_cast<double>(bytesPerPart);
  if (needed <= static_cast<double>(maxBytes) * (estimated ? kEstimateMargin : 1.0)) return;
  const std::string limit =
      given ? "the " + aboutSize(static_cast<double>(maxBytes)) + " " +
                  optionReference("max-memory") + " allows"
            : "the " + aboutSize(static_cast<double>(maxBytes)) + " this machine has free";
  throw InputError(
      name, std::string(estimated ? "its about " : "its first ") + std::to_string(parts) +
                " parts kept need at least " + aboutSize(needed) +
                " for their rows and the report's lines (" + std::to_string(bytesPerPart) +
                " bytes a part), more than " + limit +
                "; nothing was written: give fewer parts (a template filter by object type, a "
                "smaller file), or more memory with " + optionReference("max-memory"));
}

std::size_t bytesPerPart(std::size_t rowTuples, std::size_t lineTuples) {
  constexpr std::size_t kRow = 96, kItem = 144, kTuple = 32, kText = 8;
  return kRow + rowTuples * (kTuple + kText) + kItem + lineTuples * kTuple;
}

std::size_t availableMemory() {
  std::ifstream meminfo("/proc/meminfo");
  std::string key;
  unsigned long long kilobytes = 0;
  while (meminfo >> key >> kilobytes) {
    if (key == "MemAvailable:") return static_cast<std::size_t>(kilobytes) * 1024;
    meminfo.ignore(1 << 10, '\n');
  }
  return 0;
}

}  // namespace bomreport
