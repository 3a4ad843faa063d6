// The evaluation driver: feeds the sorted rows through the levels of the engine
// state stack, opening, joining and closing groups, and links the evaluated
// items below the output in report order.
#include <vector>

#include "QelBomEvaluator2.h"
#include "engine/QelBomEngineInternal.h"
#include "engine/QelBomGroupSums.h"
#include "engine/QelBomRepeatedLine.h"
#include "engine/QelBomSortedRows.h"
#include "engine/QelBomTupleLookup.h"

namespace {

using EngineStack = QelArray<QelBomEngineState>;

// Appends `row` to the rows of an open group. A group may hold every row of
// the data set: past its first grow step the array doubles.
void appendGroupRow(QelArray<QelBomDataRow*>& rows, QelBomDataRow* row) { rows.appendGrowing(row); }

// The node that receives the evaluated items of `level` when they are linked.
QelBomItemBase* linkTarget(EngineStack& stack, int level) {
  return level == 0 ? stack[0].m_pOutputParent : stack[level - 1].m_pEvaluatedItem;
}

// Which evaluated items of each level the output tree holds, for the
// evaluation of one stack in progress on this thread. The engine state
// record has no room for it, so it is kept beside the stack.
//
// An item that a level's pointer names belongs to the level until
// groupIsCompleted links it, and to the output tree from then on. The record
// is set when groupIsCompleted links a level's items and cleared for a
// pointer whenever the pointer is replaced (setEvaluatedItem,
// setEvaluatedNextItem), by a new item or by null. So an item the record
// does not mark as linked is one the level alone holds.
class LinkRecord : public qel_bom_engine::StackRecord<LinkRecord> {
 public:
  explicit LinkRecord(const EngineStack& stack)
      : StackRecord(stack), m_marks(static_cast<size_t>(stack.count()), 0) {}

  bool itemLinked(int level) const { return (mark(level) & kItem) != 0; }
  bool closingItemLinked(int level) const { return (mark(level) & kClosingItem) != 0; }
  void setLinked(int level) { mark(level) = kItem | kClosingItem; }
  void clearItem(int level) { mark(level) &= static_cast<unsigned char>(~kItem); }
  void clearClosingItem(int level) { mark(level) &= static_cast<unsigned char>(~kClosingItem); }

 private:
  static constexpr unsigned char kItem = 1;
  static constexpr unsigned char kClosingItem = 2;

  unsigned char& mark(int level) { return m_marks[static_cast<size_t>(level)]; }
  unsigned char mark(int level) const { return m_marks[static_cast<size_t>(level)]; }

  std::vector<unsigned char> m_marks;  // per level: kItem, kClosingItem
};

// Every change of a level's item pointers goes through these two, which keep
// the link record in step: a new item (or null) is not linked. Setting the
// item a pointer already names changes nothing (a new item never has the
// address of one a level still names, which is alive).
void setEvaluatedItem(EngineStack& stack, int level, QelBomTemplateItem* item) {
  QelBomTemplateItem*& pointer = stack[level].m_pEvaluatedItem;
  if (pointer == item) return;
  pointer = item;
  if (LinkRecord* record = LinkRecord::of(stack)) record->clearItem(level);
}

void setEvaluatedNextItem(EngineStack& stack, int level, QelBomTemplateItem* item) {
  QelBomTemplateItem*& pointer = stack[level].m_pEvaluatedNextItem;
  if (pointer == item) return;
  pointer = item;
  if (LinkRecord* record = LinkRecord::of(stack)) record->clearClosingItem(level);
}

// Deletes, when an evaluation is left by an exception, the evaluated items
// that the levels hold and the link record does not mark as linked. Levels
// are handled deepest first: deleting an unlinked item also deletes the
// deeper items linked below it, which their own levels have left alone.
class UnlinkedItemsReleaser {
 public:
  UnlinkedItemsReleaser(EngineStack& stack, const LinkRecord& record)
      : m_stack(stack), m_record(record) {}
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
      if (!m_record.closingItemLinked(level)) {
        qel_bom_engine::deleteItemTree(state.m_pEvaluatedNextItem);
      }
      if (!m_record.itemLinked(level)) qel_bom_engine::deleteItemTree(state.m_pEvaluatedItem);
      state.m_pEvaluatedItem = nullptr;
      state.m_pEvaluatedNextItem = nullptr;
    }
  }

  EngineStack& m_stack;
  const LinkRecord& m_record;
  bool m_armed = true;
};

// The one place where a details line of the deepest `level` is dropped as a
// repetition of the last line under its parent, whether that was recognised
// before the line was made or after: the line's rows (`rows`, `count`) leave
// every later sum, the line's item `made` (null when it was not made) is
// deleted, and the level is left closed without an item.
void dropRepeatedLine(EngineStack& stack, int level, QelBomTemplateItem* made,
                      QelBomDataRow* const* rows, int count) {
  for (int i = 0; i < count; ++i) rows[i]->setUseThisDataForSums(0);
  delete made;
  setEvaluatedItem(stack, level, nullptr);
  QelBomEngineState& state = stack[level];
  state.m_groupOpen = 0;
  state.m_arrGroupRows.removeAll();
}

