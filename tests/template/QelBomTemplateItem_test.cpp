#include "QelBomTemplateItem.h"

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "QelBomItems.h"
#include "QelBomValues.h"

namespace {

using Item = QelBomTemplateItem;

std::vector<std::string> texts(const QelArray<QelString>& array) {
  std::vector<std::string> out;
  for (int i = 0; i < array.count(); ++i) out.push_back(array[i].toUtf8());
  return out;
}

std::vector<int> ints(const QelIntArray& array) {
  return std::vector<int>(array.begin(), array.end());
}

QelBomDataTuple textTuple(const char* token) {
  return QelBomDataTuple(QelString(token), QelString());
}
QelBomDataTuple intTuple(const char* token, int value = 0) {
  return QelBomDataTuple(QelString(token), value);
}

std::string listing(const QelBomItemBase& node, int level, int withChildren, int withSiblings) {
  QelString text;
  EXPECT_EQ(1, node.list(text, level, withChildren, withSiblings));
  return text.toUtf8();
}

TEST(QelBomTemplateItemTest, LabelsOfEveryType) {
  const struct {
    int type;
    const char* label;
  } kCases[] = {{0, "[ kUnkTemplateItemType ]"}, {1, "[ kBomTemplate ]"}, {2, "[ kReportHeader]"},
                {3, "[ kPageHeader  ]"},         {4, "[ kGroupHeader ]"}, {5, "[ kDetails     ]"},
                {6, "[ kGroupFooter ]"},         {7, "[ kPageFooter  ]"}, {8, "[ kReportFooter]"}};
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.type);
    EXPECT_EQ(c.label, Item::typeLabel(c.type).toUtf8());
    EXPECT_EQ(c.type == 0 ? 24 : 16, Item::typeLabel(c.type).length());
    Item item(static_cast<Item::eTemplateItemType>(c.type));
    EXPECT_EQ(c.label, listing(item, 0, 1, 1));
  }
  EXPECT_TRUE(Item::typeLabel(9).isEmpty());
  EXPECT_TRUE(Item::typeLabel(-1).isEmpty());

  // A type outside the table lists only the tuples.
  Item odd;
  odd.setType(static_cast<Item::eTemplateItemType>(9));
  odd.addData(intTuple("%A", 1));
  EXPECT_EQ("[%A:1]", listing(odd, 0, 1, 1));
}

TEST(QelBomTemplateItemTest, ListsLabelBeforeTuplesOnEveryNode) {
  Item header(Item::kGroupHeader);
  header.addData(textTuple("%GroupBy:%PosNum"));
  header.addData(intTuple("%PosNum"));
  EXPECT_EQ("[ kGroupHeader ][%GroupBy:%PosNum:][%PosNum:0]", listing(header, 0, 0, 0));

  Item details(Item::kDetails);
  details.addData(intTuple("%Weight", 2));
  Item footer(Item::kGroupFooter);
  header.addChild(&details);
  header.setNext(&footer);
  EXPECT_EQ(
      "[ kGroupHeader ][%GroupBy:%PosNum:][%PosNum:0]\n"
      "  [ kDetails     ][%Weight:2]\n"
      " [ kGroupFooter ]",
      listing(header, 1, 1, 1));
}

TEST(QelBomTemplateItemTest, GroupingTokensAreRebuiltFromTuples) {
  Item header(Item::kGroupHeader);
  EXPECT_TRUE(texts(header.groupingTokens()).empty());
  header.addData(textTuple("%GroupBy:%PosNum"));
  header.addData(intTuple("%PosNum"));
  EXPECT_EQ(1, header.findGroupingTokens());
  EXPECT_EQ((std::vector<std::string>{"%PosNum"}), texts(header.groupingTokens()));

  header.addData(textTuple("%GroupBy: %Material"));
  // Found anywhere, tail cut by length from the end: 12 characters leave 3.
  header.addData(textTuple("ab%GroupBy:X"));
  EXPECT_EQ((std::vector<std::string>{"%PosNum"}), texts(header.groupingTokens()));  // stale
  header.findGroupingTokens();
  header.findGroupingTokens();
  const std::vector<std::string> expected{"%PosNum", " %Material", "y:X"};
  EXPECT_EQ(expected, texts(header.groupingTokens()));

  // A rebuild empties the list first, keeping its storage.
  const int capacity = header.groupingTokens().capacity();
  header.setData(QelArray<QelBomDataTuple>());
  header.findGroupingTokens();
  EXPECT_EQ(0, header.groupingTokens().count());
  EXPECT_EQ(capacity, header.groupingTokens().capacity());
}

