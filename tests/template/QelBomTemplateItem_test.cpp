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
  for (const QelString& s : array) out.push_back(s.toUtf8());
  return out;
}

std::vector<int> ints(const QelIntArray& array) {
  return std::vector<int>(array.begin(), array.end());
}

void addTexts(Item* item, std::initializer_list<std::string> tokens) {
  for (const std::string& t : tokens)
    item->addData(QelBomDataTuple(QelString(t.c_str()), QelString()));
}

void findAll(Item* item) {
  EXPECT_EQ(1, item->findGroupingTokens());
  EXPECT_EQ(1, item->findSortingTokens());
  EXPECT_EQ(1, item->findFilterObjTypes());
}

TEST(QelBomTemplateItemTest, LabelsOfEveryType) {
  const char* labels[] = {"[ kUnkTemplateItemType ]", "[ kBomTemplate ]", "[ kReportHeader]",
                          "[ kPageHeader  ]",         "[ kGroupHeader ]", "[ kDetails     ]",
                          "[ kGroupFooter ]",         "[ kPageFooter  ]", "[ kReportFooter]"};
  for (int type = 0; type < 9; ++type) {
    EXPECT_EQ(labels[type], Item::typeLabel(type).toUtf8());
    Item item(static_cast<Item::eTemplateItemType>(type));
    QelString text;
    item.list(text, 0, 1, 1);
    EXPECT_EQ(labels[type], text.toUtf8());
  }
  EXPECT_TRUE(Item::typeLabel(9).isEmpty());
  EXPECT_TRUE(Item::typeLabel(-1).isEmpty());
  // A type outside the table lists only the tuples.
  Item odd(static_cast<Item::eTemplateItemType>(9));
  odd.addData(QelBomDataTuple(QelString("%A"), 1));
  QelString text;
  odd.list(text, 0, 1, 1);
  EXPECT_EQ("[%A:1]", text.toUtf8());
}

TEST(QelBomTemplateItemTest, ListsAreRebuiltFromTuples) {
  Item header(Item::kGroupHeader);
  addTexts(&header, {"%GroupBy:%PosNum", "%SortAscBy:%Material", "%FilterBy:1, 2,3"});
  header.addData(QelBomDataTuple(QelString("%PosNum"), 0));
  header.findGroupingTokens();
  EXPECT_EQ((std::vector<std::string>{"%PosNum"}), texts(header.groupingTokens()));
  EXPECT_TRUE(header.sortingTokens().count() == 0);  // not asked for

  // Found anywhere, tail cut by length from the end: 12 characters leave 3.
  addTexts(&header, {"%GroupBy: %Material", "ab%GroupBy:X", "%SortDescBy: %Weight , %Length",
                     "%FilterBy:7"});
  EXPECT_EQ((std::vector<std::string>{"%PosNum"}), texts(header.groupingTokens()));  // stale
  findAll(&header);
  findAll(&header);  // a rebuild starts from an empty list
  EXPECT_EQ((std::vector<std::string>{"%PosNum", " %Material", "y:X"}),
            texts(header.groupingTokens()));
  EXPECT_EQ((std::vector<std::string>{"%SortAscBy:%Material", "%SortDescBy:%Weight", "%Length"}),
            texts(header.sortingTokens()));
  EXPECT_EQ((std::vector<int>{1, 2, 3, 7}), ints(header.filterObjTypes()));

  // Emptying keeps the storage.
  const int capacity = header.groupingTokens().capacity();
  header.setData(QelArray<QelBomDataTuple>());
  header.findGroupingTokens();
  EXPECT_EQ(0, header.groupingTokens().count());
  EXPECT_EQ(capacity, header.groupingTokens().capacity());
}

