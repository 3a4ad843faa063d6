// The two failures of the reporting library. Both carry a complete one-line
// message; a front end prints it as it is.
//
// InputError: bad input (a template or parts file, an option value): the
// message names the file or option, the line and column where known, and the
// reason. An option is named by optionReference (BomReportWarnings.h), which a
// front end spells in its own terms with spellOptions before showing the
// message. bomreport prints "bomreport: MESSAGE" and exits with status 2.
//
// OutputError: the report cannot be written (bomreport exits with status 1).
#ifndef BOM_REPORT_ERRORS_H_
#define BOM_REPORT_ERRORS_H_

#include <stdexcept>
#include <string>

#include "BomReportExport.h"

namespace bomreport {

class BOM_REPORT_API InputError : public std::runtime_error {
 public:
  // `line` and `column` are 1-based; 0 leaves them out of the message. They are
  // 64-bit: a file of several gigabytes may have more lines than an int counts.
  InputError(const std::string& where, long long line, long long column, const std::string& reason)
      : std::runtime_error(compose(where, line, column, reason)),
        where_(where),
        reason_(reason),
        line_(line),
        column_(column) {}
  InputError(const std::string& where, const std::string& reason)
      : InputError(where, 0, 0, reason) {}

  // The parts of the message, for a front end that shows them apart: the file
  // or option, the 1-based line and column (0 where unknown), the reason.
  const std::string& where() const noexcept { return where_; }
  long long line() const noexcept { return line_; }
  long long column() const noexcept { return column_; }
  const std::string& reason() const noexcept { return reason_; }

 private:
  static std::string compose(const std::string& where, long long line, long long column,
                             const std::string& reason) {
    std::string text = where;
    if (line > 0) {
      text += ':' + std::to_string(line);
      if (column > 0) text += ':' + std::to_string(column);
    }
    return text + ": " + reason;
  }

  std::string where_;
  std::string reason_;
  long long line_;
  long long column_;
};

class BOM_REPORT_API OutputError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace bomreport

#endif  // BOM_REPORT_ERRORS_H_