TEST(QelBomTemplateItemTest, SortingTokensAndFilterTypesAreRebuiltFromTuples) {
  Item header(Item::kGroupHeader);
  header.addData(textTuple("%SortAscBy:%Material"));
  header.addData(intTuple("%Material"));
  header.addData(textTuple("%SortDescBy: %Weight , %Length"));
  header.addData(textTuple("%FilterBy:1, 2,3"));
  header.addData(textTuple("%FilterBy:7"));
  for (int round = 0; round < 2; ++round) {
    EXPECT_EQ(1, header.findSortingTokens());
    EXPECT_EQ(1, header.findFilterObjTypes());
  }
  const std::vector<std::string> sorting{"%SortAscBy:%Material", "%SortDescBy:%Weight", "%Length"};
  EXPECT_EQ(sorting, texts(header.sortingTokens()));
  EXPECT_EQ((std::vector<int>{1, 2, 3, 7}), ints(header.filterObjTypes()));
  EXPECT_TRUE(texts(header.groupingTokens()).empty());  // not asked for
}

TEST(QelBomTemplateItemTest, DescendsOnlyIntoTheFirstGroupHeaderChild) {
  auto section = [](Item::eTemplateItemType type, const char* name, int filter) {
    auto item = std::make_unique<Item>(type);
    item->addData(textTuple((std::string("%GroupBy:%") + name).c_str()));
    item->addData(textTuple((std::string("%SortAscBy:%") + name).c_str()));
    item->addData(textTuple(("%FilterBy:" + std::to_string(filter)).c_str()));
    return item;
  };
  auto top = section(Item::kReportHeader, "Top", 1);
  auto footer = section(Item::kGroupFooter, "Footer", 2);
  auto first = section(Item::kGroupHeader, "First", 3);
  auto second = section(Item::kGroupHeader, "Second", 4);
  auto details = section(Item::kDetails, "Details", 5);  // first child of `first`
  auto inner = section(Item::kGroupHeader, "Inner", 6);  // its first group header
  top->addChild(footer.get());
  top->addChild(first.get());
  top->addChild(second.get());
  first->addChild(details.get());
  first->addChild(inner.get());

  top->findGroupingTokens();
  top->findSortingTokens();
  top->findFilterObjTypes();

  const struct {
    const Item* item;
    const char* name;
    int filter;
    bool visited;
  } kExpect[] = {{top.get(), "Top", 1, true},          {footer.get(), "Footer", 2, false},
                 {first.get(), "First", 3, true},      {second.get(), "Second", 4, false},
                 {details.get(), "Details", 5, false}, {inner.get(), "Inner", 6, true}};
  for (const auto& e : kExpect) {
    SCOPED_TRACE(e.name);
    if (e.visited) {
      EXPECT_EQ(std::vector<std::string>{std::string("%") + e.name},
                texts(e.item->groupingTokens()));
      EXPECT_EQ(std::vector<std::string>{std::string("%SortAscBy:%") + e.name},
                texts(e.item->sortingTokens()));
      EXPECT_EQ(std::vector<int>{e.filter}, ints(e.item->filterObjTypes()));
    } else {
      EXPECT_EQ(0, e.item->groupingTokens().count());
      EXPECT_EQ(0, e.item->sortingTokens().count());
      EXPECT_EQ(0, e.item->filterObjTypes().count());
    }
  }
}

TEST(QelBomTemplateItemTest, DescendsThroughAVeryDeepChainOfGroupHeaders) {
  constexpr int kDepth = 200000;
  std::vector<std::unique_ptr<Item>> chain;
  chain.reserve(kDepth);
  for (int i = 0; i < kDepth; ++i) {
    chain.push_back(std::make_unique<Item>(Item::kGroupHeader));
    if (i > 0) chain[i - 1]->addChild(chain[i].get());
  }
  chain.back()->addData(textTuple("%GroupBy:%Deepest"));
  chain.front()->findGroupingTokens();
  EXPECT_EQ(std::vector<std::string>{"%Deepest"}, texts(chain.back()->groupingTokens()));
}

