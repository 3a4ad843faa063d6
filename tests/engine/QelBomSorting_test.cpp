#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <set>
#include <tuple>
#include <utility>

#include "EngineTestSupport.h"
#include "QelBomEvaluator2.h"
#include "QelBomEvaluator2TestPeer.h"

using namespace engine_test;
using Peer = QelBomEvaluator2TestPeer;

namespace {

// A traced template of nested sections, one per entry, each holding the given
// tuples; returns the root.
TemplatePtr nestedTemplate(const std::vector<std::vector<T>>& levels) {
  TemplatePtr templ = newTemplate();
  QelBomItemBase* parent = templ.get();
  for (const auto& tuples : levels) {
    Item* section = makeSection(Item::kGroupHeader, tuples);
    parent->addChild(section);
    parent = section;
  }
  trace(templ.get());
  return templ;
}

// Sorts the rows by the keys of `templ` and returns the keys with their
// directions.
std::string sortRows(QelBomTemplate* templ, QelBomData* data) {
  Peer::EngineStack stack = Peer::getTemplateStack(templ);
  EXPECT_EQ(Peer::sortInpuDataBySortingTokens(data, stack), 1);
  std::string keys;
  for (int i = 0; i < Peer::tokensToSortDataRow().count(); ++i) {
    keys += U(Peer::tokensToSortDataRow()[i]) + (Peer::sortOrderForDataRow()[i] == 1 ? "+" : "-");
  }
  return keys;
}

// The %Name values of a chain of items, children in parentheses.
std::string chainText(QelBomItemBase* first) {
  std::string out;
  for (QelBomItemBase* n = first; n != nullptr; n = n->next()) {
    out += valueOf(n, "%Name") + (n->child() ? "(" + chainText(n->child()) + ")" : "");
  }
  return out;
}

// A new item named `name` below `parent`, opened by `row` (may be null).
Item* addItem(QelBomItemBase* parent, Item::eTemplateItemType type, const char* name,
              const RowPtr& row) {
  Item* item = makeSection(type, {{"%Name", name}});
  item->setFirstDataRow(row.get());
  parent->addChild(item);
  return item;
}

void expectRelinked(QelBomData* data) {
  std::vector<QelBomDataRow*> rows = rowsOf(data);
  EXPECT_EQ(data->lastChild(), rows.back());
  EXPECT_EQ(rows.back()->next(), nullptr);
}

}  // namespace

TEST(QelBomSortingTest, RowsSortByKeysOfAllLevelsWithDirectionCarryOver) {
  // Level 0: Weight and Material descending; level 1 starts with a piece
  // without prefix (PosNum continues descending), then Name ascending.
  TemplatePtr templ =
      nestedTemplate({{{"%SortDescBy:%Weight,%Material", ""}}, {{"%PosNum,%SortAscBy:%Name", ""}}});
  DataPtr data = newData();
  data->addChild(makeRow("a", {{"%Weight", 1.0}, {"%Material", "A"}, {"%PosNum", 1}}));
  data->addChild(makeRow("b", {{"%Weight", 2.0}, {"%Material", "A"}, {"%PosNum", 1}}));
  data->addChild(makeRow("c", {{"%Material", "B"}, {"%PosNum", 1}}));
  data->addChild(makeRow("d", {{"%Weight", 2.0}, {"%Material", "B"}, {"%PosNum", 1}}));
  data->addChild(
      makeRow("e", {{"%Weight", 2.0}, {"%Material", "B"}, {"%PosNum", 2}, {"%Name", "z"}}));
  data->addChild(
      makeRow("f", {{"%Weight", 2.0}, {"%Material", "B"}, {"%PosNum", 2}, {"%Name", "y"}}));
  data->addChild(makeRow("g", {{"%Weight", 1.0}, {"%Material", "A"}, {"%PosNum", 1}}));
  EXPECT_EQ(sortRows(templ.get(), data.get()), "%Weight-%Material-%PosNum-%Name+");
  // The row without Weight comes last on the descending key; a and g, equal on
  // every key, keep their order.
  EXPECT_EQ(handlesOf(data.get()), "f,e,d,b,a,g,c");
  EXPECT_EQ(data->child(), rowsOf(data.get()).front());
  expectRelinked(data.get());

  // "%SortAscBy:%Material" then, one level in, "%SortDescBy:Weight" (a key
  // without "%"): rows lacking the ascending key come first.
  TemplatePtr asc = nestedTemplate({{{"%SortAscBy:%Material", ""}}, {{"%SortDescBy:Weight", ""}}});
  DataPtr rows = newData();
  rows->addChild(makeRow("1", {{"%Material", "M2"}, {"Weight", 1.0}}));
  rows->addChild(makeRow("2", {{"%Material", "M1"}, {"Weight", 1.0}}));
  rows->addChild(makeRow("3", {{"Weight", 5.0}}));
  rows->addChild(makeRow("4", {{"%Material", "M1"}, {"Weight", 3.0}}));
  rows->addChild(makeRow("5", {{"%Material", "M1"}}));
  EXPECT_EQ(sortRows(asc.get(), rows.get()), "%Material+Weight-");
  EXPECT_EQ(handlesOf(rows.get()), "3,4,2,5,1");
  expectRelinked(rows.get());
}

