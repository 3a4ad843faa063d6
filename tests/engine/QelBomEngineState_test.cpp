#include <gtest/gtest.h>

#include "EngineTestSupport.h"
#include "QelBomEvaluator2.h"
#include "QelBomEvaluator2TestPeer.h"

using namespace engine_test;
using Peer = QelBomEvaluator2TestPeer;

namespace {

// "section type/closing type" per level, "-" for no closing section.
std::string levels(QelBomTemplate* templ) {
  std::string out;
  Peer::EngineStack stack = Peer::getTemplateStack(templ);
  for (const QelBomEngineState& s : stack) {
    EXPECT_TRUE(s.m_groupOpen == 0 && s.m_arrGroupRows.count() == 0);
    out += std::to_string(s.m_pTemplateItem->type()) + "/" +
           (s.m_pNextTemplateItem ? std::to_string(s.m_pNextTemplateItem->type()) : "-") + " ";
  }
  return out;
}

}  // namespace

TEST(QelBomEngineStateTest, StackFollowsTheChainOfFirstChildren) {
  EXPECT_EQ(levels(newTemplate().get()), "");
  EXPECT_EQ(levels(nullptr), "");
  // The default template: report header, two group headers, details.
  TemplatePtr def(QelBomTemplate::createDefaultTemplate());
  EXPECT_EQ(levels(def.get()), "2/8 4/6 4/6 5/- ");

  // A third sibling forms no level, the section types do not matter, and
  // nothing below a closing section is a level.
  TemplatePtr templ = newTemplate();
  Item* first = makeSection(Item::kGroupHeader, {});
  for (Item* item :
       {first, makeSection(Item::kGroupFooter, {}), makeSection(Item::kPageFooter, {})}) {
    templ->addChild(item);
  }
  first->addChild(makeSection(Item::kGroupFooter, {}));
  first->next()->addChild(makeSection(Item::kDetails, {}));
  templ->lastChild()->addChild(makeSection(Item::kDetails, {}));
  EXPECT_EQ(levels(templ.get()), "4/6 6/- ");
  TemplatePtr lone = newTemplate();
  lone->addChild(makeSection(Item::kDetails, {}));
  lone->addChild(makeSection(Item::kGroupFooter, {}));
  lone->lastChild()->addChild(makeSection(Item::kDetails, {}));
  EXPECT_EQ(levels(lone.get()), "5/6 ");
  Peer::EngineStack stack = Peer::getTemplateStack(templ.get());
  EXPECT_EQ(stack[0].m_pTemplateItem, first);
  EXPECT_EQ(stack[1].m_pTemplateItem, first->child());
}
