#include "engine/QelBomSortedRows.h"

namespace qel_bom_engine {

SortedRows::SortedRows(const QelArray<QelBomEngineState>& stack)
    : m_stack(stack), m_outer(current()) {
  current() = this;
}

SortedRows::~SortedRows() { current() = m_outer; }

SortedRows*& SortedRows::current() {
  thread_local SortedRows* rows = nullptr;
  return rows;
}

SortedRows* SortedRows::of(const QelArray<QelBomEngineState>& stack) {
  SortedRows* rows = current();
  return rows != nullptr && &rows->m_stack == &stack ? rows : nullptr;
}

}  // namespace qel_bom_engine
