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

// A scratch file in TMPDIR (a library that writes only files, such as
// libxlsxwriter, writes there), made empty, guarded, and removed with the
// object. Throws OutputError when it cannot be made.
class ScratchFile {
 public:
  explicit ScratchFile(const std::string& suffix);  // ".xlsx"
  ~ScratchFile();
  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
  TemporaryFile guard_;  // path_ against signals
};

}  // namespace bomreport

#endif  // BOMREPORT_OUTPUT_TEMPORARY_FILES_H_
