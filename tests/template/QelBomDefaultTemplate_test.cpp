#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "QelBomTemplate.h"

namespace {

using Item = QelBomTemplateItem;
using Units = QelBomTemplateUnits;

std::vector<std::string> texts(const QelArray<QelString>& array) {
  std::vector<std::string> out;
  for (const QelString& s : array) out.push_back(s.toUtf8());
  return out;
}

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

TEST(QelBomDefaultTemplateTest, TokenTraceAndDerivedLists) {
  DefaultTemplate t;
  Item* reportHeader = t.at(t.root->child());
  Item* outer = t.at(reportHeader->child());
  Item* inner = t.at(outer->child());
  // Lists stay empty until the host asks for them.
  EXPECT_EQ(0, outer->groupingTokens().count());
  EXPECT_EQ(0, reportHeader->filterObjTypes().count());

  QelArray<QelString> trace;
  EXPECT_EQ(1, t.root->getTokenTrace(trace));
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
  EXPECT_EQ(std::vector<std::string>{"%PosNum"}, texts(outer->groupingTokens()));
  EXPECT_EQ(std::vector<std::string>{"%SortAscBy:%Material"}, texts(outer->sortingTokens()));
  EXPECT_EQ(std::vector<std::string>{"Material"}, texts(inner->groupingTokens()));
  EXPECT_EQ(std::vector<std::string>{"%SortDescBy:Weight"}, texts(inner->sortingTokens()));
  for (Item* other : {t.at(t.root), reportHeader, t.at(reportHeader->next()), t.at(outer->next()),
                      t.at(inner->next()), t.at(inner->child())}) {
    EXPECT_EQ(0, other->groupingTokens().count());
    EXPECT_EQ(0, other->sortingTokens().count());
  }

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
  EXPECT_EQ("2.346", units->getDisplayString(QelString("%Length"), 2.346).toUtf8());
  EXPECT_EQ("2.35", units->getDisplayString(QelString("%Weight"), 2.346).toUtf8());
  EXPECT_EQ("2.35", units->getDisplayString(QelString("%SumBy:%Weight"), 2.346).toUtf8());
}

}  // namespace
