// The engine against the reference evaluator on the sample data and on
// generated templates and data.
#include <gtest/gtest.h>

#include <random>

#include "EngineTestSupport.h"
#include "QelBomEvaluator2.h"
#include "ReferenceBridge.h"
#include "ReferenceEvaluator.h"

using namespace engine_test;
using reference::Tuple;
using reference::Tuples;

namespace {

using reference_bridge::kNone;
using reference_bridge::LevelPlan;

void compareWithReference(QelBomTemplate* templ, const std::vector<reference::Level>& levels,
                          QelBomData* data) {
  EXPECT_EQ(reference_bridge::compare(templ, levels, data), "");
}

void compareWithReference(const std::vector<LevelPlan>& plans,
                          const std::vector<reference::Row>& rows) {
  EXPECT_EQ(reference_bridge::compare(plans, rows), "");
}

}  // namespace

// The default template over the sample data, whose tokens lack the "%" of the
// template's: nothing is copied or summed, the inner groups follow Material
// in the order of descending Weight, and only the first details line of each
// inner group stays. Then the same rows with "%" tokens added.
TEST(QelBomEvaluator2ReferenceTest, DefaultTemplateOverSampleData) {
  TemplatePtr templ(QelBomTemplate::createDefaultTemplate());
  templ->setUnitsForTokens(nullptr);
  trace(templ.get());
  using reference::Section;
  // clang-format off
  const std::vector<reference::Level> levels = {
      {{"[ kReportHeader]", {{"%FilterBy: %Beam , %Plate", ""}}}, Section{"[ kReportFooter]", {}},
       {}, {}},
      {{"[ kGroupHeader ]",
        {{"%GroupBy:%PosNum", ""}, {"%SortAscBy:%Material", ""}, {"%PosNum", 0}}},
       Section{"[ kGroupFooter ]", {{"%SumBy:%Weight", 0}}}, {"%PosNum"}, {{"%Material", true}}},
      {{"[ kGroupHeader ]",
        {{"%GroupBy:Material", ""}, {"%SortDescBy:Weight", ""}, {"%Material", 0}}},
       Section{"[ kGroupFooter ]", {{"%SumBy:%Weight", 0}}}, {"Material"}, {{"Weight", false}}},
      {{"[ kDetails     ]", {{"%posNum", 0}, {"%Weight", 0}, {"%Material", 0}}},
       std::nullopt, {}, {}}};
  // clang-format on
  DataPtr data(QelBomData::createDefaultData());
  compareWithReference(templ.get(), levels, data.get());
  QelArray<QelArray<QelString>> handles, tokens;
  data->getUsedHandlesAndTokens(handles, tokens);
  EXPECT_EQ(handles.count(), 0);

  DataPtr marked(QelBomData::createDefaultData());
  for (QelBomDataRow* row : rowsOf(marked.get())) {
    for (int i = 0; i < 3; ++i) {
      QelBomDataTuple copy = row->getData()[i];
      QelString token(u"%");
      token += copy.token().token();
      copy.setToken(token);
      row->addData(copy);
    }
  }
  compareWithReference(templ.get(), levels, marked.get());
}

