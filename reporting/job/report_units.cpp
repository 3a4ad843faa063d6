#include "BomReportUnits.h"

#include <cmath>

#include "VRKBomEngine.h"
#include "text/text_util.h"

namespace bomreport {
namespace {

// The units manager's kind (QelUnitsTransformArray::eSystems) of each token
// unit type, by QelBomTemplateUnits::eTokenUnitType.
constexpr int kSystemOfUnitType[5] = {
    -1, QelUnitsTransformArray::kDistanceSystem, QelUnitsTransformArray::kWeightSystem,
    QelUnitsTransformArray::kAreaSystem, QelUnitsTransformArray::kAngleSystem};

}  // namespace

struct ReportUnits::Tables {
  explicit Tables(const QelBomTemplateUnits& units) : table(units) {}

  QelBomTemplateUnits table;
  VRKUnit transforms[5];  // by QelBomTemplateUnits::eTokenUnitType; [0] unused
};

ReportUnits::ReportUnits() : suppressLastZeros_(true) {}

ReportUnits::ReportUnits(const QelBomTemplateUnits& table, const QelUnitsManager& units)
    : suppressLastZeros_(table.suppressLastZeros() == 1) {
  auto tables = std::make_shared<Tables>(table);
  const QelUnitsManager defaults;
  for (int type = QelBomTemplateUnits::kDistanceUnit; type <= QelBomTemplateUnits::kAngleUnit;
       ++type) {
    tables->transforms[type] = units.getUnit(kSystemOfUnitType[type]);
    const QelUnitTransform* transform = tables->transforms[type].getQelUnitTransform();
    units_[type].symbol = transform->symbol().toUtf8();
    units_[type].decimals = transform->decimals();
    const double standard =
        defaults.getUnit(kSystemOfUnitType[type]).getQelUnitTransform()->fromInternal(1.0);
    const double shown = transform->fromInternal(1.0);
    if (standard > 0 && shown > 0) {
      units_[type].scale = static_cast<int>(std::lround(std::log10(standard / shown)));
    }
  }
  tables_ = std::move(tables);
}

int ReportUnits::unitTypeOf(const QelString& token) const {
  if (tables_ == nullptr) return 0;
  QelString summed;
  const int type =
      tables_->table.tokenUnitType(QelBomDataToken(token).getSummingRequest(summed) == 1 ? summed : token);
  return type > QelBomTemplateUnits::kUnkTokenUnitType && type <= QelBomTemplateUnits::kAngleUnit
             ? type
             : 0;
}

const DisplayUnit* ReportUnits::unitOf(const QelString& token) const {
  const int type = unitTypeOf(token);
  return type == 0 || units_[type].symbol.empty() ? nullptr : &units_[type];
}

const DisplayUnit* ReportUnits::unitOf(std::string_view token) const {
  return unitOf(toQel(token));
}

double ReportUnits::shownValue(const QelString& token, double internal) const {
  return shownValueOf(unitTypeOf(token), internal);
}

double ReportUnits::shownValueOf(int unitType, double internal) const {
  return unitType == 0 ? internal
                       : tables_->transforms[unitType].getQelUnitTransform()->fromInternal(internal);
}

}  // namespace bomreport
