#include "conversions.h"

namespace vrkbom {

namespace py = pybind11;

std::string pathArgument(py::handle path, const char* argument) {
  if (!py::isinstance<py::str>(path) && !py::isinstance<py::bytes>(path) &&
      !py::hasattr(path, "__fspath__")) {
    throw py::type_error(std::string(argument) + " must be a str, bytes or os.PathLike, not " +
                         typeName(path));
  }
  std::string name = py::module_::import("os").attr("fsencode")(path).cast<std::string>();
  if (name.empty()) throw py::value_error(std::string(argument) + " is empty");
  return name;
}

py::str systemText(const std::string& bytes) {
  PyObject* text =
      PyUnicode_DecodeUTF8(bytes.data(), static_cast<Py_ssize_t>(bytes.size()), "surrogateescape");
  if (text == nullptr) throw py::error_already_set();
  return py::reinterpret_steal<py::str>(text);
}

std::string typeName(py::handle value) {
  const py::handle type = py::type::handle_of(value);
  const std::string module = py::str(type.attr("__module__"));
  const std::string name = py::str(type.attr("__qualname__"));
  return module == "builtins" ? name : module + '.' + name;
}

}  // namespace vrkbom