TEST(QelBomSortingTest, NoKeysOrOneRowLeavesTheRowsAlone) {
  TemplatePtr unsorted = nestedTemplate({{{"%GroupBy:%PosNum", ""}}});
  DataPtr data = newData();
  data->addChild(makeRow("2", {{"%PosNum", 2}}));
  data->addChild(makeRow("1", {{"%PosNum", 1}}));
  Peer::tokensToSortDataRow().append(Q("stale"));
  EXPECT_EQ(sortRows(unsorted.get(), data.get()), "");
  EXPECT_EQ(handlesOf(data.get()), "2,1");

  TemplatePtr sorted = nestedTemplate({{{"%SortAscBy:%PosNum", ""}}});
  DataPtr single = newData();
  single->addChild(makeRow("9", {{"%PosNum", 9}}));
  EXPECT_EQ(sortRows(sorted.get(), single.get()), "%PosNum+");
  EXPECT_EQ(handlesOf(single.get()), "9");
  EXPECT_EQ(sortRows(sorted.get(), nullptr), "%PosNum+");
}

TEST(QelBomSortingTest, MixedValueTypesInAKeyNeitherCrashNorHang) {
  TemplatePtr templ = nestedTemplate({{{"%SortAscBy:%Key,%SortDescBy:%Other", ""}}});
  DataPtr data = newData();
  std::mt19937 random(7);
  for (int i = 0; i < 5000; ++i) {
    const std::string handle = std::to_string(i);
    const T keys[] = {{"%Key", static_cast<int>(random() % 10)},
                      {"%Key", static_cast<double>(random() % 10)},
                      {"%Key", handle.c_str()}};
    const unsigned kind = random() % 4;  // 3: no key
    data->addChild(kind < 3
                       ? makeRow(handle, {keys[kind], {"%Other", static_cast<int>(random() % 3)}})
                       : makeRow(handle, {{"%Other", static_cast<int>(random() % 3)}}));
  }
  sortRows(templ.get(), data.get());
  // Every row is still there exactly once, and the links are consistent.
  std::set<std::string> handles;
  for (QelBomDataRow* row : rowsOf(data.get())) handles.insert(U(row->objectHandle()));
  EXPECT_EQ(handles.size(), 5000u);
  EXPECT_EQ(rowsOf(data.get()).size(), 5000u);
  expectRelinked(data.get());
}

TEST(QelBomSortingTest, CompareDataRowFollowsTheKeyRules) {
  Peer::tokensToSortDataRow().removeAll();
  Peer::sortOrderForDataRow().removeAll();
  Peer::tokensToSortDataRow().append(Q("%K"));
  Peer::sortOrderForDataRow().append(1);
  RowPtr none(makeRow("n", {})), one(makeRow("1", {{"%K", 1}})), two(makeRow("2", {{"%K", 2}}));
  RowPtr real(makeRow("r", {{"%K", 1.0}})), oneAgain(makeRow("1b", {{"%K", 1}}));
  // A row lacking the key first; values of different types -1 both ways; a
  // descending key turns every verdict round.
  const std::tuple<QelBomDataRow*, QelBomDataRow*, int> cases[] = {
      {none.get(), one.get(), -1}, {one.get(), none.get(), 1},     {none.get(), none.get(), 0},
      {one.get(), two.get(), -1},  {one.get(), oneAgain.get(), 0}, {one.get(), real.get(), -1},
      {real.get(), one.get(), -1}};
  for (int ascending : {1, 0}) {
    Peer::sortOrderForDataRow()[0] = ascending;
    for (auto [a, b, expected] : cases) {
      EXPECT_EQ(Peer::compareDataRow(&a, &b), ascending ? expected : -expected)
          << U(a->objectHandle()) << " vs " << U(b->objectHandle());
    }
  }
}

