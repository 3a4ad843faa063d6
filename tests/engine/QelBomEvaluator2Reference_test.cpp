// The engine against the reference evaluator on generated templates and data.
#include <gtest/gtest.h>

#include <random>

#include "EngineTestSupport.h"
#include "QelBomEvaluator2.h"
#include "ReferenceEvaluator.h"

using namespace engine_test;
using Item = QelBomTemplateItem;
using reference::Value;

namespace {

// One level as both sides see it: the engine's section and closing section
// with their tuples (directives included), and the reference's level with the
// resolved grouping tokens and sort keys.
struct LevelSpec {
  Item::eTemplateItemType type;
  reference::Tuples tuples;
  bool hasClosing;
  Item::eTemplateItemType closingType;
  reference::Tuples closingTuples;
  std::vector<std::string> groupingTokens;
  std::vector<reference::SortKey> sortKeys;
};

QelBomDataTuple toTuple(const reference::Tuple& t) {
  const QelString token = Q(t.token.c_str());
  switch (t.value.kind) {
    case Value::kInt:
      return QelBomDataTuple(token, t.value.i);
    case Value::kReal:
      return QelBomDataTuple(token, t.value.d);
    case Value::kText:
      return QelBomDataTuple(token, Q(t.value.s.c_str()));
    default: {
      QelBomDataTuple tuple;
      tuple.setToken(token);
      return tuple;
    }
  }
}

Item* toSection(Item::eTemplateItemType type, const reference::Tuples& tuples) {
  auto* section = new Item(type);
  for (const auto& t : tuples) section->addData(toTuple(t));
  return section;
}

std::string labelOf(Item::eTemplateItemType type) { return U(Item::typeLabel(type)); }

TemplatePtr buildTemplate(const std::vector<LevelSpec>& specs) {
  TemplatePtr templ = newTemplate();
  templ->setUnitsForTokens(nullptr);
  QelBomItemBase* parent = templ.get();
  for (const LevelSpec& spec : specs) {
    Item* section = toSection(spec.type, spec.tuples);
    parent->addChild(section);
    if (spec.hasClosing) parent->addChild(toSection(spec.closingType, spec.closingTuples));
    parent = section;
  }
  QelArray<QelString> trace;
  templ->getTokenTrace(trace);
  return templ;
}

std::vector<reference::Level> referenceLevels(const std::vector<LevelSpec>& specs) {
  std::vector<reference::Level> levels;
  for (const LevelSpec& spec : specs) {
    reference::Level level;
    level.section = {labelOf(spec.type), spec.tuples};
    if (spec.hasClosing)
      level.closing = reference::Section{labelOf(spec.closingType), spec.closingTuples};
    level.groupingTokens = spec.groupingTokens;
    level.sortKeys = spec.sortKeys;
    levels.push_back(level);
  }
  return levels;
}

DataPtr buildData(const std::vector<reference::Row>& rows) {
  DataPtr data = newData();
  for (const reference::Row& row : rows) {
    auto* node = new QelBomDataRow();
    node->setObjectHandle(Q(row.handle.c_str()));
    for (const auto& t : row.tuples) node->addData(toTuple(t));
    data->addChild(node);
  }
  return data;
}

// Evaluates with the engine and with the reference and compares the listings,
// the row order and the sums flags.
void compareWithReference(const std::vector<LevelSpec>& specs,
                          const std::vector<reference::Row>& rows) {
  TemplatePtr templ = buildTemplate(specs);
  DataPtr data = buildData(rows);
  const QelBomTemplateUnits* units = templ->getBomTemplateUnits();
  const std::vector<reference::Level> levels = referenceLevels(specs);
  reference::Evaluator ref(levels, rows, [units](const std::string& token, double value) {
    return U(units->getDisplayString(Q(token.c_str()), value));
  });
  const reference::Result expected = ref.run();

  TemplatePtr output = newTemplate();
  ASSERT_EQ(QelBomEvaluator2::evaluate(templ.get(), data.get(), output.get()), 1);
  EXPECT_TRUE(sameListing(listing(output.get()), expected.listing));

  std::string order, expectedOrder, flags, expectedFlags;
  for (QelBomDataRow* row : rowsOf(data.get())) {
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

reference::Tuple tuple(const char* token, Value value) { return {token, std::move(value)}; }

// Report header, groups by assembly, groups by position, details.
std::vector<LevelSpec> fourLevelTemplate() {
  return {
      {Item::kReportHeader,
       {tuple("%Title", Value::text("Parts list"))},
       true,
       Item::kReportFooter,
       {tuple("%SumBy:%Weight", Value::integer(0)), tuple("%SumBy:%Count", Value::integer(0))},
       {},
       {}},
      {Item::kGroupHeader,
       {tuple("%GroupBy:%Assembly", Value::text("")),
        tuple("%SortAscBy:%Assembly", Value::text("")), tuple("%Assembly", Value::text(""))},
       true,
       Item::kGroupFooter,
       {tuple("%Assembly", Value::text("total")), tuple("%SumBy:%Weight", Value::real(0.0))},
       {"%Assembly"},
       {{"%Assembly", true}}},
      {Item::kGroupHeader,
       {tuple("%GroupBy:%PosNum", Value::text("")),
        tuple("%SortDescBy:%PosNum,%Material", Value::text("")),
        tuple("%PosNum", Value::integer(0)), tuple("%Material", Value::text(""))},
       true,
       Item::kGroupFooter,
       {tuple("%SumBy:%Weight", Value::integer(0)), tuple("%SumBy:%Length", Value::integer(0)),
        tuple("%SumBy:%Count", Value::integer(0))},
       {"%PosNum"},
       {{"%PosNum", false}, {"%Material", false}}},
      {Item::kDetails,
       {tuple("%PosNum", Value::integer(0)), tuple("%Material", Value::text("")),
        tuple("%Weight", Value::real(0.0)), tuple("%Length", Value::real(0.0))},
       false,
       Item::kUnkTemplateItemType,
       {},
       {},
       {}},
  };
}

std::vector<reference::Row> generatedRows(int count, unsigned seed) {
  std::mt19937 random(seed);
  auto pick = [&random](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
  const char* materials[] = {"S235", "S355", "S460"};
  std::vector<reference::Row> rows;
  rows.reserve(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) {
    reference::Row row;
    row.handle = std::to_string(i);
    char assembly[16];
    std::snprintf(assembly, sizeof assembly, "A%03d", pick(200));
    row.tuples.push_back(tuple("%Assembly", Value::text(assembly)));
    if (pick(50) != 0) row.tuples.push_back(tuple("%PosNum", Value::integer(pick(40))));
    if (pick(30) != 0) row.tuples.push_back(tuple("%Material", Value::text(materials[pick(3)])));
    if (pick(40) != 0) row.tuples.push_back(tuple("%Weight", Value::real(0.25 * (1 + pick(6)))));
    row.tuples.push_back(tuple("%Length", Value::real(100.0 * (1 + pick(3)))));
    row.tuples.push_back(tuple("%Count", Value::integer(1 + pick(3))));
    rows.push_back(std::move(row));
  }
  return rows;
}

}  // namespace

TEST(QelBomEvaluator2ReferenceTest, TwoHundredThousandRowsThroughFourLevels) {
  const std::vector<reference::Row> rows = generatedRows(200000, 2024);
  compareWithReference(fourLevelTemplate(), rows);
}

// Small random templates (one to four levels, random grouping, sorting and
// closing sections) over small random data with many equal values.
TEST(QelBomEvaluator2ReferenceTest, RandomSmallTemplatesAndData) {
  std::mt19937 random(99);
  auto pick = [&random](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
  const char* groupTokens[] = {"%A", "%B"};
  for (int round = 0; round < 300; ++round) {
    SCOPED_TRACE(round);
    const int levelCount = 1 + pick(4);
    std::vector<LevelSpec> specs;
    int ascending = 1;
    for (int level = 0; level < levelCount; ++level) {
      LevelSpec spec;
      const bool deepest = level + 1 == levelCount;
      spec.type = deepest ? (pick(4) != 0 ? Item::kDetails : Item::kGroupHeader)
                          : (pick(3) == 0 ? Item::kReportHeader : Item::kGroupHeader);
      if (!deepest && pick(4) != 0) {
        const std::string token = groupTokens[pick(2)];
        spec.tuples.push_back(tuple(("%GroupBy:" + token).c_str(), Value::text("")));
        spec.groupingTokens.push_back(token);
      }
      // Sorting: a prefixed key, sometimes followed by a piece without prefix
      // that keeps its direction; a level whose list starts without prefix
      // carries the direction of the level before.
      switch (pick(4)) {
        case 1: {
          ascending = pick(2);
          const std::string key = groupTokens[pick(2)];
          std::string directive = (ascending ? "%SortAscBy:" : "%SortDescBy:") + key;
          spec.sortKeys.push_back({key, ascending == 1});
          if (pick(2) == 0) {
            directive += ",%C";
            spec.sortKeys.push_back({"%C", ascending == 1});
          }
          spec.tuples.push_back(tuple(directive.c_str(), Value::text("")));
          break;
        }
        case 2: {
          const std::string directive = "%B,%SortAscBy:%A";
          spec.sortKeys.push_back({"%B", ascending == 1});
          ascending = 1;
          spec.sortKeys.push_back({"%A", true});
          spec.tuples.push_back(tuple(directive.c_str(), Value::text("")));
          break;
        }
        default:
          break;
      }
      spec.tuples.push_back(tuple("%A", Value::text("-")));
      if (deepest || pick(2) == 0) spec.tuples.push_back(tuple("%W", Value::integer(0)));
      if (pick(3) == 0) spec.tuples.push_back(tuple("%B", Value::integer(-1)));
      spec.hasClosing = pick(3) != 0;
      spec.closingType = level == 0 && pick(2) == 0 ? Item::kReportFooter : Item::kGroupFooter;
      if (spec.hasClosing) {
        spec.closingTuples.push_back(tuple("%SumBy:%W", Value::integer(0)));
        if (pick(2) == 0) spec.closingTuples.push_back(tuple("%SumBy:%N", Value::real(0.5)));
        if (pick(4) == 0) spec.closingTuples.push_back(tuple("%A", Value::text("f")));
      }
      specs.push_back(spec);
    }

    std::vector<reference::Row> rows;
    const int rowCount = pick(25);
    for (int i = 0; i < rowCount; ++i) {
      reference::Row row;
      row.handle = std::to_string(i);
      if (pick(5) != 0) row.tuples.push_back(tuple("%A", Value::text(pick(2) ? "x" : "y")));
      if (pick(5) != 0) row.tuples.push_back(tuple("%B", Value::integer(pick(2))));
      if (pick(2) != 0) row.tuples.push_back(tuple("%C", Value::integer(pick(3))));
      if (pick(6) != 0) row.tuples.push_back(tuple("%W", Value::real(0.5 * pick(3))));
      if (pick(3) != 0) row.tuples.push_back(tuple("%N", Value::integer(pick(4))));
      rows.push_back(std::move(row));
    }
    compareWithReference(specs, rows);
    if (HasFailure()) break;
  }
}
