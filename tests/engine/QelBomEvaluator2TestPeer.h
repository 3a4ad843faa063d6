// Test access to the evaluator's private operations and static sort arrays.
#ifndef QEL_BOM_EVALUATOR2_TEST_PEER_H_
#define QEL_BOM_EVALUATOR2_TEST_PEER_H_

#include "QelBomEvaluator2.h"

class QelBomEvaluator2TestPeer {
 public:
  using EngineStack = QelArray<QelBomEngineState>;
  using RowArray = QelArray<QelBomDataRow*>;

  static EngineStack getTemplateStack(QelBomTemplate* templ) {
    return QelBomEvaluator2::getTemplateStack(templ);
  }
  static int evaluateData(QelBomDataRow* row, EngineStack& stack,
                          const QelBomTemplateUnits* units) {
    return QelBomEvaluator2::evaluateData(row, stack, units);
  }
  static int beginGroup(QelBomDataRow* row, EngineStack& stack, int level) {
    return QelBomEvaluator2::beginGroup(row, stack, level);
  }
  static int addedInGroup(QelBomDataRow* row, EngineStack& stack, int level) {
    return QelBomEvaluator2::addedInGroup(row, stack, level);
  }
  static int endGroup(EngineStack& stack, int level, const QelBomTemplateUnits* units) {
    return QelBomEvaluator2::endGroup(stack, level, units);
  }
  static int dataMatchGroup(QelBomDataRow* row, QelBomEngineState& state) {
    return QelBomEvaluator2::dataMatchGroup(row, state);
  }
  static int groupIsCompleted(EngineStack& stack, int level, const QelBomTemplateUnits* units) {
    return QelBomEvaluator2::groupIsCompleted(stack, level, units);
  }

  static QelBomTemplateItem* process(QelBomTemplateItem* section, QelBomDataRow* row) {
    return QelBomEvaluator2::process(section, row);
  }
  static QelBomTemplateItem* process(QelBomTemplateItem* section, RowArray rows) {
    return QelBomEvaluator2::process(section, std::move(rows));
  }
  static void applyUnitsForData(const QelBomTemplateUnits* units,
                                QelArray<QelBomDataTuple>& tuples) {
    QelBomEvaluator2::applyUnitsForData(units, tuples);
  }
  static int isEqualAsEvaluated(QelBomTemplateItem* a, QelBomTemplateItem* b) {
    return QelBomEvaluator2::isEqualAsEvaluated(a, b);
  }
  static void fillGenericString(QelGenericString& out, const QelBomDataRow* row) {
    QelBomEvaluator2::fillGenericString(out, row);
  }

  static int sortInpuDataBySortingTokens(QelBomData* data, EngineStack& stack) {
    return QelBomEvaluator2::sortInpuDataBySortingTokens(data, stack);
  }
  static int compareDataRow(const void* a, const void* b) {
    return QelBomEvaluator2::compareDataRow(a, b);
  }
  static int sortItemList(QelBomTemplateItem*& first, const QelArray<QelString>& tokens) {
    return QelBomEvaluator2::sortItemList(first, tokens);
  }
  static int compareEvaluatedItems(const void* a, const void* b) {
    return QelBomEvaluator2::compareEvaluatedItems(a, b);
  }
  static int sortSubGroupsOnLevels(QelBomTemplateItem* item, EngineStack& stack, int level) {
    return QelBomEvaluator2::sortSubGroupsOnLevels(item, stack, level);
  }

  static QelArray<QelString>& tokensToSortDataRow() {
    return QelBomEvaluator2::m_arrTokensToSortDataRow;
  }
  static QelIntArray& sortOrderForDataRow() { return QelBomEvaluator2::m_arrSortOrderForDataRow; }
  static QelArray<QelString>& tokensToSortEvaluatedItems() {
    return QelBomEvaluator2::m_arrTokensToSortEvaluatedItems;
  }
  static QelIntArray& sortOrderForEvaluatedItems() {
    return QelBomEvaluator2::m_arrSortOrderForEvaluatedItems;
  }
};

#endif  // QEL_BOM_EVALUATOR2_TEST_PEER_H_
