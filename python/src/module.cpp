// vrkbom: the reporting library as a Python module.
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include "BomReport.h"
#include "errors.h"
#include "evaluate.h"
#include "revisions.h"
#include "parts.h"
#include "report.h"
#include "template.h"

PYBIND11_MODULE(vrkbom, module) {
  module.doc() =
      "Bill-of-materials reports: a template evaluated over parts by the report engine,\n"
      "written in every format of bomreport or read item by item.\n\n"
      "    report = vrkbom.evaluate(vrkbom.Template.load(\"steel-template.json\"),\n"
      "                             vrkbom.Parts.load(\"steel-parts.csv\"))\n"
      "    report.write(\"steel-bom.xlsx\")\n\n"
      "One evaluation runs at a time in a process (the engine's rule); evaluations on\n"
      "several threads wait for each other, with the GIL released.";
  module.attr("__version__") = VRKBOM_VERSION;
  module.attr("formats") = pybind11::tuple(pybind11::cast(bomreport::reportFormatNames()));
  vrkbom::registerErrors(module);
  vrkbom::bindTemplate(module);
  vrkbom::bindParts(module);
  vrkbom::bindReport(module);
  vrkbom::bindRevisions(module);
  vrkbom::bindEvaluate(module);
}
