#include "QelBomTemplateUnits.h"

#include <string>

#include <gtest/gtest.h>

#include "QelUnitsManager.h"
#include "VRKUnit.h"
#include "VRKUnitsCommon.h"
#include "qel_odbc.h"

namespace {

using Units = QelBomTemplateUnits;

const QelString kSuppressSetting(u"C0_BOMSuppressLastZeros");

std::string display(const Units& units, const char* token, double value) {
  return units.getDisplayString(QelString(token), value).toUtf8();
}

class QelBomTemplateUnitsTest : public ::testing::Test {
 protected:
  void TearDown() override {
    VRKUnitsCommon::resetToDefaults();
    qel_odbc_clearDefault(kSuppressSetting);
  }
};

TEST_F(QelBomTemplateUnitsTest, TokenTypesAndPlainNotation) {
  Units units;
  units.AddTokenType(QelString("%PosNum"), Units::kUnkTokenUnitType);
  units.AddTokenType(QelString("%Odd"), static_cast<Units::eTokenUnitType>(5));
  units.AddTokenType(QelString("%Weight"), Units::kWeightUnit);
  units.AddTokenType(QelString("%Weight"), Units::kAreaUnit);  // the first type stays
  EXPECT_EQ(Units::kUnkTokenUnitType, units.tokenUnitType(QelString("%Absent")));
  EXPECT_EQ(5, units.tokenUnitType(QelString("%Odd")));
  EXPECT_EQ(Units::kWeightUnit, units.tokenUnitType(QelString("%Weight")));
  EXPECT_EQ(Units::kUnkTokenUnitType, units.tokenUnitType(QelString("%weight")));
  const struct {
    double value;
    const char* text;
  } cases[] = {
      {2.5, "2.5"}, {0.0, "0"}, {1.0, "1"}, {1234567.0, "1.23457e+06"}, {-0.125, "-0.125"}};
  for (const auto& c : cases) {
    EXPECT_EQ(c.text, display(units, "%Absent", c.value));
    EXPECT_EQ(c.text, display(units, "%PosNum", c.value));
    EXPECT_EQ("", display(units, "%Odd", c.value));
  }
}

TEST_F(QelBomTemplateUnitsTest, NewObjectUsesTheCurrentUnits) {
  Units units;
  EXPECT_EQ(1, units.suppressLastZeros());
  units.AddTokenType(QelString("%Length"), Units::kDistanceUnit);
  units.AddTokenType(QelString("%Weight"), Units::kWeightUnit);
  units.AddTokenType(QelString("%Area"), Units::kAreaUnit);
  units.AddTokenType(QelString("%Slope"), Units::kAngleUnit);
  // mm, kg, m2 and degrees, rounded to their decimals.
  EXPECT_EQ("2.3", display(units, "%Length", 2.26));
  EXPECT_EQ("2.35", display(units, "%Weight", 2.346));
  EXPECT_EQ("2.5", display(units, "%Area", 2500000.0));
  EXPECT_EQ("90", display(units, "%Slope", 1.5707963267948966));
  // Looked up as written: a summing directive is not a weight.
  EXPECT_EQ("2.346", display(units, "%SumBy:%Weight", 2.346));

  VRKUnitsCommon::setUnitOfDistance(VRKUnit(1, 1, 0));
  VRKUnitsCommon::setUnitOfWeight(VRKUnit(1010, 1010, 0));
  Units inMetres;
  inMetres.AddTokenType(QelString("%Length"), Units::kDistanceUnit);
  inMetres.AddTokenType(QelString("%Weight"), Units::kWeightUnit);
  EXPECT_EQ("2.5", display(inMetres, "%Length", 2500.0));
  EXPECT_EQ("0.002", display(inMetres, "%Weight", 2.346));
  EXPECT_EQ("2.3", display(units, "%Length", 2.26));  // fixed at construction
}

TEST_F(QelBomTemplateUnitsTest, SuppressSettingAndHostUnits) {
  Units units;
  units.AddTokenType(QelString("%Weight"), Units::kWeightUnit);
  QelUnitsManager manager;
  EXPECT_EQ("12", display(units, "%Weight", 12.0));

  qel_odbc_setDefault(kSuppressSetting, 0);
  units.setUnits(&manager);
  EXPECT_EQ(0, units.suppressLastZeros());
  EXPECT_EQ("12.00", display(units, "%Weight", 12.0));

  // Without the setting the flag keeps its previous value.
  qel_odbc_clearDefault(kSuppressSetting);
  units.setUnits(&manager);
  EXPECT_EQ(0, units.suppressLastZeros());
  Units fresh;
  fresh.setUnits(&manager);
  EXPECT_EQ(1, fresh.suppressLastZeros());

  // A weight shown in kilograms, then in tonnes once the host changes units.
  EXPECT_EQ("12600.00", display(units, "%Weight", 12600.0));
  manager.setUnit(QelUnitsTransformArray::kWeightSystem, VRKUnit(1010, 1010, 0));
  units.setUnits(&manager);
  EXPECT_EQ("12.600", display(units, "%Weight", 12600.0));

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
