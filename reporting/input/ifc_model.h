// IfcModel: what a parts list needs of an IFC model, read in one pass.
//
// The data section of an ISO 10303-21 file is read instance by instance
// (StepReader). Only the instances a parts list can reach are kept, and of
// each only the attributes it is read for: the elements the mapping turns into
// parts and the assemblies above them (the attributes the mapping names, their
// geometry), property sets and element quantities with the properties and
// quantities the mapping names, type objects, materials (single, lists,
// profile and layer sets with their usages), profile names, the body geometry
// down to extrusions (through boolean results and mapped items), and the
// units. The relationships (IfcRelAggregates, IfcRelNests,
// IfcRelDefinesByProperties, IfcRelDefinesByType, IfcRelAssociatesMaterial)
// are kept as pairs of instance numbers. Geometry points, faces, placements and
// everything else are passed over without being kept.
//
// References are resolved on demand (find); a reference to an instance the
// file does not have is counted (missingReferences) and treated as absent.
// Duplicate instance numbers are errors, found after the whole file is read
// with the lines of both definitions.
//
// Thread-safety: a model is read once, then only looked up; the lookups count
// missing references and are for one thread at a time.
#ifndef BOMREPORT_INPUT_IFC_MODEL_H_
#define BOMREPORT_INPUT_IFC_MODEL_H_

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "input/step_reader.h"

namespace bomreport {

class InputBytes;
enum class IfcRole : std::uint8_t;  // what an entity name is read for

// What a value measures, for its unit.
enum class IfcMeasure : std::uint8_t { kNone, kLength, kMass, kArea, kVolume, kAngle, kCount };

// The kinds of instances kept. The comment names the attributes kept, in the
// order of their slots (see IfcModel::value).
enum class IfcKind : std::uint8_t {
  kElement,              // a part or an assembly: the slots of IfcModelNeeds::elementAttributes
  kTypeObject,           // HasPropertySets, RepresentationMaps
  kPropertySet,          // Name, HasProperties
  kElementQuantity,      // Name, Quantities
  kProperty,             // IfcPropertySingleValue: Name, NominalValue, Unit
  kOtherProperty,        // another kind of property: Name
  kQuantity,             // IfcQuantityLength and its kin: Name, Unit, value
  kMaterial,             // Name
  kMaterialList,         // Materials
  kProfileSetUsage,      // ForProfileSet
  kProfileSet,           // MaterialProfiles
  kMaterialProfile,      // Material, Profile
  kLayerSetUsage,        // ForLayerSet
  kLayerSet,             // MaterialLayers
  kMaterialLayer,        // Material, LayerThickness
  kConstituentSet,       // nothing (not read: counted as skipped)
  kProfileDef,           // ProfileName
  kProductShape,         // Representations
  kShapeRepresentation,  // RepresentationIdentifier, Items
  kExtrusion,            // SweptArea, Depth
  kBooleanResult,        // FirstOperand
  kMappedItem,           // MappingSource
  kRepresentationMap,    // MappedRepresentation
  kUnitAssignment,       // Units
  kSIUnit,               // UnitType, Prefix, Name
  kConversionUnit,       // UnitType, Name, ConversionFactor
  kMeasureWithUnit,      // ValueComponent, UnitComponent
  kProject,              // UnitsInContext
};

// A kept attribute value.
struct IfcValue {
  enum Kind : std::uint8_t { kNone, kText, kEnum, kNumber, kRef, kRefs };
  Kind kind = kNone;
  IfcMeasure measure = IfcMeasure::kNone;  // of a typed value or a quantity
  bool integral = false;                   // kNumber written as an integer
  std::uint32_t size = 0;                  // kText, kEnum: bytes; kRefs: count
  union {
    const char* text;     // kText, kEnum (owned by the model)
    double number;        // kNumber
    std::uint64_t ref;    // kRef: instance number
    std::uint64_t first;  // kRefs: index of the first in IfcModel::refs
  };
  IfcValue() : number(0.0) {}
  std::string_view view() const { return std::string_view(text, size); }
};

// A kept instance.
struct IfcEntity {
  std::uint64_t id;
  std::uint32_t firstValue;  // index of its first slot in the model's values
  std::uint32_t line;        // where it stands (saturating at 2^32 - 1)
  std::uint32_t column;
  std::uint16_t keyword;  // index into IfcModel::keywords
  IfcKind kind;
  std::uint8_t valueCount;
};

// What the mapping needs kept.
struct IfcModelNeeds {
  // Entity names (upper case) read as parts, and IFCELEMENTASSEMBLY.
  std::unordered_set<std::string> elementKeywords;
  // The attribute positions kept of an element, ascending.
  std::vector<int> elementAttributes;
  // Property and quantity names any source names.
  std::unordered_set<std::string> propertyNames;
  std::unordered_set<std::string> quantityNames;
};

class IfcModel {
 public:
  // The positions of the element attributes a mapping may name.
  static constexpr int kGlobalId = 0, kName = 2, kDescription = 3, kObjectType = 4,
                       kRepresentation = 6, kTag = 7, kNominalDiameter = 8, kNominalLength = 9;

