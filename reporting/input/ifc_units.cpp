#include "input/ifc_units.h"

#include <cmath>

namespace bomreport {
namespace {

struct Prefix {
  const char* name;
  double factor;
};
const Prefix kPrefixes[] = {{"EXA", 1e18},  {"PETA", 1e15},  {"TERA", 1e12},   {"GIGA", 1e9},
                            {"MEGA", 1e6},  {"KILO", 1e3},   {"HECTO", 1e2},   {"DECA", 1e1},
                            {"DECI", 1e-1}, {"CENTI", 1e-2}, {"MILLI", 1e-3},  {"MICRO", 1e-6},
                            {"NANO", 1e-9}, {"PICO", 1e-12}, {"FEMTO", 1e-15}, {"ATTO", 1e-18}};

// Slots of the unit kinds (see IfcKind).
constexpr int kUnitType = 0, kSIPrefix = 1, kSIName = 2, kConversionFactor = 2;

IfcMeasure measureOfUnitType(std::string_view type) {
  if (type == "LENGTHUNIT") return IfcMeasure::kLength;
  if (type == "MASSUNIT") return IfcMeasure::kMass;
  if (type == "AREAUNIT") return IfcMeasure::kArea;
  if (type == "VOLUMEUNIT") return IfcMeasure::kVolume;
  if (type == "PLANEANGLEUNIT") return IfcMeasure::kAngle;
  return IfcMeasure::kNone;
}

// An SI unit's size in internal units, 0 for one this reader does not convert.
double siFactor(const IfcModel& model, const IfcEntity& unit) {
  const IfcValue& prefixValue = model.value(unit, kSIPrefix);
  double prefix = 1.0;
  if (prefixValue.kind == IfcValue::kEnum) {
    prefix = 0.0;  // a prefix of no known size: the unit is not converted
    for (const Prefix& p : kPrefixes) {
      if (prefixValue.view() == p.name) prefix = p.factor;
    }
  }
  const std::string_view name = model.value(unit, kSIName).view();
  if (name == "METRE") return 1000.0 * prefix;
  if (name == "SQUARE_METRE") return 1.0e6 * prefix * prefix;
  if (name == "CUBIC_METRE") return prefix * prefix * prefix;
  if (name == "GRAM") return 1.0e-3 * prefix;
  if (name == "RADIAN") return prefix;
  return 0.0;
}

// Follows a unit through its conversions down to an SI unit. Returns 0 for
// one that cannot be read.
double unitSize(const IfcModel& model, const IfcEntity* unit) {
  double size = 1.0;
  for (std::size_t steps = 0; unit != nullptr; ++steps) {
    if (steps > model.entityCount())
      model.failAt(*unit, "reference cycle: the unit is defined in terms of itself");
    if (unit->kind == IfcKind::kSIUnit) return size * siFactor(model, *unit);
    if (unit->kind != IfcKind::kConversionUnit) return 0.0;
    const IfcValue& factorRef = model.value(*unit, kConversionFactor);
    const IfcEntity* measure =
        factorRef.kind == IfcValue::kRef ? model.find(factorRef.ref) : nullptr;
    if (measure == nullptr || measure->kind != IfcKind::kMeasureWithUnit) return 0.0;
    const IfcValue& value = model.value(*measure, 0);
    const IfcValue& component = model.value(*measure, 1);
    if (value.kind != IfcValue::kNumber || component.kind != IfcValue::kRef) return 0.0;
    size *= value.number;
    unit = model.find(component.ref);
  }
  return 0.0;
}

}  // namespace

int IfcUnits::indexOf(IfcMeasure measure) {
  switch (measure) {
    case IfcMeasure::kLength:
      return 0;
    case IfcMeasure::kMass:
      return 1;
    case IfcMeasure::kArea:
      return 2;
    case IfcMeasure::kAngle:
      return 3;
    default:
      return -1;
  }
}

double IfcUnits::factor(IfcMeasure measure) const {
  const int k = indexOf(measure);
  return k < 0 ? 1.0 : factors_[k];
}

bool IfcUnits::assigned(IfcMeasure measure) const {
  const int k = indexOf(measure);
  return k < 0 || assigned_[k];
}

const char* IfcUnits::unitTypeName(IfcMeasure measure) {
  switch (measure) {
    case IfcMeasure::kLength: return "LENGTHUNIT";
    case IfcMeasure::kMass: return "MASSUNIT";
    case IfcMeasure::kArea: return "AREAUNIT";
    case IfcMeasure::kVolume: return "VOLUMEUNIT";
    case IfcMeasure::kAngle: return "PLANEANGLEUNIT";
    default: return "";
  }
}

std::string IfcUnits::unassignedNote(IfcMeasure measure) {
  const char* notes[4] = {
      "LENGTHUNIT (lengths read as metres)", "MASSUNIT (masses read as kilograms)",
      "AREAUNIT (areas read as square metres)", "PLANEANGLEUNIT (angles read as radians)"};
  const int k = indexOf(measure);
  return k < 0 ? std::string() : notes[k];
}

bool ifcUnitFactor(const IfcModel& model, std::uint64_t unitId, IfcMeasure measure,
                   double& factor) {
  const IfcEntity* unit = model.find(unitId);
  if (unit == nullptr) return false;
  if (measureOfUnitType(model.value(*unit, kUnitType).view()) != measure) return false;
  factor = unitSize(model, unit);
  return factor > 0.0 && std::isfinite(factor);
}

void IfcUnits::read(const IfcModel& model, std::vector<std::string>& notes) {
  const IfcEntity* assignment = model.unitAssignment();
  if (assignment == nullptr) return;
  for (std::uint64_t id : model.refsOf(model.value(*assignment, 0))) {
    const IfcEntity* unit = model.find(id);
    if (unit == nullptr) continue;
    const IfcMeasure measure = measureOfUnitType(model.value(*unit, kUnitType).view());
    const int k = indexOf(measure);
    if (k < 0) continue;
    if (assigned_[k]) {
      notes.push_back("the unit #" + std::to_string(id) + " at line " + std::to_string(unit->line) +
                      " is a second " + unitTypeName(measure) +
                      " of the project's units, not read; the first, #" +
                      std::to_string(assignedIds_[k]) + ", is used");
      continue;
    }
    double factor = 0.0;
    if (ifcUnitFactor(model, id, measure, factor)) {
      factors_[k] = factor;
      assigned_[k] = true;
      assignedIds_[k] = id;
    } else {
      notes.push_back("the unit #" + std::to_string(id) + " at line " + std::to_string(unit->line) +
                      " is not one this reader converts; its " + unassignedNote(measure));
    }
  }
}

}  // namespace bomreport
