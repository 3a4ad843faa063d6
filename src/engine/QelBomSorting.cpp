// Sorting of the input rows by the sort keys of all levels, and of chains of
// evaluated items (each header with the closing item that follows it); the
// static arrays that hold the keys of the last sort of each kind.
//
// Both sorts use std::stable_sort: the row sort over keys looked up once per
// row (SortKeyTable, the same verdicts as compareDataRow), the item sort with
// compareEvaluatedItems. The comparators are not a consistent ordering (values of different types
// give -1 whichever comes first); the merge-based stable sort stays within its ranges and
// terminates with any comparator, and rows or pairs equal on every key keep their order.
#include <algorithm>
#include <climits>
#include <vector>

#include "QelBomEvaluator2.h"
#include "engine/QelBomEngineInternal.h"
#include "engine/QelBomSortKeyTable.h"
#include "engine/QelBomSortedRows.h"
#include "model/QelBomComparison.h"

namespace qel_bom_engine {

void collectSortKeys(const QelArray<QelString>& sortingTokens, QelArray<QelString>& keys,
                     QelIntArray& orders, int& ascending) {
  for (int i = 0; i < sortingTokens.count(); ++i) {
    QelString key = sortingTokens[i];
    QelBomDataToken::removeSortingPrefix(key, ascending);
    keys.append(key);
    orders.append(ascending);
  }
}

int compareRowsByKeys(const QelBomDataRow* a, const QelBomDataRow* b,
                      const QelArray<QelString>& keys, const QelIntArray& orders) {
  for (int i = 0; i < keys.count(); ++i) {
    int result = qel_bom_model::compareOnToken(a, b, keys[i]);
    if (result == 0) continue;
    if (i < orders.count() && orders[i] != 1) result = result == INT_MIN ? INT_MAX : -result;
    return result;
  }
  return 0;
}

}  // namespace qel_bom_engine

using qel_bom_engine::collectSortKeys;
using qel_bom_engine::compareRowsByKeys;

// The keys of the last sort of each kind, filled by the sort and read by its
// comparator; empty from the loading of the library.
QelArray<QelString> QelBomEvaluator2::m_arrTokensToSortDataRow;
QelIntArray QelBomEvaluator2::m_arrSortOrderForDataRow;
QelArray<QelString> QelBomEvaluator2::m_arrTokensToSortEvaluatedItems;
QelIntArray QelBomEvaluator2::m_arrSortOrderForEvaluatedItems;

namespace {

bool isClosingItem(const QelBomItemBase* node) {
  const auto type = static_cast<const QelBomTemplateItem*>(node)->type();
  return type == QelBomTemplateItem::kGroupFooter || type == QelBomTemplateItem::kReportFooter;
}

bool descendsInto(const QelBomTemplateItem* item) {
  const auto type = item->type();
  return type == QelBomTemplateItem::kBomTemplate || type == QelBomTemplateItem::kReportHeader ||
         type == QelBomTemplateItem::kGroupHeader;
}

}  // namespace

int QelBomEvaluator2::sortInpuDataBySortingTokens(QelBomData* data, EngineStack& stack) {
  m_arrTokensToSortDataRow.removeAll();
  m_arrSortOrderForDataRow.removeAll();
  int ascending = 1;
  for (int level = 0; level < stack.count(); ++level) {
    const QelBomTemplateItem* section = stack[level].m_pTemplateItem;
    if (section == nullptr) continue;
    collectSortKeys(section->sortingTokens(), m_arrTokensToSortDataRow, m_arrSortOrderForDataRow,
                    ascending);
  }
  if (m_arrTokensToSortDataRow.count() == 0 || data == nullptr) return 1;

  // One walk gathers the rows and looks up their keys.
  qel_bom_engine::SortKeyTable keys(m_arrTokensToSortDataRow, m_arrSortOrderForDataRow);
  std::vector<QelBomDataRow*> rows;
  for (QelBomItemBase* node = data->child(); node != nullptr; node = node->next()) {
    auto* row = static_cast<QelBomDataRow*>(node);
    rows.push_back(row);
    keys.add(row);
  }
  if (rows.size() < 2) return 1;

  // Relinked by appending, which keeps the last child without walking the chain.
  const std::vector<int> order = keys.sortedOrder();
  rows[static_cast<size_t>(order.back())]->setNext(nullptr);
  data->setChild(nullptr);
  for (int index : order) data->addChild(rows[static_cast<size_t>(index)]);
  if (qel_bom_engine::SortedRows* sorted = qel_bom_engine::SortedRows::of(stack)) {
    std::vector<QelBomDataRow*>& inOrder = sorted->rows();
    inOrder.reserve(order.size());
    for (int index : order) inOrder.push_back(rows[static_cast<size_t>(index)]);
  }
  return 1;
}