TEST(QelBomTemplateItemTest, DescendsOnlyIntoTheFirstGroupHeaderChild) {
  const struct {
    Item::eTemplateItemType type;
    const char* name;
    int filter;
    bool visited;
  } sections[] = {{Item::kReportHeader, "Top", 1, true},  {Item::kGroupFooter, "Footer", 2, false},
                  {Item::kGroupHeader, "First", 3, true}, {Item::kGroupHeader, "Second", 4, false},
                  {Item::kDetails, "Details", 5, false},  {Item::kGroupHeader, "Inner", 6, true}};
  std::vector<std::unique_ptr<Item>> items;
  for (const auto& s : sections) {
    items.push_back(std::make_unique<Item>(s.type));
    const std::string name(s.name);
    addTexts(items.back().get(),
             {"%GroupBy:%" + name, "%SortAscBy:%" + name, "%FilterBy:" + std::to_string(s.filter)});
  }
  // Top holds Footer, First and Second; First holds Details, then Inner.
  for (int i : {1, 2, 3}) items[0]->addChild(items[i].get());
  items[2]->addChild(items[4].get());
  items[2]->addChild(items[5].get());
  findAll(items[0].get());
  for (size_t i = 0; i < items.size(); ++i) {
    const auto& s = sections[i];
    SCOPED_TRACE(s.name);
    const std::string name(s.name);
    EXPECT_EQ(s.visited ? std::vector<std::string>{"%" + name} : std::vector<std::string>{},
              texts(items[i]->groupingTokens()));
    EXPECT_EQ(
        s.visited ? std::vector<std::string>{"%SortAscBy:%" + name} : std::vector<std::string>{},
        texts(items[i]->sortingTokens()));
    EXPECT_EQ(s.visited ? std::vector<int>{s.filter} : std::vector<int>{},
              ints(items[i]->filterObjTypes()));
  }

  // A very deep chain of group headers is walked without running out of stack.
  constexpr int kDepth = 200000;
  std::vector<std::unique_ptr<Item>> chain;
  for (int i = 0; i < kDepth; ++i) {
    chain.push_back(std::make_unique<Item>(Item::kGroupHeader));
    if (i > 0) chain[i - 1]->addChild(chain[i].get());
  }
  addTexts(chain.back().get(), {"%GroupBy:%Deepest"});
  chain.front()->findGroupingTokens();
  EXPECT_EQ(std::vector<std::string>{"%Deepest"}, texts(chain.back()->groupingTokens()));
}

TEST(QelBomTemplateItemTest, GetSubItemAtSearchesDirectChildrenOnly) {
  Item reportHeader(Item::kReportHeader), footer(Item::kGroupFooter);
  Item firstHeader(Item::kGroupHeader), secondHeader(Item::kGroupHeader), details(Item::kDetails);
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
  Item child(Item::kDetails), sibling(Item::kGroupFooter);
  QelBomDataRow row;
  Item source(Item::kGroupHeader);
  source.addChild(&child);
  source.setNext(&sibling);
  source.setFirstDataRow(&row);
  addTexts(&source, {"%GroupBy:%PosNum", "%SortAscBy:%Material", "%FilterBy:4"});
  findAll(&source);

  Item copy(source);
  Item assigned(Item::kDetails);
  addTexts(&assigned, {"%GroupBy:%Old", "%FilterBy:9,10"});
  findAll(&assigned);
  assigned = source;
  for (Item* target : {&copy, &assigned}) {
    EXPECT_EQ(Item::kGroupHeader, target->type());
    EXPECT_EQ(&child, target->child());
    EXPECT_EQ(&child, target->lastChild());
    EXPECT_EQ(&sibling, target->next());
    EXPECT_EQ(&row, target->getFirstDataRow());
    EXPECT_EQ(3, target->getData().count());
    EXPECT_EQ(std::vector<std::string>{"%PosNum"}, texts(target->groupingTokens()));
    EXPECT_EQ(std::vector<std::string>{"%SortAscBy:%Material"}, texts(target->sortingTokens()));
    EXPECT_EQ(std::vector<int>{4}, ints(target->filterObjTypes()));
    EXPECT_EQ(8, target->groupingTokens().growBy());

    target->getData()[0].setToken(QelString("%GroupBy:%Other"));
    target->getData()[1].setToken(QelString("%SortDescBy:%Other"));
    target->getData()[2].setToken(QelString("%FilterBy:5"));
    findAll(target);
    EXPECT_EQ(std::vector<std::string>{"%Other"}, texts(target->groupingTokens()));
    EXPECT_EQ(std::vector<int>{5}, ints(target->filterObjTypes()));
  }
  EXPECT_EQ(std::vector<std::string>{"%PosNum"}, texts(source.groupingTokens()));
  EXPECT_EQ(std::vector<std::string>{"%SortAscBy:%Material"}, texts(source.sortingTokens()));
  EXPECT_EQ(std::vector<int>{4}, ints(source.filterObjTypes()));
  EXPECT_EQ("%GroupBy:%PosNum", source.getData()[0].token().token().toUtf8());
}

}  // namespace
