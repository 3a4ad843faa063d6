#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "EngineTestSupport.h"
#include "QelBomEvaluator2.h"
#include "QelBomEvaluator2TestPeer.h"

using namespace engine_test;
using Peer = QelBomEvaluator2TestPeer;
using Item = QelBomTemplateItem;
using Value = QelBomDataValue;

namespace {

Peer::RowArray rowArray(std::initializer_list<QelBomDataRow*> rows) {
  Peer::RowArray array;
  for (QelBomDataRow* row : rows) array.append(row);
  return array;
}

// A template whose units table holds the standard token unit types.
TemplatePtr unitsTemplate() {
  TemplatePtr templ = newTemplate();
  templ->setUnitsForTokens(nullptr);
  return templ;
}

}  // namespace

TEST(QelBomEvaluatedItemsTest, ProcessWithRowCopiesValuesAndMarksThemUsed) {
  ItemPtr section(makeSection(Item::kGroupHeader, {{"%GroupBy:%PosNum", ""},
                                                   {"%PosNum", "template"},
                                                   {"%Weight", 0},
                                                   {"%Absent", 3},
                                                   {"%Empty", "keep"}}));
  QelBomDataRow rowSibling;
  QelBomTemplateItem* sectionChild = makeSection(Item::kDetails, {});
  section->addChild(sectionChild);
  section->setNext(&rowSibling);
  QelBomDataRow firstRow;
  section->setFirstDataRow(&firstRow);

  std::unique_ptr<QelBomDataRow> row(makeRow(
      "7", {{"%Other", "x"}, {"%PosNum", 7}, {"%Weight", 2.5}, {"%Weight", 9.0}, {"%Empty"}}));
  ItemPtr item(Peer::process(section.get(), row.get()));
  section->setNext(nullptr);
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(item->type(), Item::kGroupHeader);
  EXPECT_EQ(item->next(), nullptr);
  EXPECT_EQ(item->child(), nullptr);
  EXPECT_EQ(item->lastChild(), nullptr);
  EXPECT_EQ(item->getFirstDataRow(), &firstRow);  // copied; the driver sets its own
  EXPECT_EQ(tuplesText(item.get()),
            "[%GroupBy:%PosNum:][%PosNum:7][%Weight:2.5][%Absent:3][%Empty:keep]");
  EXPECT_EQ(item->getTupleAt(Q("%PosNum"))->value().type(), Value::kIntDataValue);
  EXPECT_EQ(item->getData()[1].used(), 0);

  // The section is unchanged; only the copied row tuples (the first of equal
  // tokens) are marked.
  EXPECT_EQ(tuplesText(section.get()),
            "[%GroupBy:%PosNum:][%PosNum:template][%Weight:0][%Absent:3][%Empty:keep]");
  const int expectedUsed[] = {0, 1, 1, 0, 0};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(row->getData()[i].used(), expectedUsed[i]) << i;

  EXPECT_EQ(Peer::process(nullptr, row.get()), nullptr);
}

TEST(QelBomEvaluatedItemsTest, ProcessWithRowsSumsCountingRows) {
  TemplatePtr templ = unitsTemplate();
  ItemPtr footer(makeSection(
      Item::kGroupFooter,
      {{"%SumBy:%Weight", 0}, {"%PosNum", 5}, {"%SumBy:%Count", 0}, {"%SumBy:%Name", 0}}));
  std::unique_ptr<QelBomDataRow> r1(
      makeRow("1", {{"%Weight", 10.0}, {"%Count", 2}, {"%Name", "a"}}));
  std::unique_ptr<QelBomDataRow> r2(makeRow("2", {{"%Weight", 5.0}, {"%Count", 100}}));
  std::unique_ptr<QelBomDataRow> r3(
      makeRow("3", {{"%Weight", 7.5}, {"%Count", 3}, {"%PosNum", 9}}));
  r2->setUseThisDataForSums(0);

  ItemPtr item(Peer::process(footer.get(), rowArray({r1.get(), r2.get(), r3.get()})));
  ASSERT_NE(item, nullptr);
  const QelBomDataValue& weight = item->getTupleAt(Q("%SumBy:%Weight"))->value();
  ASSERT_EQ(weight.type(), Value::kDoubleDataValue);
  EXPECT_EQ(*static_cast<const double*>(weight.data()), 17.5);
  EXPECT_EQ(item->getTupleAt(Q("%SumBy:%Count"))->value().type(), Value::kIntDataValue);
  EXPECT_EQ(tuplesText(item.get()),
            "[%SumBy:%Weight:17.5][%PosNum:5][%SumBy:%Count:5][%SumBy:%Name:0]");
  for (const auto& row : {r1.get(), r3.get()}) {
    for (int i = 0; i < row->getData().count(); ++i) EXPECT_EQ(row->getData()[i].used(), 0);
  }

  Peer::applyUnitsForData(templ->getBomTemplateUnits(), item->getData());
  EXPECT_EQ(tuplesText(item.get()),
            "[%SumBy:%Weight:17.5][%PosNum:5][%SumBy:%Count:5][%SumBy:%Name:0]");
  EXPECT_EQ(item->getTupleAt(Q("%SumBy:%Count"))->value().type(), Value::kStringDataValue);

  // No rows: the starting values stay.
  ItemPtr none(Peer::process(footer.get(), Peer::RowArray()));
  Peer::applyUnitsForData(templ->getBomTemplateUnits(), none->getData());
  EXPECT_EQ(tuplesText(none.get()),
            "[%SumBy:%Weight:0][%PosNum:5][%SumBy:%Count:0][%SumBy:%Name:0]");

  EXPECT_EQ(Peer::process(nullptr, rowArray({r1.get()})), nullptr);
}

