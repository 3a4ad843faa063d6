// IfcMapping: which IFC elements become parts, with which object type, and
// where each token's value comes from.
//
// A mapping file is JSON; every member is optional:
//   {
//     "handle":   [SOURCE, ...],
//     "tokens":   {"%PNum": [SOURCE, ...], ...},
//     "entities": {"IfcPlate": {"type": 3, "tokens": {"%Thick": [SOURCE, ...]}},
//                  "IfcBuildingElementProxy": {"type": 8},
//                  "IfcDiscreteAccessory": null}
//   }
// It is read over the default mapping (IfcMapping::defaults): a token's list
// replaces the one before it, an empty list takes the token away; an entity's
// "type" and tokens replace its own, null takes the entity away. An entity's
// tokens stand over the general ones for its parts.
//
// A SOURCE is a string, tried in order until one gives a value:
//   attribute:NAME      GlobalId, Name, Description, ObjectType, Tag; for
//                       IfcMechanicalFastener also NominalDiameter, NominalLength
//   property:SET.NAME   a property of the set (SET "*": of any set), of the
//                       element, else of its type object
//   quantity:SET.NAME   a quantity of the element quantity set, likewise
//   material            the material's name (material, list, profile or layer set)
//   profile             the profile's name: the material profile's, else the
//                       body extrusion's
//   depth               the body extrusion's depth
//   layers              the total thickness of the material layer set
//   value:TEXT          the text (an integer or number when it reads as one)
// and "assembly:" before any of them reads it from the outermost assembly the
// element belongs to (through IfcRelAggregates and IfcRelNests).
#ifndef BOMREPORT_INPUT_IFC_MAPPING_H_
#define BOMREPORT_INPUT_IFC_MAPPING_H_

#include <string>
#include <string_view>
#include <vector>

namespace bomreport {

enum class IfcSourceKind {
  kAttribute,
  kProperty,
  kQuantity,
  kMaterial,
  kProfile,
  kDepth,
  kLayers,
  kValue
};

struct IfcSource {
  IfcSourceKind kind = IfcSourceKind::kValue;
  bool onAssembly = false;
  int attribute = -1;  // kAttribute: its position in the entity
  std::string set;     // kProperty, kQuantity: the set's name, "*" for any
  std::string name;    // kProperty, kQuantity: the name; kValue: the text
  std::string text;    // as written, for messages
};
using IfcSources = std::vector<IfcSource>;

struct IfcTokenMapping {
  std::string token;
  IfcSources sources;  // empty: the token is taken away
};

struct IfcEntityMapping {
  std::string name;     // as the mapping writes it ("IfcBeam")
  std::string keyword;  // as a file writes it ("IFCBEAM")
  int type = 0;         // the object type of its parts
  std::vector<IfcTokenMapping> tokens;
};

struct IfcMapping {
  IfcSources handle;
  std::vector<IfcTokenMapping> tokens;
  std::vector<IfcEntityMapping> entities;
  // What the mapping files said that is suspect (an entity name this reader
  // does not know), for the report's warnings.
  std::vector<std::string> warnings;

  // The built-in mapping (tools/bomreport/README.md lists it).
  static IfcMapping defaults();
  // Reads the mapping file `path` over this mapping. Throws InputError
  // "PATH:LINE:COL: reason".
  void readFile(const std::string& path);
  // Reads mapping text over this mapping; `name` names it in messages.
  void readText(const std::string& name, std::string_view text);
  // An entity's tokens: the general ones with its own over them, without the
  // tokens taken away.
  std::vector<IfcTokenMapping> tokensOf(const IfcEntityMapping& entity) const;
};

// Reads a source as written. Returns an empty string, or the reason it is not
// one.
std::string parseIfcSource(std::string_view text, IfcSource& source);

}  // namespace bomreport

#endif  // BOMREPORT_INPUT_IFC_MAPPING_H_
