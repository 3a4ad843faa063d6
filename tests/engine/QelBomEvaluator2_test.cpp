#include <gtest/gtest.h>

#include <map>

#include "EngineTestSupport.h"
#include "QelBomEvaluator2.h"
#include "QelBomEvaluator2TestPeer.h"
#include "ReferenceEvaluator.h"

using namespace engine_test;
using Item = QelBomTemplateItem;

namespace {

void trace(QelBomTemplate* templ) {
  QelArray<QelString> tokens;
  templ->getTokenTrace(tokens);
}

// G (group by PosNum, shows PosNum) closed by F (sums Weight), details D
// (Material, Weight) below G.
TemplatePtr workedTemplate() {
  TemplatePtr templ = newTemplate();
  templ->setUnitsForTokens(nullptr);
  Item* g = makeSection(Item::kGroupHeader, {{"%GroupBy:%PosNum", ""}, {"%PosNum", 0}});
  Item* f = makeSection(Item::kGroupFooter, {{"%SumBy:%Weight", 0.0}});
  Item* d = makeSection(Item::kDetails, {{"%Material", ""}, {"%Weight", 0.0}});
  templ->addChild(g);
  templ->addChild(f);
  g->addChild(d);
  trace(templ.get());
  return templ;
}

struct RowSpec {
  const char* handle;
  int posNum;
  const char* material;
  double weight;
};

DataPtr workedData(std::initializer_list<RowSpec> specs) {
  DataPtr data = newData();
  for (const RowSpec& r : specs) {
    data->addChild(makeRow(
        r.handle, {{"%PosNum", r.posNum}, {"%Material", r.material}, {"%Weight", r.weight}}));
  }
  return data;
}

std::string evaluateListing(QelBomTemplate* templ, QelBomData* data) {
  TemplatePtr output = newTemplate();
  EXPECT_EQ(QelBomEvaluator2::evaluate(templ, data, output.get()), 1);
  return listing(output.get());
}

std::string sumsFlags(QelBomData* data) {
  std::string out;
  for (QelBomDataRow* row : rowsOf(data)) out += std::to_string(row->getUseThisDataForSums());
  return out;
}

}  // namespace

TEST(QelBomEvaluator2Test, WorkedExampleBuildsGroupsDetailsAndSums) {
  TemplatePtr templ = workedTemplate();
  DataPtr data = workedData({{"1", 1, "Mat1", 10.0}, {"2", 1, "Mat2", 5.0}, {"3", 2, "Mat1", 7.5}});
  QelArray<QelString> equalParts;
  equalParts.append(Q("1a"));
  rowsOf(data.get())[0]->setEqualPartObjectHandles(equalParts);

  TemplatePtr output = newTemplate();
  ASSERT_EQ(QelBomEvaluator2::evaluate(templ.get(), data.get(), output.get()), 1);
  const std::string expected =
      "[ kBomTemplate ]\n"
      " [ kGroupHeader ][%GroupBy:%PosNum:][%PosNum:1]\n"
      "  [ kDetails     ][%Material:Mat1][%Weight:10]\n"
      "  [ kDetails     ][%Material:Mat2][%Weight:5]\n"
      " [ kGroupFooter ][%SumBy:%Weight:15]\n"
      " [ kGroupHeader ][%GroupBy:%PosNum:][%PosNum:2]\n"
      "  [ kDetails     ][%Material:Mat1][%Weight:7.5]\n"
      " [ kGroupFooter ][%SumBy:%Weight:7.5]";
  EXPECT_EQ(listing(output.get()), expected);
  QelString text;
  output->list(text, 0, 1, 1);
  EXPECT_EQ(U(text), expected);

  // First data rows: the opening row of each group; none on closing items.
  std::vector<QelBomDataRow*> rows = rowsOf(data.get());
  std::vector<Item*> top = childrenOf(output.get());
  ASSERT_EQ(top.size(), 4u);
  EXPECT_EQ(top[0]->getFirstDataRow(), rows[0]);
  EXPECT_EQ(top[1]->getFirstDataRow(), nullptr);
  EXPECT_EQ(top[2]->getFirstDataRow(), rows[2]);
  EXPECT_EQ(childrenOf(top[0])[1]->getFirstDataRow(), rows[1]);
  EXPECT_EQ(output->lastChild(), top[3]);
  EXPECT_EQ(top[0]->lastChild(), childrenOf(top[0])[1]);

  // Used marks: r2 never opened a group header, so its PosNum is not used.
  EXPECT_EQ(sumsFlags(data.get()), "111");
  QelArray<QelArray<QelString>> handles, tokens;
  EXPECT_EQ(data->getUsedHandlesAndTokens(handles, tokens), 1);
  ASSERT_EQ(handles.count(), 3);
  auto join = [](const QelArray<QelString>& list) {
    std::string out;
    for (int i = 0; i < list.count(); ++i) out += (i ? "," : "") + U(list[i]);
    return out;
  };
  EXPECT_EQ(join(handles[0]), "1,1a");
  EXPECT_EQ(join(tokens[0]), "%PosNum,%Material,%Weight");
  EXPECT_EQ(join(handles[1]), "2");
  EXPECT_EQ(join(tokens[1]), "%Material,%Weight");
  EXPECT_EQ(join(tokens[2]), "%PosNum,%Material,%Weight");

  // The template is unchanged.
  EXPECT_EQ(tuplesText(templ->child()), "[%GroupBy:%PosNum:][%PosNum:0]");
}

