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

// Throws InputError "OUTPUT: refusing to write the output over an input file"
// when `outputPath` names the same file as one of `inputPaths` (empty paths,
// standard output and files that do not exist yet never do).
BOM_REPORT_API void checkOutputIsNoInput(const std::string& outputPath,
                                         const std::vector<std::string>& inputPaths);

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
  std::unique_ptr<char[]> buffer_;
  bool committed_ = false;
  bool direct_ = false;  // writing straight to path_
};

}  // namespace bomreport

#endif  // BOM_OUTPUT_TARGET_H_
