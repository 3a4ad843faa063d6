#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <set>

#include "EngineTestSupport.h"
#include "QelBomEvaluator2.h"
#include "QelBomEvaluator2TestPeer.h"

using namespace engine_test;
using Peer = QelBomEvaluator2TestPeer;
using Item = QelBomTemplateItem;

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
  QelArray<QelString> trace;
  templ->getTokenTrace(trace);
  return templ;
}

std::string keysText() {
  std::string out;
  for (int i = 0; i < Peer::tokensToSortDataRow().count(); ++i) {
    out += U(Peer::tokensToSortDataRow()[i]) + (Peer::sortOrderForDataRow()[i] == 1 ? "+" : "-");
  }
  return out;
}

std::string chainText(QelBomItemBase* first) {
  std::string out;
  for (QelBomItemBase* n = first; n != nullptr; n = n->next()) {
    out += valueOf(n, "%Name");
  }
  return out;
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

  Peer::EngineStack stack = Peer::getTemplateStack(templ.get());
  EXPECT_EQ(Peer::sortInpuDataBySortingTokens(data.get(), stack), 1);
  EXPECT_EQ(keysText(), "%Weight-%Material-%PosNum-%Name+");
  // The row without Weight comes last on the descending key; a and g, equal on
  // every key, keep their order.
  EXPECT_EQ(handlesOf(data.get()), "f,e,d,b,a,g,c");
  std::vector<QelBomDataRow*> rows = rowsOf(data.get());
  EXPECT_EQ(data->child(), rows.front());
  EXPECT_EQ(data->lastChild(), rows.back());
  EXPECT_EQ(rows.back()->next(), nullptr);
}

TEST(QelBomSortingTest, AscendingKeyPutsRowsLackingItFirst) {
  // "%SortAscBy:%Material" then, one level in, "%SortDescBy:Weight" (a key
  // without "%").
  TemplatePtr templ =
      nestedTemplate({{{"%SortAscBy:%Material", ""}}, {{"%SortDescBy:Weight", ""}}});
  DataPtr data = newData();
  data->addChild(makeRow("1", {{"%Material", "M2"}, {"Weight", 1.0}}));
  data->addChild(makeRow("2", {{"%Material", "M1"}, {"Weight", 1.0}}));
  data->addChild(makeRow("3", {{"Weight", 5.0}}));
  data->addChild(makeRow("4", {{"%Material", "M1"}, {"Weight", 3.0}}));
  data->addChild(makeRow("5", {{"%Material", "M1"}}));
  Peer::EngineStack stack = Peer::getTemplateStack(templ.get());
  Peer::sortInpuDataBySortingTokens(data.get(), stack);
  EXPECT_EQ(keysText(), "%Material+Weight-");
  EXPECT_EQ(handlesOf(data.get()), "3,4,2,5,1");
  EXPECT_EQ(data->lastChild()->next(), nullptr);
  EXPECT_EQ(U(static_cast<QelBomDataRow*>(data->lastChild())->objectHandle()), "1");
}

TEST(QelBomSortingTest, NoKeysOrOneRowLeavesTheRowsAlone) {
  TemplatePtr unsorted = nestedTemplate({{{"%GroupBy:%PosNum", ""}}});
  DataPtr data = newData();
  data->addChild(makeRow("2", {{"%PosNum", 2}}));
  data->addChild(makeRow("1", {{"%PosNum", 1}}));
  Peer::EngineStack stack = Peer::getTemplateStack(unsorted.get());
  Peer::tokensToSortDataRow().append(Q("stale"));
  EXPECT_EQ(Peer::sortInpuDataBySortingTokens(data.get(), stack), 1);
  EXPECT_EQ(Peer::tokensToSortDataRow().count(), 0);
  EXPECT_EQ(handlesOf(data.get()), "2,1");

  TemplatePtr sorted = nestedTemplate({{{"%SortAscBy:%PosNum", ""}}});
  Peer::EngineStack sortedStack = Peer::getTemplateStack(sorted.get());
  DataPtr single = newData();
  single->addChild(makeRow("9", {{"%PosNum", 9}}));
  EXPECT_EQ(Peer::sortInpuDataBySortingTokens(single.get(), sortedStack), 1);
  EXPECT_EQ(handlesOf(single.get()), "9");
  EXPECT_EQ(Peer::sortInpuDataBySortingTokens(nullptr, sortedStack), 1);
  EXPECT_EQ(keysText(), "%PosNum+");
}

