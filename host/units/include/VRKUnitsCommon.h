// The process-wide current unit of each kind. Defaults: mm, kg, m2, deg.
// Not synchronised: set units before evaluations start.
#ifndef VRK_UNITS_COMMON_H_
#define VRK_UNITS_COMMON_H_

#include "VRKUnit.h"
#include "VRKUnitsExport.h"

class VRK_UNITS_API VRKUnitsCommon {
 public:
  // Each getter copies the current unit of its kind into `unit`; returns 1.
  static int getUnitOfDistance(VRKUnit& unit);
  static int getUnitOfWeight(VRKUnit& unit);
  static int getUnitOfArea(VRKUnit& unit);
  static int getUnitOfAngle(VRKUnit& unit);

  static void setUnitOfDistance(const VRKUnit& unit);
  static void setUnitOfWeight(const VRKUnit& unit);
  static void setUnitOfArea(const VRKUnit& unit);
  static void setUnitOfAngle(const VRKUnit& unit);
  // Back to mm, kg, m2, deg.
  static void resetToDefaults();
};

#endif  // VRK_UNITS_COMMON_H_