TEST(QelBomEvaluator2Test, RepeatedDetailsLineIsDroppedAndLeavesTheSums) {
  TemplatePtr templ = workedTemplate();
  DataPtr data =
      workedData({{"1", 1, "Mat1", 10.0}, {"2", 1, "Mat1", 10.0}, {"3", 2, "Mat1", 7.5}});
  EXPECT_EQ(evaluateListing(templ.get(), data.get()),
            "[ kBomTemplate ]\n"
            " [ kGroupHeader ][%GroupBy:%PosNum:][%PosNum:1]\n"
            "  [ kDetails     ][%Material:Mat1][%Weight:10]\n"
            " [ kGroupFooter ][%SumBy:%Weight:10]\n"
            " [ kGroupHeader ][%GroupBy:%PosNum:][%PosNum:2]\n"
            "  [ kDetails     ][%Material:Mat1][%Weight:7.5]\n"
            " [ kGroupFooter ][%SumBy:%Weight:7.5]");
  EXPECT_EQ(sumsFlags(data.get()), "101");

  // The footer skips the dropped row and still adds the rows after it.
  DataPtr skip =
      workedData({{"1", 1, "Mat1", 10.0}, {"2", 1, "Mat1", 10.0}, {"3", 1, "Mat2", 7.5}});
  EXPECT_EQ(evaluateListing(templ.get(), skip.get()),
            "[ kBomTemplate ]\n"
            " [ kGroupHeader ][%GroupBy:%PosNum:][%PosNum:1]\n"
            "  [ kDetails     ][%Material:Mat1][%Weight:10]\n"
            "  [ kDetails     ][%Material:Mat2][%Weight:7.5]\n"
            " [ kGroupFooter ][%SumBy:%Weight:17.5]");

  // A-B-A: an equal line after a different one stays. Equal lines under
  // different parents stay too.
  DataPtr aba =
      workedData({{"1", 1, "A", 1.0}, {"2", 1, "B", 1.0}, {"3", 1, "A", 1.0}, {"4", 2, "A", 1.0}});
  EXPECT_EQ(evaluateListing(templ.get(), aba.get()),
            "[ kBomTemplate ]\n"
            " [ kGroupHeader ][%GroupBy:%PosNum:][%PosNum:1]\n"
            "  [ kDetails     ][%Material:A][%Weight:1]\n"
            "  [ kDetails     ][%Material:B][%Weight:1]\n"
            "  [ kDetails     ][%Material:A][%Weight:1]\n"
            " [ kGroupFooter ][%SumBy:%Weight:3]\n"
            " [ kGroupHeader ][%GroupBy:%PosNum:][%PosNum:2]\n"
            "  [ kDetails     ][%Material:A][%Weight:1]\n"
            " [ kGroupFooter ][%SumBy:%Weight:1]");
  EXPECT_EQ(sumsFlags(aba.get()), "1111");

  // Lines equal only after units (10.001 and 10.004 kg both show "10") are
  // equal lines.
  DataPtr rounded = workedData({{"1", 1, "Mat1", 10.001}, {"2", 1, "Mat1", 10.004}});
  evaluateListing(templ.get(), rounded.get());
  EXPECT_EQ(sumsFlags(rounded.get()), "10");
}