TEST(QelBomSortingTest, MixedValueTypesInAKeyNeitherCrashNorHang) {
  TemplatePtr templ = nestedTemplate({{{"%SortAscBy:%Key,%SortDescBy:%Other", ""}}});
  DataPtr data = newData();
  std::mt19937 random(7);
  const int kRows = 5000;
  for (int i = 0; i < kRows; ++i) {
    const std::string handle = std::to_string(i);
    QelBomDataRow* row = makeRow(handle.c_str(), {});
    switch (random() % 4) {
      case 0:
        row->addData(QelBomDataTuple(Q("%Key"), static_cast<int>(random() % 10)));
        break;
      case 1:
        row->addData(QelBomDataTuple(Q("%Key"), static_cast<double>(random() % 10)));
        break;
      case 2:
        row->addData(QelBomDataTuple(Q("%Key"), Q(handle.c_str())));
        break;
      default:
        break;  // no key
    }
    row->addData(QelBomDataTuple(Q("%Other"), static_cast<int>(random() % 3)));
    data->addChild(row);
  }
  Peer::EngineStack stack = Peer::getTemplateStack(templ.get());
  EXPECT_EQ(Peer::sortInpuDataBySortingTokens(data.get(), stack), 1);

  // Every row is still there exactly once, and the links are consistent.
  std::vector<QelBomDataRow*> rows = rowsOf(data.get());
  ASSERT_EQ(rows.size(), static_cast<size_t>(kRows));
  std::set<std::string> handles;
  for (QelBomDataRow* row : rows) handles.insert(U(row->objectHandle()));
  EXPECT_EQ(handles.size(), static_cast<size_t>(kRows));
  EXPECT_EQ(data->lastChild(), rows.back());
  // Rows lacking the key lead the ascending order.
  EXPECT_EQ(rows.front()->getTupleAt(Q("%Key")), nullptr);
}

TEST(QelBomSortingTest, CompareDataRowFollowsTheKeyRules) {
  Peer::tokensToSortDataRow().removeAll();
  Peer::sortOrderForDataRow().removeAll();
  Peer::tokensToSortDataRow().append(Q("%K"));
  Peer::sortOrderForDataRow().append(1);
  std::unique_ptr<QelBomDataRow> none(makeRow("n", {}));
  std::unique_ptr<QelBomDataRow> one(makeRow("1", {{"%K", 1}}));
  std::unique_ptr<QelBomDataRow> two(makeRow("2", {{"%K", 2}}));
  std::unique_ptr<QelBomDataRow> real(makeRow("r", {{"%K", 1.0}}));
  std::unique_ptr<QelBomDataRow> oneAgain(makeRow("1b", {{"%K", 1}}));
  auto cmp = [](QelBomDataRow* a, QelBomDataRow* b) { return Peer::compareDataRow(&a, &b); };
  EXPECT_EQ(cmp(none.get(), one.get()), -1);
  EXPECT_EQ(cmp(one.get(), none.get()), 1);
  EXPECT_EQ(cmp(none.get(), none.get()), 0);
  EXPECT_EQ(cmp(one.get(), two.get()), -1);
  EXPECT_EQ(cmp(one.get(), oneAgain.get()), 0);
  EXPECT_EQ(cmp(one.get(), real.get()), -1);  // different types: -1 both ways
  EXPECT_EQ(cmp(real.get(), one.get()), -1);
  Peer::sortOrderForDataRow()[0] = 0;
  EXPECT_EQ(cmp(none.get(), one.get()), 1);
  EXPECT_EQ(cmp(one.get(), two.get()), 1);
  EXPECT_EQ(cmp(one.get(), real.get()), 1);
}

