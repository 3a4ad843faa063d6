#include "job/units_option.h"

#include <algorithm>
#include <iterator>
#include <string_view>

#include "BomReportErrors.h"
#include "input/text_util.h"
#include "job/report_warnings.h"

namespace bomreport {
namespace {

struct UnitKind {
  const char* name;
  int tokenUnitType;                 // QelBomTemplateUnits::eTokenUnitType
  int system;                        // QelUnitsTransformArray::eSystems
  QelUnitTransform::eUnitKind kind;  // what the unit must measure
};

constexpr UnitKind kKinds[] = {
    {"length", QelBomTemplateUnits::kDistanceUnit, QelUnitsTransformArray::kDistanceSystem,
     QelUnitTransform::kDistance},
    {"weight", QelBomTemplateUnits::kWeightUnit, QelUnitsTransformArray::kWeightSystem,
     QelUnitTransform::kWeight},
    {"area", QelBomTemplateUnits::kAreaUnit, QelUnitsTransformArray::kAreaSystem,
     QelUnitTransform::kArea},
    {"angle", QelBomTemplateUnits::kAngleUnit, QelUnitsTransformArray::kAngleSystem,
     QelUnitTransform::kAngle},
};

// The stored settings that the system reads.
const char* const kKnownSettings[] = {"C0_BOMSuppressLastZeros"};

UnitChoice parseOne(std::string_view item, const char* optionName) {
  const std::size_t eq = item.find('=');
  if (eq == std::string_view::npos) {
    throw InputError(optionName, quoteForMessage(item) + " is not KIND=UNIT");
  }
  const std::string_view kindName = item.substr(0, eq);
  const std::string_view unitName = item.substr(eq + 1);
  for (const UnitKind& kind : kKinds) {
    if (kindName != kind.name) continue;
    UnitChoice choice{kind.tokenUnitType, kind.system, VRKUnit()};
    if (!VRKUnit::fromSymbol(toQel(unitName), choice.unit)) {
      throw InputError(optionName, "unknown unit name " + quoteForMessage(unitName));
    }
    if (choice.unit.getQelUnitTransform()->kind() != kind.kind) {
      throw InputError(optionName, quoteForMessage(unitName) + " is not a unit of " + kind.name);
    }
    return choice;
  }
  throw InputError(
      optionName, "unknown kind " + quoteForMessage(kindName) + " (length, weight, area or angle)");
}

}  // namespace

std::vector<UnitChoice> parseUnitsOption(const std::string& option, const char* optionName) {
  std::vector<UnitChoice> choices;
  std::size_t pos = 0;
  while (pos <= option.size()) {
    const std::size_t comma = option.find(',', pos);
    const std::size_t end = comma == std::string::npos ? option.size() : comma;
    choices.push_back(parseOne(std::string_view(option).substr(pos, end - pos), optionName));
    pos = end + 1;
  }
  return choices;
}

void applyUnitsOption(const std::string& option, QelUnitsManager& manager) {
  for (const UnitChoice& choice : parseUnitsOption(option, "--units")) {
    manager.setUnit(choice.system, choice.unit);
  }
}

std::vector<ReportWarning> applySettings(const std::vector<std::string>& settings) {
  std::vector<ReportWarning> warnings;
  const std::vector<std::string> known(std::begin(kKnownSettings), std::end(kKnownSettings));
  for (const std::string& setting : settings) {
    const std::size_t eq = setting.find('=');
    int value = 0;
    if (eq == std::string::npos || eq == 0 ||
        !parseInt32(std::string_view(setting).substr(eq + 1), value)) {
      throw InputError("--setting", quoteForMessage(setting) + " is not NAME=INTEGER");
    }
    const std::string name = setting.substr(0, eq);
    if (std::find(known.begin(), known.end(), name) == known.end()) {
      ReportWarning warning{WarningKind::kUnknownSetting};
      warning.text = optionReference("setting") + ": no part of the system reads the setting " +
                     quoteForMessage(name) + didYouMean(name, known);
      warnings.push_back(std::move(warning));
    }
    qel_odbc_setDefault(toQel(name), value);
  }
  return warnings;
}

}  // namespace bomreport
