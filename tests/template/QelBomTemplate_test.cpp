#include "QelBomTemplate.h"

#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "QelUnitsManager.h"
#include "TemplateTestSupport.h"
#include "VRKUnit.h"

using namespace template_test;

namespace {

// A new section below `parent`, holding `tokens` as text tuples.
Item* addSection(QelBomItemBase* parent, Item::eTemplateItemType type,
                 std::initializer_list<const char*> tokens) {
  Item* item = new Item(type);
  parent->addChild(item);
  for (const char* token : tokens) item->addData(QelBomDataTuple(QelString(token), QelString()));
  return item;
}

std::string display(const QelBomTemplate& root, const char* token, double value) {
  return template_test::display(*root.getBomTemplateUnits(), token, value);
}

class QelBomTemplateTest : public UnitsTest {
 protected:
  void TearDown() override {
    root.empty();
    UnitsTest::TearDown();
  }
  QelBomTemplate root;
};

TEST_F(QelBomTemplateTest, TraceAppendsNewTokensBreadthFirst) {
  QelArray<QelString> trace;
  trace.append(QelString("x"));
  EXPECT_EQ(1, root.getTokenTrace(trace));  // no sections: nothing to add
  EXPECT_EQ("x", joined(trace));

  root.addData(QelBomDataTuple(QelString("%Root"), 0));
  Item* header = addSection(&root, Item::kReportHeader, {"%FilterBy:1"});
  addSection(&root, Item::kReportFooter, {"%Total"});
  Item* outer = addSection(header, Item::kGroupHeader, {"%GroupBy:%PosNum", "%SortAscBy:%A,%B"});
  Item* outerFooter = addSection(header, Item::kGroupFooter, {"%SumBy:%Weight"});
  Item* inner = addSection(outer, Item::kGroupHeader, {"%SortDescBy:Weight", "%SumBy:%Length"});
  addSection(outer, Item::kGroupFooter, {"%SumBy:%Weight"});

  // Already present: "%PosNum" is not repeated, and the whole token
  // "%SumBy:%Length" being present keeps its summed token out.
  trace = QelArray<QelString>();
  trace.append(QelString("%PosNum"));
  trace.append(QelString("%SumBy:%Length"));
  EXPECT_EQ(1, root.getTokenTrace(trace));
  const std::string expected =
      "%PosNum;%SumBy:%Length;%Root;%FilterBy:1;%Total;%GroupBy:%PosNum;%SortAscBy:%A,%B;%A;%B;"
      "%SumBy:%Weight;%Weight;%SortDescBy:Weight;Weight";
  EXPECT_EQ(expected, joined(trace));

  // The trace leaves every section's grouping and sorting tokens current.
  EXPECT_EQ("%PosNum", joined(outer->groupingTokens()));
  EXPECT_EQ("%SortAscBy:%A;%B", joined(outer->sortingTokens()));
  EXPECT_EQ("%SortDescBy:Weight", joined(inner->sortingTokens()));
  EXPECT_EQ(0, outerFooter->groupingTokens().count());
  EXPECT_EQ(0, header->filterObjTypes().count());  // filters are not rebuilt by the trace

  // A second trace into the same array adds nothing.
  root.getTokenTrace(trace);
  EXPECT_EQ(expected, joined(trace));
}

TEST_F(QelBomTemplateTest, FilterTypesBreadthFirstWithDuplicates) {
  QelIntArray types;
  types.append(9);
  EXPECT_EQ(1, root.getFilterObjTypes(types));
  Item* header = addSection(&root, Item::kReportHeader, {"%FilterBy:1", "%PosNum"});
  addSection(header, Item::kGroupHeader, {"%FilterBy:2,3"});
  addSection(&root, Item::kReportFooter, {"%FilterBy:3"});
  EXPECT_EQ(1, root.getFilterObjTypes(types));
  EXPECT_EQ("9;1;3;2;3", joined(types));
  root.getFilterObjTypes(types);
  EXPECT_EQ("9;1;3;2;3;1;3;2;3", joined(types));
}

TEST_F(QelBomTemplateTest, SetUnitsForTokensWithoutManagerAddsTheStandardTable) {
  root.getBomTemplateUnits()->AddTokenType(QelString("%Length"), Units::kUnkTokenUnitType);
  // Neither the current units nor the stored setting are consulted without a
  // manager.
  VRKUnitsCommon::setUnitOfWeight(VRKUnit(1010, 1010, 0));
  qel_odbc_setDefault(kSuppressSetting, 0);
  root.setUnitsForTokens(nullptr);
  EXPECT_EQ(1, root.getBomTemplateUnits()->suppressLastZeros());
  EXPECT_EQ("12.5", display(root, "%Weight", 12.5));  // still kilograms

  const std::pair<int, const char*> table[] = {
      {Units::kUnkTokenUnitType, "%Length %ContourLength %SumBy:%Weight"},  // %Length came first
      {Units::kDistanceUnit,
       "%SysLength %SawLength %CurvedBeamRadius %Diameter %Thick %Width %contourLength "
       "%LengthInModel %SawLengthInModel"},
      {Units::kWeightUnit,
       "%Weight %WeightInAssembly %WeightInAllAssembly %WeightInAllAssemblyInPhase "
       "%WeightInPhase %WeightInModel %ExactWeight %ExactWeightInAssembly "
       "%ExactWeightInAllAssembly %ExactWeightInAllAssemblyInPhase %ExactWeightInPhase "
       "%ExactWeightInModel"},
      {Units::kAreaUnit, "%Area %Paint %PaintInAssembly"},
  };
  for (const auto& [type, names] : table) {
    std::istringstream tokens(names);
    for (std::string token; tokens >> token;) {
      EXPECT_EQ(type, root.getBomTemplateUnits()->tokenUnitType(QelString(token.c_str()))) << token;
    }
  }
}

TEST_F(QelBomTemplateTest, SetUnitsForTokensBindsTheHostsUnits) {
  QelUnitsManager manager;
  manager.setUnit(QelUnitsTransformArray::kWeightSystem, VRKUnit(1010, 1010, 0));
  manager.setUnit(QelUnitsTransformArray::kDistanceSystem, VRKUnit(1, 1, 0));
  EXPECT_EQ("12500", display(root, "%Weight", 12500.0));  // no table yet
  root.setUnitsForTokens(&manager);
  EXPECT_EQ("12.5", display(root, "%Weight", 12500.0));
  EXPECT_EQ("2.5", display(root, "%SawLength", 2500.0));
}

TEST_F(QelBomTemplateTest, CopiesOwnTheirUnits) {
  root.addData(QelBomDataTuple(QelString("%PosNum"), 1));
  Units* units = root.getBomTemplateUnits();
  units->AddTokenType(QelString("%Mass"), Units::kWeightUnit);

  auto* copy = new QelBomTemplate(root);
  QelBomTemplate assigned;
  const Units* ownUnits = assigned.getBomTemplateUnits();
  assigned.getBomTemplateUnits()->AddTokenType(QelString("%Old"), Units::kAreaUnit);
  assigned = root;
  const QelBomTemplate& self = assigned;
  assigned = self;
  EXPECT_EQ(ownUnits, assigned.getBomTemplateUnits());  // keeps its own object
  EXPECT_NE(units, copy->getBomTemplateUnits());
  for (QelBomTemplate* target : {copy, &assigned}) {
    EXPECT_EQ(Item::kBomTemplate, target->type());
    EXPECT_EQ(1, target->getData().count());
    Units* theirs = target->getBomTemplateUnits();
    EXPECT_EQ(Units::kWeightUnit, theirs->tokenUnitType(QelString("%Mass")));
    EXPECT_EQ(Units::kUnkTokenUnitType, theirs->tokenUnitType(QelString("%Old")));
    theirs->AddTokenType(QelString("%Span"), Units::kDistanceUnit);
  }
  EXPECT_EQ(Units::kUnkTokenUnitType, units->tokenUnitType(QelString("%Span")));
  // Deleting a copy leaves the source's units intact (checked under ASan).
  delete copy;
  EXPECT_EQ(Units::kWeightUnit, units->tokenUnitType(QelString("%Mass")));
}

}  // namespace
