// Token unit types, display units and the display text of values.
#include "QelBomTemplateUnits.h"

#include "VRKUnitsCommon.h"
#include "qel_odbc.h"
#include "template/QelBomDisplayCache.h"

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

// Written out rather than defaulted because the cache is not copied: a copy
// starts without cached texts and fills its own.
QelBomTemplateUnits::QelBomTemplateUnits(const QelBomTemplateUnits& other)
    : m_mapTokenUnitTypes(other.m_mapTokenUnitTypes),
      m_unitDistance(other.m_unitDistance),
      m_unitWeight(other.m_unitWeight),
      m_unitArea(other.m_unitArea),
      m_unitAngle(other.m_unitAngle),
      m_nSuppressLastZeros(other.m_nSuppressLastZeros) {}

QelBomTemplateUnits& QelBomTemplateUnits::operator=(const QelBomTemplateUnits& other) {
  if (this == &other) return *this;
  m_mapTokenUnitTypes = other.m_mapTokenUnitTypes;
  m_unitDistance = other.m_unitDistance;
  m_unitWeight = other.m_unitWeight;
  m_unitArea = other.m_unitArea;
  m_unitAngle = other.m_unitAngle;
  m_nSuppressLastZeros = other.m_nSuppressLastZeros;
  m_pDisplayCache.reset();  // its texts were made for the former units
  return *this;
}

QelBomTemplateUnits::~QelBomTemplateUnits() = default;

void QelBomTemplateUnits::setUnits(const QelUnitsManager* manager) {
  m_unitDistance = manager->getUnit(QelUnitsTransformArray::kDistanceSystem);
  m_unitWeight = manager->getUnit(QelUnitsTransformArray::kWeightSystem);
  m_unitArea = manager->getUnit(QelUnitsTransformArray::kAreaSystem);
  m_unitAngle = manager->getUnit(QelUnitsTransformArray::kAngleSystem);
  // Leaves the flag as it is when the setting is not stored.
  qel_odbc_getDefault(QelString(u"C0_BOMSuppressLastZeros"), m_nSuppressLastZeros, true);
  m_pDisplayCache.reset();
}

void QelBomTemplateUnits::AddTokenType(QelString token, eTokenUnitType type) {
  m_mapTokenUnitTypes.insert(token, type);  // an entered token keeps its type
  if (m_pDisplayCache != nullptr) m_pDisplayCache->forgetTypes();
}

int QelBomTemplateUnits::tokenUnitType(const QelString& token) const {
  const QelStringHashMap::Entry* entry = m_mapTokenUnitTypes.find(token);
  return entry != nullptr ? entry->value() : kUnkTokenUnitType;
}

QelString QelBomTemplateUnits::getDisplayString(QelString token, double value) const {
  if (m_pDisplayCache == nullptr) m_pDisplayCache.reset(new QelBomDisplayCache());
  const int* known = m_pDisplayCache->findType(token);
  const int unitType = known != nullptr ? *known : tokenUnitType(token);
  if (known == nullptr) m_pDisplayCache->storeType(token, unitType);
  if (unitType < kUnkTokenUnitType || unitType > kAngleUnit) return QelString();  // shows nothing
  if (const QelString* cached = m_pDisplayCache->find(unitType, value)) return *cached;
  const QelString text = formatDisplay(unitType, value);
  m_pDisplayCache->store(unitType, value, text);
  return text;
}

QelString QelBomTemplateUnits::formatDisplay(int unitType, double value) const {
  const VRKUnit* unit = nullptr;
  switch (unitType) {
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
    default: {
      QelString plain;
      plain.format("%g", value);
      return plain;
    }
  }
  // The value stays in internal units; the transform converts and rounds.
  return unit->getQelUnitTransform()->formatValue(value, m_nSuppressLastZeros, 0, 1, 1, u' ');
}
