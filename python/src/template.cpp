#include "template.h"

#include <pybind11/stl.h>

#include <memory>
#include <sstream>

#include "conversions.h"
#include "engine_lock.h"

namespace vrkbom {

namespace py = pybind11;

namespace {

using SourcePtr = std::shared_ptr<TemplateSource>;

// The template file's text of `templ`. REQUIRES: the engine's lock is held.
std::string fileText(const bomreport::LoadedTemplate& templ) {
  std::ostringstream out;
  bomreport::TreeJsonOptions options;
  options.tokenUnits = &templ.tokenUnits;
  options.columns = &templ.columns;
  bomreport::writeTreeJson(out, *templ.root, options);
  return out.str();
}

SourcePtr loadTemplate(const py::object& path) {
  auto source = std::make_shared<TemplateSource>();
  source->path = pathArgument(path, "path");
  source->name = source->path;
  source->json = withEngine([&] {
    source->text = bomreport::readTemplateFileText(source->path);
    return fileText(bomreport::readTemplateText(source->name, source->text));
  });
  return source;
}

SourcePtr templateFromDict(const py::object& dict, std::string name) {
  if (!py::isinstance<py::dict>(dict)) {
    throw py::type_error("Template.from_dict takes a dict, not " + typeName(dict));
  }
  // Positions in messages are those of this text.
  auto source = std::make_shared<TemplateSource>();
  source->name = std::move(name);
  source->text = py::module_::import("json")
                     .attr("dumps")(dict, py::arg("indent") = 2, py::arg("allow_nan") = false)
                     .cast<std::string>();
  source->json = withEngine(
      [&] { return fileText(bomreport::readTemplateText(source->name, source->text)); });
  return source;
}

SourcePtr defaultTemplate() {
  auto source = std::make_shared<TemplateSource>();
  source->builtIn = true;
  source->json = withEngine([] { return fileText(bomreport::defaultTemplate()); });
  return source;
}

py::object toDict(const TemplateSource& source) {
  return py::module_::import("json").attr("loads")(source.json);
}

py::str displayName(const TemplateSource& source) {
  return systemText(source.builtIn ? "built-in default template" : source.name);
}

}  // namespace

std::shared_ptr<TemplateSource> templateArgument(const py::object& templ) {
  if (py::isinstance<TemplateSource>(templ)) return templ.cast<SourcePtr>();
  if (py::isinstance<py::dict>(templ)) return templateFromDict(templ, "template");
  if (py::isinstance<py::str>(templ) || py::isinstance<py::bytes>(templ) ||
      py::hasattr(templ, "__fspath__")) {
    return loadTemplate(templ);
  }
  throw py::type_error("template is a vrkbom.Template, a template file's path or a dict, not " +
                       typeName(templ));
}

bomreport::LoadedTemplate TemplateSource::load() const {
  return bomreport::readTemplateText(name, text);
}

void bindTemplate(py::module_& module) {
  py::class_<TemplateSource, std::shared_ptr<TemplateSource>>(
      module, "Template",
      "A report template: sections with their tuples, as bomreport's template files hold\n"
      "them. Immutable; one template serves any number of evaluations, also on several\n"
      "threads at once.")
      .def_static("load", &loadTemplate, py::arg("path"),
                  "Reads a template file (JSON). Raises InputError, with the file, line and\n"
                  "column, for a file that is not one.")
      .def_static("from_dict", &templateFromDict, py::arg("d"), py::arg("name") = "template",
                  "A template from a dict in the template file format (what to_dict gives).\n"
                  "Raises InputError for one that is not a template: its line and column are\n"
                  "those of json.dumps(d, indent=2). `name` names it in reports and messages.")
      .def_static("default", &defaultTemplate, "The engine's built-in default template.")
      .def("to_dict", &toDict,
           "The template in the template file format, as a dict of lists, str, int and\n"
           "float (a float is a real value, an int an integer).")
      .def_property_readonly("name", &displayName, "How reports name the template.")
      .def("__repr__", [](const TemplateSource& source) {
        return py::str("<vrkbom.Template {}>").format(displayName(source));
      });
}

}  // namespace vrkbom
