// The host's units and stored settings as given on the command line.
#ifndef BOMREPORT_JOB_UNITS_OPTION_H_
#define BOMREPORT_JOB_UNITS_OPTION_H_

#include <string>
#include <vector>

#include "VRKBomEngine.h"

namespace bomreport {

// Sets the units of `manager` from "length=mm,weight=kg,area=m2,angle=deg"
// (any of the four, in any order; unit names as VRKUnit::fromSymbol knows
// them). Throws InputError "--units: reason" for an unknown kind or unit name,
// or a unit of another kind.
void applyUnitsOption(const std::string& option, QelUnitsManager& manager);

// Stores every "NAME=INT" with qel_odbc_setDefault. Throws InputError
// "--setting: reason" for a malformed setting.
void applySettings(const std::vector<std::string>& settings);

}  // namespace bomreport

#endif  // BOMREPORT_JOB_UNITS_OPTION_H_