TEST(QelBomSortingTest, SortItemListMovesFootersWithTheirHeaders) {
  const RowPtr none;
  RowPtr rows[] = {RowPtr(makeRow("0", {{"%PosNum", 0}})), RowPtr(makeRow("1", {{"%PosNum", 1}})),
                   RowPtr(makeRow("2", {{"%PosNum", 2}}))};
  ItemPtr parent(makeSection(Item::kBomTemplate, {}));
  Item* head = addItem(parent.get(), Item::kGroupHeader, "H1", rows[2]);
  addItem(parent.get(), Item::kGroupFooter, "F1", none);
  addItem(parent.get(), Item::kGroupHeader, "H2", rows[1]);
  addItem(parent.get(), Item::kReportFooter, "F2", none);
  addItem(parent.get(), Item::kDetails, "D", rows[0]);
  QelArray<QelString> keys;
  Peer::tokensToSortEvaluatedItems().removeAll();
  Peer::tokensToSortEvaluatedItems().append(Q("former"));
  EXPECT_EQ(Peer::sortItemList(head, keys), 1);  // no keys: nothing moves
  EXPECT_EQ(chainText(head), "H1F1H2F2D");
  EXPECT_EQ(U(Peer::tokensToSortEvaluatedItems()[0]), "former");

  keys.append(Q("%SortAscBy:%PosNum"));
  EXPECT_EQ(Peer::sortItemList(head, keys), 1);
  EXPECT_EQ(chainText(head), "DH2F2H1F1");  // ends: the last item's next is cleared
  EXPECT_EQ(U(Peer::tokensToSortEvaluatedItems()[0]) +
                std::to_string(Peer::sortOrderForEvaluatedItems()[0]),
            "%PosNum1");
  keys[0] = Q("%SortDescBy:%PosNum");
  Peer::sortItemList(head, keys);
  EXPECT_EQ(chainText(head), "H1F1H2F2D");

  // A page footer never pairs: it moves on its own.
  parent->setChild(head);
  parent.reset(makeSection(Item::kBomTemplate, {}));
  head = addItem(parent.get(), Item::kGroupHeader, "H", rows[2]);
  addItem(parent.get(), Item::kPageFooter, "P", rows[1]);
  keys[0] = Q("%SortAscBy:%PosNum");
  Peer::sortItemList(head, keys);
  EXPECT_EQ(chainText(head), "PH");
  parent->setChild(head);

  Item* nothing = nullptr;
  EXPECT_EQ(Peer::sortItemList(nothing, keys), 1);
  EXPECT_EQ(nothing, nullptr);
}

TEST(QelBomSortingTest, SortSubGroupsOnLevelsSortsEveryLevelByItsSection) {
  TemplatePtr templ =
      nestedTemplate({{{"%SortDescBy:%PosNum", ""}}, {{"%SortAscBy:%Material", ""}}});
  Peer::EngineStack stack = Peer::getTemplateStack(templ.get());
  const RowPtr none, ra(makeRow("a", {{"%PosNum", 1}, {"%Material", "A"}})),
      rb(makeRow("b", {{"%PosNum", 1}, {"%Material", "B"}})),
      rc(makeRow("c", {{"%PosNum", 2}, {"%Material", "C"}}));
  TemplatePtr output = newTemplate();
  Item* g1 = addItem(output.get(), Item::kGroupHeader, "G1", ra);
  addItem(output.get(), Item::kGroupFooter, "F1", none);
  Item* g2 = addItem(output.get(), Item::kGroupHeader, "G2", rc);
  addItem(output.get(), Item::kGroupFooter, "F2", none);
  addItem(g1, Item::kDetails, "Db", rb);
  addItem(g1, Item::kDetails, "Da", ra);
  Item* dc = addItem(g2, Item::kDetails, "Dc", rc);
  addItem(g2, Item::kDetails, "Da2", ra);

  // A details or closing item ends the descent, as does a level past the
  // last: nothing moves.
  EXPECT_EQ(Peer::sortSubGroupsOnLevels(dc, stack, 1), 1);
  EXPECT_EQ(Peer::sortSubGroupsOnLevels(static_cast<Item*>(g1->next()), stack, 0), 1);
  EXPECT_EQ(Peer::sortSubGroupsOnLevels(nullptr, stack, 0), 1);
  EXPECT_EQ(Peer::sortSubGroupsOnLevels(g1, stack, 5), 1);
  EXPECT_EQ(chainText(output->child()), "G1(DbDa)F1G2(DcDa2)F2");

  EXPECT_EQ(Peer::sortSubGroupsOnLevels(output.get(), stack, 0), 1);
  EXPECT_EQ(chainText(output->child()), "G2(Da2Dc)F2G1(DaDb)F1");
  EXPECT_EQ(valueOf(output->lastChild(), "%Name"), "F1");
  EXPECT_EQ(g2->lastChild(), dc);
}

