// QelUnitsManager: the host's set of display units, one per kind.
#ifndef QEL_UNITS_MANAGER_H_
#define QEL_UNITS_MANAGER_H_

#include "VRKUnit.h"
#include "VRKUnitsExport.h"

class VRK_UNITS_API QelUnitsTransformArray {
 public:
  // The kinds of unit a manager holds.
  enum eSystems { kDistanceSystem = 0, kAngleSystem = 1, kWeightSystem = 2, kAreaSystem = 4 };
};

class VRK_UNITS_API QelUnitsManager {
 public:
  // Starts with the current units of VRKUnitsCommon.
  QelUnitsManager();

  // The unit of `kind`; an unknown kind gives a unit without code.
  const VRKUnit& getUnit(int kind) const;
  // Replaces the unit of `kind`; an unknown kind is ignored.
  void setUnit(int kind, const VRKUnit& unit);

 private:
  VRKUnit m_distance;
  VRKUnit m_angle;
  VRKUnit m_weight;
  VRKUnit m_area;
  VRKUnit m_none;
};

#endif  // QEL_UNITS_MANAGER_H_
