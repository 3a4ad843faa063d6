// Token unit types, display units and the display text of values.
#include "QelBomTemplateUnits.h"

#include "VRKUnitsCommon.h"
#include "qel_odbc.h"

// The units start from fixed codes (mm, kg, m2, deg) and are then filled with
// the units library's current units.
QelBomTemplateUnits::QelBomTemplateUnits()
    : m_unitDistance(3, 3, 2),
      m_unitWeight(1009, 1009, 112),
      m_unitArea(3003, 3, 2),
      m_unitAngle(2006, 2006, 81),
      m_nSuppressLastZeros(1) {
  VRKUnitsCommon::getUnitOfDistance(m_unitDistance);
  VRKUnitsCommon::getUnitOfWeight(m_unitWeight);
  VRKUnitsCommon::getUnitOfArea(m_unitArea);
  VRKUnitsCommon::getUnitOfAngle(m_unitAngle);
}

QelBomTemplateUnits::QelBomTemplateUnits(const QelBomTemplateUnits& other) = default;

QelBomTemplateUnits& QelBomTemplateUnits::operator=(const QelBomTemplateUnits& other) = default;

QelBomTemplateUnits::~QelBomTemplateUnits() = default;

void QelBomTemplateUnits::setUnits(const QelUnitsManager* manager) {
  m_unitDistance = manager->getUnit(QelUnitsTransformArray::kDistanceSystem);
  m_unitWeight = manager->getUnit(QelUnitsTransformArray::kWeightSystem);
  m_unitArea = manager->getUnit(QelUnitsTransformArray::kAreaSystem);
  m_unitAngle = manager->getUnit(QelUnitsTransformArray::kAngleSystem);
  // Leaves the flag as it is when the setting is not stored.
  qel_odbc_getDefault(QelString(u"C0_BOMSuppressLastZeros"), m_nSuppressLastZeros, true);
}

void QelBomTemplateUnits::AddTokenType(QelString token, eTokenUnitType type) {
  m_mapTokenUnitTypes.insert(token, type);  // an entered token keeps its type
}

int QelBomTemplateUnits::tokenUnitType(const QelString& token) const {
  const QelStringHashMap::Entry* entry = m_mapTokenUnitTypes.find(token);
  return entry != nullptr ? entry->value() : kUnkTokenUnitType;
}

QelString QelBomTemplateUnits::getDisplayString(QelString token, double value) const {
  QelString result;
  const VRKUnit* unit = nullptr;
  switch (tokenUnitType(token)) {
    case kUnkTokenUnitType:
      result.format("%g", value);
      return result;
    case kDistanceUnit:
      unit = &m_unitDistance;
      break;
    case kWeightUnit:
      unit = &m_unitWeight;
      break;
    case kAreaUnit:
      unit = &m_unitArea;
      break;
    case kAngleUnit:
      unit = &m_unitAngle;
      break;
    default:
      return result;  // a type outside 0 to 4 shows nothing
  }
  // The value stays in internal units; the transform converts and rounds.
  return unit->getQelUnitTransform()->formatValue(value, m_nSuppressLastZeros, 0, 1, 1, u' ');
}