TEST(QelBomEvaluator2Test, NothingToEvaluate) {
  DataPtr data = workedData({{"2", 2, "B", 1.0}, {"1", 1, "A", 1.0}});
  TemplatePtr output = newTemplate();
  EXPECT_EQ(QelBomEvaluator2::evaluate(nullptr, data.get(), output.get()), 0);

  // A template without sections: 0, and the rows are not even sorted.
  TemplatePtr empty = newTemplate();
  empty->addData(QelBomDataTuple(Q("%SortAscBy:%PosNum"), Q("")));
  trace(empty.get());
  EXPECT_EQ(QelBomEvaluator2::evaluate(empty.get(), data.get(), output.get()), 0);
  EXPECT_EQ(handlesOf(data.get()), "2,1");
  EXPECT_EQ(output->child(), nullptr);

  // No rows: no item at all, not even for a report header.
  TemplatePtr templ = newTemplate();
  Item* rh = makeSection(Item::kReportHeader, {{"%Title", "BOM"}});
  templ->addChild(rh);
  templ->addChild(makeSection(Item::kReportFooter, {{"%SumBy:%Weight", 0}}));
  rh->addChild(makeSection(Item::kDetails, {{"%PosNum", 0}}));
  trace(templ.get());
  DataPtr none = newData();
  EXPECT_EQ(QelBomEvaluator2::evaluate(templ.get(), none.get(), output.get()), 1);
  EXPECT_EQ(QelBomEvaluator2::evaluate(templ.get(), nullptr, output.get()), 1);
  EXPECT_EQ(output->child(), nullptr);
}

TEST(QelBomEvaluator2Test, SingleDetailsLevelKeepsEveryLine) {
  TemplatePtr templ = newTemplate();
  templ->addChild(makeSection(
      Item::kDetails, {{"%GroupBy:%PosNum", ""}, {"%SortDescBy:%PosNum", ""}, {"%PosNum", 0}}));
  trace(templ.get());
  DataPtr data = workedData({{"1", 1, "A", 1.0}, {"2", 2, "A", 1.0}, {"3", 2, "A", 1.0}});
  EXPECT_EQ(evaluateListing(templ.get(), data.get()),
            "[ kBomTemplate ]\n"
            " [ kDetails     ][%GroupBy:%PosNum:][%SortDescBy:%PosNum:][%PosNum:2]\n"
            " [ kDetails     ][%GroupBy:%PosNum:][%SortDescBy:%PosNum:][%PosNum:2]\n"
            " [ kDetails     ][%GroupBy:%PosNum:][%SortDescBy:%PosNum:][%PosNum:1]");
  EXPECT_EQ(handlesOf(data.get()), "2,3,1");
  EXPECT_EQ(sumsFlags(data.get()), "111");
}

