// QelBomDataRow: one model object's tuples, handles and sums flag, and the
// row ordering used for grouping.
#include "QelBomItems.h"
#include "model/QelBomComparison.h"

QelBomDataRow::QelBomDataRow() : m_useThisDataForSums(1) {}

QelBomDataRow::QelBomDataRow(const QelBomDataRow& other) = default;
QelBomDataRow& QelBomDataRow::operator=(const QelBomDataRow& other) = default;

QelBomDataRow::~QelBomDataRow() = default;

void QelBomDataRow::setFrom(QelBomDataRow* other) {
  if (other == this) return;
  m_arrData = other->m_arrData;
  m_objectHandle = other->m_objectHandle;
  m_arrEqualPartObjectHandles = other->m_arrEqualPartObjectHandles;
  m_useThisDataForSums = other->m_useThisDataForSums;
}

int QelBomDataRow::compare(QelBomDataRow* other, const QelArray<QelString>& tokens) const {
  for (const QelString& token : tokens) {
    const int verdict = qel_bom_model::compareOnToken(this, other, token);
    if (verdict != 0) return verdict;
  }
  return 0;
}
