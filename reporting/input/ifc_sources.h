// IfcSourceReader: the value a mapping source gives for one element of an
// IfcModel (see IfcMapping for the sources), in internal units.
//
// Properties and quantities are looked for in the element's property
// definitions (IfcRelDefinesByProperties) first, then in its type object's
// (HasPropertySets, and the type's own IfcRelDefinesByProperties). The body is
// the element's shape representations, "Body" first, else its type's
// representation maps, searched through boolean results and mapped items for
// the first IfcExtrudedAreaSolid. The assembly is the outermost
// IfcElementAssembly above the element through IfcRelAggregates and
// IfcRelNests.
//
// Thread-safety: one reader per thread; it counts what it skips.
#ifndef BOMREPORT_INPUT_IFC_SOURCES_H_
#define BOMREPORT_INPUT_IFC_SOURCES_H_

#include <map>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "input/ifc_mapping.h"
#include "input/ifc_model.h"
#include "input/ifc_units.h"

namespace bomreport {

// A value found: a text, or a number in internal units.
struct IfcResult {
  bool found = false;
  bool isNumber = false;
  bool integral = false;  // a number written as an integer
  double number = 0.0;
  std::string text;
};

class IfcSourceReader {
 public:
  // What one element's sources share, found once per element.
  class Element {
   public:
    explicit Element(const IfcEntity& entity) : entity_(entity) {}

   private:
    friend class IfcSourceReader;
    const IfcEntity& entity_;
    bool assemblyKnown_ = false;
    const IfcEntity* assembly_ = nullptr;
  };

  // Both must outlive the reader.
  IfcSourceReader(const IfcModel& model, const IfcUnits& units) : model_(model), units_(units) {}

  // The value `source` gives for `element`. Throws InputError for a reference
  // cycle.
  IfcResult read(const IfcSource& source, Element& element);

  // What was not read: "what" (an entity name and why) with how many times and
  // the line of the first.
  const std::map<std::string, std::pair<long long, long long>>& skipped() const { return skipped_; }
  // Measures read without a unit of the model's (see IfcUnits::assigned).
  const std::map<IfcMeasure, long long>& unassigned() const { return unassigned_; }
  // Values whose own unit is not one of their measure that this reader
  // converts (read in the model's unit instead), by measure: how many, and the
  // first such unit.
  struct ForeignUnits {
    long long values = 0;
    std::uint64_t firstUnit = 0;
  };
  const std::map<IfcMeasure, ForeignUnits>& foreignUnits() const { return foreignUnits_; }

 private:
  IfcResult readOn(const IfcSource& source, const IfcEntity& entity);
  IfcResult attribute(const IfcEntity& entity, int position);
  IfcResult fromSets(const IfcEntity& entity, const IfcSource& source);
  IfcResult fromSet(const IfcEntity& set, const IfcSource& source);
  IfcResult material(const IfcEntity& entity);
  IfcResult profile(const IfcEntity& entity);
  IfcResult layers(const IfcEntity& entity);
  const IfcEntity* extrusion(const IfcEntity& entity);
  const IfcEntity* searchExtrusion(const IfcEntity& entity, std::vector<std::uint64_t> stack);
  const IfcEntity* materialOf(const IfcEntity& entity);
  const IfcEntity* outermostAssembly(const IfcEntity& entity);
  const IfcEntity* typeObject(const IfcEntity& entity);
  IfcResult valueOf(const IfcValue& value, std::uint64_t unit);
  std::string nameOf(const IfcEntity* entity, int slot) const;
  void skip(const IfcEntity& entity, const std::string& why);

  const IfcModel& model_;
  const IfcUnits& units_;
  std::map<std::string, std::pair<long long, long long>> skipped_;
  std::map<IfcMeasure, long long> unassigned_;
  std::map<IfcMeasure, ForeignUnits> foreignUnits_;
  // The outermost assembly above each object walked (null: none).
  std::unordered_map<std::uint64_t, const IfcEntity*> outermost_;
  // The body extrusion of each shape (or type) searched.
  std::unordered_map<std::uint64_t, const IfcEntity*> extrusions_;
};

}  // namespace bomreport

#endif  // BOMREPORT_INPUT_IFC_SOURCES_H_