TEST(QelBomEvaluator2Test, ReportHeaderHoldsAllDetailsAndItsFooterSumsAllRows) {
  TemplatePtr templ = newTemplate();
  templ->setUnitsForTokens(nullptr);
  Item* rh = makeSection(Item::kReportHeader, {{"%Title", "BOM"}, {"%PosNum", 0}});
  templ->addChild(rh);
  templ->addChild(makeSection(Item::kReportFooter, {{"%SumBy:%Weight", 0}}));
  rh->addChild(makeSection(Item::kDetails, {{"%PosNum", 0}, {"%Weight", 0}}));
  trace(templ.get());
  DataPtr data = workedData({{"1", 3, "A", 1.25}, {"2", 1, "B", 2.5}, {"3", 3, "C", 4.0}});
  EXPECT_EQ(evaluateListing(templ.get(), data.get()),
            "[ kBomTemplate ]\n"
            " [ kReportHeader][%Title:BOM][%PosNum:3]\n"
            "  [ kDetails     ][%PosNum:3][%Weight:1.25]\n"
            "  [ kDetails     ][%PosNum:1][%Weight:2.5]\n"
            "  [ kDetails     ][%PosNum:3][%Weight:4]\n"
            " [ kReportFooter][%SumBy:%Weight:7.75]");
}

TEST(QelBomEvaluator2Test, GroupBreaks) {
  // Two outer groups by A, inner groups by B, both footers summing W.
  TemplatePtr templ = newTemplate();
  Item* outer = makeSection(Item::kGroupHeader, {{"%GroupBy:%A", ""}, {"%A", ""}});
  Item* inner = makeSection(Item::kGroupHeader, {{"%GroupBy:%B", ""}, {"%B", ""}});
  templ->addChild(outer);
  templ->addChild(makeSection(Item::kGroupFooter, {{"%SumBy:%W", 0}}));
  outer->addChild(inner);
  outer->addChild(makeSection(Item::kGroupFooter, {{"%SumBy:%W", 0}}));
  inner->addChild(makeSection(Item::kDetails, {{"%W", 0}}));
  trace(templ.get());

  // The break at A closes the inner group although B still matches; each
  // footer sums its own rows.
  DataPtr data = newData();
  data->addChild(makeRow("1", {{"%A", "a1"}, {"%B", "b1"}, {"%W", 1}}));
  data->addChild(makeRow("2", {{"%A", "a1"}, {"%B", "b1"}, {"%W", 2}}));
  data->addChild(makeRow("3", {{"%A", "a2"}, {"%B", "b1"}, {"%W", 4}}));
  EXPECT_EQ(evaluateListing(templ.get(), data.get()),
            "[ kBomTemplate ]\n"
            " [ kGroupHeader ][%GroupBy:%A:][%A:a1]\n"
            "  [ kGroupHeader ][%GroupBy:%B:][%B:b1]\n"
            "   [ kDetails     ][%W:1]\n"
            "   [ kDetails     ][%W:2]\n"
            "  [ kGroupFooter ][%SumBy:%W:3]\n"
            " [ kGroupFooter ][%SumBy:%W:3]\n"
            " [ kGroupHeader ][%GroupBy:%A:][%A:a2]\n"
            "  [ kGroupHeader ][%GroupBy:%B:][%B:b1]\n"
            "   [ kDetails     ][%W:4]\n"
            "  [ kGroupFooter ][%SumBy:%W:4]\n"
            " [ kGroupFooter ][%SumBy:%W:4]");

  // Equal values that are not adjacent form separate groups; rows lacking the
  // grouping token group together and break from rows that have it.
  DataPtr split = newData();
  split->addChild(makeRow("1", {{"%B", "x"}, {"%W", 1}}));
  split->addChild(makeRow("2", {{"%B", "x"}, {"%W", 2}}));
  split->addChild(makeRow("3", {{"%A", "a"}, {"%B", "x"}, {"%W", 4}}));
  split->addChild(makeRow("4", {{"%A", "b"}, {"%B", "x"}, {"%W", 8}}));
  split->addChild(makeRow("5", {{"%A", "a"}, {"%B", "x"}, {"%W", 16}}));
  split->addChild(makeRow("6", {{"%B", "x"}, {"%W", 32}}));
  TemplatePtr output = newTemplate();
  QelBomEvaluator2::evaluate(templ.get(), split.get(), output.get());
  std::string sums;
  for (Item* item : childrenOf(output.get())) {
    if (item->type() == Item::kGroupFooter) sums += valueOf(item, "%SumBy:%W") + " ";
  }
  EXPECT_EQ(sums, "3 4 8 16 32 ");
}

