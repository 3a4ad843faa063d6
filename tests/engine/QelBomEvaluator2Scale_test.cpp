// Trees at the scale of real models and beyond: ten thousand nested sections, a
// million sibling sections, a million rows. Each goes through the token trace,
// evaluation, listing and emptying; none of them may run out of stack.
#include <gtest/gtest.h>

#include <string>

#include "EngineTestSupport.h"
#include "QelBomEvaluator2.h"

using namespace engine_test;

namespace {

size_t lineCount(const std::string& text) {
  return static_cast<size_t>(std::count(text.begin(), text.end(), '\n')) + 1;
}

// The deepest item on the chain of first children, and how far down it is.
std::pair<const QelBomItemBase*, int> deepestFirstChild(const QelBomItemBase* root) {
  int depth = 0;
  while (root->child() != nullptr) {
    root = root->child();
    ++depth;
  }
  return {root, depth};
}

}  // namespace

TEST(QelBomEvaluator2ScaleTest, TenThousandNestedSections) {
  // Every level groups by %G and is closed by a footer summing %W; the first
  // sorts by %G; the details at the bottom show %G.
  constexpr int kLevels = 10000;
  TemplatePtr templ = newTemplate();
  templ->setUnitsForTokens(nullptr);
  QelBomItemBase* parent = templ.get();
  for (int level = 0; level + 1 < kLevels; ++level) {
    Item* header = makeSection(Item::kGroupHeader, {{"%GroupBy:%G", ""}, {"%G", ""}});
    if (level == 0) header->addData(QelBomDataTuple(Q("%SortAscBy:%G"), Q("")));
    parent->addChild(header);
    parent->addChild(makeSection(Item::kGroupFooter, {{"%SumBy:%W", 0.0}}));
    parent = header;
  }
  parent->addChild(makeSection(Item::kDetails, {{"%G", ""}}));

  QelArray<QelString> tokens;
  templ->getTokenTrace(tokens);
  std::string traced;
  for (const QelString& token : tokens) traced += U(token) + ";";
  EXPECT_EQ(traced, "%GroupBy:%G;%G;%SortAscBy:%G;%SumBy:%W;%W;");

  DataPtr data = newData();
  data->addChild(makeRow("1", {{"%G", "b"}, {"%W", 2.0}}));
  data->addChild(makeRow("2", {{"%G", "a"}, {"%W", 1.0}}));
  data->addChild(makeRow("3", {{"%G", "b"}, {"%W", 4.0}}));

  TemplatePtr output = newTemplate();
  ASSERT_EQ(QelBomEvaluator2::evaluate(templ.get(), data.get(), output.get()), 1);
  // Groups a and b, each a chain of kLevels - 1 headers over one details line
  // (the second b line repeats the first and is dropped from the sums too),
  // closed by footers.
  const auto [details, depth] = deepestFirstChild(output.get());
  EXPECT_EQ(depth, kLevels);
  EXPECT_EQ(tuplesText(details), "[%G:a]");
  const std::vector<Item*> top = childrenOf(output.get());
  ASSERT_EQ(top.size(), 4u);
  EXPECT_EQ(tuplesText(top[1]), "[%SumBy:%W:1]");
  EXPECT_EQ(tuplesText(top[3]), "[%SumBy:%W:2]");

  const std::string listed = listing(output.get());
  EXPECT_EQ(lineCount(listed), 1u + 2u * (2u * (kLevels - 1) + 1u));
  EXPECT_EQ(lineCount(listing(templ.get())), 1u + 2u * (kLevels - 1) + 1u);
  output->empty();
  templ->empty();
  EXPECT_EQ(output->child(), nullptr);
}

TEST(QelBomEvaluator2ScaleTest, MillionSiblingSections) {
  // A million sections after the first are closing sections of nothing: they
  // are traced and listed, and only the first and its closing section are
  // evaluated.
  constexpr int kSiblings = 1000000;
  TemplatePtr templ = newTemplate();
  templ->setUnitsForTokens(nullptr);
  for (int i = 0; i < kSiblings; ++i) {
    templ->addChild(makeSection(i % 2 == 0 ? Item::kDetails : Item::kGroupFooter,
                                {{i % 2 == 0 ? "%W" : "%SumBy:%W", 0.0}}));
  }
  templ->addChild(makeSection(Item::kDetails, {{"%Last", 0.0}}));
  QelArray<QelString> tokens;
  templ->getTokenTrace(tokens);
  ASSERT_EQ(tokens.count(), 3);
  EXPECT_EQ(U(tokens[2]), "%Last");

  DataPtr data = newData();
  data->addChild(makeRow("1", {{"%W", 2.5}}));
  TemplatePtr output = newTemplate();
  ASSERT_EQ(QelBomEvaluator2::evaluate(templ.get(), data.get(), output.get()), 1);
  EXPECT_EQ(listing(output.get()),
            "[ kBomTemplate ]\n"
            " [ kDetails     ][%W:2.5]\n"
            " [ kGroupFooter ][%SumBy:%W:2.5]");
  EXPECT_EQ(lineCount(listing(templ.get())), 2u + kSiblings);
  templ->empty();
}

TEST(QelBomEvaluator2ScaleTest, MillionRows) {
  // Groups by %G over details that show each row's own %H: a million details
  // lines below a thousand groups, sorted by %H descending within each group.
  constexpr int kRows = 1000000;
  constexpr int kGroups = 1000;
  TemplatePtr templ = newTemplate();
  templ->setUnitsForTokens(nullptr);
  Item* header =
      makeSection(Item::kGroupHeader, {{"%GroupBy:%G", ""}, {"%SortDescBy:%G", ""}, {"%G", 0}});
  templ->addChild(header);
  templ->addChild(makeSection(Item::kGroupFooter, {{"%SumBy:%W", 0}}));
  header->addChild(makeSection(Item::kDetails, {{"%H", 0}, {"%SortDescBy:%H", 0}}));
  trace(templ.get());

  DataPtr data = newData();
  for (int i = 0; i < kRows; ++i) {
    data->addChild(makeRow("", {{"%G", i % kGroups}, {"%H", i}, {"%W", 1}}));
  }
  TemplatePtr output = newTemplate();
  ASSERT_EQ(QelBomEvaluator2::evaluate(templ.get(), data.get(), output.get()), 1);

  const std::vector<Item*> top = childrenOf(output.get());
  ASSERT_EQ(top.size(), 2u * kGroups);
  EXPECT_EQ(tuplesText(top[0]), "[%GroupBy:%G:][%SortDescBy:%G:][%G:999]");
  EXPECT_EQ(tuplesText(top[1]), "[%SumBy:%W:1000]");
  const std::vector<Item*> details = childrenOf(top[0]);
  ASSERT_EQ(details.size(), 1000u);
  EXPECT_EQ(tuplesText(details.front()), "[%H:999999][%SortDescBy:%H:0]");
  EXPECT_EQ(tuplesText(details.back()), "[%H:999][%SortDescBy:%H:0]");
  EXPECT_EQ(tuplesText(top.back()), "[%SumBy:%W:1000]");
  EXPECT_EQ(lineCount(listing(output.get())), 1u + 2u * kGroups + kRows);
  data->empty();
  output->empty();
}