int QelBomEvaluator2::compareDataRow(const void* a, const void* b) {
  const QelBomDataRow* first = *static_cast<QelBomDataRow* const*>(a);
  const QelBomDataRow* second = *static_cast<QelBomDataRow* const*>(b);
  return compareRowsByKeys(first, second, m_arrTokensToSortDataRow, m_arrSortOrderForDataRow);
}

// A pair whose header carries no first data row compares as a row without any
// key: it sorts before the others on an ascending key, after them on a
// descending one.
int QelBomEvaluator2::compareEvaluatedItems(const void* a, const void* b) {
  const auto* first = static_cast<const QelHeaderFooterSortingStruct*>(a);
  const auto* second = static_cast<const QelHeaderFooterSortingStruct*>(b);
  const QelBomDataRow* rowA =
      first->m_pHeader != nullptr ? first->m_pHeader->getFirstDataRow() : nullptr;
  const QelBomDataRow* rowB =
      second->m_pHeader != nullptr ? second->m_pHeader->getFirstDataRow() : nullptr;
  return compareRowsByKeys(rowA, rowB, m_arrTokensToSortEvaluatedItems,
                           m_arrSortOrderForEvaluatedItems);
}

int QelBomEvaluator2::sortItemList(QelBomTemplateItem*& first,
                                   const QelArray<QelString>& sortingTokens) {
  if (first == nullptr) return 1;

  // Each item not yet taken leads a pair; a group or report footer right after
  // it closes the pair.
  QelArray<QelHeaderFooterSortingStruct> pairs(qel_bom_engine::kPairGrowBy);
  for (QelBomItemBase* node = first; node != nullptr;) {
    QelHeaderFooterSortingStruct pair;
    pair.m_pHeader = static_cast<QelBomTemplateItem*>(node);
    node = node->next();
    if (node != nullptr && isClosingItem(node)) {
      pair.m_pFooter = static_cast<QelBomTemplateItem*>(node);
      node = node->next();
    }
    pairs.appendGrowing(pair);
  }

  if (sortingTokens.count() > 0) {
    m_arrTokensToSortEvaluatedItems.removeAll();
    m_arrSortOrderForEvaluatedItems.removeAll();
    int ascending = 1;
    collectSortKeys(sortingTokens, m_arrTokensToSortEvaluatedItems, m_arrSortOrderForEvaluatedItems,
                    ascending);
    std::stable_sort(
        pairs.begin(), pairs.end(),
        [](const QelHeaderFooterSortingStruct& x, const QelHeaderFooterSortingStruct& y) {
          return compareEvaluatedItems(&x, &y) < 0;
        });
  }

  QelBomItemBase* last = nullptr;
  auto link = [&last](QelBomItemBase* node) {
    if (last != nullptr) last->setNext(node);
    last = node;
  };
  for (int i = 0; i < pairs.count(); ++i) {
    link(pairs[i].m_pHeader);
    if (pairs[i].m_pFooter != nullptr) link(pairs[i].m_pFooter);
  }
  last->setNext(nullptr);
  first = pairs[0].m_pHeader;
  return 1;
}

// Walks the tree in the order of a recursive descent (an item's children are
// sorted before any of them is visited, children in their new order) with an
// explicit stack.
int QelBomEvaluator2::sortSubGroupsOnLevels(QelBomTemplateItem* item, EngineStack& stack,
                                            int level) {
  struct Pending {
    QelBomTemplateItem* item;
    int level;
  };
  std::vector<Pending> pending;
  pending.push_back({item, level});
  while (!pending.empty()) {
    const Pending current = pending.back();
    pending.pop_back();
    if (current.item == nullptr || !descendsInto(current.item)) continue;

    const int at = current.level;
    const QelBomTemplateItem* section =
        at >= 0 && at < stack.count() ? stack[at].m_pTemplateItem : nullptr;
    if (section != nullptr && section->sortingTokens().count() > 0 &&
        current.item->child() != nullptr) {
      QelBomTemplateItem* head = static_cast<QelBomTemplateItem*>(current.item->child());
      sortItemList(head, section->sortingTokens());
      current.item->setChild(head);
    }

    const size_t mark = pending.size();
    for (QelBomItemBase* child = current.item->child(); child != nullptr; child = child->next()) {
      pending.push_back({static_cast<QelBomTemplateItem*>(child), at + 1});
    }
    std::reverse(pending.begin() + static_cast<std::ptrdiff_t>(mark), pending.end());
  }
  return 1;
}
