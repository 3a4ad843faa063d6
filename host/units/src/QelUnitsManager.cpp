// The host's display units, one per kind.
#include "QelUnitsManager.h"

#include "VRKUnitsCommon.h"

QelUnitsManager::QelUnitsManager() {
  VRKUnitsCommon::getUnitOfDistance(m_distance);
  VRKUnitsCommon::getUnitOfAngle(m_angle);
  VRKUnitsCommon::getUnitOfWeight(m_weight);
  VRKUnitsCommon::getUnitOfArea(m_area);
}

const VRKUnit& QelUnitsManager::getUnit(int kind) const {
  switch (kind) {
    case QelUnitsTransformArray::kDistanceSystem:
      return m_distance;
    case QelUnitsTransformArray::kAngleSystem:
      return m_angle;
    case QelUnitsTransformArray::kWeightSystem:
      return m_weight;
    case QelUnitsTransformArray::kAreaSystem:
      return m_area;
    default:
      return m_none;
  }
}

void QelUnitsManager::setUnit(int kind, const VRKUnit& unit) {
  switch (kind) {
    case QelUnitsTransformArray::kDistanceSystem:
      m_distance = unit;
      break;
    case QelUnitsTransformArray::kAngleSystem:
      m_angle = unit;
      break;
    case QelUnitsTransformArray::kWeightSystem:
      m_weight = unit;
      break;
    case QelUnitsTransformArray::kAreaSystem:
      m_area = unit;
      break;
    default:
      break;
  }
}
