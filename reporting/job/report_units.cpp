#include "BomReportUnits.h"

#include <cmath>

namespace bomreport {
namespace {

// The units manager's kind (QelUnitsTransformArray::eSystems) of each token
// unit type, by QelBomTemplateUnits::eTokenUnitType.
constexpr int kSystemOfUnitType[5] = {
    -1, QelUnitsTransformArray::kDistanceSystem, QelUnitsTransformArray::kWeightSystem,
    QelUnitsTransformArray::kAreaSystem, QelUnitsTransformArray::kAngleSystem};

}  // namespace

ReportUnits::ReportUnits() : suppressLastZeros_(true) {}

ReportUnits::ReportUnits(const QelBomTemplateUnits& table, const QelUnitsManager& units)
    : table_(table), suppressLastZeros_(table.suppressLastZeros() == 1) {
  const QelUnitsManager defaults;
  for (int type = QelBomTemplateUnits::kDistanceUnit; type <= QelBomTemplateUnits::kAngleUnit;
       ++type) {
    transforms_[type] = units.getUnit(kSystemOfUnitType[type]);
    const QelUnitTransform* transform = transforms_[type].getQelUnitTransform();
    units_[type].symbol = transform->symbol().toUtf8();
    units_[type].decimals = transform->decimals();
    const double standard =
        defaults.getUnit(kSystemOfUnitType[type]).getQelUnitTransform()->fromInternal(1.0);
    const double shown = transform->fromInternal(1.0);
    if (standard > 0 && shown > 0) {
      units_[type].scale = static_cast<int>(std::lround(std::log10(standard / shown)));
    }
  }
}

int ReportUnits::unitTypeOf(const QelString& token) const {
  QelString summed;
  const int type =
      table_.tokenUnitType(QelBomDataToken(token).getSummingRequest(summed) == 1 ? summed : token);
  return type > QelBomTemplateUnits::kUnkTokenUnitType && type <= QelBomTemplateUnits::kAngleUnit
             ? type
             : 0;
}

const DisplayUnit* ReportUnits::unitOf(const QelString& token) const {
  const int type = unitTypeOf(token);
  return type == 0 || units_[type].symbol.empty() ? nullptr : &units_[type];
}

double ReportUnits::shownValue(const QelString& token, double internal) const {
  return shownValueOf(unitTypeOf(token), internal);
}

double ReportUnits::shownValueOf(int unitType, double internal) const {
  return unitType == 0 ? internal
                       : transforms_[unitType].getQelUnitTransform()->fromInternal(internal);
}

}  // namespace bomreport
