// Helpers shared by the evaluator's source files. Not exported.
#ifndef QEL_BOM_ENGINE_INTERNAL_H_
#define QEL_BOM_ENGINE_INTERNAL_H_

#include "QelArray.h"
#include "QelBomEvaluator2.h"
#include "QelBomItems.h"
#include "QelString.h"

namespace qel_bom_engine {

// Grow step of the rows of an open group: a report header holds every row.
constexpr int kGroupRowsGrowBy = 2000;
// Grow step of the engine state stack and of the gathered row array.
constexpr int kStackGrowBy = 8;
// Grow step of the header/footer pairs of a sorted item chain.
constexpr int kPairGrowBy = 5000;

// Appends the sort keys of `sortingTokens` to `keys` and their directions (1
// ascending, 0 descending) to `orders`. A token with a "%SortAscBy:" or
// "%SortDescBy:" prefix loses the prefix and sets `ascending`; a token without
// one keeps the direction of the key before it, which is why `ascending` is
// passed in and out: it carries over between the lists of one collection.
void collectSortKeys(const QelArray<QelString>& sortingTokens, QelArray<QelString>& keys,
                     QelIntArray& orders, int& ascending);

// Orders row `a` against row `b` by `keys` (most significant first) in the
// directions of `orders`; a qsort-style result. Each key's verdict is that of
// qel_bom_model::compareOnToken (a null row lacks every key), negated for a
// descending key.
int compareRowsByKeys(const QelBomDataRow* a, const QelBomDataRow* b,
                      const QelArray<QelString>& keys, const QelIntArray& orders);

// A record the evaluation of one stack keeps beside the stack (the engine
// state record has no room for it), found by the level operations through the
// stack they are given. A record registers itself for its thread while it
// lives; T derives from StackRecord<T>.
template <class T>
class StackRecord {
 public:
  StackRecord(const StackRecord&) = delete;
  StackRecord& operator=(const StackRecord&) = delete;

  // The record of `stack`, or null when no evaluation of it is in progress on
  // this thread (a level operation called on its own).
  static T* of(const QelArray<QelBomEngineState>& stack) {
    T* record = current();
    return record != nullptr && &record->m_stack == &stack ? record : nullptr;
  }

 protected:
  explicit StackRecord(const QelArray<QelBomEngineState>& stack)
      : m_stack(stack), m_outer(current()) {
    current() = static_cast<T*>(this);
  }
  ~StackRecord() { current() = m_outer; }
  const QelArray<QelBomEngineState>& stack() const { return m_stack; }

 private:
  static T*& current() {
    thread_local T* record = nullptr;
    return record;
  }

  const QelArray<QelBomEngineState>& m_stack;
  T* m_outer;
};

// Deletes every descendant of `parent` and clears its child links; `parent`
// itself and its next link stay. Needs no memory of its own, so it is safe
// while unwinding from an allocation failure.
void deleteDescendants(QelBomItemBase* parent) noexcept;

// Deletes `root` with all its descendants; its next link is not followed.
void deleteItemTree(QelBomItemBase* root) noexcept;

}  // namespace qel_bom_engine

#endif  // QEL_BOM_ENGINE_INTERNAL_H_
