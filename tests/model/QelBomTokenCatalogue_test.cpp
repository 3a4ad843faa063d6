#include <gtest/gtest.h>

#include "QelBomValues.h"

namespace {

using Value = QelBomDataValue;

Value::eBomDataValueType typeOf(const char16_t* token) {
  return QelBomDataToken::getTokenType(QelString(token));
}

TEST(QelBomTokenCatalogueTest, EveryKnownToken) {
  const char16_t* const texts[] = {u"%Phase",         u"%MNum",
                                   u"%MName",         u"%PNum",
                                   u"%Num",           u"%Class",
                                   u"%Name",          u"%GratingConnectorName",
                                   u"%Material",      u"%Coating",
                                   u"%InsideCoating", u"%OutsideCoating",
                                   u"%Commodity",     u"%PreDefinedRemark",
                                   u"%DStV",          u"%Role",
                                   u"%FreeRemark",    u"%Set",
                                   u"%BoltName",      u"%Standard",
                                   u"%ElementID",     u"%External",
                                   u"%UserAttr"};
  const char16_t* const ints[] = {u"%MQuantity",
                                  u"%MQuantityInPhase",
                                  u"%IsMP",
                                  u"%Quantity",
                                  u"%QuantityInModel",
                                  u"%QuantityInAllAssembly",
                                  u"%QuantityInPhase",
                                  u"%QuantityInAllAssemblyInPhase",
                                  u"%ClassId",
                                  u"%isUnwidable",
                                  u"%CompoundId",
                                  u"%GratingConnectorQuantity",
                                  u"%CladdingConnectorQuantity",
                                  u"%CladdingConnectorQuantityInModel"};
  const char16_t* const reals[] = {u"%SysLength",
                                   u"%CurvedBeamRadius",
                                   u"%Weight",
                                   u"%WeightInAssembly",
                                   u"%WeightInAllAssembly",
                                   u"%WeightInAllAssemblyInPhase",
                                   u"%WeightInPhase",
                                   u"%WeightInModel",
                                   u"%ExactWeight",
                                   u"%ExactWeightInAssembly",
                                   u"%ExactWeightInAllAssembly",
                                   u"%ExactWeightInAllAssemblyInPhase",
                                   u"%ExactWeightInPhase",
                                   u"%ExactWeightInModel",
                                   u"%WeightMeter",
                                   u"%Length",
                                   u"%LengthInModel",
                                   u"%SawLength",
                                   u"%SawLengthInModel",
                                   u"%Paint",
                                   u"%PaintInAssembly",
                                   u"%%PaintMeter",
                                   u"%Thick",
                                   u"%Width",
                                   u"%Area",
                                   u"%contourLength",
                                   u"%Diameter"};
  EXPECT_EQ(sizeof(texts) / sizeof(texts[0]) + sizeof(ints) / sizeof(ints[0]) +
                sizeof(reals) / sizeof(reals[0]),
            64u);
  for (const char16_t* t : texts) {
    EXPECT_EQ(typeOf(t), Value::kStringDataValue) << QelString(t).toUtf8();
    // A summing directive answers with the type of what it sums.
    QelString summed(QelBomDataToken::kSumPrefix);
    summed += QelString(t);
    EXPECT_EQ(QelBomDataToken::getTokenType(summed), Value::kStringDataValue);
  }
  for (const char16_t* t : ints)
    EXPECT_EQ(typeOf(t), Value::kIntDataValue) << QelString(t).toUtf8();
  for (const char16_t* t : reals) {
    EXPECT_EQ(typeOf(t), Value::kDoubleDataValue) << QelString(t).toUtf8();
  }
}

TEST(QelBomTokenCatalogueTest, TrickyNames) {
  struct Case {
    const char16_t* token;
    Value::eBomDataValueType type;
  };
  const Case cases[] = {
      {u"%Weight", Value::kDoubleDataValue},
      {u"%SumBy:%Weight", Value::kDoubleDataValue},
      {u"%SumBy:%Quantity", Value::kIntDataValue},
      {u"%SumBy:", Value::kUnkDataValueType},
      {u"%SumBy:%Nothing", Value::kUnkDataValueType},
      {u"%Quantity", Value::kIntDataValue},
      {u"%Material", Value::kStringDataValue},
      {u"%ExternalNumber", Value::kStringDataValue},
      {u"%External", Value::kStringDataValue},
      {u"%Externa", Value::kUnkDataValueType},
      {u"%external", Value::kUnkDataValueType},
      {u"%SumBy:%ExternalX", Value::kStringDataValue},
      {u"%UserAttr", Value::kStringDataValue},
      {u"%UserAttr1", Value::kUnkDataValueType},
      {u"%UserAtt", Value::kUnkDataValueType},
      {u"%PaintMeter", Value::kUnkDataValueType},
      {u"%%PaintMeter", Value::kDoubleDataValue},
      {u"%weight", Value::kUnkDataValueType},
      {u"%PosNum", Value::kUnkDataValueType},
      {u"%posNum", Value::kUnkDataValueType},
      {u"%IsUnwidable", Value::kUnkDataValueType},
      {u"%isUnwidable", Value::kIntDataValue},
      {u"%ContourLength", Value::kUnkDataValueType},
      {u"Weight", Value::kUnkDataValueType},
      {u"%Weight ", Value::kUnkDataValueType},
      {u"", Value::kUnkDataValueType},
      {u"%GroupBy:%Weight", Value::kUnkDataValueType},
      {u"%FilterBy:1", Value::kUnkDataValueType},
      // The summed token is counted from the end, wherever the prefix stands.
      {u"x%SumBy:%Weight", Value::kUnkDataValueType},
      {u"%SumBy:%Weightx", Value::kUnkDataValueType},
  };
  for (const Case& c : cases) EXPECT_EQ(typeOf(c.token), c.type) << QelString(c.token).toUtf8();
}

}  // namespace
