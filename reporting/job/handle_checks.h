// Checks of the handles a parts file gives its parts.
#ifndef BOMREPORT_JOB_HANDLE_CHECKS_H_
#define BOMREPORT_JOB_HANDLE_CHECKS_H_

#include <string>
#include <vector>

#include "BomReportWarnings.h"
#include "VRKBomEngine.h"

namespace bomreport {

// A kHandleTwice warning when rows of `data` share a handle: a model object
// listed twice counts twice in every total (a file exported twice into one,
// say). Names the first handle given twice, in row order. `fileName` names
// the parts file. Reads the rows once and sorts their hashes: fit for
// millions of rows.
std::vector<ReportWarning> handleWarnings(const QelBomData& data, const std::string& fileName);

}  // namespace bomreport

#endif  // BOMREPORT_JOB_HANDLE_CHECKS_H_
