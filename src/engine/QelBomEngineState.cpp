// The engine state record, the building of the state stack and the
// allocation-free tree deletion used on error paths.
#include "QelBomEvaluator2.h"
#include "engine/QelBomEngineInternal.h"

QelBomEngineState::QelBomEngineState()
    : m_pTemplateItem(nullptr),
      m_pNextTemplateItem(nullptr),
      m_arrGroupRows(qel_bom_engine::kGroupRowsGrowBy),
      m_pEvaluatedItem(nullptr),
      m_pEvaluatedNextItem(nullptr),
      m_pOutputParent(nullptr),
      m_groupOpen(0) {}

// One level per section on the chain of first children below the root, each
// closed by the section's next sibling. Section types play no part.
QelBomEvaluator2::EngineStack QelBomEvaluator2::getTemplateStack(QelBomTemplate* templ) {
  EngineStack stack(qel_bom_engine::kStackGrowBy);
  if (templ == nullptr) return stack;
  for (QelBomItemBase* section = templ->child(); section != nullptr; section = section->child()) {
    QelBomEngineState state;
    state.m_pTemplateItem = static_cast<QelBomTemplateItem*>(section);
    state.m_pNextTemplateItem = static_cast<QelBomTemplateItem*>(section->next());
    stack.appendGrowing(state);
  }
  return stack;
}

namespace qel_bom_engine {

// The pending nodes form one chain through their next links: a node's children
// are spliced in front of the rest of the chain before the node is deleted.
void deleteDescendants(QelBomItemBase* parent) noexcept {
  QelBomItemBase* pending = parent->child();
  parent->setChild(nullptr);
  while (pending != nullptr) {
    QelBomItemBase* node = pending;
    pending = node->next();
    if (node->child() != nullptr) {
      node->lastChild()->setNext(pending);
      pending = node->child();
    }
    delete node;
  }
}

void deleteItemTree(QelBomItemBase* root) noexcept {
  if (root == nullptr) return;
  deleteDescendants(root);
  delete root;
}

}  // namespace qel_bom_engine