TEST(QelBomEvaluator2Test, NullOutputEvaluatesAndReleasesEverything) {
  TemplatePtr templ = workedTemplate();
  DataPtr data =
      workedData({{"1", 1, "Mat1", 10.0}, {"2", 1, "Mat1", 10.0}, {"3", 2, "Mat1", 7.5}});
  EXPECT_EQ(QelBomEvaluator2::evaluate(templ.get(), data.get(), nullptr), 1);
  EXPECT_EQ(sumsFlags(data.get()), "101");
  QelArray<QelArray<QelString>> handles, tokens;
  data->getUsedHandlesAndTokens(handles, tokens);
  EXPECT_EQ(handles.count(), 3);

  // A single level is linked at once at level 0.
  TemplatePtr single = newTemplate();
  single->addChild(makeSection(Item::kDetails, {{"%PosNum", 0}}));
  single->addChild(makeSection(Item::kGroupFooter, {{"%SumBy:%Weight", 0}}));
  EXPECT_EQ(QelBomEvaluator2::evaluate(single.get(), data.get(), nullptr), 1);
}

TEST(QelBomEvaluator2Test, SecondEvaluationStartsFromTheMarksOfTheFirst) {
  TemplatePtr templ = workedTemplate();
  DataPtr data =
      workedData({{"1", 1, "Mat1", 10.0}, {"2", 1, "Mat1", 10.0}, {"3", 1, "Mat2", 2.5}});
  evaluateListing(templ.get(), data.get());
  EXPECT_EQ(sumsFlags(data.get()), "101");
  // Row 2 still counts for nothing, even where its line is not repeated.
  rowsOf(data.get())[0]->getTupleAt(Q("%Material"))->value().set(Q("Other"));
  EXPECT_EQ(evaluateListing(templ.get(), data.get()),
            "[ kBomTemplate ]\n"
            " [ kGroupHeader ][%GroupBy:%PosNum:][%PosNum:1]\n"
            "  [ kDetails     ][%Material:Other][%Weight:10]\n"
            "  [ kDetails     ][%Material:Mat1][%Weight:10]\n"
            "  [ kDetails     ][%Material:Mat2][%Weight:2.5]\n"
            " [ kGroupFooter ][%SumBy:%Weight:12.5]");
}

