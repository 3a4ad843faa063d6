// Copies of templates, their sections and data rows (a host keeps and copies
// them; the reports never do): exact, with lists and units of their own.
#include <string>

#include <gtest/gtest.h>

#include "QelBomData.h"
#include "QelBomItems.h"
#include "QelBomTemplate.h"
#include "QelBomValues.h"

namespace {

using Item = QelBomTemplateItem;
using Units = QelBomTemplateUnits;

std::string str(const QelString& s) { return s.toUtf8(); }
std::string str(int value) { return std::to_string(value); }

template <class Array>
std::string joined(const Array& values) {
  std::string out;
  for (int i = 0; i < values.count(); ++i) out += (i ? "," : "") + str(values[i]);
  return out;
}

// "grouping tokens|sorting tokens|filter types", found anew from the tuples.
std::string lists(Item* item) {
  EXPECT_EQ(1, item->findGroupingTokens());
  EXPECT_EQ(1, item->findSortingTokens());
  EXPECT_EQ(1, item->findFilterObjTypes());
  return joined(item->groupingTokens()) + "|" + joined(item->sortingTokens()) + "|" +
         joined(item->filterObjTypes());
}

void addTexts(Item* item, std::initializer_list<const char*> tokens) {
  for (const char* t : tokens) item->addData(QelBomDataTuple(QelString(t), QelString()));
}

TEST(QelBomTemplateCopyTest, SectionsCopyTheirLinksAndOwnTheirLists) {
  Item child(Item::kDetails), sibling(Item::kGroupFooter);
  QelBomDataRow row;
  Item source(Item::kGroupHeader);
  source.addChild(&child);
  source.setNext(&sibling);
  source.setFirstDataRow(&row);
  addTexts(&source, {"%GroupBy:%PosNum", "%SortAscBy:%Material", "%FilterBy:4"});
  ASSERT_EQ("%PosNum|%SortAscBy:%Material|4", lists(&source));

  Item copy(source);
  Item assigned(Item::kDetails);
  addTexts(&assigned, {"%GroupBy:%Old", "%FilterBy:9,10"});
  lists(&assigned);
  assigned = source;
  for (Item* target : {&copy, &assigned}) {
    EXPECT_EQ(Item::kGroupHeader, target->type());
    EXPECT_EQ(&child, target->child());
    EXPECT_EQ(&sibling, target->next());
    EXPECT_EQ(&row, target->getFirstDataRow());
    target->getData()[0].setToken(QelString("%GroupBy:%Other"));
    target->getData()[2].setToken(QelString("%FilterBy:5"));
    EXPECT_EQ("%Other|%SortAscBy:%Material|5", lists(target));
  }
  Item& alias = source;
  source = alias;
  EXPECT_EQ(&child, source.child());
  EXPECT_EQ("%PosNum|%SortAscBy:%Material|4", lists(&source));
}

TEST(QelBomTemplateCopyTest, TemplatesOwnTheirUnits) {
  QelBomTemplate root;
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

TEST(QelBomTemplateCopyTest, RowsAndDataSetsCopyTheirContent) {
  QelBomDataRow row;
  row.setObjectHandle(QelString("h1"));
  row.addData(QelBomDataTuple(QelString("%PosNum"), 7));
  QelBomDataRow copy(row), assigned, taken;
  assigned = row;
  taken.setFrom(&row);
  taken.setFrom(&taken);
  for (const QelBomDataRow* target : {&copy, &assigned, &taken}) {
    EXPECT_EQ("h1", target->objectHandle().toUtf8());
    EXPECT_EQ(1, target->getData().count());
  }
  QelBomData data;
  data.setTemplUsedTokensAndObjTypes(QelArray<QelString>(), QelIntArray());
  QelBomData dataCopy(data), dataAssigned;
  dataAssigned = data;
  EXPECT_EQ(nullptr, dataCopy.child());
}

}  // namespace
