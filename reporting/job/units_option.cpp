#include "job/units_option.h"

#include <string_view>

#include "BomReportErrors.h"
#include "input/text_util.h"

namespace bomreport {
namespace {

struct UnitKind {
  const char* name;
  int system;                        // QelUnitsTransformArray::eSystems
  QelUnitTransform::eUnitKind kind;  // what the unit must measure
};

constexpr UnitKind kKinds[] = {
    {"length", QelUnitsTransformArray::kDistanceSystem, QelUnitTransform::kDistance},
    {"weight", QelUnitsTransformArray::kWeightSystem, QelUnitTransform::kWeight},
    {"area", QelUnitsTransformArray::kAreaSystem, QelUnitTransform::kArea},
    {"angle", QelUnitsTransformArray::kAngleSystem, QelUnitTransform::kAngle},
};

void applyOne(std::string_view item, QelUnitsManager& manager) {
  const std::size_t eq = item.find('=');
  if (eq == std::string_view::npos) {
    throw InputError("--units", quoteForMessage(item) + " is not KIND=UNIT");
  }
  const std::string_view kindName = item.substr(0, eq);
  const std::string_view unitName = item.substr(eq + 1);
  for (const UnitKind& kind : kKinds) {
    if (kindName != kind.name) continue;
    VRKUnit unit;
    if (!VRKUnit::fromSymbol(toQel(unitName), unit)) {
      throw InputError("--units", "unknown unit name " + quoteForMessage(unitName));
    }
    if (unit.getQelUnitTransform()->kind() != kind.kind) {
      throw InputError("--units", quoteForMessage(unitName) + " is not a unit of " + kind.name);
    }
    manager.setUnit(kind.system, unit);
    return;
  }
  throw InputError(
      "--units", "unknown kind " + quoteForMessage(kindName) + " (length, weight, area or angle)");
}

}  // namespace

void applyUnitsOption(const std::string& option, QelUnitsManager& manager) {
  std::size_t pos = 0;
  while (pos <= option.size()) {
    const std::size_t comma = option.find(',', pos);
    const std::size_t end = comma == std::string::npos ? option.size() : comma;
    applyOne(std::string_view(option).substr(pos, end - pos), manager);
    pos = end + 1;
  }
}

void applySettings(const std::vector<std::string>& settings) {
  for (const std::string& setting : settings) {
    const std::size_t eq = setting.find('=');
    int value = 0;
    if (eq == std::string::npos || eq == 0 ||
        !parseInt32(std::string_view(setting).substr(eq + 1), value)) {
      throw InputError("--setting", quoteForMessage(setting) + " is not NAME=INTEGER");
    }
    qel_odbc_setDefault(toQel(setting.substr(0, eq)), value);
  }
}

}  // namespace bomreport
