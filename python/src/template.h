// vrkbom.Template: a report template, as bomreport's template files hold it.
#ifndef VRKBOM_TEMPLATE_H_
#define VRKBOM_TEMPLATE_H_

#include <pybind11/pybind11.h>

#include <memory>
#include <string>

#include "BomTemplateFile.h"

namespace vrkbom {

// A template kept as the text of its template file, so that every job gets a
// tree of its own (a job binds and traces the tree it is given). Immutable
// once made; shared by the Python objects that refer to it.
struct TemplateSource {
  bool builtIn = false;  // the engine's default template
  std::string json;      // the template file's text, as the library writes it back
  // The text it was read from (the file's, or json.dumps of a dict), whose
  // lines its warnings name; empty for the built-in template.
  std::string text;
  std::string name;      // how reports name it: the path it was read from, or a name
  std::string path;      // the file it was read from; empty for one made in memory

  // A new tree of the template (not for the built-in one, which a job makes
  // itself). REQUIRES: the engine's lock is held.
  bomreport::LoadedTemplate load() const;
};

// A Template, a template file's path or a dict in the template file format as
// a Template. Raises TypeError for anything else.
std::shared_ptr<TemplateSource> templateArgument(const pybind11::object& templ);

void bindTemplate(pybind11::module_& module);

}  // namespace vrkbom

#endif  // VRKBOM_TEMPLATE_H_
