#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "QelBomValues.h"

namespace {

using Value = QelBomDataValue;

Value::eBomDataValueType typeOf(const std::string& token) {
  return QelBomDataToken::getTokenType(QelString(token.c_str()));
}

TEST(QelBomTokenCatalogueTest, EveryKnownToken) {
  const struct {
    Value::eBomDataValueType type;
    const char* names;
  } catalogue[] = {
      {Value::kStringDataValue,
       "%Phase %MNum %MName %PNum %Num %Class %Name %GratingConnectorName %Material %Coating "
       "%InsideCoating %OutsideCoating %Commodity %PreDefinedRemark %DStV %Role %FreeRemark %Set "
       "%BoltName %Standard %ElementID %External %UserAttr"},
      {Value::kIntDataValue,
       "%MQuantity %MQuantityInPhase %IsMP %Quantity %QuantityInModel %QuantityInAllAssembly "
       "%QuantityInPhase %QuantityInAllAssemblyInPhase %ClassId %isUnwidable %CompoundId "
       "%GratingConnectorQuantity %CladdingConnectorQuantity %CladdingConnectorQuantityInModel"},
      {Value::kDoubleDataValue,
       "%SysLength %CurvedBeamRadius %Weight %WeightInAssembly %WeightInAllAssembly "
       "%WeightInAllAssemblyInPhase %WeightInPhase %WeightInModel %ExactWeight "
       "%ExactWeightInAssembly %ExactWeightInAllAssembly %ExactWeightInAllAssemblyInPhase "
       "%ExactWeightInPhase %ExactWeightInModel %WeightMeter %Length %LengthInModel %SawLength "
       "%SawLengthInModel %Paint %PaintInAssembly %%PaintMeter %Thick %Width %Area "
       "%contourLength %Diameter"},
  };
  int count = 0;
  for (const auto& entry : catalogue) {
    std::istringstream names(entry.names);
    for (std::string name; names >> name; ++count) {
      EXPECT_EQ(typeOf(name), entry.type) << name;
      // A summing directive answers with the type of what it sums.
      EXPECT_EQ(typeOf("%SumBy:" + name), entry.type) << name;
    }
  }
  EXPECT_EQ(count, 64);
}

TEST(QelBomTokenCatalogueTest, TrickyNames) {
  EXPECT_EQ(typeOf("%SumBy:%Quantity"), Value::kIntDataValue);
  EXPECT_EQ(typeOf("%ExternalNumber"), Value::kStringDataValue);  // "%External" is a prefix
  EXPECT_EQ(typeOf("%SumBy:%ExternalX"), Value::kStringDataValue);
  // Names match exactly and case-sensitively; the summed token is counted
  // from the end, wherever the prefix stands.
  // clang-format off
  const char* const unknown[] = {
      "%SumBy:", "%SumBy:%Nothing", "%Externa", "%external", "%UserAttr1", "%UserAtt",
      "%PaintMeter", "%weight", "%PosNum", "%IsUnwidable", "%ContourLength", "Weight", "%Weight ",
      "", "%GroupBy:%Weight", "%FilterBy:1", "x%SumBy:%Weight", "%SumBy:%Weightx"};
  // clang-format on
  for (const char* token : unknown) EXPECT_EQ(typeOf(token), Value::kUnkDataValueType) << token;
}

}  // namespace
