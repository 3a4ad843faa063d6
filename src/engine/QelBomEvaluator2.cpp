// The evaluation driver: feeds the sorted rows through the levels of the engine
// state stack, opening, joining and closing groups, and links the evaluated
// items below the output in report order.
#include "QelBomEvaluator2.h"
#include "engine/QelBomEngineInternal.h"
#include "engine/QelBomRepeatedLine.h"
#include "engine/QelBomTupleLookup.h"

namespace {

using EngineStack = QelArray<QelBomEngineState>;

// Appends `row` to the rows of an open group. A group may hold every row of
// the data set: past its first grow step the array doubles.
void appendGroupRow(QelArray<QelBomDataRow*>& rows, QelBomDataRow* row) {
  rows.appendGrowing(row);
}

// The node that receives the evaluated items of `level` when they are linked.
QelBomItemBase* linkTarget(EngineStack& stack, int level) {
  return level == 0 ? stack[0].m_pOutputParent : stack[level - 1].m_pEvaluatedItem;
}

// Whether the evaluated item of `state` hangs below `target`. groupIsCompleted
// appends the item and then the closing item as the target's last children,
// and nothing else is appended to that target before the level's pointers are
// replaced, so a linked item is the target's last child or is followed by the
// closing item that is.
bool itemIsLinked(const QelBomEngineState& state, const QelBomItemBase* target) {
  const QelBomItemBase* item = state.m_pEvaluatedItem;
  if (item == nullptr || target == nullptr) return false;
  if (target->lastChild() == item) return true;
  const QelBomItemBase* closing = state.m_pEvaluatedNextItem;
  return closing != nullptr && item->next() == closing && target->lastChild() == closing;
}

bool closingItemIsLinked(const QelBomEngineState& state, const QelBomItemBase* target) {
  const QelBomItemBase* closing = state.m_pEvaluatedNextItem;
  return closing != nullptr && target != nullptr && target->lastChild() == closing;
}

// Deletes, when an evaluation is left by an exception, the evaluated items that
// the stack holds but that are linked nowhere. Levels are handled deepest
// first: deleting an unlinked item also deletes the deeper items linked below
// it, and never an item that a shallower level's decision looks at.
class UnlinkedItemsReleaser {
 public:
  explicit UnlinkedItemsReleaser(EngineStack& stack) : m_stack(stack) {}
  UnlinkedItemsReleaser(const UnlinkedItemsReleaser&) = delete;
  UnlinkedItemsReleaser& operator=(const UnlinkedItemsReleaser&) = delete;
  ~UnlinkedItemsReleaser() {
    if (m_armed) release();
  }
  void dismiss() { m_armed = false; }

 private:
  void release() noexcept {
    for (int level = m_stack.count() - 1; level >= 0; --level) {
      QelBomEngineState& state = m_stack[level];
      const QelBomItemBase* target = linkTarget(m_stack, level);
      const bool itemLinked = itemIsLinked(state, target);
      const bool closingLinked = closingItemIsLinked(state, target);
      if (!closingLinked) qel_bom_engine::deleteItemTree(state.m_pEvaluatedNextItem);
      if (!itemLinked) qel_bom_engine::deleteItemTree(state.m_pEvaluatedItem);
      state.m_pEvaluatedItem = nullptr;
      state.m_pEvaluatedNextItem = nullptr;
    }
  }

  EngineStack& m_stack;
  bool m_armed = true;
};

// After the sort the rows are visited in an order unrelated to where they lie
// in memory: asks for the tuples of the next row and for the row after it
// while this one is evaluated.
void prefetchAhead(const QelBomItemBase* row) {
  const QelBomItemBase* next = row->next();
  if (next == nullptr) return;
  __builtin_prefetch(next->getData().data());
  if (next->next() != nullptr) __builtin_prefetch(next->next());
}

// Drops the tuple lookup plans of the evaluation on every way out, so that no
// texts stay pinned after it.
class TupleLookupReleaser {
 public:
  TupleLookupReleaser() = default;
  TupleLookupReleaser(const TupleLookupReleaser&) = delete;
  TupleLookupReleaser& operator=(const TupleLookupReleaser&) = delete;
  ~TupleLookupReleaser() { qel_bom_engine::TupleLookup::clear(); }
};

// Deletes on every way out the items linked below a stand-in output.
class DescendantsReleaser {
 public:
  explicit DescendantsReleaser(QelBomItemBase& parent) : m_parent(parent) {}
  DescendantsReleaser(const DescendantsReleaser&) = delete;
  DescendantsReleaser& operator=(const DescendantsReleaser&) = delete;
  ~DescendantsReleaser() { qel_bom_engine::deleteDescendants(&m_parent); }

 private:
  QelBomItemBase& m_parent;
};

}  // namespace

