// QelBomItemBase: linking, tuple lookup, subtree deletion and the text listing.
//
// Trees may be arbitrarily wide and deep (a data set of a million rows, a
// chain of a million nested children), so empty() and list() keep their own
// stacks on the heap and never recurse.
#include <new>
#include <vector>

#include "QelBomItems.h"
#include "QelMemoryControllerController.h"

QelBomItemBase::QelBomItemBase() noexcept
    : m_pNext(nullptr), m_pChild(nullptr), m_pLastChild(nullptr) {}

// Member by member: the links as plain pointers, the tuples by QelArray's
// copy (capacity equal to the count, the source's grow step).
QelBomItemBase::QelBomItemBase(const QelBomItemBase& other) = default;
QelBomItemBase& QelBomItemBase::operator=(const QelBomItemBase& other) = default;

QelBomItemBase::~QelBomItemBase() = default;

void* QelBomItemBase::operator new(std::size_t size) {
  void* node = QelMemoryControllerController::allocateBlock(size);
  if (node == nullptr) throw std::bad_alloc();
  return node;
}

void QelBomItemBase::operator delete(void* node) noexcept {
  QelMemoryControllerController::deallocateBlock(node);
}

void QelBomItemBase::setChild(QelBomItemBase* node) noexcept {
  m_pChild = node;
  m_pLastChild = node;
  if (node == nullptr) return;
  while (m_pLastChild->m_pNext != nullptr) m_pLastChild = m_pLastChild->m_pNext;
}

void QelBomItemBase::addChild(QelBomItemBase* node) noexcept {
  if (m_pChild == nullptr) {
    m_pChild = node;
    m_pLastChild = node;
    return;
  }
  m_pLastChild->m_pNext = node;
  if (node != nullptr) m_pLastChild = node;
}

// Post-order: a child is deleted right after all of its descendants, children
// in sibling order. `pending` holds the nodes whose children are being deleted,
// innermost last; each is deleted once its own children are gone.
void QelBomItemBase::empty() {
  std::vector<QelBomItemBase*> pending;
  QelBomItemBase* node = m_pChild;
  for (;;) {
    if (node != nullptr && node->m_pChild != nullptr) {
      pending.push_back(node);
      node = node->m_pChild;
      continue;
    }
    if (node == nullptr) {
      if (pending.empty()) break;
      node = pending.back();
      pending.pop_back();
    }
    QelBomItemBase* next = node->m_pNext;
    delete node;
    node = next;
  }
  m_pChild = nullptr;
  m_pLastChild = nullptr;
}

QelBomDataTuple* QelBomItemBase::getTupleAt(const QelString& token) {
  const QelBomItemBase* self = this;
  return const_cast<QelBomDataTuple*>(self->getTupleAt(token));
}

const QelBomDataTuple* QelBomItemBase::getTupleAt(const QelString& token) const {
  for (const QelBomDataTuple& tuple : m_arrData) {
    // Equal texts are exactly those that compare as 0.
    if (tuple.token().token() == token) return &tuple;
  }
  return nullptr;
}

void QelBomItemBase::appendLabel(QelString&) const {}

namespace {

void appendIndent(QelString& text, int spaces) {
  text += u'\n';
  if (spaces > 0) text.append(u' ', spaces);
}

}  // namespace

// The listing of a node is its label, its tuples, then (withChildren == 1) its
// first child's listing one level in, then (withSiblings == 1) its next
// sibling's listing at the same level. A child inherits withSiblings and lists
// its own children; a sibling inherits withChildren and lists its siblings.
//
// Walked with an explicit stack: when a node's children are entered, the node
// is pushed if its sibling still has to follow them.
int QelBomItemBase::list(QelString& text, int level, int withChildren, int withSiblings) const {
  struct Frame {
    const QelBomItemBase* node;
    int level;
    int withChildren;
  };
  std::vector<Frame> siblingsAfterChildren;
  Frame at{this, level, withChildren};
  int siblings = withSiblings;
  for (;;) {
    const QelBomItemBase* node = at.node;
    node->appendLabel(text);
    for (const QelBomDataTuple& tuple : node->m_arrData) {
      text += u'[';
      text += tuple.token().token();
      text += u':';
      text += tuple.value().asString();
      text += u']';
    }
    if (at.withChildren == 1 && node->m_pChild != nullptr) {
      if (siblings == 1 && node->m_pNext != nullptr) siblingsAfterChildren.push_back(at);
      appendIndent(text, at.level + 1);
      at = Frame{node->m_pChild, at.level + 1, 1};
      continue;  // the child keeps `siblings`
    }
    // No children to list: continue with this node's sibling or, failing
    // that, with the sibling of the nearest ancestor that is still owed one.
    if (siblings != 1 || node->m_pNext == nullptr) {
      if (siblingsAfterChildren.empty()) break;
      at = siblingsAfterChildren.back();
      siblingsAfterChildren.pop_back();
    }
    appendIndent(text, at.level);
    at.node = at.node->m_pNext;
    siblings = 1;
  }
  return 1;
}
