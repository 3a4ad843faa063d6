#include "errors.h"

#include "BomReportErrors.h"
#include "conversions.h"

namespace vrkbom {

namespace py = pybind11;

std::string pythonSpelling(std::string_view option) {
  if (option == "setting") return "settings";
  if (option == "data") return "parts";
  if (option == "preview") return "template=None";
  std::string name(option);
  for (char& c : name) c = c == '-' ? '_' : c;
  const bool flag = option == "merge-equal" || option == "strict" || option == "csv-raw" ||
                    option == "csv-sums-under-token" ||
                    option == "all-tokens" || option == "preview" || option == "landscape";
  return flag ? name + "=True" : name;
}

namespace {


// The classes, made once when the module is imported and kept for the life of
// the process (the handles are never released: the translator may run until
// the interpreter ends).
py::handle inputErrorType;
py::handle outputErrorType;
py::handle reportWarningType;

py::handle newClass(py::module_& module, const char* name, PyObject* base, const char* doc) {
  const std::string qualified = std::string("vrkbom.") + name;
  PyObject* type = PyErr_NewExceptionWithDoc(qualified.c_str(), doc, base, nullptr);
  if (type == nullptr) throw py::error_already_set();
  module.add_object(name, py::handle(type));  // the module takes a reference of its own
  return py::handle(type);
}

py::object positionOrNone(long long position) {
  return position > 0 ? py::object(py::int_(position)) : py::object(py::none());
}

// The error as Python names it: an option that the library names in its
// message is spelled as the module's argument ("input_units").
void raiseInputError(const bomreport::InputError& error) {
  py::object exception =
      inputErrorType(systemText(bomreport::spellOptions(error.what(), pythonSpelling)));
  exception.attr("file") = systemText(bomreport::spellOptions(error.where(), pythonSpelling));
  exception.attr("line") = positionOrNone(error.line());
  exception.attr("column") = positionOrNone(error.column());
  exception.attr("reason") = systemText(bomreport::spellOptions(error.reason(), pythonSpelling));
  PyErr_SetObject(inputErrorType.ptr(), exception.ptr());
}

void translate(std::exception_ptr thrown) {
  try {
    if (thrown) std::rethrow_exception(thrown);
  } catch (const bomreport::InputError& error) {
    raiseInputError(error);
  } catch (const bomreport::OutputError& error) {
    PyErr_SetObject(outputErrorType.ptr(), systemText(error.what()).ptr());
  }
}

}  // namespace

void registerErrors(py::module_& module) {
  inputErrorType =
      newClass(module, "InputError", PyExc_ValueError,
               "Bad input: a template or parts file, a record, an option value.\n\n"
               "str() is the message bomreport prints, \"FILE:LINE:COLUMN: reason\".\n"
               "Attributes: file (the file, table or option), line and column (1-based,\n"
               "None where unknown) and reason.");
  for (const char* name : {"file", "line", "column", "reason"}) {
    inputErrorType.attr(name) = py::none();
  }
  outputErrorType = newClass(module, "OutputError", PyExc_OSError,
                             "A report that cannot be written: the file, a scratch file, or a "
                             "text the format cannot hold.");
  reportWarningType =
      newClass(module, "ReportWarning", PyExc_UserWarning,
               "What does not stop a report but makes its figures suspect: a template token\n"
               "that no part carries, a filter that keeps no part, an unknown setting.");
  py::register_exception_translator(translate);
}


std::string pythonWords(const bomreport::ReportWarning& warning) {
  return bomreport::wordWarning(warning, pythonSpelling);
}

void raiseStrict(const std::vector<bomreport::ReportWarning>& warnings) {
  std::string message = "strict: " + std::to_string(warnings.size()) +
                        (warnings.size() == 1 ? " warning" : " warnings") + ", no report";
  for (const bomreport::ReportWarning& warning : warnings) message += "\n" + pythonWords(warning);
  PyErr_SetObject(reportWarningType.ptr(), systemText(message).ptr());
  throw py::error_already_set();
}

void warn(const bomreport::ReportWarning& warning) {
  // Level 1 is the Python line that called into the module.
  py::module_::import("warnings").attr("warn")(systemText(pythonWords(warning)),
                                               reportWarningType, 1);
}

}  // namespace vrkbom