TEST(QelBomSortingTest, SortItemListMovesFootersWithTheirHeaders) {
  std::unique_ptr<QelBomDataRow> r0(makeRow("0", {{"%PosNum", 0}}));
  std::unique_ptr<QelBomDataRow> r1(makeRow("1", {{"%PosNum", 1}}));
  std::unique_ptr<QelBomDataRow> r2(makeRow("2", {{"%PosNum", 2}}));
  ItemPtr parent(makeSection(Item::kBomTemplate, {}));
  Item* h1 = makeSection(Item::kGroupHeader, {{"%Name", "H1"}});
  Item* f1 = makeSection(Item::kGroupFooter, {{"%Name", "F1"}});
  Item* h2 = makeSection(Item::kGroupHeader, {{"%Name", "H2"}});
  Item* f2 = makeSection(Item::kReportFooter, {{"%Name", "F2"}});
  Item* d = makeSection(Item::kDetails, {{"%Name", "D"}});
  h1->setFirstDataRow(r2.get());
  h2->setFirstDataRow(r1.get());
  d->setFirstDataRow(r0.get());
  for (Item* item : {h1, f1, h2, f2, d}) parent->addChild(item);

  QelArray<QelString> noKeys;
  Item* head = h1;
  Peer::tokensToSortEvaluatedItems().removeAll();
  Peer::tokensToSortEvaluatedItems().append(Q("former"));
  EXPECT_EQ(Peer::sortItemList(head, noKeys), 1);
  EXPECT_EQ(head, h1);
  EXPECT_EQ(chainText(head), "H1F1H2F2D");
  EXPECT_EQ(U(Peer::tokensToSortEvaluatedItems()[0]), "former");

  QelArray<QelString> keys;
  keys.append(Q("%SortAscBy:%PosNum"));
  EXPECT_EQ(Peer::sortItemList(head, keys), 1);
  EXPECT_EQ(head, d);
  EXPECT_EQ(chainText(head), "DH2F2H1F1");
  EXPECT_EQ(f1->next(), nullptr);
  EXPECT_EQ(U(Peer::tokensToSortEvaluatedItems()[0]), "%PosNum");
  EXPECT_EQ(Peer::sortOrderForEvaluatedItems()[0], 1);

  keys[0] = Q("%SortDescBy:%PosNum");
  Peer::sortItemList(head, keys);
  EXPECT_EQ(chainText(head), "H1F1H2F2D");
  parent->setChild(head);

  // A page footer never pairs: it moves on its own.
  ItemPtr other(makeSection(Item::kBomTemplate, {}));
  Item* h = makeSection(Item::kGroupHeader, {{"%Name", "H"}});
  Item* pf = makeSection(Item::kPageFooter, {{"%Name", "P"}});
  h->setFirstDataRow(r2.get());
  pf->setFirstDataRow(r1.get());
  other->addChild(h);
  other->addChild(pf);
  head = h;
  keys[0] = Q("%SortAscBy:%PosNum");
  Peer::sortItemList(head, keys);
  EXPECT_EQ(chainText(head), "PH");
  other->setChild(head);

  Item* nothing = nullptr;
  EXPECT_EQ(Peer::sortItemList(nothing, keys), 1);
  EXPECT_EQ(nothing, nullptr);
}