// The default template over the sample data, whose tokens lack the "%" of the
// template's: nothing is copied or summed, the inner groups follow Material
// in the order of descending Weight, and only the first details line of each
// inner group stays. Then the same rows with "%" tokens added, checked against
// the reference evaluator.
TEST(QelBomEvaluator2Test, DefaultTemplateOverSampleData) {
  TemplatePtr templ(QelBomTemplate::createDefaultTemplate());
  templ->setUnitsForTokens(nullptr);
  trace(templ.get());
  DataPtr data(QelBomData::createDefaultData());

  // Expected inner groups: runs of equal Material in the stable order of
  // descending Weight.
  std::vector<QelBomDataRow*> input = rowsOf(data.get());
  auto weightOf = [](QelBomDataRow* row) {
    return *static_cast<const double*>(row->getTupleAt(Q("Weight"))->value().data());
  };
  std::vector<QelBomDataRow*> expectedOrder = input;
  std::stable_sort(expectedOrder.begin(), expectedOrder.end(),
                   [&](QelBomDataRow* a, QelBomDataRow* b) { return weightOf(a) > weightOf(b); });
  std::vector<int> runLengths;
  for (size_t i = 0; i < expectedOrder.size(); ++i) {
    const std::string material = valueOf(expectedOrder[i], "Material");
    if (i == 0 || material != valueOf(expectedOrder[i - 1], "Material")) runLengths.push_back(0);
    ++runLengths.back();
  }

  TemplatePtr output = newTemplate();
  ASSERT_EQ(QelBomEvaluator2::evaluate(templ.get(), data.get(), output.get()), 1);
  EXPECT_EQ(rowsOf(data.get()), expectedOrder);
  std::vector<Item*> top = childrenOf(output.get());
  ASSERT_EQ(top.size(), 2u);
  EXPECT_EQ(tuplesText(top[0]), "[%FilterBy: %Beam , %Plate:]");
  EXPECT_EQ(top[1]->type(), Item::kReportFooter);
  std::vector<Item*> outer = childrenOf(top[0]);
  ASSERT_EQ(outer.size(), 2u);  // no row has "%PosNum": one outer group
  EXPECT_EQ(tuplesText(outer[0]), "[%GroupBy:%PosNum:][%SortAscBy:%Material:][%PosNum:0]");
  EXPECT_EQ(tuplesText(outer[1]), "[%SumBy:%Weight:0]");
  std::vector<Item*> inner = childrenOf(outer[0]);
  ASSERT_EQ(inner.size(), 2 * runLengths.size());
  std::string flags, expectedFlags;
  for (size_t g = 0; g < runLengths.size(); ++g) {
    Item* header = inner[2 * g];
    ASSERT_EQ(childrenOf(header).size(), 1u) << g;
    EXPECT_EQ(tuplesText(childrenOf(header)[0]), "[%posNum:0][%Weight:0][%Material:0]");
    EXPECT_EQ(tuplesText(inner[2 * g + 1]), "[%SumBy:%Weight:0]");
    expectedFlags += "1" + std::string(static_cast<size_t>(runLengths[g] - 1), '0');
  }
  EXPECT_EQ(sumsFlags(data.get()), expectedFlags);
  QelArray<QelArray<QelString>> handles, tokens;
  data->getUsedHandlesAndTokens(handles, tokens);
  EXPECT_EQ(handles.count(), 0);

  // The same sample rows carrying "%" tokens as well.
  DataPtr marked(QelBomData::createDefaultData());
  std::vector<reference::Row> refRows;
  for (QelBomDataRow* row : rowsOf(marked.get())) {
    reference::Row ref;
    ref.handle = U(row->objectHandle());
    const int pos = *static_cast<const int*>(row->getTupleAt(Q("PosNum"))->value().data());
    const double weight = weightOf(row);
    const std::string material = valueOf(row, "Material");
    row->addData(QelBomDataTuple(Q("%PosNum"), pos));
    row->addData(QelBomDataTuple(Q("%Weight"), weight));
    row->addData(QelBomDataTuple(Q("%Material"), Q(material.c_str())));
    ref.tuples = {{"PosNum", reference::Value::integer(pos)},
                  {"Weight", reference::Value::real(weight)},
                  {"Material", reference::Value::text(material)},
                  {"%PosNum", reference::Value::integer(pos)},
                  {"%Weight", reference::Value::real(weight)},
                  {"%Material", reference::Value::text(material)}};
    refRows.push_back(ref);
  }
  using reference::Value;
  const std::vector<reference::Level> levels = {
      {{"[ kReportHeader]", {{"%FilterBy: %Beam , %Plate", Value::text("")}}},
       reference::Section{"[ kReportFooter]", {}},
       {},
       {}},
      {{"[ kGroupHeader ]",
        {{"%GroupBy:%PosNum", Value::text("")},
         {"%SortAscBy:%Material", Value::text("")},
         {"%PosNum", Value::integer(0)}}},
       reference::Section{"[ kGroupFooter ]", {{"%SumBy:%Weight", Value::integer(0)}}},
       {"%PosNum"},
       {{"%Material", true}}},
      {{"[ kGroupHeader ]",
        {{"%GroupBy:Material", Value::text("")},
         {"%SortDescBy:Weight", Value::text("")},
         {"%Material", Value::integer(0)}}},
       reference::Section{"[ kGroupFooter ]", {{"%SumBy:%Weight", Value::integer(0)}}},
       {"Material"},
       {{"Weight", false}}},
      {{"[ kDetails     ]",
        {{"%posNum", Value::integer(0)},
         {"%Weight", Value::integer(0)},
         {"%Material", Value::integer(0)}}},
       std::nullopt,
       {},
       {}},
  };
  const QelBomTemplateUnits* units = templ->getBomTemplateUnits();
  reference::Evaluator ref(levels, refRows, [units](const std::string& token, double v) {
    return U(units->getDisplayString(Q(token.c_str()), v));
  });
  const reference::Result expected = ref.run();
  EXPECT_TRUE(sameListing(evaluateListing(templ.get(), marked.get()), expected.listing));
  std::string expectedMarkedFlags;
  for (int index : expected.order) expectedMarkedFlags += expected.countsInSums[index] ? "1" : "0";
  EXPECT_EQ(sumsFlags(marked.get()), expectedMarkedFlags);
}