int QelBomEvaluator2::evaluate(QelBomTemplate* templ, QelBomData* data, QelBomTemplate* output) {
  if (templ == nullptr) return 0;
  EngineStack stack = getTemplateStack(templ);
  if (stack.count() == 0) return 0;

  // Without an output the level-0 items are linked below a stand-in and
  // released with everything below them before returning.
  QelBomTemplateItem standIn(QelBomTemplateItem::kBomTemplate);
  DescendantsReleaser standInReleaser(standIn);
  TupleLookupReleaser lookupReleaser;
  UnlinkedItemsReleaser unlinkedReleaser(stack);

  stack[0].m_pOutputParent = output != nullptr ? output : &standIn;
  sortInpuDataBySortingTokens(data, stack);

  const QelBomTemplateUnits* units = templ->getBomTemplateUnits();
  if (data != nullptr) {
    for (QelBomItemBase* row = data->child(); row != nullptr; row = row->next()) {
      prefetchAhead(row);
      evaluateData(static_cast<QelBomDataRow*>(row), stack, units);
    }
  }
  for (int level = stack.count() - 1; level >= 0; --level) endGroup(stack, level, units);

  unlinkedReleaser.dismiss();
  return 1;
}

int QelBomEvaluator2::evaluateData(QelBomDataRow* row, EngineStack& stack,
                                   const QelBomTemplateUnits* units) {
  const int deepest = stack.count() - 1;
  for (int level = 0; level <= deepest; ++level) {
    QelBomEngineState& state = stack[level];
    if (state.m_arrGroupRows.count() == 0) {
      if (level == deepest && qel_bom_engine::repeatsLastLine(*row, stack, level)) {
        qel_bom_engine::dropRepeatedLine(*row, state);
        continue;
      }
      beginGroup(row, stack, level);
      if (level == deepest) endGroup(stack, level, units);
      continue;
    }
    if (dataMatchGroup(row, state) == 1) {
      addedInGroup(row, stack, level);
      continue;
    }
    // A break: this level and every deeper one close, outer level first, and
    // the row opens a new group here (and, by the loop, at every deeper level).
    for (int k = level; k <= deepest; ++k) endGroup(stack, k, units);
    for (int k = level; k <= deepest; ++k) {
      stack[k].m_arrGroupRows.removeAll();
      stack[k].m_pEvaluatedItem = nullptr;
      stack[k].m_pEvaluatedNextItem = nullptr;
    }
    beginGroup(row, stack, level);
  }
  return 1;
}

int QelBomEvaluator2::beginGroup(QelBomDataRow* row, EngineStack& stack, int level) {
  QelBomEngineState& state = stack[level];
  state.m_groupOpen = 1;
  state.m_pEvaluatedItem = process(state.m_pTemplateItem, row);
  if (state.m_pEvaluatedItem != nullptr) state.m_pEvaluatedItem->setFirstDataRow(row);
  appendGroupRow(state.m_arrGroupRows, row);
  return 1;
}

int QelBomEvaluator2::addedInGroup(QelBomDataRow* row, EngineStack& stack, int level) {
  appendGroupRow(stack[level].m_arrGroupRows, row);
  return 1;
}

int QelBomEvaluator2::endGroup(EngineStack& stack, int level, const QelBomTemplateUnits* units) {
  QelBomEngineState& state = stack[level];
  if (state.m_groupOpen != 1) return 1;
  state.m_groupOpen = 0;
  if (state.m_pNextTemplateItem != nullptr) {
    // The closing section is evaluated over a copy: the state keeps its rows
    // for groupIsCompleted.
    state.m_pEvaluatedNextItem = process(state.m_pNextTemplateItem, RowArray(state.m_arrGroupRows));
  }
  return groupIsCompleted(stack, level, units);
}

int QelBomEvaluator2::dataMatchGroup(QelBomDataRow* row, QelBomEngineState& state) {
  if (state.m_pTemplateItem == nullptr || state.m_arrGroupRows.count() == 0) return 1;
  const QelArray<QelString>& tokens = state.m_pTemplateItem->groupingTokens();
  if (tokens.count() == 0) return 1;
  QelBomDataRow* last = state.m_arrGroupRows[state.m_arrGroupRows.count() - 1];
  return row->compare(last, tokens) == 0 ? 1 : 0;
}

int QelBomEvaluator2::groupIsCompleted(EngineStack& stack, int level,
                                       const QelBomTemplateUnits* units) {
  QelBomEngineState& state = stack[level];
  if (state.m_pEvaluatedItem != nullptr)
    applyUnitsForData(units, state.m_pEvaluatedItem->getData());
  if (state.m_pEvaluatedNextItem != nullptr) {
    applyUnitsForData(units, state.m_pEvaluatedNextItem->getData());
  }

  // A details line that shows the same texts as the line before it under the
  // same parent is dropped, and its rows leave every later sum.
  const int deepest = stack.count() - 1;
  if (level == deepest && level != 0 && state.m_pEvaluatedItem != nullptr &&
      state.m_pEvaluatedItem->type() == QelBomTemplateItem::kDetails) {
    QelBomTemplateItem* parent = stack[level - 1].m_pEvaluatedItem;
    if (parent != nullptr && parent->lastChild() != nullptr &&
        isEqualAsEvaluated(state.m_pEvaluatedItem,
                           static_cast<QelBomTemplateItem*>(parent->lastChild())) == 1) {
      for (int i = 0; i < state.m_arrGroupRows.count(); ++i) {
        state.m_arrGroupRows[i]->setUseThisDataForSums(0);
      }
      delete state.m_pEvaluatedItem;
      state.m_pEvaluatedItem = nullptr;
    }
  }

  QelBomItemBase* target = linkTarget(stack, level);
  if (target != nullptr) {
    target->addChild(state.m_pEvaluatedItem);
    target->addChild(state.m_pEvaluatedNextItem);
  }
  state.m_arrGroupRows.removeAll();
  return 1;
}
