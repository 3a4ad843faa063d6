#include "QelBomTemplate.h"

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "QelBomValues.h"
#include "QelUnitsManager.h"
#include "VRKUnit.h"
#include "VRKUnitsCommon.h"
#include "qel_odbc.h"

namespace {

using Item = QelBomTemplateItem;
using Units = QelBomTemplateUnits;

const char16_t kSuppressSetting[] = u"C0_BOMSuppressLastZeros";

std::vector<std::string> texts(const QelArray<QelString>& array) {
  std::vector<std::string> out;
  for (int i = 0; i < array.count(); ++i) out.push_back(array[i].toUtf8());
  return out;
}

QelArray<QelString> stringArray(const std::vector<std::string>& values) {
  QelArray<QelString> out;
  for (const std::string& v : values) out.append(QelString(v.c_str()));
  return out;
}

std::vector<int> ints(const QelIntArray& array) {
  return std::vector<int>(array.begin(), array.end());
}

// Releases a template as a host does: its section tree, then the root.
struct TemplateDeleter {
  void operator()(QelBomTemplate* root) const {
    root->empty();
    delete root;
  }
};
using TemplatePtr = std::unique_ptr<QelBomTemplate, TemplateDeleter>;

// A new section below `parent`, holding `tokens` as text tuples.
Item* addSection(QelBomItemBase* parent, Item::eTemplateItemType type,
                 const std::vector<const char*>& tokens) {
  Item* item = new Item(type);
  parent->addChild(item);
  for (const char* token : tokens) item->addData(QelBomDataTuple(QelString(token), QelString()));
  return item;
}

std::string display(const QelBomTemplate& root, const char* token, double value) {
  return root.getBomTemplateUnits()->getDisplayString(QelString(token), value).toUtf8();
}

class QelBomTemplateTest : public ::testing::Test {
 protected:
  void TearDown() override {
    VRKUnitsCommon::resetToDefaults();
    qel_odbc_clearDefault(QelString(kSuppressSetting));
  }
};

TEST_F(QelBomTemplateTest, NewTemplateIsAnEmptyRootWithUnits) {
  QelBomTemplate root;
  EXPECT_EQ(Item::kBomTemplate, root.type());
  EXPECT_EQ(nullptr, root.child());
  EXPECT_NE(nullptr, root.getBomTemplateUnits());
  EXPECT_EQ(1, root.getBomTemplateUnits()->suppressLastZeros());

  QelArray<QelString> trace = stringArray({"x"});
  QelIntArray types;
  types.append(5);
  EXPECT_EQ(1, root.getTokenTrace(trace));
  EXPECT_EQ(1, root.getFilterObjTypes(types));
  EXPECT_EQ(std::vector<std::string>{"x"}, texts(trace));
  EXPECT_EQ(std::vector<int>{5}, ints(types));
}

TEST_F(QelBomTemplateTest, TraceVisitsSectionsBreadthFirst) {
  TemplatePtr root(new QelBomTemplate());
  root->addData(QelBomDataTuple(QelString("%Root"), 0));
  Item* a = addSection(root.get(), Item::kReportHeader, {"%A"});
  Item* b = addSection(root.get(), Item::kReportFooter, {"%B"});
  addSection(a, Item::kGroupHeader, {"%A1"});
  addSection(a, Item::kGroupFooter, {"%A2"});
  addSection(b, Item::kDetails, {"%B1"});

  QelArray<QelString> trace;
  root->getTokenTrace(trace);
  const std::vector<std::string> expected{"%Root", "%A", "%B", "%A1", "%A2", "%B1"};
  EXPECT_EQ(expected, texts(trace));
}

TEST_F(QelBomTemplateTest, TraceAppendsOnlyNewTokens) {
  TemplatePtr root(new QelBomTemplate());
  Item* header = addSection(root.get(), Item::kReportHeader, {"%FilterBy:1"});
  Item* outer = addSection(header, Item::kGroupHeader, {"%GroupBy:%PosNum", "%SortAscBy:%A,%B"});
  Item* outerFooter = addSection(header, Item::kGroupFooter, {"%SumBy:%Weight"});
  Item* inner = addSection(outer, Item::kGroupHeader, {"%SortDescBy:Weight", "%SumBy:%Length"});
  addSection(outer, Item::kGroupFooter, {"%SumBy:%Weight"});

  // Already present: "%PosNum" is not repeated, and the whole token
  // "%SumBy:%Length" being present keeps its summed token out.
  QelArray<QelString> trace = stringArray({"%PosNum", "%SumBy:%Length"});
  EXPECT_EQ(1, root->getTokenTrace(trace));
  const std::vector<std::string> expected{"%PosNum",
                                          "%SumBy:%Length",
                                          "%FilterBy:1",
                                          "%GroupBy:%PosNum",
                                          "%SortAscBy:%A,%B",
                                          "%A",
                                          "%B",
                                          "%SumBy:%Weight",
                                          "%Weight",
                                          "%SortDescBy:Weight",
                                          "Weight"};
  EXPECT_EQ(expected, texts(trace));

  // The trace leaves every section's grouping and sorting tokens current.
  EXPECT_EQ(std::vector<std::string>{"%PosNum"}, texts(outer->groupingTokens()));
  EXPECT_EQ((std::vector<std::string>{"%SortAscBy:%A", "%B"}), texts(outer->sortingTokens()));
  EXPECT_EQ(std::vector<std::string>{"%SortDescBy:Weight"}, texts(inner->sortingTokens()));
  EXPECT_EQ(0, outerFooter->groupingTokens().count());
  EXPECT_EQ(0, header->filterObjTypes().count());  // filters are not rebuilt by the trace

  // A second trace into the same array adds nothing.
  root->getTokenTrace(trace);
  EXPECT_EQ(expected, texts(trace));
}

TEST_F(QelBomTemplateTest, FilterTypesBreadthFirstWithDuplicates) {
  TemplatePtr root(new QelBomTemplate());
  Item* header = addSection(root.get(), Item::kReportHeader, {"%FilterBy:1", "%PosNum"});
  addSection(header, Item::kGroupHeader, {"%FilterBy:2,3"});
  addSection(root.get(), Item::kReportFooter, {"%FilterBy:3"});

  QelIntArray types;
  types.append(9);
  EXPECT_EQ(1, root->getFilterObjTypes(types));
  EXPECT_EQ((std::vector<int>{9, 1, 3, 2, 3}), ints(types));
  root->getFilterObjTypes(types);
  EXPECT_EQ((std::vector<int>{9, 1, 3, 2, 3, 1, 3, 2, 3}), ints(types));
}

TEST_F(QelBomTemplateTest, SetUnitsForTokensWithoutManagerAddsTheStandardTable) {
  QelBomTemplate root;
  root.getBomTemplateUnits()->AddTokenType(QelString("%Length"), Units::kUnkTokenUnitType);
  // Neither the current units nor the stored setting are consulted without a
  // manager.
  VRKUnitsCommon::setUnitOfWeight(VRKUnit(1010, 1010, 0));
  qel_odbc_setDefault(QelString(kSuppressSetting), 0);
  root.setUnitsForTokens(nullptr);
  EXPECT_EQ(1, root.getBomTemplateUnits()->suppressLastZeros());
  EXPECT_EQ("12.5", display(root, "%Weight", 12.5));  // still kilograms

  const struct {
    const char* token;
    int type;
  } kTable[] = {{"%Length", Units::kUnkTokenUnitType},  // entered before: kept
                {"%SysLength", Units::kDistanceUnit},
                {"%SawLength", Units::kDistanceUnit},
                {"%CurvedBeamRadius", Units::kDistanceUnit},
                {"%Diameter", Units::kDistanceUnit},
                {"%Thick", Units::kDistanceUnit},
                {"%Width", Units::kDistanceUnit},
                {"%contourLength", Units::kDistanceUnit},
                {"%ContourLength", Units::kUnkTokenUnitType},
                {"%LengthInModel", Units::kDistanceUnit},
                {"%SawLengthInModel", Units::kDistanceUnit},
                {"%Weight", Units::kWeightUnit},
                {"%WeightInAssembly", Units::kWeightUnit},
                {"%WeightInAllAssembly", Units::kWeightUnit},
                {"%WeightInAllAssemblyInPhase", Units::kWeightUnit},
                {"%WeightInPhase", Units::kWeightUnit},
                {"%WeightInModel", Units::kWeightUnit},
                {"%ExactWeight", Units::kWeightUnit},
                {"%ExactWeightInAssembly", Units::kWeightUnit},
                {"%ExactWeightInAllAssembly", Units::kWeightUnit},
                {"%ExactWeightInAllAssemblyInPhase", Units::kWeightUnit},
                {"%ExactWeightInPhase", Units::kWeightUnit},
                {"%ExactWeightInModel", Units::kWeightUnit},
                {"%Area", Units::kAreaUnit},
                {"%Paint", Units::kAreaUnit},
                {"%PaintInAssembly", Units::kAreaUnit},
                {"%SumBy:%Weight", Units::kUnkTokenUnitType}};
  for (const auto& entry : kTable) {
    EXPECT_EQ(entry.type, root.getBomTemplateUnits()->tokenUnitType(QelString(entry.token)))
        << entry.token;
  }
}

TEST_F(QelBomTemplateTest, SetUnitsForTokensFollowsTheHostsUnits) {
  QelBomTemplate root;
  root.getBomTemplateUnits()->AddTokenType(QelString("%Slope"), Units::kAngleUnit);
  QelUnitsManager manager;
  root.setUnitsForTokens(&manager);
  EXPECT_EQ("12500", display(root, "%Weight", 12500.0));
  EXPECT_EQ("2500", display(root, "%Length", 2500.0));

  // Each kind of the manager lands in its own unit.
  manager.setUnit(QelUnitsTransformArray::kWeightSystem, VRKUnit(1010, 1010, 0));
  manager.setUnit(QelUnitsTransformArray::kDistanceSystem, VRKUnit(1, 1, 0));
  manager.setUnit(QelUnitsTransformArray::kAreaSystem, VRKUnit(3002, 3002, 0));
  manager.setUnit(QelUnitsTransformArray::kAngleSystem, VRKUnit(2007, 2007, 0));
  EXPECT_EQ("12500", display(root, "%Weight", 12500.0));  // not yet bound
  root.setUnitsForTokens(&manager);
  EXPECT_EQ("12.5", display(root, "%Weight", 12500.0));
  EXPECT_EQ("2.5", display(root, "%Length", 2500.0));
  EXPECT_EQ("2.5", display(root, "%Area", 250.0));
  EXPECT_EQ("1.5", display(root, "%Slope", 1.5));
}

TEST_F(QelBomTemplateTest, CopiesOwnTheirUnits) {
  QelBomTemplate source;
  source.addData(QelBomDataTuple(QelString("%PosNum"), 1));
  source.getBomTemplateUnits()->AddTokenType(QelString("%Mass"), Units::kWeightUnit);

  QelBomTemplate copy(source);
  EXPECT_EQ(Item::kBomTemplate, copy.type());
  EXPECT_EQ(1, copy.getData().count());
  EXPECT_NE(source.getBomTemplateUnits(), copy.getBomTemplateUnits());
  EXPECT_EQ(Units::kWeightUnit, copy.getBomTemplateUnits()->tokenUnitType(QelString("%Mass")));
  copy.getBomTemplateUnits()->AddTokenType(QelString("%Span"), Units::kDistanceUnit);
  EXPECT_EQ(Units::kUnkTokenUnitType,
            source.getBomTemplateUnits()->tokenUnitType(QelString("%Span")));

  QelBomTemplate assigned;
  assigned.getBomTemplateUnits()->AddTokenType(QelString("%Old"), Units::kAreaUnit);
  const QelBomTemplateUnits* ownUnits = assigned.getBomTemplateUnits();
  assigned = source;
  const QelBomTemplate& self = assigned;
  assigned = self;
  EXPECT_EQ(ownUnits, assigned.getBomTemplateUnits());  // keeps its own object
  EXPECT_EQ(1, assigned.getData().count());
  EXPECT_EQ(Units::kWeightUnit, assigned.getBomTemplateUnits()->tokenUnitType(QelString("%Mass")));
  EXPECT_EQ(Units::kUnkTokenUnitType,
            assigned.getBomTemplateUnits()->tokenUnitType(QelString("%Old")));
  assigned.getBomTemplateUnits()->AddTokenType(QelString("%Depth"), Units::kDistanceUnit);
  EXPECT_EQ(Units::kUnkTokenUnitType,
            source.getBomTemplateUnits()->tokenUnitType(QelString("%Depth")));

  // Deleting the copies leaves the source's units intact (checked under ASan).
  auto* heapCopy = new QelBomTemplate(source);
  delete heapCopy;
  EXPECT_EQ(Units::kWeightUnit, source.getBomTemplateUnits()->tokenUnitType(QelString("%Mass")));
}

}  // namespace
