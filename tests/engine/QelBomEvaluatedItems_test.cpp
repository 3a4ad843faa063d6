// The values of evaluated items: copied from rows, summed and shown through
// the template's units.
#include <gtest/gtest.h>

#include "EngineTestSupport.h"
#include "QelBomEvaluator2.h"
#include "QelBomEvaluator2TestPeer.h"

using namespace engine_test;

TEST(QelBomEvaluatedItemsTest, ValuesAreCopiedSummedAndShownThroughUnits) {
  TemplatePtr templ = newTemplate();
  templ->setUnitsForTokens(nullptr);
  Item* group = makeSection(Item::kGroupHeader,
                            {{"%GroupBy:%P", ""}, {"%P", 0}, {"%Absent", 3}, {"%Empty", "keep"}});
  templ->addChild(group);
  templ->addChild(makeSection(Item::kGroupFooter, {{"%SumBy:%Weight", 0},
                                                   {"%SumBy:%T", "text"},
                                                   {"%SumBy:%V"},
                                                   {"%SumBy:%I", 2147483647},
                                                   {"%SumBy:%Name", 0}}));
  group->addChild(makeSection(Item::kDetails,
                              {{"%Weight", 0.0}, {"%Unknown", 0.0}, {"%Name", ""}, {"%Nothing"}}));
  trace(templ.get());
  // Only the first of equal tokens counts; a row tuple without value leaves
  // the section's value.
  DataPtr data = newData();
  data->addChild(makeRow("1", {{"%P", -7},
                               {"%Weight", 2.0 / 3.0},
                               {"%Weight", 9.0},
                               {"%Unknown", 2.0 / 3.0},
                               {"%Name", "a"},
                               {"%Empty"},
                               {"%T", 2},
                               {"%V", 0.5},
                               {"%I", 1}}));
  data->addChild(makeRow("2", {{"%P", -7},
                               {"%Weight", 1.0},
                               {"%Unknown", 1.0},
                               {"%Name", "b"},
                               {"%T", 2},
                               {"%V", 0.25},
                               {"%I", 1}}));
  TemplatePtr output = newTemplate();
  ASSERT_EQ(QelBomEvaluator2::evaluate(templ.get(), data.get(), output.get()), 1);
  // Reals through the units of their (summed) token, "%g" without one; a text
  // or no value starts a sum at 0; ints wrap around; texts are not summed.
  EXPECT_EQ(listing(output.get()),
            "[ kBomTemplate ]\n"
            " [ kGroupHeader ][%GroupBy:%P:][%P:-7][%Absent:3][%Empty:keep]\n"
            "  [ kDetails     ][%Weight:0.67][%Unknown:0.666667][%Name:a][%Nothing:]\n"
            "  [ kDetails     ][%Weight:1][%Unknown:1][%Name:b][%Nothing:]\n"
            " [ kGroupFooter ][%SumBy:%Weight:1.67][%SumBy:%T:4][%SumBy:%V:0.75]"
            "[%SumBy:%I:-2147483647][%SumBy:%Name:0]");
  // Values in the output are texts; a tuple without value stays without.
  const Item* details = childrenOf(output->child())[0];
  EXPECT_EQ(details->getData()[0].value().type(), QelBomDataValue::kStringDataValue);
  EXPECT_EQ(details->getData()[3].value().type(), QelBomDataValue::kUnkDataValueType);
  // Copied row tuples are marked used; summed ones are not.
  std::string used;
  for (QelBomDataRow* row : rowsOf(data.get())) {
    for (const QelBomDataTuple& t : row->getData()) used += std::to_string(t.used());
    used += ' ';
  }
  EXPECT_EQ(used, "110110000 0111000 ");
}

TEST(QelBomEvaluatedItemsTest, FillGenericStringAddsEveryTuple) {
  RowPtr row(makeRow("1", {{"%PosNum", 3}, {"%Weight", 12.25}, {"%Material", "S355"}, {"%Empty"}}));
  QelGenericString out;
  QelBomEvaluator2TestPeer::fillGenericString(out, row.get());
  EXPECT_EQ(U(out.toText()),
            "%PosNum\n%PosNum=3\n%Weight\n%Weight=12.2\n%Material\n%Material=S355\n%Empty");
  ASSERT_EQ(out.records().size(), 7u);
  EXPECT_EQ(out.records()[3].doubleValue, 12.25);
  for (const auto& record : out.records()) EXPECT_EQ(record.unitType, 0);
}
