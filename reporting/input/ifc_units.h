// The units of an IFC model, as factors into the internal units: lengths in
// millimetres, masses in kilograms, areas in square millimetres, plane angles
// in radians. Volumes and counts are left in the model's units.
//
// The project's IfcUnitAssignment gives each kind its unit: an IfcSIUnit with
// its prefix (areas take it squared, volumes cubed), or an
// IfcConversionBasedUnit (inch, foot, pound, degree, ...) whose factor is an
// IfcMeasureWithUnit over another unit. A kind the model assigns no unit is
// read in its SI unit (metre, kilogram, square metre, radian), which the notes
// say.
#ifndef BOMREPORT_INPUT_IFC_UNITS_H_
#define BOMREPORT_INPUT_IFC_UNITS_H_

#include <string>
#include <vector>

#include "input/ifc_model.h"

namespace bomreport {

class IfcUnits {
 public:
  // The factor of a measure's values (1 for volumes, counts and the rest).
  double factor(IfcMeasure measure) const;
  // Whether the model assigns the measure's unit (always for those left as
  // they are).
  bool assigned(IfcMeasure measure) const;
  // How a measure without a unit is read, for a warning: "LENGTHUNIT (read as
  // metres)".
  static std::string unassignedNote(IfcMeasure measure);
  // The unit type of a measure ("LENGTHUNIT"); empty for a measure without one.
  static const char* unitTypeName(IfcMeasure measure);

  // Reads the model's unit assignment. Appends to `notes` the units it cannot
  // convert (an unknown name or prefix) and those of a kind already given.
  // Throws InputError for a unit defined in terms of itself.
  void read(const IfcModel& model, std::vector<std::string>& notes);

 private:
  static int indexOf(IfcMeasure measure);
  double factors_[4] = {1000.0, 1.0, 1.0e6, 1.0};  // length, mass, area, angle
  bool assigned_[4] = {false, false, false, false};
  std::uint64_t assignedIds_[4] = {0, 0, 0, 0};
};

// The factor into internal units of a unit instance of its own (a quantity's
// or a property's unit) for values of `measure`; false when it is no unit
// this reader knows, or of another measure.
bool ifcUnitFactor(const IfcModel& model, std::uint64_t unit, IfcMeasure measure, double& factor);

}  // namespace bomreport

#endif  // BOMREPORT_INPUT_IFC_UNITS_H_
