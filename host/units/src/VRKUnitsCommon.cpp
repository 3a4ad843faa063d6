// The process-wide current units.
#include "VRKUnitsCommon.h"

namespace {

struct CurrentUnits {
  VRKUnit distance;
  VRKUnit weight;
  VRKUnit area;
  VRKUnit angle;

  CurrentUnits() { reset(); }
  void reset() {
    distance = VRKUnit(3, 3, 2);
    weight = VRKUnit(1009, 1009, 112);
    area = VRKUnit(3003, 3003, 2);
    angle = VRKUnit(2006, 2006, 81);
  }
};

// Built on first use, so the units are ready whatever the order of static
// initialisation across libraries.
CurrentUnits& current() {
  static CurrentUnits units;
  return units;
}

}  // namespace

int VRKUnitsCommon::getUnitOfDistance(VRKUnit& unit) {
  unit = current().distance;
  return 1;
}

int VRKUnitsCommon::getUnitOfWeight(VRKUnit& unit) {
  unit = current().weight;
  return 1;
}

int VRKUnitsCommon::getUnitOfArea(VRKUnit& unit) {
  unit = current().area;
  return 1;
}

int VRKUnitsCommon::getUnitOfAngle(VRKUnit& unit) {
  unit = current().angle;
  return 1;
}

void VRKUnitsCommon::setUnitOfDistance(const VRKUnit& unit) { current().distance = unit; }

void VRKUnitsCommon::setUnitOfWeight(const VRKUnit& unit) { current().weight = unit; }

void VRKUnitsCommon::setUnitOfArea(const VRKUnit& unit) { current().area = unit; }

void VRKUnitsCommon::setUnitOfAngle(const VRKUnit& unit) { current().angle = unit; }

void VRKUnitsCommon::resetToDefaults() { current().reset(); }
