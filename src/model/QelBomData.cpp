// QelBomData: the input data set, its template sets and the reports over its
// rows.
#include <algorithm>
#include <cstdlib>
#include <utility>
#include <vector>

#include "QelBomData.h"

QelBomData::QelBomData() = default;

QelBomData::QelBomData(const QelBomData& other) = default;
QelBomData& QelBomData::operator=(const QelBomData& other) = default;

QelBomData::~QelBomData() = default;

int QelBomData::depthLevel() {
  if (m_pChild == nullptr) return 0;
  int maxLevel = 1;
  getDepthLevel(m_pChild, 1, maxLevel);
  return maxLevel;
}

// Raises `maxLevel` to the deepest level found in `node`, its following
// siblings and all their descendants, where `node` stands at `level`. Each
// sibling chain is walked in a loop; the chains of children still to be walked
// wait on a heap stack.
int QelBomData::getDepthLevel(QelBomItemBase* node, int level, int& maxLevel) {
  std::vector<std::pair<QelBomItemBase*, int>> chains;
  chains.emplace_back(node, level);
  while (!chains.empty()) {
    auto [first, chainLevel] = chains.back();
    chains.pop_back();
    if (first != nullptr && maxLevel < chainLevel) maxLevel = chainLevel;
    for (QelBomItemBase* at = first; at != nullptr; at = at->next()) {
      if (at->child() != nullptr) chains.emplace_back(at->child(), chainLevel + 1);
    }
  }
  return 1;
}

namespace {

bool hasUsedTuple(const QelBomDataRow& row) {
  for (const QelBomDataTuple& tuple : row.getData()) {
    if (tuple.used() == 1) return true;
  }
  return false;
}

}  // namespace

// Two walks: the first counts the contributing rows, so that both output arrays
// grow once, to the capacity that appending one by one would end at.
int QelBomData::getUsedHandlesAndTokens(QelArray<QelArray<QelString>>& handles,
                                        QelArray<QelArray<QelString>>& tokens) {
  int contributing = 0;
  for (QelBomItemBase* node = m_pChild; node != nullptr; node = node->next()) {
    // The children of a data set are its rows.
    if (hasUsedTuple(*static_cast<const QelBomDataRow*>(node))) ++contributing;
  }
  handles.reserve(handles.count() + contributing);
  tokens.reserve(tokens.count() + contributing);
  for (QelBomItemBase* node = m_pChild; node != nullptr; node = node->next()) {
    const QelBomDataRow* row = static_cast<const QelBomDataRow*>(node);
    QelArray<QelString> usedTokens;
    for (const QelBomDataTuple& tuple : row->getData()) {
      if (tuple.used() == 1) usedTokens.append(tuple.token().token());
    }
    if (usedTokens.count() == 0) continue;
    QelArray<QelString> rowHandles;
    rowHandles.append(row->objectHandle());
    rowHandles.appendArray(row->EqualPartObjectHandles());
    // Appended as copies: each entry's capacity equals its count.
    handles.append(rowHandles);
    tokens.append(usedTokens);
  }
  return 1;
}

void QelBomData::setTemplUsedTokensAndObjTypes(const QelArray<QelString>& tokens,
                                               const QelIntArray& objTypes) {
  m_arrTemplUsedTokens.removeAll();
  m_arrTemplUsedTokens.appendArray(tokens);
  if (m_arrTemplUsedTokens.count() > 0) {
    std::sort(m_arrTemplUsedTokens.begin(), m_arrTemplUsedTokens.end(),
              [](const QelString& a, const QelString& b) {
                return QelString::strCompareNoCase(&a, &b) < 0;
              });
  }
  m_arrTemplUsedObjTypes.removeAll();
  m_arrTemplUsedObjTypes.appendArray(objTypes);
  if (m_arrTemplUsedObjTypes.count() > 0) {
    std::sort(m_arrTemplUsedObjTypes.begin(), m_arrTemplUsedObjTypes.end(),
              [](const int& a, const int& b) { return compareInt(&a, &b) < 0; });
  }
}

bool QelBomData::isTokenRequired(const QelString& token) {
  if (m_arrTemplUsedTokens.count() == 0) return false;
  return std::bsearch(&token, m_arrTemplUsedTokens.data(),
                      static_cast<size_t>(m_arrTemplUsedTokens.count()), sizeof(QelString),
                      QelString::strCompareNoCase) != nullptr;
}

bool QelBomData::isItemPresent(eSteelObjects type) {
  if (m_arrTemplUsedObjTypes.count() == 0) return false;
  const int key = static_cast<int>(type);
  return std::bsearch(&key, m_arrTemplUsedObjTypes.data(),
                      static_cast<size_t>(m_arrTemplUsedObjTypes.count()), sizeof(int),
                      compareInt) != nullptr;
}
