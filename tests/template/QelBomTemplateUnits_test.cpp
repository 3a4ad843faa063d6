#include "QelBomTemplateUnits.h"

#include <gtest/gtest.h>

#include "QelUnitsManager.h"
#include "TemplateTestSupport.h"
#include "VRKUnit.h"

using namespace template_test;

namespace {

using QelBomTemplateUnitsTest = UnitsTest;

TEST_F(QelBomTemplateUnitsTest, TokenTypesAndPlainNotation) {
  Units units;
  units.AddTokenType(QelString("%PosNum"), Units::kUnkTokenUnitType);  // as if absent
  units.AddTokenType(QelString("%Odd"), static_cast<Units::eTokenUnitType>(5));
  units.AddTokenType(QelString("%Weight"), Units::kWeightUnit);
  units.AddTokenType(QelString("%Weight"), Units::kAreaUnit);  // the first type stays
  EXPECT_EQ(Units::kUnkTokenUnitType, units.tokenUnitType(QelString("%Absent")));
  EXPECT_EQ(5, units.tokenUnitType(QelString("%Odd")));
  EXPECT_EQ(Units::kWeightUnit, units.tokenUnitType(QelString("%Weight")));
  EXPECT_EQ(Units::kUnkTokenUnitType, units.tokenUnitType(QelString("%weight")));
  const std::pair<double, const char*> cases[] = {
      {2.5, "2.5"}, {0.0, "0"}, {1.0, "1"}, {1234567.0, "1.23457e+06"}, {-0.125, "-0.125"}};
  for (const auto& [value, text] : cases) {
    EXPECT_EQ(text, display(units, "%Absent", value));
    EXPECT_EQ(text, display(units, "%PosNum", value));
    EXPECT_EQ("", display(units, "%Odd", value));
  }
}

TEST_F(QelBomTemplateUnitsTest, CurrentUnitsThenTheHostsUnits) {
  auto withTypes = [](Units& units) {
    units.AddTokenType(QelString("%Length"), Units::kDistanceUnit);
    units.AddTokenType(QelString("%Weight"), Units::kWeightUnit);
    units.AddTokenType(QelString("%Area"), Units::kAreaUnit);
    units.AddTokenType(QelString("%Slope"), Units::kAngleUnit);
  };
  Units units;
  withTypes(units);
  // mm, kg, m2 and degrees, rounded to their decimals, trailing zeros dropped.
  EXPECT_EQ("2.3", display(units, "%Length", 2.26));
  EXPECT_EQ("12600", display(units, "%Weight", 12600.0));
  EXPECT_EQ("2.5", display(units, "%Area", 2500000.0));
  EXPECT_EQ("90", display(units, "%Slope", 1.5707963267948966));
  // Looked up as written: a summing directive is not a weight.
  EXPECT_EQ("2.346", display(units, "%SumBy:%Weight", 2.346));

  // A new object takes the current units; an existing one keeps its own.
  VRKUnitsCommon::setUnitOfDistance(VRKUnit(1, 1, 0));
  Units inMetres;
  withTypes(inMetres);
  EXPECT_EQ("2.5", display(inMetres, "%Length", 2500.0));
  EXPECT_EQ("2.3", display(units, "%Length", 2.26));

  // Each kind of the host's manager lands in its own unit: a weight shown in
  // kilograms is shown in tonnes once the host changes units.
  QelUnitsManager manager;
  manager.setUnit(QelUnitsTransformArray::kWeightSystem, VRKUnit(1010, 1010, 0));
  manager.setUnit(QelUnitsTransformArray::kDistanceSystem, VRKUnit(2, 2, 0));
  manager.setUnit(QelUnitsTransformArray::kAreaSystem, VRKUnit(3002, 3002, 0));
  manager.setUnit(QelUnitsTransformArray::kAngleSystem, VRKUnit(2007, 2007, 0));
  units.setUnits(&manager);
  EXPECT_EQ("12.6", display(units, "%Weight", 12600.0));
  EXPECT_EQ("250", display(units, "%Length", 2500.0));
  EXPECT_EQ("2.5", display(units, "%Area", 250.0));
  EXPECT_EQ("1.5", display(units, "%Slope", 1.5));
}

TEST_F(QelBomTemplateUnitsTest, SuppressSettingAndCopies) {
  Units units;
  units.AddTokenType(QelString("%Weight"), Units::kWeightUnit);
  QelUnitsManager manager;
  manager.setUnit(QelUnitsTransformArray::kWeightSystem, VRKUnit(1010, 1010, 0));
  EXPECT_EQ("12", display(units, "%Weight", 12.0));
  qel_odbc_setDefault(kSuppressSetting, 0);
  units.setUnits(&manager);
  EXPECT_EQ(0, units.suppressLastZeros());
  EXPECT_EQ("12.600", display(units, "%Weight", 12600.0));
  // Without the setting the flag keeps its previous value.
  qel_odbc_clearDefault(kSuppressSetting);
  units.setUnits(&manager);
  EXPECT_EQ(0, units.suppressLastZeros());
  Units fresh;
  fresh.setUnits(&manager);
  EXPECT_EQ(1, fresh.suppressLastZeros());

  // Copies take the bound units and the flag; rebinding the source leaves them.
  Units copy(units);
  Units assigned;
  assigned.AddTokenType(QelString("%Old"), Units::kAreaUnit);
  assigned = units;
  for (Units* target : {&copy, &assigned}) {
    EXPECT_EQ(0, target->suppressLastZeros());
    EXPECT_EQ("12.500", display(*target, "%Weight", 12500.0));
    EXPECT_EQ(Units::kUnkTokenUnitType, target->tokenUnitType(QelString("%Old")));
    target->AddTokenType(QelString("%Length"), Units::kDistanceUnit);
  }
  EXPECT_EQ(Units::kUnkTokenUnitType, units.tokenUnitType(QelString("%Length")));
  qel_odbc_setDefault(kSuppressSetting, 1);
  manager.setUnit(QelUnitsTransformArray::kWeightSystem, VRKUnit(1009, 1009, 112));
  units.setUnits(&manager);
  EXPECT_EQ("12500", display(units, "%Weight", 12500.0));
  EXPECT_EQ("12.500", display(copy, "%Weight", 12500.0));
  EXPECT_EQ("12.500", display(assigned, "%Weight", 12500.0));
}

}  // namespace
