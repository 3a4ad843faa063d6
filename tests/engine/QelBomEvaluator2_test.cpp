#include "QelBomEvaluator2.h"

#include <gtest/gtest.h>

#include "EngineTestSupport.h"

using namespace engine_test;

namespace {

// G (group by PosNum, shows PosNum) closed by F (sums Weight), details D
// (Material, Weight) below G.
TemplatePtr workedTemplate() {
  TemplatePtr templ = newTemplate();
  templ->setUnitsForTokens(nullptr);
  Item* g = makeSection(Item::kGroupHeader, {{"%GroupBy:%PosNum", ""}, {"%PosNum", 0}});
  templ->addChild(g);
  templ->addChild(makeSection(Item::kGroupFooter, {{"%SumBy:%Weight", 0.0}}));
  g->addChild(makeSection(Item::kDetails, {{"%Material", ""}, {"%Weight", 0.0}}));
  trace(templ.get());
  return templ;
}

struct RowPlan {
  int posNum;
  const char* material;
  double weight;
};

// Rows with the handles "1", "2", ...
DataPtr workedData(std::initializer_list<RowPlan> plans) {
  DataPtr data = newData();
  int handle = 0;
  for (const RowPlan& r : plans) {
    data->addChild(
        makeRow(std::to_string(++handle),
                {{"%PosNum", r.posNum}, {"%Material", r.material}, {"%Weight", r.weight}}));
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

std::string joined(const QelArray<QelString>& list) {
  std::string out;
  for (const QelString& s : list) out += (out.empty() ? "" : ",") + U(s);
  return out;
}

}  // namespace

TEST(QelBomEvaluator2Test, WorkedExampleBuildsGroupsDetailsAndSums) {
  TemplatePtr templ = workedTemplate();
  DataPtr data = workedData({{1, "Mat1", 10.0}, {1, "Mat2", 5.0}, {2, "Mat1", 7.5}});
  QelArray<QelString> equalParts;
  equalParts.append(Q("1a"));
  std::vector<QelBomDataRow*> rows = rowsOf(data.get());
  rows[0]->setEqualPartObjectHandles(equalParts);

  TemplatePtr output = newTemplate();
  ASSERT_EQ(QelBomEvaluator2::evaluate(templ.get(), data.get(), output.get()), 1);
  EXPECT_EQ(listing(output.get()),
            "[ kBomTemplate ]\n"
            " [ kGroupHeader ][%GroupBy:%PosNum:][%PosNum:1]\n"
            "  [ kDetails     ][%Material:Mat1][%Weight:10]\n"
            "  [ kDetails     ][%Material:Mat2][%Weight:5]\n"
            " [ kGroupFooter ][%SumBy:%Weight:15]\n"
            " [ kGroupHeader ][%GroupBy:%PosNum:][%PosNum:2]\n"
            "  [ kDetails     ][%Material:Mat1][%Weight:7.5]\n"
            " [ kGroupFooter ][%SumBy:%Weight:7.5]");
  // First data rows: the opening row of each group; none on closing items.
  std::vector<Item*> top = childrenOf(output.get());
  ASSERT_EQ(top.size(), 4u);
  EXPECT_EQ(top[0]->getFirstDataRow(), rows[0]);
  EXPECT_EQ(top[1]->getFirstDataRow(), nullptr);
  EXPECT_EQ(top[2]->getFirstDataRow(), rows[2]);
  EXPECT_EQ(childrenOf(top[0])[1]->getFirstDataRow(), rows[1]);

  // Used marks: row 2 never opened a group header, so its PosNum is not used.
  EXPECT_EQ(sumsFlags(data.get()), "111");
  QelArray<QelArray<QelString>> handles, tokens;
  EXPECT_EQ(data->getUsedHandlesAndTokens(handles, tokens), 1);
  ASSERT_EQ(handles.count(), 3);
  EXPECT_EQ(joined(handles[0]) + ";" + joined(handles[1]) + ";" + joined(handles[2]), "1,1a;2;3");
  EXPECT_EQ(joined(tokens[0]), "%PosNum,%Material,%Weight");
  EXPECT_EQ(joined(tokens[1]), "%Material,%Weight");
  EXPECT_EQ(joined(tokens[2]), "%PosNum,%Material,%Weight");
  // The template is unchanged.
  EXPECT_EQ(tuplesText(templ->child()), "[%GroupBy:%PosNum:][%PosNum:0]");
}

TEST(QelBomEvaluator2Test, RepeatedDetailsLineIsDroppedAndLeavesTheSums) {
  TemplatePtr templ = workedTemplate();
  DataPtr data = workedData({{1, "Mat1", 10.0}, {1, "Mat1", 10.0}, {2, "Mat1", 7.5}});
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
  DataPtr skip = workedData({{1, "Mat1", 10.0}, {1, "Mat1", 10.0}, {1, "Mat2", 7.5}});
  EXPECT_EQ(evaluateListing(templ.get(), skip.get()),
            "[ kBomTemplate ]\n"
            " [ kGroupHeader ][%GroupBy:%PosNum:][%PosNum:1]\n"
            "  [ kDetails     ][%Material:Mat1][%Weight:10]\n"
            "  [ kDetails     ][%Material:Mat2][%Weight:7.5]\n"
            " [ kGroupFooter ][%SumBy:%Weight:17.5]");

  // A-B-A: an equal line after a different one stays. Equal lines under
  // different parents stay too.
  DataPtr aba = workedData({{1, "A", 1.0}, {1, "B", 1.0}, {1, "A", 1.0}, {2, "A", 1.0}});
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
  DataPtr rounded = workedData({{1, "Mat1", 10.001}, {1, "Mat1", 10.004}});
  evaluateListing(templ.get(), rounded.get());
  EXPECT_EQ(sumsFlags(rounded.get()), "10");

  // The marks of one evaluation stay for the next: row 2 still counts for
  // nothing, even where its line is not repeated any more.
  rowsOf(skip.get())[0]->getTupleAt(Q("%Material"))->value().set(Q("Other"));
  EXPECT_EQ(evaluateListing(templ.get(), skip.get()),
            "[ kBomTemplate ]\n"
            " [ kGroupHeader ][%GroupBy:%PosNum:][%PosNum:1]\n"
            "  [ kDetails     ][%Material:Other][%Weight:10]\n"
            "  [ kDetails     ][%Material:Mat1][%Weight:10]\n"
            "  [ kDetails     ][%Material:Mat2][%Weight:7.5]\n"
            " [ kGroupFooter ][%SumBy:%Weight:17.5]");

  // Without an output the evaluation still runs through and marks the rows.
  DataPtr unseen = workedData({{1, "Mat1", 10.0}, {1, "Mat1", 10.0}, {2, "Mat1", 7.5}});
  EXPECT_EQ(QelBomEvaluator2::evaluate(templ.get(), unseen.get(), nullptr), 1);
  EXPECT_EQ(sumsFlags(unseen.get()), "101");
  QelArray<QelArray<QelString>> handles, tokens;
  unseen->getUsedHandlesAndTokens(handles, tokens);
  EXPECT_EQ(handles.count(), 3);
}

TEST(QelBomEvaluator2Test, NothingToEvaluate) {
  DataPtr data = workedData({{2, "B", 1.0}, {1, "A", 1.0}});
  TemplatePtr output = newTemplate();
  EXPECT_EQ(QelBomEvaluator2::evaluate(nullptr, data.get(), output.get()), 0);

  // A template without sections: 0, and the rows are not even sorted.
  TemplatePtr empty = newTemplate();
  empty->addData(QelBomDataTuple(Q("%SortAscBy:%PosNum"), Q("")));
  trace(empty.get());
  EXPECT_EQ(QelBomEvaluator2::evaluate(empty.get(), data.get(), output.get()), 0);
  EXPECT_EQ(handlesOf(data.get()), "1,2");

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

TEST(QelBomEvaluator2Test, SingleLevelsAndTheReportHeader) {
  // A single details level: every row its own line, none dropped.
  TemplatePtr single = newTemplate();
  single->addChild(makeSection(
      Item::kDetails, {{"%GroupBy:%PosNum", ""}, {"%SortDescBy:%PosNum", ""}, {"%PosNum", 0}}));
  trace(single.get());
  DataPtr data = workedData({{1, "A", 1.0}, {2, "A", 1.0}, {2, "A", 1.0}});
  EXPECT_EQ(evaluateListing(single.get(), data.get()),
            "[ kBomTemplate ]\n"
            " [ kDetails     ][%GroupBy:%PosNum:][%SortDescBy:%PosNum:][%PosNum:2]\n"
            " [ kDetails     ][%GroupBy:%PosNum:][%SortDescBy:%PosNum:][%PosNum:2]\n"
            " [ kDetails     ][%GroupBy:%PosNum:][%SortDescBy:%PosNum:][%PosNum:1]");
  EXPECT_EQ(handlesOf(data.get()), "2,3,1");
  EXPECT_EQ(sumsFlags(data.get()), "111");
  EXPECT_EQ(QelBomEvaluator2::evaluate(single.get(), data.get(), nullptr), 1);

  // A report header without grouping holds all details; its footer sums all.
  TemplatePtr templ = newTemplate();
  templ->setUnitsForTokens(nullptr);
  Item* rh = makeSection(Item::kReportHeader, {{"%Title", "BOM"}, {"%PosNum", 0}});
  templ->addChild(rh);
  templ->addChild(makeSection(Item::kReportFooter, {{"%SumBy:%Weight", 0}}));
  rh->addChild(makeSection(Item::kDetails, {{"%PosNum", 0}, {"%Weight", 0}}));
  trace(templ.get());
  DataPtr all = workedData({{3, "A", 1.25}, {1, "B", 2.5}, {3, "C", 4.0}});
  EXPECT_EQ(evaluateListing(templ.get(), all.get()),
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
  const char* a[] = {nullptr, nullptr, "a", "b", "a", nullptr};
  for (int i = 0; i < 6; ++i) {
    QelBomDataRow* row = makeRow(std::to_string(i), {{"%B", "x"}, {"%W", 1 << i}});
    if (a[i] != nullptr) row->addData(QelBomDataTuple(Q("%A"), Q(a[i])));
    split->addChild(row);
  }
  TemplatePtr output = newTemplate();
  QelBomEvaluator2::evaluate(templ.get(), split.get(), output.get());
  std::string sums;
  for (Item* item : childrenOf(output.get())) {
    if (item->type() == Item::kGroupFooter) sums += valueOf(item, "%SumBy:%W") + " ";
  }
  EXPECT_EQ(sums, "3 4 8 16 32 ");
}
