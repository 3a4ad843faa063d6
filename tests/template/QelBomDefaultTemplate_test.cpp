#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "QelBomTemplate.h"
#include "QelBomValues.h"

namespace {

using Item = QelBomTemplateItem;
using Units = QelBomTemplateUnits;

std::vector<std::string> texts(const QelArray<QelString>& array) {
  std::vector<std::string> out;
  for (int i = 0; i < array.count(); ++i) out.push_back(array[i].toUtf8());
  return out;
}

struct TemplateDeleter {
  void operator()(QelBomTemplate* root) const {
    root->empty();
    delete root;
  }
};
using TemplatePtr = std::unique_ptr<QelBomTemplate, TemplateDeleter>;

Item* section(QelBomItemBase* node) { return static_cast<Item*>(node); }

TEST(QelBomDefaultTemplateTest, Shape) {
  TemplatePtr root(QelBomTemplate::createDefaultTemplate());
  ASSERT_NE(nullptr, root.get());
  EXPECT_EQ(Item::kBomTemplate, root->type());
  Item* reportHeader = section(root->child());
  ASSERT_NE(nullptr, reportHeader);
  EXPECT_EQ(Item::kReportHeader, reportHeader->type());
  EXPECT_EQ(Item::kReportFooter, section(reportHeader->next())->type());
  EXPECT_EQ(reportHeader->next(), root->lastChild());
  EXPECT_EQ(nullptr, reportHeader->next()->next());
  EXPECT_EQ(nullptr, reportHeader->next()->child());

  Item* outer = section(reportHeader->child());
  Item* inner = section(outer->child());
  Item* details = section(inner->child());
  EXPECT_EQ(Item::kGroupHeader, outer->type());
  EXPECT_EQ(Item::kGroupHeader, inner->type());
  EXPECT_EQ(Item::kDetails, details->type());
  EXPECT_EQ(nullptr, details->child());
  EXPECT_EQ(nullptr, details->next());

  EXPECT_EQ(nullptr, root->getSubItemAt(Item::kGroupHeader));
  EXPECT_EQ(outer, reportHeader->getSubItemAt(Item::kGroupHeader));
  EXPECT_EQ(inner->next(), outer->getSubItemAt(Item::kGroupFooter));

  // Lists stay empty until the host asks for them.
  EXPECT_EQ(0, outer->groupingTokens().count());
  EXPECT_EQ(0, reportHeader->filterObjTypes().count());
  // Value types: texts for directives, integer 0 for tokens.
  EXPECT_EQ(QelBomDataValue::kStringDataValue, outer->getData()[0].value().type());
  EXPECT_EQ(QelBomDataValue::kIntDataValue, outer->getData()[2].value().type());
  EXPECT_EQ(0, outer->getData()[2].used());
}

TEST(QelBomDefaultTemplateTest, Listing) {
  TemplatePtr root(QelBomTemplate::createDefaultTemplate());
  QelString text;
  EXPECT_EQ(1, root->list(text, 0, 1, 1));
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

TEST(QelBomDefaultTemplateTest, TokenTraceAndDerivedLists) {
  TemplatePtr root(QelBomTemplate::createDefaultTemplate());
  QelArray<QelString> trace;
  EXPECT_EQ(1, root->getTokenTrace(trace));
  const std::vector<std::string> expected{"%FilterBy: %Beam , %Plate",
                                          "%GroupBy:%PosNum",
                                          "%SortAscBy:%Material",
                                          "%PosNum",
                                          "%Material",
                                          "%SumBy:%Weight",
                                          "%Weight",
                                          "%GroupBy:Material",
                                          "%SortDescBy:Weight",
                                          "Material",
                                          "Weight",
                                          "%posNum"};
  EXPECT_EQ(expected, texts(trace));

  Item* reportHeader = section(root->child());
  Item* outer = section(reportHeader->child());
  Item* inner = section(outer->child());
  EXPECT_EQ(std::vector<std::string>{"%PosNum"}, texts(outer->groupingTokens()));
  EXPECT_EQ(std::vector<std::string>{"%SortAscBy:%Material"}, texts(outer->sortingTokens()));
  EXPECT_EQ(std::vector<std::string>{"Material"}, texts(inner->groupingTokens()));
  EXPECT_EQ(std::vector<std::string>{"%SortDescBy:Weight"}, texts(inner->sortingTokens()));
  for (Item* other : {static_cast<Item*>(root.get()), reportHeader, section(reportHeader->next()),
                      section(outer->next()), section(inner->next()), section(inner->child())}) {
    EXPECT_EQ(0, other->groupingTokens().count());
    EXPECT_EQ(0, other->sortingTokens().count());
  }
}

TEST(QelBomDefaultTemplateTest, FilterTypesComeFromTheReportHeader) {
  TemplatePtr root(QelBomTemplate::createDefaultTemplate());
  QelIntArray types;
  EXPECT_EQ(1, root->getFilterObjTypes(types));
  // The pieces "%Beam" and "%Plate" are no decimal numbers.
  const int beam = QelString("%Beam").toInteger();
  const int plate = QelString("%Plate").toInteger();
  EXPECT_EQ((std::vector<int>{beam, plate}), std::vector<int>(types.begin(), types.end()));
  root->getFilterObjTypes(types);
  EXPECT_EQ(4, types.count());
  EXPECT_EQ(2, section(root->child())->filterObjTypes().count());
}

TEST(QelBomDefaultTemplateTest, UnitTypesWithoutBinding) {
  TemplatePtr root(QelBomTemplate::createDefaultTemplate());
  const Units* units = root->getBomTemplateUnits();
  EXPECT_EQ(Units::kUnkTokenUnitType, units->tokenUnitType(QelString("%PosNum")));
  EXPECT_EQ(Units::kUnkTokenUnitType, units->tokenUnitType(QelString("%Material")));
  EXPECT_EQ(Units::kWeightUnit, units->tokenUnitType(QelString("%Weight")));
  EXPECT_EQ(Units::kWeightUnit, units->tokenUnitType(QelString("%SumBy:%Weight")));
  // No standard table yet: lengths show plainly, weights in kilograms.
  EXPECT_EQ("2.346", units->getDisplayString(QelString("%Length"), 2.346).toUtf8());
  EXPECT_EQ("2.35", units->getDisplayString(QelString("%Weight"), 2.346).toUtf8());
  EXPECT_EQ("2.35", units->getDisplayString(QelString("%SumBy:%Weight"), 2.346).toUtf8());
}

}  // namespace
