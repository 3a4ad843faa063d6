// The host's units and stored settings as given on the command line.
#ifndef BOMREPORT_JOB_UNITS_OPTION_H_
#define BOMREPORT_JOB_UNITS_OPTION_H_

#include <string>
#include <vector>

#include "BomReportWarnings.h"
#include "VRKBomEngine.h"

namespace bomreport {

// One KIND=UNIT of a units option.
struct UnitChoice {
  int tokenUnitType;  // QelBomTemplateUnits::eTokenUnitType of the kind
  int system;         // QelUnitsTransformArray::eSystems of the kind
  VRKUnit unit;
};

// Reads "length=mm,weight=kg,area=m2,angle=deg" (any of the four, in any
// order; unit names as VRKUnit::fromSymbol knows them). Throws InputError
// "OPTION: reason" for an unknown kind or unit name, or a unit of another kind.
std::vector<UnitChoice> parseUnitsOption(const std::string& option, const char* optionName);

// Sets the units of `manager` from a units option (parseUnitsOption, named
// "--units" in messages).
void applyUnitsOption(const std::string& option, QelUnitsManager& manager);

// Stores every "NAME=INT" with qel_odbc_setDefault. Throws InputError
// "--setting: reason" for a malformed setting. Returns a warning for each name
// that no part of the system reads.
std::vector<ReportWarning> applySettings(const std::vector<std::string>& settings);

}  // namespace bomreport

#endif  // BOMREPORT_JOB_UNITS_OPTION_H_
