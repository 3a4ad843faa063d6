#include "VRKUnit.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "QelUnitsManager.h"
#include "VRKUnitsCommon.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

// The engine's call: converted, rounded, never with a symbol.
std::string shown(const VRKUnit& unit, double value, int suppress) {
  return unit.getQelUnitTransform()->formatValue(value, suppress, 0, 1, 1, u' ').toUtf8();
}

TEST(VRKUnitTest, FormatsInternalValuesInEachUnit) {
  // Symbol, code, value in internal units (mm, kg, mm2, rad), text, text with suppressed zeros.
  // clang-format off
  const std::tuple<const char16_t*, long, double, const char*, const char*> cases[] = {
      {u"mm", 3, 1234.56, "1234.6", "1234.6"},    {u"mm", 3, 12.0, "12.0", "12"},
      {u"mm", 3, -0.04, "0.0", "0"},              {u"m", 1, 1500.0, "1.500", "1.5"},
      {u"cm", 2, 125.0, "12.50", "12.5"},         {u"in", 4, 254.0, "10.00", "10"},
      {u"ft", 5, 609.6, "2.000", "2"},            {u"kg", 1009, 1234.5, "1234.50", "1234.5"},
      {u"kg", 1009, -12.5, "-12.50", "-12.5"},    {u"kg", 1009, -0.001, "0.00", "0"},
      {u"t", 1010, 2500.0, "2.500", "2.5"},       {u"lb", 1011, 4.5359237, "10.0", "10"},
      {u"lb", 1011, 1.0, "2.2", "2.2"},           {u"mm2", 3001, 1234.6, "1235", "1235"},
      {u"mm2", 3001, 1230.0, "1230", "1230"},     {u"cm2", 3002, 250.0, "2.5", "2.5"},
      {u"m2", 3003, 1234567.0, "1.235", "1.235"}, {u"ft2", 3005, 278709.12, "3.00", "3"},
      {u"deg", 2006, kPi / 2, "90.00", "90"},     {u"deg", 2006, -kPi, "-180.00", "-180"},
      {u"rad", 2007, 0.5, "0.5000", "0.5"}};
  // clang-format on
  for (const auto& [symbol, code, value, withZeros, suppressed] : cases) {
    SCOPED_TRACE(testing::Message() << code << " " << value);
    VRKUnit unit;
    ASSERT_TRUE(VRKUnit::fromSymbol(QelString(symbol), unit));
    EXPECT_EQ(unit.unitCode(), code);
    EXPECT_TRUE(unit.getQelUnitTransform()->symbol() == QelString(symbol));
    EXPECT_EQ(shown(unit, value, 0), withZeros);
    EXPECT_EQ(shown(unit, value, 1), suppressed);
    EXPECT_EQ(shown(unit, value, 2), withZeros);  // only exactly 1 suppresses
  }
  VRKUnit kept(1009, 1009, 112);
  for (const char16_t* name : {u"MM", u"mm ", u"", u"sqm", u"kilogram"}) {
    EXPECT_FALSE(VRKUnit::fromSymbol(QelString(name), kept));
    EXPECT_EQ(kept.unitCode(), 1009);
  }
}

TEST(VRKUnitTest, DisplayCodeAndCopies) {
  // A symbol only on request; unknown codes show "%g" of the value as given.
  EXPECT_EQ(
      VRKUnit(1009, 1009, 0).getQelUnitTransform()->formatValue(12, 1, 1, 1, 1, u'_').toUtf8(),
      "12_kg");
  EXPECT_EQ(shown(VRKUnit(77, 77, 0), 1e20, 0), "1e+20");
  // The display code chooses the unit shown; an unknown one falls back.
  EXPECT_EQ(shown(VRKUnit(3, 1, 2), 1500.0, 0), "1.500");
  EXPECT_EQ(shown(VRKUnit(3, 999, 2), 12.0, 0), "12.0");
  EXPECT_EQ(shown(VRKUnit(3003, 3, 2), 12.0, 0), "12.0");

  // A copy keeps its own transform.
  VRKUnit a(1010, 1010, 112);
  const VRKUnit b(a);
  a = VRKUnit(3, 3, 2);
  EXPECT_EQ(b.styleCode(), 112);
  EXPECT_EQ(shown(b, 2500.0, 0), "2.500");
  EXPECT_EQ(shown(a, 5.0, 0), "5.0");
}

TEST(VRKUnitsCommonTest, CurrentUnitsAndManagerKinds) {
  VRKUnitsCommon::resetToDefaults();
  VRKUnit unit;
  EXPECT_EQ(VRKUnitsCommon::getUnitOfDistance(unit), 1);
  EXPECT_EQ(unit.unitCode(), 3);
  EXPECT_EQ(VRKUnitsCommon::getUnitOfWeight(unit), 1);
  EXPECT_EQ(unit.unitCode(), 1009);
  EXPECT_EQ(VRKUnitsCommon::getUnitOfArea(unit), 1);
  EXPECT_EQ(unit.displayCode(), 3003);
  EXPECT_EQ(VRKUnitsCommon::getUnitOfAngle(unit), 1);
  EXPECT_EQ(unit.unitCode(), 2006);

  VRKUnitsCommon::setUnitOfDistance(VRKUnit(1, 1, 2));
  VRKUnitsCommon::setUnitOfWeight(VRKUnit(1011, 1011, 112));
  QelUnitsManager manager;
  EXPECT_EQ(manager.getUnit(QelUnitsTransformArray::kDistanceSystem).unitCode(), 1);
  EXPECT_EQ(manager.getUnit(QelUnitsTransformArray::kWeightSystem).unitCode(), 1011);
  EXPECT_EQ(manager.getUnit(QelUnitsTransformArray::kAreaSystem).unitCode(), 3003);
  EXPECT_EQ(manager.getUnit(QelUnitsTransformArray::kAngleSystem).unitCode(), 2006);
  EXPECT_EQ(manager.getUnit(3).unitCode(), 0);
  EXPECT_EQ(manager.getUnit(-1).unitCode(), 0);

  VRKUnitsCommon::resetToDefaults();
  VRKUnitsCommon::getUnitOfDistance(unit);
  EXPECT_EQ(unit.unitCode(), 3);
  EXPECT_EQ(manager.getUnit(0).unitCode(), 1);  // the manager keeps its copy

  manager.setUnit(2, VRKUnit(1010, 1010, 112));
  manager.setUnit(3, VRKUnit(1, 1, 2));
  EXPECT_EQ(manager.getUnit(2).unitCode(), 1010);
  EXPECT_EQ(manager.getUnit(3).unitCode(), 0);
}

}  // namespace