TEST(QelBomTemplateItemTest, GetSubItemAtSearchesDirectChildrenOnly) {
  Item reportHeader(Item::kReportHeader);
  Item footer(Item::kGroupFooter);
  Item firstHeader(Item::kGroupHeader);
  Item secondHeader(Item::kGroupHeader);
  Item details(Item::kDetails);
  EXPECT_EQ(nullptr, reportHeader.getSubItemAt(Item::kGroupHeader));  // no children

  reportHeader.addChild(&footer);
  reportHeader.addChild(&firstHeader);
  reportHeader.addChild(&secondHeader);
  firstHeader.addChild(&details);
  EXPECT_EQ(&firstHeader, reportHeader.getSubItemAt(Item::kGroupHeader));
  EXPECT_EQ(&footer, reportHeader.getSubItemAt(Item::kGroupFooter));
  EXPECT_EQ(nullptr, reportHeader.getSubItemAt(Item::kDetails));  // two levels down
  EXPECT_EQ(&details, firstHeader.getSubItemAt(Item::kDetails));
}

TEST(QelBomTemplateItemTest, CopiesHaveTheirOwnLists) {
  Item child(Item::kDetails);
  Item sibling(Item::kGroupFooter);
  QelBomDataRow row;
  Item source(Item::kGroupHeader);
  source.addChild(&child);
  source.setNext(&sibling);
  source.setFirstDataRow(&row);
  source.addData(textTuple("%GroupBy:%PosNum"));
  source.addData(textTuple("%SortAscBy:%Material"));
  source.addData(textTuple("%FilterBy:4"));
  source.findGroupingTokens();
  source.findSortingTokens();
  source.findFilterObjTypes();

  auto expectLikeSource = [&](const Item& copy) {
    EXPECT_EQ(Item::kGroupHeader, copy.type());
    EXPECT_EQ(&child, copy.child());
    EXPECT_EQ(&child, copy.lastChild());
    EXPECT_EQ(&sibling, copy.next());
    EXPECT_EQ(&row, copy.getFirstDataRow());
    EXPECT_EQ(3, copy.getData().count());
    EXPECT_EQ(std::vector<std::string>{"%PosNum"}, texts(copy.groupingTokens()));
    EXPECT_EQ(std::vector<std::string>{"%SortAscBy:%Material"}, texts(copy.sortingTokens()));
    EXPECT_EQ(std::vector<int>{4}, ints(copy.filterObjTypes()));
    EXPECT_EQ(8, copy.groupingTokens().growBy());
  };

  Item copy(source);
  expectLikeSource(copy);

  Item assigned(Item::kDetails);
  assigned.addData(textTuple("%GroupBy:%Old"));
  assigned.addData(textTuple("%FilterBy:9,10"));
  assigned.findGroupingTokens();
  assigned.findFilterObjTypes();
  assigned = source;
  expectLikeSource(assigned);

  for (Item* target : {&copy, &assigned}) {
    target->getData()[0].setToken(QelString("%GroupBy:%Other"));
    target->getData()[1].setToken(QelString("%SortDescBy:%Other"));
    target->getData()[2].setToken(QelString("%FilterBy:5"));
    target->findGroupingTokens();
    target->findSortingTokens();
    target->findFilterObjTypes();
    EXPECT_EQ(std::vector<std::string>{"%Other"}, texts(target->groupingTokens()));
    EXPECT_EQ(std::vector<int>{5}, ints(target->filterObjTypes()));
  }
  EXPECT_EQ(std::vector<std::string>{"%PosNum"}, texts(source.groupingTokens()));
  EXPECT_EQ(std::vector<std::string>{"%SortAscBy:%Material"}, texts(source.sortingTokens()));
  EXPECT_EQ(std::vector<int>{4}, ints(source.filterObjTypes()));
  EXPECT_EQ("%GroupBy:%PosNum", source.getData()[0].token().token().toUtf8());
}

}  // namespace