// The line the details item just made at the deepest `level` may repeat:
// the last line under its parent. Null when the item is no details line, or
// there is no parent or no line before it.
QelBomTemplateItem* lineBefore(EngineStack& stack, int level) {
  const QelBomTemplateItem* line = stack[level].m_pEvaluatedItem;
  if (level != stack.count() - 1 || level == 0 || line == nullptr ||
      line->type() != QelBomTemplateItem::kDetails) {
    return nullptr;
  }
  const QelBomItemBase* parent = stack[level - 1].m_pEvaluatedItem;
  return parent != nullptr ? static_cast<QelBomTemplateItem*>(parent->lastChild()) : nullptr;
}

// After the sort the rows are visited in an order unrelated to where they lie
// in memory: asks for the rows a few places ahead, and for the tuples of the
// rows a little nearer, while this one is evaluated. A row object spans two
// cache lines and its tuples several, all of which its items read.
void prefetchAhead(const std::vector<QelBomDataRow*>& rows, size_t at) {
  constexpr size_t kRowsAhead = 8;
  constexpr size_t kTuplesAhead = 4;
  constexpr int kLine = 64;
  constexpr int kMostTupleLines = 8;
  if (at + kRowsAhead < rows.size()) {
    const char* row = reinterpret_cast<const char*>(rows[at + kRowsAhead]);
    for (size_t byte = 0; byte < sizeof(QelBomDataRow); byte += kLine / 2) __builtin_prefetch(row + byte);
  }
  if (at + kTuplesAhead < rows.size()) {
    const QelArray<QelBomDataTuple>& tuples = rows[at + kTuplesAhead]->getData();
    const char* first = reinterpret_cast<const char*>(tuples.data());
    const int bytes = tuples.count() * static_cast<int>(sizeof(QelBomDataTuple));
    for (int line = 0; line < bytes && line < kMostTupleLines * kLine; line += kLine)
      __builtin_prefetch(first + line);
  }
}

// The same where the rows are met by their links: the next row and its tuples.
void prefetchNext(const QelBomItemBase* row) {
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
  LinkRecord linkRecord(stack);
  UnlinkedItemsReleaser unlinkedReleaser(stack, linkRecord);
  qel_bom_engine::RunningSums runningSums(stack);

  stack[0].m_pOutputParent = output != nullptr ? output : &standIn;
  qel_bom_engine::SortedRows sortedRows(stack);
  sortInpuDataBySortingTokens(data, stack);

  // The rows in their order: the sort's, when it reordered them, is that of
  // the links it left.
  const QelBomTemplateUnits* units = templ->getBomTemplateUnits();
  const std::vector<QelBomDataRow*>& sorted = sortedRows.rows();
  for (size_t at = 0; at < sorted.size(); ++at) {
    prefetchAhead(sorted, at);
    evaluateData(sorted[at], stack, units);
  }
  if (sorted.empty() && data != nullptr) {
    for (QelBomItemBase* row = data->child(); row != nullptr; row = row->next()) {
      prefetchNext(row);
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
        // The line is dropped without being made; the row gets the used
        // marks that making it would have left.
        qel_bom_engine::markCopiedTuplesUsed(*row, *state.m_pTemplateItem);
        dropRepeatedLine(stack, level, nullptr, &row, 1);
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
      setEvaluatedItem(stack, k, nullptr);
      setEvaluatedNextItem(stack, k, nullptr);
    }
    beginGroup(row, stack, level);
  }
  if (qel_bom_engine::RunningSums* sums = qel_bom_engine::RunningSums::of(stack)) sums->add(*row);
  return 1;
}

int QelBomEvaluator2::beginGroup(QelBomDataRow* row, EngineStack& stack, int level) {
  QelBomEngineState& state = stack[level];
  state.m_groupOpen = 1;
  setEvaluatedItem(stack, level, process(state.m_pTemplateItem, row));
  if (state.m_pEvaluatedItem != nullptr) state.m_pEvaluatedItem->setFirstDataRow(row);
  appendGroupRow(state.m_arrGroupRows, row);
  qel_bom_engine::RunningSums* sums = qel_bom_engine::RunningSums::of(stack);
  if (sums != nullptr && sums->covers(level)) sums->open(level);
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
  qel_bom_engine::RunningSums* sums = qel_bom_engine::RunningSums::of(stack);
  if (sums != nullptr && sums->covers(level)) {
    // Summed row by row as the group's rows arrived.
    setEvaluatedNextItem(stack, level, sums->take(level));
  } else if (state.m_pNextTemplateItem != nullptr) {
    // The closing section is evaluated over a copy: the state keeps its rows
    // for groupIsCompleted.
    setEvaluatedNextItem(stack, level,
                         process(state.m_pNextTemplateItem, RowArray(state.m_arrGroupRows)));
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
  // same parent is dropped.
  QelBomTemplateItem* before = lineBefore(stack, level);
  if (before != nullptr && isEqualAsEvaluated(state.m_pEvaluatedItem, before) == 1) {
    dropRepeatedLine(stack, level, state.m_pEvaluatedItem, state.m_arrGroupRows.data(),
                     state.m_arrGroupRows.count());
  }

  QelBomItemBase* target = linkTarget(stack, level);
  if (target != nullptr) {
    target->addChild(state.m_pEvaluatedItem);
    target->addChild(state.m_pEvaluatedNextItem);
    if (LinkRecord* record = LinkRecord::of(stack)) record->setLinked(level);
  }
  state.m_arrGroupRows.removeAll();
  return 1;
}
