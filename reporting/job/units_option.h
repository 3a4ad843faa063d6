// The host's display units and stored settings, applied.
#ifndef BOMREPORT_JOB_UNITS_OPTION_H_
#define BOMREPORT_JOB_UNITS_OPTION_H_

#include <vector>

#include "BomReportOptions.h"
#include "BomReportWarnings.h"
#include "VRKBomEngine.h"

namespace bomreport {

// The unit `choice` names. REQUIRES: it came from parseUnits.
VRKUnit unitOf(const UnitChoice& choice);

// Sets the units of `manager` that `choices` name.
void applyUnits(const std::vector<UnitChoice>& choices, QelUnitsManager& manager);

// Stores every setting with qel_odbc_setDefault. Returns a warning for each
// name that no part of the system reads.
std::vector<ReportWarning> applySettings(const std::vector<StoredSetting>& settings);

}  // namespace bomreport

#endif  // BOMREPORT_JOB_UNITS_OPTION_H_
