#include "QelBomTemplateItem.h"

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "QelBomItems.h"
#include "QelBomValues.h"
#include "TemplateTestSupport.h"

using namespace template_test;

namespace {

void addTexts(Item* item, std::initializer_list<std::string> tokens) {
  for (const std::string& t : tokens) {
    item->addData(QelBomDataTuple(QelString(t.c_str()), QelString()));
  }
}

void findAll(Item* item) {
  EXPECT_EQ(1, item->findGroupingTokens());
  EXPECT_EQ(1, item->findSortingTokens());
  EXPECT_EQ(1, item->findFilterObjTypes());
}

// "grouping tokens|sorting tokens|filter types".
std::string lists(const Item& item) {
  return joined(item.groupingTokens(), ",") + "|" + joined(item.sortingTokens(), ",") + "|" +
         joined(item.filterObjTypes(), ",");
}

TEST(QelBomTemplateItemTest, LabelsOfEveryType) {
  const char* labels[] = {"[ kUnkTemplateItemType ]", "[ kBomTemplate ]", "[ kReportHeader]",
                          "[ kPageHeader  ]",         "[ kGroupHeader ]", "[ kDetails     ]",
                          "[ kGroupFooter ]",         "[ kPageFooter  ]", "[ kReportFooter]"};
  for (int type = 0; type < 10; ++type) {
    // A type outside the table has no label and lists only the tuples.
    const std::string label = type < 9 ? labels[type] : "";
    EXPECT_EQ(label, Item::typeLabel(type).toUtf8());
    Item item(static_cast<Item::eTemplateItemType>(type));
    item.addData(QelBomDataTuple(QelString("%A"), 1));
    QelString text;
    item.list(text, 0, 1, 1);
    EXPECT_EQ(label + "[%A:1]", text.toUtf8());
  }
  EXPECT_TRUE(Item::typeLabel(-1).isEmpty());
}

TEST(QelBomTemplateItemTest, ListsAreRebuiltFromTuples) {
  Item header(Item::kGroupHeader);
  addTexts(&header, {"%GroupBy:%PosNum", "%SortAscBy:%Material", "%FilterBy:1, 2,3"});
  header.addData(QelBomDataTuple(QelString("%PosNum"), 0));
  header.findGroupingTokens();
  EXPECT_EQ("%PosNum||", lists(header));  // only the list asked for

  // Found anywhere, tail cut by length from the end: 12 characters leave 3.
  addTexts(&header, {"%GroupBy: %Material", "ab%GroupBy:X", "%SortDescBy: %Weight , %Length",
                     "%FilterBy:7"});
  EXPECT_EQ("%PosNum||", lists(header));  // stale until rebuilt
  findAll(&header);
  findAll(&header);  // a rebuild starts from an empty list
  EXPECT_EQ("%PosNum, %Material,y:X|%SortAscBy:%Material,%SortDescBy:%Weight,%Length|1,2,3,7",
            lists(header));

  // Emptying keeps the storage.
  const int capacity = header.groupingTokens().capacity();
  header.setData(QelArray<QelBomDataTuple>());
  findAll(&header);
  EXPECT_EQ("||", lists(header));
  EXPECT_EQ(capacity, header.groupingTokens().capacity());
}

TEST(QelBomTemplateItemTest, DescendsOnlyIntoTheFirstGroupHeaderChild) {
  // Top holds Footer, First and Second; First holds Details, then Inner. Only
  // the first group header among the direct children is descended into.
  const std::pair<Item::eTemplateItemType, const char*> sections[] = {
      {Item::kReportHeader, "Top"},  {Item::kGroupFooter, "Footer"},
      {Item::kGroupHeader, "First"}, {Item::kGroupHeader, "Second"},
      {Item::kDetails, "Details"},   {Item::kGroupHeader, "Inner"}};
  std::vector<std::unique_ptr<Item>> items;
  for (const auto& [type, name] : sections) {
    items.push_back(std::make_unique<Item>(type));
    addTexts(items.back().get(),
             {std::string("%GroupBy:%") + name, std::string("%SortAscBy:%") + name,
              "%FilterBy:" + std::to_string(items.size())});
  }
  for (int i : {1, 2, 3}) items[0]->addChild(items[i].get());
  items[2]->addChild(items[4].get());
  items[2]->addChild(items[5].get());
  findAll(items[0].get());
  std::string seen;
  for (const auto& item : items) seen += lists(*item) + ";";
  EXPECT_EQ(seen,
            "%Top|%SortAscBy:%Top|1;||;%First|%SortAscBy:%First|3;||;||;"
            "%Inner|%SortAscBy:%Inner|6;");

  // A very deep chain of group headers is walked without running out of stack.
  constexpr int kDepth = 200000;
  std::vector<std::unique_ptr<Item>> chain;
  for (int i = 0; i < kDepth; ++i) {
    chain.push_back(std::make_unique<Item>(Item::kGroupHeader));
    if (i > 0) chain[i - 1]->addChild(chain[i].get());
  }
  addTexts(chain.back().get(), {"%GroupBy:%Deepest"});
  chain.front()->findGroupingTokens();
  EXPECT_EQ("%Deepest||", lists(*chain.back()));
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
    EXPECT_EQ("%PosNum|%SortAscBy:%Material|4", lists(*target));

    target->getData()[0].setToken(QelString("%GroupBy:%Other"));
    target->getData()[2].setToken(QelString("%FilterBy:5"));
    findAll(target);
    EXPECT_EQ("%Other|%SortAscBy:%Material|5", lists(*target));
  }
  EXPECT_EQ("%PosNum|%SortAscBy:%Material|4", lists(source));
  EXPECT_EQ("%GroupBy:%PosNum", source.getData()[0].token().token().toUtf8());
}

