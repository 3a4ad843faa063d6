// The names by which files and reports spell the engine's enumerations.
#ifndef BOMREPORT_TEXT_NAMES_H_
#define BOMREPORT_TEXT_NAMES_H_

#include <string_view>

#include "VRKBomEngine.h"

namespace bomreport {

// "kGroupHeader" for QelBomTemplateItem::kGroupHeader; null outside 0 to 8.
const char* sectionTypeName(int type);
bool sectionTypeFromName(std::string_view name, QelBomTemplateItem::eTemplateItemType& type);
// "Group header": the section type as a report shows it.
const char* sectionTitle(int type);

// "kWeightUnit" for QelBomTemplateUnits::kWeightUnit; null outside 0 to 4.
const char* unitTypeName(int type);
bool unitTypeFromName(std::string_view name, QelBomTemplateUnits::eTokenUnitType& type);

}  // namespace bomreport

#endif  // BOMREPORT_TEXT_NAMES_H_
