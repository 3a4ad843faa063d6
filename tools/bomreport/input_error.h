// InputError: what every reader throws for bad input. main() prints it as one
// line, "bomreport: FILE:LINE:COL: reason", and exits with status 2.
#ifndef BOMREPORT_INPUT_ERROR_H_
#define BOMREPORT_INPUT_ERROR_H_

#include <stdexcept>
#include <string>

namespace bomreport {

class InputError : public std::runtime_error {
 public:
  // `line` and `column` are 1-based; 0 leaves them out of the message. They are
  // 64-bit: a file of several gigabytes may have more lines than an int counts.
  InputError(const std::string& where, long long line, long long column, const std::string& reason)
      : std::runtime_error(compose(where, line, column, reason)) {}
  InputError(const std::string& where, const std::string& reason)
      : InputError(where, 0, 0, reason) {}

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
};

}  // namespace bomreport

#endif  // BOMREPORT_INPUT_ERROR_H_
