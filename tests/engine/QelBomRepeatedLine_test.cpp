// The repeated-line shortcut against the full comparison. The shortcut is
// internal to the library; this program compiles its source.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "EngineTestSupport.h"
#include "QelBomEvaluator2.h"
#include "QelBomEvaluator2TestPeer.h"
#include "engine/QelBomRepeatedLine.h"
#include "engine/QelBomTupleLookup.h"

using namespace engine_test;
using Peer = QelBomEvaluator2TestPeer;

namespace {

// A tuple for `token` with a value drawn from few choices, so that many lines
// repeat: texts that differ in case only, reals that show the same text
// (12.5 and 12.5000000001) or may not (0.0 and -0.0), a NaN, an int where a
// real is usual, and no value at all.
QelBomDataTuple drawTuple(std::mt19937& random, const QelString& token) {
  const double reals[] = {12.5, 12.5000000001, 0.0, -0.0, std::nan(""), 7.0};
  switch (random() % 8) {
    case 0:
      return QelBomDataTuple(token, Q("B1"));
    case 1:
      return QelBomDataTuple(token, Q("b1"));
    case 2:
      return QelBomDataTuple(token, static_cast<int>(random() % 2) + 7);
    case 3: {
      QelBomDataTuple empty;
      empty.setToken(token);
      return empty;
    }
    default:
      return QelBomDataTuple(token, reals[random() % 6]);
  }
}

// A row holding each of four tokens or not, with random values.
QelBomDataRow* randomRow(std::mt19937& random) {
  QelBomDataRow* row = makeRow("r", {});
  for (const char* token : {"%Mark", "%Weight", "%Length", "%Count"}) {
    if (random() % 7 != 0) row->addData(drawTuple(random, Q(token)));
  }
  return row;
}

// A copy of `row` with at most one tuple drawn anew (sometimes under another
// token), so that the pair often fills a line alike.
QelBomDataRow* nearCopy(std::mt19937& random, const QelBomDataRow& row) {
  QelBomDataRow* copy = makeRow("c", {});
  const QelArray<QelBomDataTuple>& tuples = row.getData();
  const int changed = tuples.count() > 0 && random() % 2 == 0
                          ? static_cast<int>(random() % static_cast<unsigned>(tuples.count()))
                          : -1;
  for (int i = 0; i < tuples.count(); ++i) {
    if (i != changed) {
      copy->addData(tuples[i]);
    } else {
      copy->addData(
          drawTuple(random, random() % 5 == 0 ? Q("%Elsewhere") : tuples[i].token().token()));
    }
  }
  return copy;
}

}  // namespace

// Whenever the shortcut says that a row's details line would repeat the last
// line under its parent, making the line, applying units and comparing it as
// evaluated says so too. The shortcut compares the values a line takes (reals
// bit for bit); the full comparison compares display texts.
TEST(QelBomRepeatedLineTest, ShortcutAgreesWithTheFullComparison) {
  TemplatePtr templ = newTemplate();
  templ->setUnitsForTokens(nullptr);
  Item* group = makeSection(Item::kGroupHeader, {{"%Mark", ""}});
  Item* details = makeSection(
      Item::kDetails,
      {{"%Mark", ""}, {"%Weight", 0.0}, {"%Length", 0.0}, {"%Count", 0}, {"%Note", "n/a"}});
  templ->addChild(group);
  group->addChild(details);
  Peer::EngineStack stack = Peer::getTemplateStack(templ.get());
  const QelBomTemplateUnits* units = templ->getBomTemplateUnits();

  std::mt19937 random(5);
  int repeats = 0, shortcuts = 0;
  for (int i = 0; i < 5000; ++i) {
    const RowPtr previous(randomRow(random));
    const RowPtr row(nearCopy(random, *previous));
    ItemPtr parent(new Item(Item::kGroupHeader));
    Item* last = Peer::process(details, previous.get());
    last->setFirstDataRow(previous.get());
    Peer::applyUnitsForData(units, last->getData());
    parent->addChild(last);
    stack[0].m_pEvaluatedItem = parent.get();

    const bool shortcut = qel_bom_engine::repeatsLastLine(*row, stack, 1);
    const std::unique_ptr<Item> line(Peer::process(details, row.get()));
    Peer::applyUnitsForData(units, line->getData());
    const bool repeated = Peer::isEqualAsEvaluated(line.get(), last) == 1;
    EXPECT_TRUE(!shortcut || repeated) << "pair " << i << ": " << tuplesText(line.get());
    shortcuts += shortcut ? 1 : 0;
    repeats += repeated ? 1 : 0;
  }
  stack[0].m_pEvaluatedItem = nullptr;
  qel_bom_engine::TupleLookup::clear();
  // The shortcut takes most repeated lines, and only repeated ones; the rest
  // (12.5 beside 12.5000000001) are left to the full comparison.
  EXPECT_GT(shortcuts, 1000);
  EXPECT_GT(repeats, shortcuts);
}
