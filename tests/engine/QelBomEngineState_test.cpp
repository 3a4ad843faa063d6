#include <gtest/gtest.h>

#include "EngineTestSupport.h"
#include "QelBomEvaluator2.h"
#include "QelBomEvaluator2TestPeer.h"

using namespace engine_test;
using Peer = QelBomEvaluator2TestPeer;
using Item = QelBomTemplateItem;

TEST(QelBomEngineStateTest, DefaultStateIsClosedAndCopiesShareRowPointers) {
  QelBomEngineState state;
  EXPECT_EQ(state.m_pTemplateItem, nullptr);
  EXPECT_EQ(state.m_pNextTemplateItem, nullptr);
  EXPECT_EQ(state.m_pEvaluatedItem, nullptr);
  EXPECT_EQ(state.m_pEvaluatedNextItem, nullptr);
  EXPECT_EQ(state.m_pOutputParent, nullptr);
  EXPECT_EQ(state.m_groupOpen, 0);
  EXPECT_EQ(state.m_arrGroupRows.count(), 0);
  EXPECT_EQ(state.m_arrGroupRows.growBy(), 2000);

  QelBomDataRow r1, r2;
  state.m_arrGroupRows.append(&r1);
  state.m_arrGroupRows.append(&r2);
  state.m_groupOpen = 1;
  {
    QelBomEngineState copy(state);
    ASSERT_EQ(copy.m_arrGroupRows.count(), 2);
    EXPECT_EQ(copy.m_arrGroupRows[0], &r1);
    EXPECT_EQ(copy.m_arrGroupRows[1], &r2);
    EXPECT_EQ(copy.m_arrGroupRows.growBy(), 2000);
    EXPECT_EQ(copy.m_groupOpen, 1);
    QelBomEngineState assigned;
    assigned = state;
    EXPECT_EQ(assigned.m_arrGroupRows.count(), 2);
  }
  // Destroying the copies released only their arrays.
  EXPECT_EQ(state.m_arrGroupRows[1], &r2);
  EXPECT_EQ(r1.getUseThisDataForSums(), 1);
}

TEST(QelBomEngineStateTest, StackFollowsTheChainOfFirstChildren) {
  // No child: no level.
  TemplatePtr empty = newTemplate();
  EXPECT_EQ(Peer::getTemplateStack(empty.get()).count(), 0);
  EXPECT_EQ(Peer::getTemplateStack(nullptr).count(), 0);

  // The default template: four levels, the details without closing section.
  TemplatePtr def(QelBomTemplate::createDefaultTemplate());
  Peer::EngineStack stack = Peer::getTemplateStack(def.get());
  ASSERT_EQ(stack.count(), 4);
  const Item::eTemplateItemType types[4][2] = {{Item::kReportHeader, Item::kReportFooter},
                                               {Item::kGroupHeader, Item::kGroupFooter},
                                               {Item::kGroupHeader, Item::kGroupFooter},
                                               {Item::kDetails, Item::kUnkTemplateItemType}};
  for (int level = 0; level < 4; ++level) {
    SCOPED_TRACE(level);
    const QelBomEngineState& s = stack[level];
    EXPECT_EQ(s.m_pTemplateItem->type(), types[level][0]);
    if (level < 3) {
      ASSERT_NE(s.m_pNextTemplateItem, nullptr);
      EXPECT_EQ(s.m_pNextTemplateItem->type(), types[level][1]);
      EXPECT_EQ(s.m_pNextTemplateItem, s.m_pTemplateItem->next());
    } else {
      EXPECT_EQ(s.m_pNextTemplateItem, nullptr);
    }
    EXPECT_EQ(s.m_groupOpen, 0);
    EXPECT_EQ(s.m_arrGroupRows.count(), 0);
    EXPECT_EQ(s.m_arrGroupRows.growBy(), 2000);
    EXPECT_EQ(s.m_pEvaluatedItem, nullptr);
    EXPECT_EQ(s.m_pOutputParent, nullptr);
  }
  EXPECT_EQ(stack[0].m_pTemplateItem, def->child());
  EXPECT_EQ(stack.growBy(), 8);
}

TEST(QelBomEngineStateTest, ThirdSiblingFormsNoLevelAndTypesDoNotMatter) {
  TemplatePtr templ = newTemplate();
  Item* a = makeSection(Item::kGroupHeader, {});
  Item* b = makeSection(Item::kGroupFooter, {});
  Item* c = makeSection(Item::kPageFooter, {});
  templ->addChild(a);
  templ->addChild(b);
  templ->addChild(c);
  Item* footerFirst = makeSection(Item::kGroupFooter, {});
  a->addChild(footerFirst);
  c->addChild(makeSection(Item::kDetails, {}));  // below a closing section: not a level

  Peer::EngineStack stack = Peer::getTemplateStack(templ.get());
  ASSERT_EQ(stack.count(), 2);
  EXPECT_EQ(stack[0].m_pTemplateItem, a);
  EXPECT_EQ(stack[0].m_pNextTemplateItem, b);
  EXPECT_EQ(stack[1].m_pTemplateItem, footerFirst);
  EXPECT_EQ(stack[1].m_pNextTemplateItem, nullptr);
}
