#include "text/names.h"

namespace bomreport {
namespace {

constexpr const char* kSectionTypeNames[] = {
    "kUnkTemplateItemType", "kBomTemplate", "kReportHeader",
    "kPageHeader",          "kGroupHeader", "kDetails",
    "kGroupFooter",         "kPageFooter",  "kReportFooter"};
constexpr const char* kSectionTitles[] = {"Unknown",      "Template",     "Report header",
                                          "Page header",  "Group header", "Details",
                                          "Group footer", "Page footer",  "Report footer"};
constexpr const char* kUnitTypeNames[] = {"kUnkTokenUnitType", "kDistanceUnit", "kWeightUnit",
                                          "kAreaUnit", "kAngleUnit"};
constexpr int kSectionTypeCount = 9;
constexpr int kUnitTypeCount = 5;

}  // namespace

const std::string& directivePrefix(Directive directive) {
  static const std::string prefixes[] = {
      QelBomDataToken::kGroupPrefix.toUtf8(), QelBomDataToken::kSortAscPrefix.toUtf8(),
      QelBomDataToken::kSortDescPrefix.toUtf8(), QelBomDataToken::kSumPrefix.toUtf8(),
      QelBomDataToken::kFilterPrefix.toUtf8()};
  return prefixes[static_cast<int>(directive)];
}

std::string_view summedToken(std::string_view token) {
  const std::string& sum = directivePrefix(Directive::kSum);
  return token.substr(0, sum.size()) == sum ? token.substr(sum.size()) : std::string_view();
}

const char* sectionTypeName(int type) {
  return type >= 0 && type < kSectionTypeCount ? kSectionTypeNames[type] : nullptr;
}

bool sectionTypeFromName(std::string_view name, QelBomTemplateItem::eTemplateItemType& type) {
  for (int i = 0; i < kSectionTypeCount; ++i) {
    if (name == kSectionTypeNames[i]) {
      type = static_cast<QelBomTemplateItem::eTemplateItemType>(i);
      return true;
    }
  }
  return false;
}

const char* sectionTitle(int type) {
  return type >= 0 && type < kSectionTypeCount ? kSectionTitles[type] : "Unknown";
}

const char* unitTypeName(int type) {
  return type >= 0 && type < kUnitTypeCount ? kUnitTypeNames[type] : nullptr;
}

bool unitTypeFromName(std::string_view name, QelBomTemplateUnits::eTokenUnitType& type) {
  for (int i = 0; i < kUnitTypeCount; ++i) {
    if (name == kUnitTypeNames[i]) {
      type = static_cast<QelBomTemplateUnits::eTokenUnitType>(i);
      return true;
    }
  }
  return false;
}

}  // namespace bomreport
