#include "BomPhaseTimes.h"

#include <cstdio>
#include <utility>
#if defined(__unix__) || defined(__APPLE__)
#include <sys/resource.h>
#endif

namespace bomreport {
namespace {

long long peakResidentBytes() {
#if defined(__linux__)
  rusage usage{};
  if (getrusage(RUSAGE_SELF, &usage) != 0) return 0;
  return static_cast<long long>(usage.ru_maxrss) * 1024;  // KiB on Linux
#elif defined(__APPLE__)
  rusage usage{};
  if (getrusage(RUSAGE_SELF, &usage) != 0) return 0;
  return static_cast<long long>(usage.ru_maxrss);  // bytes on macOS
#else
  return 0;
#endif
}

}  // namespace

void PhaseTimes::begin(std::string name) {
  end();
  running_ = std::move(name);
  start_ = std::chrono::steady_clock::now();
}

void PhaseTimes::end() {
  if (running_.empty()) return;
  const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start_;
  phases_.push_back(PhaseTime{std::move(running_), elapsed.count(), peakResidentBytes()});
  running_.clear();
}

std::string PhaseTimes::text(const std::string& prefix) const {
  std::string text;
  for (const PhaseTime& phase : phases_) {
    char line[128];
    std::snprintf(line, sizeof(line), "%-8s %7.3f s, peak %6lld MiB\n", phase.name.c_str(),
                  phase.seconds, phase.peakBytes >> 20);
    text += prefix;
    text += line;
  }
  return text;
}

}  // namespace bomreport
