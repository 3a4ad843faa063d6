// vrkbom.Parts: the parts a report is evaluated over.
#ifndef VRKBOM_PARTS_H_
#define VRKBOM_PARTS_H_

#include <pybind11/pybind11.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "BomReportJob.h"

namespace vrkbom {

// Parts from a file, read anew by every evaluation as bomreport reads it (and
// checked when loaded), or parts held in memory. Immutable once made; shared by
// the Python objects that refer to it.
struct PartsSource {
  std::string path;    // the parts file; empty for a table
  bomreport::PartsFormat format = bomreport::PartsFormat::kAuto;
  char delimiter = ',';
  std::string ifcMap;  // a mapping file of IFC parts; empty: the default mapping
  std::shared_ptr<const bomreport::PartsTable> table;  // parts held in memory
  // A DataFrame's columns passed over: (name, type); a template may not use one.
  std::vector<std::pair<std::string, std::string>> skipped;

  // Puts the parts into a job's options.
  void applyTo(bomreport::ReportJobOptions& options) const;
  // Raises TypeError when `tokens` (a template's trace) names a skipped column.
  void checkTokens(const std::vector<std::string>& tokens) const;
};

// Parts, a parts file's path or records (a DataFrame, an iterable of dicts) as
// Parts. Raises TypeError for anything else.
std::shared_ptr<PartsSource> partsArgument(const pybind11::object& parts);

void bindParts(pybind11::module_& module);

}  // namespace vrkbom

#endif  // VRKBOM_PARTS_H_