TEST(QelBomEvaluatedItemsTest, SumConversionsBetweenIntAndReal) {
  std::unique_ptr<QelBomDataRow> real(makeRow("r", {{"%N", 0.5}}));
  std::unique_ptr<QelBomDataRow> integer(makeRow("i", {{"%N", 2}}));
  struct Case {
    T start;
    std::vector<QelBomDataRow*> rows;
    const char* expected;
  } cases[] = {
      {{"%SumBy:%N", 1}, {real.get(), real.get()}, "2"},             // int start, reals: real 2
      {{"%SumBy:%N", 1.75}, {integer.get()}, "3"},                   // real start, int: truncated
      {{"%SumBy:%N", 0}, {real.get(), integer.get()}, "2"},          // 0.5 then int: 0 + 2
      {{"%SumBy:%N", "text"}, {integer.get(), integer.get()}, "4"},  // a text start counts as 0
      {{"%SumBy:%N"}, {real.get()}, "0.5"},                          // no value counts as 0
      {{"%SumBy:%N", 2147483647}, {integer.get()}, "-2147483647"},   // wraps around
  };
  for (const Case& c : cases) {
    ItemPtr section(makeSection(Item::kGroupFooter, {c.start}));
    Peer::RowArray rows;
    for (QelBomDataRow* row : c.rows) rows.append(row);
    ItemPtr item(Peer::process(section.get(), rows));
    EXPECT_EQ(valueOf(item.get(), "%SumBy:%N"), c.expected) << c.expected;
  }
}

TEST(QelBomEvaluatedItemsTest, ApplyUnitsTurnsNumbersIntoDisplayTexts) {
  TemplatePtr templ = unitsTemplate();
  ItemPtr item(makeSection(Item::kDetails, {{"%PosNum", -7},
                                            {"%Weight", 12.5},
                                            {"%Weight", 2.0 / 3.0},
                                            {"%SumBy:%Weight", 2.0 / 3.0},
                                            {"%Unknown", 2.0 / 3.0},
                                            {"%Material", "S235"},
                                            {"%Nothing"}}));
  item->getData()[0].setUsed(1);
  Peer::applyUnitsForData(templ->getBomTemplateUnits(), item->getData());
  EXPECT_EQ(tuplesText(item.get()),
            "[%PosNum:-7][%Weight:12.5][%Weight:0.67][%SumBy:%Weight:0.67][%Unknown:0.666667]"
            "[%Material:S235][%Nothing:]");
  const QelArray<QelBomDataTuple>& tuples = item->getData();
  for (int i = 0; i < 6; ++i) EXPECT_EQ(tuples[i].value().type(), Value::kStringDataValue) << i;
  EXPECT_EQ(tuples[6].value().type(), Value::kUnkDataValueType);
  EXPECT_EQ(tuples[0].used(), 1);
  EXPECT_EQ(U(tuples[3].token().token()), "%SumBy:%Weight");
}

TEST(QelBomEvaluatedItemsTest, IsEqualAsEvaluatedComparesValuesPositionByPosition) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  struct Case {
    std::vector<T> a;
    std::vector<T> b;
    int expected;
  } cases[] = {
      {{}, {}, 1},
      {{{"%A", "x"}}, {}, 0},
      {{{"%A", "x"}, {"%B", "y"}}, {{"%A", "x"}, {"%B", "y"}}, 1},
      {{{"%A", "x"}, {"%B", "y"}}, {{"%A", "y"}, {"%B", "x"}}, 0},  // same texts, other order
      {{{"%A", "x"}}, {{"%Other", "x"}}, 1},                        // tokens are not compared
      {{{"%A", 1}}, {{"%A", 1.0}}, 0},
      {{{"%A", 3}}, {{"%A", 3}}, 1},
      {{{"%A", 3}}, {{"%A", 4}}, 0},
      {{{"%A", 1.5}}, {{"%A", 1.5}}, 1},
      {{{"%A", 1.5}}, {{"%A", 2.5}}, 0},
      {{{"%A", nan}}, {{"%A", 2.5}}, 1},
      {{{"%A"}}, {{"%A"}}, 1},
      {{{"%A"}}, {{"%A", ""}}, 0},
  };
  int index = 0;
  for (const Case& c : cases) {
    ItemPtr a(makeSection(Item::kDetails, c.a));
    ItemPtr b(makeSection(Item::kDetails, c.b));
    EXPECT_EQ(Peer::isEqualAsEvaluated(a.get(), b.get()), c.expected) << "case " << index;
    EXPECT_EQ(Peer::isEqualAsEvaluated(b.get(), a.get()), c.expected) << "case " << index;
    ++index;
  }
}

TEST(QelBomEvaluatedItemsTest, FillGenericStringAddsEveryTuple) {
  std::unique_ptr<QelBomDataRow> row(
      makeRow("1", {{"%PosNum", 3}, {"%Weight", 12.25}, {"%Material", "S355"}, {"%Empty"}}));
  QelGenericString out;
  Peer::fillGenericString(out, row.get());
  EXPECT_EQ(U(out.toText()),
            "%PosNum\n%PosNum=3\n%Weight\n%Weight=12.2\n%Material\n"
            "%Material=S355\n%Empty");
  const std::vector<QelGenericString::Record>& records = out.records();
  ASSERT_EQ(records.size(), 7u);
  EXPECT_EQ(records[3].kind, QelGenericString::kDoubleEntry);
  EXPECT_EQ(U(records[3].format), "%.1f");
  EXPECT_EQ(records[3].doubleValue, 12.25);
  for (const auto& record : records) EXPECT_EQ(record.unitType, 0);
}