// The row sort must give exactly the order of a stable sort with
// compareDataRow, whichever way it gets there: with keys of one type per
// column, and with mixed types and NaNs.
TEST(QelBomSortingTest, RowOrderIsTheStableOrderOfCompareDataRow) {
  struct Case {
    const char* name;
    bool mixed;
    QelString::Collation collation;
  };
  for (const Case& c : {Case{"consistent keys", false, QelString::Collation::kCodeUnits},
                        Case{"mixed types and NaN", true, QelString::Collation::kCodeUnits},
                        Case{"natural, consistent keys", false, QelString::Collation::kNatural},
                        Case{"natural, mixed types", true, QelString::Collation::kNatural}}) {
    SCOPED_TRACE(c.name);
    QelString::setCollation(c.collation);
    TemplatePtr templ =
        nestedTemplate({{{"%SortDescBy:%Mark,%Mass", ""}}, {{"%SortAscBy:%Count", ""}}});
    DataPtr data = newData();
    std::mt19937 random(11);
    // Texts share their first eight characters and differ after them; reals
    // include -0.0 and 0.0, which compare equal.
    const char* marks[] = {"ASSEMBLY-0001", "ASSEMBLY-0002", "ASSEMBLY-00", "A", ""};
    const double masses[] = {-0.0, 0.0, 1.5, -2.25, 1e9};
    for (int i = 0; i < 3000; ++i) {
      QelBomDataRow* row = makeRow(std::to_string(i).c_str(), {});
      if (random() % 6 != 0) row->addData(QelBomDataTuple(Q("%Mark"), Q(marks[random() % 5])));
      if (c.mixed && random() % 7 == 0) row->addData(QelBomDataTuple(Q("%Mass"), 3));
      if (c.mixed && random() % 9 == 0) row->addData(QelBomDataTuple(Q("%Mass"), std::nan("")));
      row->addData(QelBomDataTuple(Q("%Mass"), masses[random() % 5]));
      if (random() % 5 != 0)
        row->addData(QelBomDataTuple(Q("%Count"), static_cast<int>(random() % 4)));
      data->addChild(row);
    }
    std::vector<QelBomDataRow*> expected = rowsOf(data.get());
    Peer::EngineStack stack = Peer::getTemplateStack(templ.get());
    Peer::sortInpuDataBySortingTokens(data.get(), stack);
    std::stable_sort(expected.begin(), expected.end(), [](QelBomDataRow* a, QelBomDataRow* b) {
      return Peer::compareDataRow(&a, &b) < 0;
    });
    QelString::setCollation(QelString::Collation::kCodeUnits);
    EXPECT_TRUE(rowsOf(data.get()) == expected);
    EXPECT_EQ(data->lastChild(), expected.back());
    EXPECT_EQ(expected.back()->next(), nullptr);
  }
}

// The sort keys compare texts by code units only while that is the collation.
TEST(QelBomSortingTest, TextKeysFollowTheStringCollation) {
  TemplatePtr templ = nestedTemplate({{{"%SortAscBy:%PNum", ""}}});
  for (const auto& [collation, expected] :
       {std::pair{QelString::Collation::kCodeUnits, "1,4,3,2,5"},
        std::pair{QelString::Collation::kNatural, "1,3,5,4,2"}}) {
    DataPtr data = newData();
    const char* marks[] = {"P1", "p10", "P2", "P10", "p2"};
    for (int i = 0; i < 5; ++i) {
      data->addChild(makeRow(std::to_string(i + 1).c_str(), {{"%PNum", marks[i]}}));
    }
    QelString::setCollation(collation);
    sortRows(templ.get(), data.get());
    QelString::setCollation(QelString::Collation::kCodeUnits);
    EXPECT_EQ(handlesOf(data.get()), expected);
  }
}
