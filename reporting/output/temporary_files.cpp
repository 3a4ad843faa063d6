#include "output/temporary_files.h"

#include <limits.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <cstring>

#include "BomOutputTarget.h"
#include "BomReportErrors.h"

namespace bomreport {
namespace {

// Slots a signal handler can read without locks: a path is written before its
// slot is published, and the slot is withdrawn before the path changes.
struct Slot {
  std::atomic<bool> claimed{false};
  std::atomic<bool> published{false};
  char path[PATH_MAX];
};

Slot slots[kMaxTemporaryFiles];

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

void removeAndRaise(int signal) {
  for (Slot& slot : slots) {
    if (slot.published.load(std::memory_order_acquire)) ::unlink(slot.path);
  }
  ::signal(signal, SIG_DFL);
  ::raise(signal);
}

// An empty file of its own in TMPDIR whose name ends in `suffix`.
std::string makeScratchFile(const std::string& suffix) {
  const char* dir = std::getenv("TMPDIR");
  std::string pattern =
      std::string(dir != nullptr && *dir != '\0' ? dir : "/tmp") + "/bomreport-XXXXXX" + suffix;
  const int fd = ::mkstemps(pattern.data(), static_cast<int>(suffix.size()));
  if (fd < 0) throw OutputError("cannot create a scratch file in " + pattern.substr(0, pattern.rfind('/')));
  ::close(fd);
  return pattern;
}

}  // namespace

ScratchFile::ScratchFile(const std::string& suffix)
    : path_(makeScratchFile(suffix)), guard_(path_) {}

ScratchFile::~ScratchFile() { ::unlink(path_.c_str()); }

TemporaryFile::TemporaryFile(const std::string& path) : slot_(-1) {
  if (path.size() >= PATH_MAX) return;
  for (int i = 0; i < kMaxTemporaryFiles; ++i) {
    bool free = false;
    if (!slots[i].claimed.compare_exchange_strong(free, true)) continue;
    std::memcpy(slots[i].path, path.c_str(), path.size() + 1);
    slots[i].published.store(true, std::memory_order_release);
    slot_ = i;
    return;
  }
}

TemporaryFile::~TemporaryFile() {
  if (slot_ < 0) return;
  slots[slot_].published.store(false, std::memory_order_release);
  slots[slot_].claimed.store(false, std::memory_order_release);
}

void removeTemporaryFilesOnSignals() {
  for (int signal : kSignals) {
    struct sigaction action {};
    action.sa_handler = removeAndRaise;
    sigemptyset(&action.sa_mask);
    struct sigaction previous {};
    // A signal the process ignores (a shell's background job) stays ignored.
    if (::sigaction(signal, nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN) continue;
    ::sigaction(signal, &action, nullptr);
  }
}

}  // namespace bomreport