  // Reads the data section from `reader` (past its header). Pages of `input`
  // already read are given back to the system as the reading goes on, when
  // `input` is given. Throws InputError.
  void read(StepReader& reader, const IfcModelNeeds& needs, const InputBytes* input);

  // The kept instance `id`, or null (a missing one is counted).
  const IfcEntity* find(std::uint64_t id) const;
  // Slot `slot` of `entity` (an absent value when it has fewer).
  const IfcValue& value(const IfcEntity& entity, int slot) const;
  // The instance numbers a kRefs value holds (a kRef value: itself).
  std::vector<std::uint64_t> refsOf(const IfcValue& value) const;
  // The element slot of attribute position `attribute`, or -1 when not kept.
  int elementSlot(int attribute) const;
  const std::string& keyword(const IfcEntity& entity) const { return keywords_[entity.keyword]; }

  // The elements read as parts, in file order.
  const std::vector<std::uint64_t>& parts() const { return parts_; }
  // The object that `id` is aggregated or nested into, or 0.
  std::uint64_t parentOf(std::uint64_t id) const;
  // The property definitions, type objects and materials of `id`.
  std::vector<std::uint64_t> propertyDefinitionsOf(std::uint64_t id) const;
  std::uint64_t typeOf(std::uint64_t id) const;
  std::uint64_t materialOf(std::uint64_t id) const;
  // The project's unit assignment (else the first one), or null.
  const IfcEntity* unitAssignment() const;
  // How many parent links there are: a longer walk up is a cycle.
  std::size_t parentLinks() const { return parents_.size(); }
  std::size_t entityCount() const { return entities_.size(); }

  // Throws InputError "FILE:LINE:COL: reason" at `entity`.
  [[noreturn]] void failAt(const IfcEntity& entity, const std::string& reason) const;

  // References to instances the file does not have, and the first of them.
  long long missingReferences() const { return missing_; }
  std::uint64_t firstMissing() const { return firstMissing_; }
  // Instances of kept kinds that are complex (several entity names at once),
  // not read; and the first one's line.
  long long complexInstances() const { return complex_; }
  long long firstComplexLine() const { return firstComplexLine_; }

 private:
  using Pairs = std::vector<std::pair<std::uint64_t, std::uint64_t>>;
  struct Slots {
    IfcRole role;
    IfcKind kind;
    std::uint16_t keyword;  // index into keywords_ when kept
  };

  const Slots& slotsFor(std::string_view keyword);
  void keep(const StepInstanceHead& head, IfcKind kind, std::uint16_t keyword,
            const StepParameters& params);
  bool keepsNamed(IfcKind kind, const StepParameters& params) const;
  void notePairs(IfcRole role, const StepParameters& params);
  IfcValue storeValue(const StepParameters& params, std::size_t index, bool intern);
  const char* storeText(std::string_view text, bool intern);
  void noteId(std::uint64_t id);
  void finish(StepReader& reader);
  void checkDuplicates(StepReader& reader);
  bool exists(std::uint64_t id) const;

  const IfcModelNeeds* needs_ = nullptr;
  std::string fileName_;
  std::string_view text_;
  // Deques: they grow without copying what they hold.
  std::deque<IfcEntity> entities_;  // sorted by id once read
  bool sorted_ = true;
  std::deque<IfcValue> values_;
  std::deque<std::uint64_t> refs_;
  std::vector<std::uint64_t> parts_;
  std::vector<std::string> keywords_;
  // While reading: what each entity name seen is read for.
  std::deque<std::string> keywordTexts_;
  std::unordered_map<std::string_view, Slots> roles_;
  Pairs parents_, definitions_, types_, materials_;  // (object, related), sorted by object
  std::vector<std::pair<std::uint64_t, std::uint64_t>> idRuns_;  // every instance number, as runs
  std::uint64_t projectUnits_ = 0;
  std::uint64_t firstUnits_ = 0;
  // Texts of kept values, in blocks that never move.
  std::vector<std::unique_ptr<char[]>> textBlocks_;
  std::size_t blockUsed_ = 0, blockSize_ = 0;
  std::unordered_map<std::string_view, const char*> interned_;
  mutable long long missing_ = 0;
  mutable std::uint64_t firstMissing_ = 0;
  long long complex_ = 0;
  long long firstComplexLine_ = 0;
};

// The measure of a typed value's type name (IFCLENGTHMEASURE: kLength).
IfcMeasure measureOfType(std::string_view typeName);

}  // namespace bomreport

#endif  // BOMREPORT_INPUT_IFC_MODEL_H_