TEST(QelBomSortingTest, SortSubGroupsOnLevelsSortsEveryLevelByItsSection) {
  TemplatePtr templ =
      nestedTemplate({{{"%SortDescBy:%PosNum", ""}}, {{"%SortAscBy:%Material", ""}}});
  Peer::EngineStack stack = Peer::getTemplateStack(templ.get());

  std::unique_ptr<QelBomDataRow> ra(makeRow("a", {{"%PosNum", 1}, {"%Material", "A"}}));
  std::unique_ptr<QelBomDataRow> rb(makeRow("b", {{"%PosNum", 1}, {"%Material", "B"}}));
  std::unique_ptr<QelBomDataRow> rc(makeRow("c", {{"%PosNum", 2}, {"%Material", "C"}}));
  TemplatePtr output = newTemplate();
  auto add = [](QelBomItemBase* parent, Item::eTemplateItemType type, const char* name,
                QelBomDataRow* row) {
    Item* item = makeSection(type, {{"%Name", name}});
    item->setFirstDataRow(row);
    parent->addChild(item);
    return item;
  };
  Item* g1 = add(output.get(), Item::kGroupHeader, "G1", ra.get());
  add(output.get(), Item::kGroupFooter, "F1", nullptr);
  Item* g2 = add(output.get(), Item::kGroupHeader, "G2", rc.get());
  add(output.get(), Item::kGroupFooter, "F2", nullptr);
  add(g1, Item::kDetails, "Db", rb.get());
  add(g1, Item::kDetails, "Da", ra.get());
  Item* dc2 = add(g2, Item::kDetails, "Dc", rc.get());
  add(g2, Item::kDetails, "Da2", ra.get());

  // A details or closing item ends the descent: nothing moves.
  EXPECT_EQ(Peer::sortSubGroupsOnLevels(dc2, stack, 1), 1);
  EXPECT_EQ(Peer::sortSubGroupsOnLevels(static_cast<Item*>(g1->next()), stack, 0), 1);
  EXPECT_EQ(chainText(g2->child()), "DcDa2");
  EXPECT_EQ(Peer::sortSubGroupsOnLevels(nullptr, stack, 0), 1);

  EXPECT_EQ(Peer::sortSubGroupsOnLevels(output.get(), stack, 0), 1);
  EXPECT_EQ(chainText(output->child()), "G2F2G1F1");
  EXPECT_EQ(valueOf(output->lastChild(), "%Name"), "F1");
  EXPECT_EQ(chainText(g1->child()), "DaDb");
  EXPECT_EQ(chainText(g2->child()), "Da2Dc");
  EXPECT_EQ(g2->lastChild(), dc2);
  // Past the last level nothing is sorted.
  EXPECT_EQ(Peer::sortSubGroupsOnLevels(g1, stack, 5), 1);
  EXPECT_EQ(chainText(g1->child()), "DaDb");
}

// The row sort must give exactly the order of a stable sort with
// compareDataRow, whichever way it gets there: with keys of one type per
// column, and with mixed types and NaNs.
TEST(QelBomSortingTest, RowOrderIsTheStableOrderOfCompareDataRow) {
  struct Case {
    const char* name;
    bool mixed;
  };
  for (const Case& c : {Case{"consistent keys", false}, Case{"mixed types and NaN", true}}) {
    SCOPED_TRACE(c.name);
    TemplatePtr templ = nestedTemplate({{{"%SortDescBy:%Mark,%Mass", ""}},
                                        {{"%SortAscBy:%Count", ""}}});
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
      if (random() % 5 != 0) row->addData(QelBomDataTuple(Q("%Count"), static_cast<int>(random() % 4)));
      data->addChild(row);
    }
    std::vector<QelBomDataRow*> expected = rowsOf(data.get());
    Peer::EngineStack stack = Peer::getTemplateStack(templ.get());
    Peer::sortInpuDataBySortingTokens(data.get(), stack);
    std::stable_sort(expected.begin(), expected.end(), [](QelBomDataRow* a, QelBomDataRow* b) {
      return Peer::compareDataRow(&a, &b) < 0;
    });
    EXPECT_TRUE(rowsOf(data.get()) == expected);
    EXPECT_EQ(data->lastChild(), expected.back());
    EXPECT_EQ(expected.back()->next(), nullptr);
  }
}
