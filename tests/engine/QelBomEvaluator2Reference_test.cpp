// The engine against the reference evaluator on the sample data and on
// generated templates and data.
#include <gtest/gtest.h>

#include <random>

#include "EngineTestSupport.h"
#include "QelBomEvaluator2.h"
#include "ReferenceEvaluator.h"

using namespace engine_test;
using reference::Tuple;
using reference::Tuples;

namespace {

const Item::eTemplateItemType kNone = Item::kUnkTemplateItemType;

// One level as both sides see it: the engine's section and closing section
// (kNone: none) with their tuples, directives included, and the reference's
// resolved grouping tokens and sort keys.
struct LevelPlan {
  Item::eTemplateItemType type;
  Tuples tuples;
  Item::eTemplateItemType closingType;
  Tuples closingTuples;
  std::vector<std::string> groupingTokens;
  std::vector<reference::SortKey> sortKeys;
};

QelBomDataTuple toEngine(const Tuple& t) {
  QelBomDataTuple tuple;
  tuple.setToken(Q(t.token.c_str()));
  if (auto* i = std::get_if<int>(&t.value)) tuple.value().set(*i);
  if (auto* d = std::get_if<double>(&t.value)) tuple.value().set(*d);
  if (auto* s = std::get_if<std::string>(&t.value)) tuple.value().set(Q(s->c_str()));
  return tuple;
}

template <class Node>
Node* withTuples(Node* node, const Tuples& tuples) {
  for (const Tuple& t : tuples) node->addData(toEngine(t));
  return node;
}

// The rows of `data` as the reference sees them.
std::vector<reference::Row> referenceRows(QelBomData* data) {
  std::vector<reference::Row> rows;
  for (QelBomDataRow* row : rowsOf(data)) {
    rows.push_back({U(row->objectHandle()), {}});
    for (const QelBomDataTuple& t : row->getData()) {
      const void* v = t.value().data();
      reference::Value value;
      if (t.value().type() == QelBomDataValue::kIntDataValue) value = *static_cast<const int*>(v);
      if (t.value().type() == QelBomDataValue::kDoubleDataValue) {
        value = *static_cast<const double*>(v);
      }
      if (t.value().type() == QelBomDataValue::kStringDataValue) value = U(t.value().asString());
      rows.back().tuples.push_back({U(t.token().token()), value});
    }
  }
  return rows;
}

// Evaluates with the engine and with the reference and compares the listings,
// the row order and the sums flags.
void compareWithReference(QelBomTemplate* templ, const std::vector<reference::Level>& levels,
                          QelBomData* data) {
  const std::vector<reference::Row> rows = referenceRows(data);
  const QelBomTemplateUnits* units = templ->getBomTemplateUnits();
  const reference::Result expected =
      reference::Evaluator(levels, rows, [units](const std::string& token, double value) {
        return U(units->getDisplayString(Q(token.c_str()), value));
      }).run();

  TemplatePtr output = newTemplate();
  ASSERT_EQ(QelBomEvaluator2::evaluate(templ, data, output.get()), 1);
  EXPECT_TRUE(sameListing(listing(output.get()), expected.listing));
  std::string order, expectedOrder, flags, expectedFlags;
  for (QelBomDataRow* row : rowsOf(data)) {
    order += U(row->objectHandle()) + ',';
    flags += row->getUseThisDataForSums() != 0 ? '1' : '0';
  }
  for (int index : expected.order) {
    expectedOrder += rows[static_cast<size_t>(index)].handle + ',';
    expectedFlags += expected.countsInSums[static_cast<size_t>(index)] ? '1' : '0';
  }
  EXPECT_TRUE(order == expectedOrder) << "the rows are in another order";
  EXPECT_TRUE(sameListing(flags, expectedFlags)) << "sums flags differ";
}

void compareWithReference(const std::vector<LevelPlan>& plans,
                          const std::vector<reference::Row>& rows) {
  TemplatePtr templ = newTemplate();
  templ->setUnitsForTokens(nullptr);
  std::vector<reference::Level> levels;
  QelBomItemBase* parent = templ.get();
  for (const LevelPlan& plan : plans) {
    Item* section = withTuples(new Item(plan.type), plan.tuples);
    parent->addChild(section);
    reference::Level level{{U(Item::typeLabel(plan.type)), plan.tuples},
                           std::nullopt,
                           plan.groupingTokens,
                           plan.sortKeys};
    if (plan.closingType != kNone) {
      parent->addChild(withTuples(new Item(plan.closingType), plan.closingTuples));
      level.closing = reference::Section{U(Item::typeLabel(plan.closingType)), plan.closingTuples};
    }
    levels.push_back(level);
    parent = section;
  }
  trace(templ.get());
  DataPtr data = newData();
  for (const reference::Row& row : rows) {
    data->addChild(withTuples(makeRow(row.handle, {}), row.tuples));
  }
  compareWithReference(templ.get(), levels, data.get());
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
