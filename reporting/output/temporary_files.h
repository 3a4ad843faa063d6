// Temporary files that an interrupted run must not leave behind.
//
// A TemporaryFile names a file the process made and will remove or rename
// itself; while it lives, the handlers of removeTemporaryFilesOnSignals
// (BomOutputTarget.h) remove the file when a signal ends the process first.
//
// Thread-safety: files may be registered from any thread; at most
// kMaxTemporaryFiles at once (further ones are not guarded).
#ifndef BOMREPORT_OUTPUT_TEMPORARY_FILES_H_
#define BOMREPORT_OUTPUT_TEMPORARY_FILES_H_

#include <string>

namespace bomreport {

constexpr int kMaxTemporaryFiles = 8;

class TemporaryFile {
 public:
  explicit TemporaryFile(const std::string& path);
  ~TemporaryFile();  // the file is no longer guarded (it is not removed here)
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

 private:
  int slot_;  // -1: not guarded
};

}  // namespace bomreport

#endif  // BOMREPORT_OUTPUT_TEMPORARY_FILES_H_
