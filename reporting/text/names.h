// The names by which files and reports spell the engine's enumerations.
#ifndef BOMREPORT_TEXT_NAMES_H_
#define BOMREPORT_TEXT_NAMES_H_

#include <string>
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

// The directives of a template's tuples, and their prefixes as the engine's
// own constants spell them (QelBomDataToken::kGroupPrefix, ...), in UTF-8.
enum class Directive { kGroup, kSortAsc, kSortDesc, kSum, kFilter };
constexpr Directive kDirectives[] = {Directive::kGroup, Directive::kSortAsc, Directive::kSortDesc,
                                     Directive::kSum, Directive::kFilter};
const std::string& directivePrefix(Directive directive);  // "%SumBy:"
// The token a "%SumBy:" directive sums; empty for any other token.
std::string_view summedToken(std::string_view token);

}  // namespace bomreport

#endif  // BOMREPORT_TEXT_NAMES_H_
