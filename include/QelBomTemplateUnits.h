// QelBomTemplateUnits: which tokens hold lengths, weights, areas or angles, the
// unit each kind is shown in, and the display text of a token's value.
// Owned by its template; copies are deep. Not thread-safe.
#ifndef QEL_BOM_TEMPLATE_UNITS_H_
#define QEL_BOM_TEMPLATE_UNITS_H_

#include <memory>

#include "QelString.h"
#include "QelStringHashMap.h"
#include "QelUnitsManager.h"
#include "VRKBomEngineExport.h"
#include "VRKUnit.h"

class QelBomDisplayCache;

class VRK_BOM_ENGINE_API QelBomTemplateUnits {
 public:
  enum eTokenUnitType {
    kUnkTokenUnitType = 0,
    kDistanceUnit = 1,
    kWeightUnit = 2,
    kAreaUnit = 3,
    kAngleUnit = 4
  };

  // Empty token table; units from the current units of the units library
  // (after being set from mm, kg, m2, deg); suppress-last-zeros flag 1.
  QelBomTemplateUnits();
  QelBomTemplateUnits(const QelBomTemplateUnits& other);
  QelBomTemplateUnits& operator=(const QelBomTemplateUnits& other);
  virtual ~QelBomTemplateUnits();

  // Takes the distance (kind 0), weight (2), area (4) and angle (1) units of
  // `manager`, then the stored setting "C0_BOMSuppressLastZeros" when it
  // exists. REQUIRES: manager != nullptr.
  void setUnits(const QelUnitsManager* manager);
  // Enters `token` with `type` unless the token is already entered.
  void AddTokenType(QelString token, eTokenUnitType type);
  // "%g" for a token without a unit; the unit's text for lengths, weights,
  // areas and angles; empty text for any other entered type.
  QelString getDisplayString(QelString token, double value) const;

  // The entered type of `token`, kUnkTokenUnitType when absent.
  int tokenUnitType(const QelString& token) const;
  int suppressLastZeros() const noexcept { return m_nSuppressLastZeros; }

 private:
  // The display text of `value` for a unit type from 0 to 4.
  QelString formatDisplay(int unitType, double value) const;

  QelStringHashMap m_mapTokenUnitTypes;
  VRKUnit m_unitDistance;
  VRKUnit m_unitWeight;
  VRKUnit m_unitArea;
  VRKUnit m_unitAngle;
  int m_nSuppressLastZeros;
  // Texts made by getDisplayString, kept for values shown again; created on
  // first use and cleared when the units or the flag change.
  mutable std::unique_ptr<QelBomDisplayCache> m_pDisplayCache;
};

#endif  // QEL_BOM_TEMPLATE_UNITS_H_