// A copy's tuples and lists hold exactly the source's elements: capacity
// equal to the count, the source's grow step. Assigning an item to itself
// changes nothing.
TEST(QelBomTemplateItemTest, CopiesAreExactAndSelfAssignmentChangesNothing) {
  Item child(Item::kDetails);
  QelBomDataRow row;
  Item source(Item::kGroupHeader);
  source.addChild(&child);
  source.setFirstDataRow(&row);
  source.getData().setGrowBy(5);
  addTexts(&source, {"%GroupBy:%PosNum", "%SortAscBy:%Material,%Name", "%FilterBy:4"});
  findAll(&source);
  ASSERT_GT(source.getData().capacity(), source.getData().count());

  Item copy(source);
  Item assigned(Item::kDetails);
  addTexts(&assigned, {"%GroupBy:%A", "%GroupBy:%B", "%GroupBy:%C", "%GroupBy:%D"});
  findAll(&assigned);
  assigned = source;
  for (const Item* target : {&copy, &assigned}) {
    EXPECT_EQ(3, target->getData().count());
    EXPECT_EQ(3, target->getData().capacity());
    EXPECT_EQ(5, target->getData().growBy());
    EXPECT_EQ(1, target->groupingTokens().capacity());
    EXPECT_EQ(2, target->sortingTokens().capacity());
    EXPECT_EQ(1, target->filterObjTypes().capacity());
    EXPECT_EQ(8, target->groupingTokens().growBy());
  }

  Item& alias = source;
  source = alias;
  EXPECT_EQ(Item::kGroupHeader, source.type());
  EXPECT_EQ(&child, source.child());
  EXPECT_EQ(&row, source.getFirstDataRow());
  EXPECT_EQ(3, source.getData().count());
  EXPECT_EQ("%GroupBy:%PosNum", source.getData()[0].token().token().toUtf8());
  EXPECT_EQ("%PosNum|%SortAscBy:%Material,%Name|4", lists(source));
}

}  // namespace