// Report header, groups by assembly, groups by position, details; 200,000
// generated rows.
TEST(QelBomEvaluator2ReferenceTest, TwoHundredThousandRowsThroughFourLevels) {
  // clang-format off
  const std::vector<LevelPlan> plans = {
      {Item::kReportHeader, {{"%Title", "Parts list"}},
       Item::kReportFooter, {{"%SumBy:%Weight", 0}, {"%SumBy:%Count", 0}}, {}, {}},
      {Item::kGroupHeader,
       {{"%GroupBy:%Assembly", ""}, {"%SortAscBy:%Assembly", ""}, {"%Assembly", ""}},
       Item::kGroupFooter, {{"%Assembly", "total"}, {"%SumBy:%Weight", 0.0}},
       {"%Assembly"}, {{"%Assembly", true}}},
      {Item::kGroupHeader, {{"%GroupBy:%PosNum", ""}, {"%SortDescBy:%PosNum,%Material", ""},
                            {"%PosNum", 0}, {"%Material", ""}},
       Item::kGroupFooter, {{"%SumBy:%Weight", 0}, {"%SumBy:%Length", 0}, {"%SumBy:%Count", 0}},
       {"%PosNum"}, {{"%PosNum", false}, {"%Material", false}}},
      {Item::kDetails, {{"%PosNum", 0}, {"%Material", ""}, {"%Weight", 0.0}, {"%Length", 0.0}},
       kNone, {}, {}, {}}};
  // clang-format on
  std::mt19937 random(2024);
  auto pick = [&random](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
  const char* materials[] = {"S235", "S355", "S460"};
  std::vector<reference::Row> rows(200000);
  for (size_t i = 0; i < rows.size(); ++i) {
    Tuples& tuples = rows[i].tuples;
    rows[i].handle = std::to_string(i);
    tuples.push_back({"%Assembly", "A" + std::to_string(100 + pick(200))});
    if (pick(50) != 0) tuples.push_back({"%PosNum", pick(40)});
    if (pick(30) != 0) tuples.push_back({"%Material", materials[pick(3)]});
    if (pick(40) != 0) tuples.push_back({"%Weight", 0.25 * (1 + pick(6))});
    tuples.push_back({"%Length", 100.0 * (1 + pick(3))});
    tuples.push_back({"%Count", 1 + pick(3)});
  }
  compareWithReference(plans, rows);
}

// Small random templates (one to four levels, random grouping, sorting and
// closing sections) over small random data with many equal values.
TEST(QelBomEvaluator2ReferenceTest, RandomSmallTemplatesAndData) {
  std::mt19937 random(99);
  auto pick = [&random](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
  const std::string groupTokens[] = {"%A", "%B"};
  for (int round = 0; round < 300 && !HasFailure(); ++round) {
    SCOPED_TRACE(round);
    const int levelCount = 1 + pick(4);
    std::vector<LevelPlan> plans;
    bool ascending = true;
    for (int level = 0; level < levelCount; ++level) {
      LevelPlan plan;
      const bool deepest = level + 1 == levelCount;
      plan.type = deepest ? (pick(4) != 0 ? Item::kDetails : Item::kGroupHeader)
                          : (pick(3) == 0 ? Item::kReportHeader : Item::kGroupHeader);
      if (!deepest && pick(4) != 0) {
        const std::string& token = groupTokens[pick(2)];
        plan.tuples.push_back({"%GroupBy:" + token, ""});
        plan.groupingTokens.push_back(token);
      }
      // Sorting: a prefixed key, sometimes followed by a piece without prefix
      // that keeps its direction; a level whose list starts without prefix
      // carries the direction of the level before.
      const int sorting = pick(4);
      if (sorting == 1) {
        ascending = pick(2) == 1;
        const std::string& key = groupTokens[pick(2)];
        std::string directive = (ascending ? "%SortAscBy:" : "%SortDescBy:") + key;
        plan.sortKeys.push_back({key, ascending});
        if (pick(2) == 0) {
          directive += ",%C";
          plan.sortKeys.push_back({"%C", ascending});
        }
        plan.tuples.push_back({directive, ""});
      } else if (sorting == 2) {
        plan.sortKeys = {{"%B", ascending}, {"%A", true}};
        ascending = true;
        plan.tuples.push_back({"%B,%SortAscBy:%A", ""});
      }
      plan.tuples.push_back({"%A", "-"});
      if (deepest || pick(2) == 0) plan.tuples.push_back({"%W", 0});
      if (pick(3) == 0) plan.tuples.push_back({"%B", -1});
      plan.closingType =
          pick(3) == 0 ? kNone
                       : (level == 0 && pick(2) == 0 ? Item::kReportFooter : Item::kGroupFooter);
      if (plan.closingType != kNone) {
        plan.closingTuples.push_back({"%SumBy:%W", 0});
        if (pick(2) == 0) plan.closingTuples.push_back({"%SumBy:%N", 0.5});
        if (pick(4) == 0) plan.closingTuples.push_back({"%A", "f"});
      }
      plans.push_back(plan);
    }

    std::vector<reference::Row> rows(static_cast<size_t>(pick(25)));
    for (size_t i = 0; i < rows.size(); ++i) {
      Tuples& tuples = rows[i].tuples;
      rows[i].handle = std::to_string(i);
      if (pick(5) != 0) tuples.push_back({"%A", pick(2) ? "x" : "y"});
      if (pick(5) != 0) tuples.push_back({"%B", pick(2)});
      if (pick(2) != 0) tuples.push_back({"%C", pick(3)});
      if (pick(6) != 0) tuples.push_back({"%W", 0.5 * pick(3)});
      if (pick(3) != 0) tuples.push_back({"%N", pick(4)});
    }
    compareWithReference(plans, rows);
  }
}
