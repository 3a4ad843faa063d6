// OutputTarget: where the report goes. Standard output, or a file written
// through a temporary file in the same directory that is renamed into place
// only by commit(): a run that fails before commit() leaves no partial output
// and an existing file as it was. A path naming something other than a regular
// file (a device such as /dev/null, a pipe) is written directly; a symbolic
// link is followed and the file it names replaced.
//
// Thread-safety: one target per thread; distinct targets are independent.
#ifndef BOM_OUTPUT_TARGET_H_
#define BOM_OUTPUT_TARGET_H_

#include <fstream>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "BomReportErrors.h"

namespace bomreport {

class TemporaryFile;

// Throws InputError "OUTPUT: refusing to write the output over an input file"
// when `outputPath` names the same file as one of `inputPaths` ("-" is
// standard input, whatever file or pipe it is; empty paths, standard output
// and files that do not exist yet never do), and "OUTPUT: is a symbolic link
// to ... which does not exist" for a link that names no file: writing through
// it would make a file wherever the link points.
BOM_REPORT_API void checkOutputIsNoInput(const std::string& outputPath,
                                         const std::vector<std::string>& inputPaths);

// Installs handlers for SIGINT, SIGTERM, SIGHUP and SIGQUIT that remove the
// temporary files of the reports being written (an OutputTarget's, a
// spreadsheet's scratch file) and then end the process as the signal would
// have. For a front end that owns its process; signals it ignores stay
// ignored.
BOM_REPORT_API void removeTemporaryFilesOnSignals();

class BOM_REPORT_API OutputTarget {
 public:
  // An empty path means standard output. Nothing is created until stream().
  explicit OutputTarget(std::string path);
  ~OutputTarget();  // removes the temporary file unless committed
  OutputTarget(const OutputTarget&) = delete;
  OutputTarget& operator=(const OutputTarget&) = delete;

  // Creates the temporary file on first use. Throws OutputError.
  std::ostream& stream();
  // Flushes and, for a file, renames the temporary file onto the path.
  // Throws OutputError.
  void commit();

 private:
  void open();
  void openDirect();

  std::string path_;
  std::string finalPath_;  // the regular file that the temporary file replaces
  std::string tempPath_;
  std::unique_ptr<std::ofstream> file_;
  std::unique_ptr<TemporaryFile> guard_;  // tempPath_ against signals
  std::unique_ptr<char[]> buffer_;
  bool committed_ = false;
  bool direct_ = false;  // writing straight to path_
};

}  // namespace bomreport

#endif  // BOM_OUTPUT_TARGET_H_
