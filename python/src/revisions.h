// vrkbom.Revisions: the revision list of two revisions of the parts (what
// vrkbom.diff returns), for pandas and for writing.
#ifndef VRKBOM_REVISIONS_H_
#define VRKBOM_REVISIONS_H_

#include <pybind11/pybind11.h>

#include <string>
#include <vector>

#include "BomReport.h"

namespace vrkbom {

// Owns the revision list and the paths it was made from (which writing must
// not overwrite). Plain data: safe on any thread.
struct RevisionsObject {
  bomreport::Revisions revisions;
  std::vector<std::string> inputs;
};

void bindRevisions(pybind11::module_& module);

}  // namespace vrkbom

#endif  // VRKBOM_REVISIONS_H_