TEST(QelBomEvaluator2Test, LevelOperations) {
  using Peer = QelBomEvaluator2TestPeer;
  TemplatePtr templ = workedTemplate();
  DataPtr data = workedData({{"1", 1, "Mat1", 10.0}, {"2", 1, "Mat2", 5.0}, {"3", 2, "Mat1", 7.5}});
  std::vector<QelBomDataRow*> rows = rowsOf(data.get());
  Peer::EngineStack stack = Peer::getTemplateStack(templ.get());

  // The grouping test: no section, no rows or no grouping tokens all match.
  QelBomEngineState bare;
  EXPECT_EQ(Peer::dataMatchGroup(rows[2], bare), 1);
  EXPECT_EQ(Peer::dataMatchGroup(rows[2], stack[0]), 1);
  EXPECT_EQ(Peer::dataMatchGroup(rows[2], stack[1]), 1);  // details: no grouping tokens

  // A closed level: endGroup changes nothing.
  EXPECT_EQ(Peer::endGroup(stack, 0, templ->getBomTemplateUnits()), 1);
  EXPECT_EQ(stack[0].m_pEvaluatedNextItem, nullptr);

  EXPECT_EQ(Peer::beginGroup(rows[0], stack, 0), 1);
  EXPECT_EQ(stack[0].m_groupOpen, 1);
  ASSERT_NE(stack[0].m_pEvaluatedItem, nullptr);
  EXPECT_EQ(stack[0].m_pEvaluatedItem->getFirstDataRow(), rows[0]);
  EXPECT_EQ(Peer::dataMatchGroup(rows[1], stack[0]), 1);
  EXPECT_EQ(Peer::dataMatchGroup(rows[2], stack[0]), 0);
  EXPECT_EQ(Peer::addedInGroup(rows[1], stack, 0), 1);
  EXPECT_EQ(stack[0].m_arrGroupRows.count(), 2);

  // Closing without an output parent links nothing; the items stay with the
  // caller, and the rows are emptied.
  EXPECT_EQ(Peer::endGroup(stack, 0, templ->getBomTemplateUnits()), 1);
  EXPECT_EQ(stack[0].m_groupOpen, 0);
  EXPECT_EQ(stack[0].m_arrGroupRows.count(), 0);
  ItemPtr header(stack[0].m_pEvaluatedItem);
  ItemPtr footer(stack[0].m_pEvaluatedNextItem);
  EXPECT_EQ(tuplesText(header.get()), "[%GroupBy:%PosNum:][%PosNum:1]");
  EXPECT_EQ(tuplesText(footer.get()), "[%SumBy:%Weight:15]");
  EXPECT_EQ(header->next(), nullptr);
}
