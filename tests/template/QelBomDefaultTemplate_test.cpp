#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "QelBomTemplate.h"
#include "TemplateTestSupport.h"

using namespace template_test;

namespace {

// Owns a default template and releases its sections as a host does.
struct DefaultTemplate {
  QelBomTemplate* root = QelBomTemplate::createDefaultTemplate();
  ~DefaultTemplate() {
    root->empty();
    delete root;
  }
  Item* at(QelBomItemBase* node) { return static_cast<Item*>(node); }
};

TEST(QelBomDefaultTemplateTest, Listing) {
  DefaultTemplate t;
  QelString text;
  EXPECT_EQ(1, t.root->list(text, 0, 1, 1));
  EXPECT_EQ(
      "[ kBomTemplate ]\n"
      " [ kReportHeader][%FilterBy: %Beam , %Plate:]\n"
      "  [ kGroupHeader ][%GroupBy:%PosNum:][%SortAscBy:%Material:][%PosNum:0]\n"
      "   [ kGroupHeader ][%GroupBy:Material:][%SortDescBy:Weight:][%Material:0]\n"
      "    [ kDetails     ][%posNum:0][%Weight:0][%Material:0]\n"
      "   [ kGroupFooter ][%SumBy:%Weight:0]\n"
      "  [ kGroupFooter ][%SumBy:%Weight:0]\n"
      " [ kReportFooter]",
      text.toUtf8());
}

TEST(QelBomDefaultTemplateTest, TokenTraceAndFilterTypes) {
  DefaultTemplate t;
  QelArray<QelString> trace;
  EXPECT_EQ(1, t.root->getTokenTrace(trace));
  EXPECT_EQ(
      "%FilterBy: %Beam , %Plate;%GroupBy:%PosNum;%SortAscBy:%Material;%PosNum;%Material;"
      "%SumBy:%Weight;%Weight;%GroupBy:Material;%SortDescBy:Weight;Material;Weight;%posNum",
      joined(trace));
  Item* outer = t.at(t.root->child()->child());
  EXPECT_EQ("%PosNum", joined(outer->groupingTokens()));
  EXPECT_EQ("Material", joined(t.at(outer->child())->groupingTokens()));

  // The filter pieces "%Beam" and "%Plate" are no decimal numbers.
  QelIntArray types;
  EXPECT_EQ(1, t.root->getFilterObjTypes(types));
  EXPECT_EQ((std::vector<int>{0, 0}), std::vector<int>(types.begin(), types.end()));
}

TEST(QelBomDefaultTemplateTest, UnitTypesWithoutBinding) {
  DefaultTemplate t;
  const Units* units = t.root->getBomTemplateUnits();
  EXPECT_EQ(Units::kUnkTokenUnitType, units->tokenUnitType(QelString("%PosNum")));
  EXPECT_EQ(Units::kUnkTokenUnitType, units->tokenUnitType(QelString("%Material")));
  EXPECT_EQ(Units::kWeightUnit, units->tokenUnitType(QelString("%Weight")));
  EXPECT_EQ(Units::kWeightUnit, units->tokenUnitType(QelString("%SumBy:%Weight")));
  // No standard table yet: lengths show plainly, weights in kilograms.
  EXPECT_EQ("2.346", display(*units, "%Length", 2.346));
  EXPECT_EQ("2.35", display(*units, "%Weight", 2.346));
  EXPECT_EQ("2.35", display(*units, "%SumBy:%Weight", 2.346));
}

}  // namespace
