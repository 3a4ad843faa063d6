// Test access to the evaluator's private operations and static sort arrays.
#ifndef QEL_BOM_EVALUATOR2_TEST_PEER_H_
#define QEL_BOM_EVALUATOR2_TEST_PEER_H_

#include "QelBomEvaluator2.h"

class QelBomEvaluator2TestPeer {
 public:
  using EngineStack = QelArray<QelBomEngineState>;
  using E = QelBomEvaluator2;

  static EngineStack getTemplateStack(QelBomTemplate* templ) { return E::getTemplateStack(templ); }
  static QelBomTemplateItem* process(QelBomTemplateItem* section, QelBomDataRow* row) {
    return E::process(section, row);
  }
  static void applyUnitsForData(const QelBomTemplateUnits* units,
                                QelArray<QelBomDataTuple>& tuples) {
    E::applyUnitsForData(units, tuples);
  }
  static int isEqualAsEvaluated(QelBomTemplateItem* a, QelBomTemplateItem* b) {
    return E::isEqualAsEvaluated(a, b);
  }
  static void fillGenericString(QelGenericString& out, const QelBomDataRow* row) {
    E::fillGenericString(out, row);
  }
  static int sortInpuDataBySortingTokens(QelBomData* data, EngineStack& stack) {
    return E::sortInpuDataBySortingTokens(data, stack);
  }
  static int compareDataRow(const void* a, const void* b) { return E::compareDataRow(a, b); }
  static int sortItemList(QelBomTemplateItem*& first, const QelArray<QelString>& tokens) {
    return E::sortItemList(first, tokens);
  }
  static int sortSubGroupsOnLevels(QelBomTemplateItem* item, EngineStack& stack, int level) {
    return E::sortSubGroupsOnLevels(item, stack, level);
  }

  static QelArray<QelString>& tokensToSortDataRow() { return E::m_arrTokensToSortDataRow; }
  static QelIntArray& sortOrderForDataRow() { return E::m_arrSortOrderForDataRow; }
  static QelArray<QelString>& tokensToSortEvaluatedItems() {
    return E::m_arrTokensToSortEvaluatedItems;
  }
  static QelIntArray& sortOrderForEvaluatedItems() { return E::m_arrSortOrderForEvaluatedItems; }
};

#endif  // QEL_BOM_EVALUATOR2_TEST_PEER_H_
