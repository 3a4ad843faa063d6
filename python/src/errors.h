// The module's exceptions and warnings.
//
//   InputError(ValueError)  bad input: the library's InputError, with the
//                           attributes file, line, column (None where
//                           unknown) and reason; str() is the message
//                           bomreport prints after "bomreport: ".
//   OutputError(OSError)    a report that cannot be written.
//   ReportWarning(UserWarning)  what makes a report's figures suspect.
//
// std::bad_alloc becomes MemoryError (pybind11's own translation), any other
// C++ exception RuntimeError: none reaches the interpreter unconverted.
#ifndef VRKBOM_ERRORS_H_
#define VRKBOM_ERRORS_H_

#include <pybind11/pybind11.h>

#include <string>
#include <vector>

#include "BomReportErrors.h"
#include "BomReportOptions.h"
#include "BomReportWarnings.h"

namespace vrkbom {

// Adds the exception and warning classes to `module` and registers the
// translation of the library's exceptions.
void registerErrors(pybind11::module_& module);

// Issues `message` as a ReportWarning from the caller's line. Raises what a
// warnings filter makes of it ("error": the warning as an exception).
void warn(const bomreport::ReportWarning& warning);

// Raises ReportWarning as an exception whose message holds every warning's
// words, one per line (strict=True).
[[noreturn]] void raiseStrict(const std::vector<bomreport::ReportWarning>& warnings);

// An option bomreport's warnings name, as evaluate() and Report.write take
// it ("merge_equal=True"); the module's bomreport::OptionSpelling.
std::string pythonSpelling(std::string_view option);

// A warning's words, its options named as evaluate() takes them.
std::string pythonWords(const bomreport::ReportWarning& warning);

// The value the library's parser reads from an argument's text; InputError
// ("ARGUMENT: reason", a ValueError) when it reads none.
template <class Parse>
auto parsedOption(const char* argument, Parse parse) -> decltype(parse()) {
  try {
    return parse();
  } catch (const bomreport::OptionError& error) {
    throw bomreport::InputError(argument, error.what());
  }
}

}  // namespace vrkbom

#endif  // VRKBOM_ERRORS_H_
