#include "input/ifc_mapping.h"

#include <algorithm>
#include <set>
#include <vector>

#include "input/ifc_model.h"
#include "input/input_bytes.h"
#include "input/json_frames.h"
#include "text/text_util.h"

namespace bomreport {
namespace {

// The built-in mapping, read as a mapping file is.
const char kDefaultMapping[] = R"({
  "handle": ["attribute:GlobalId"],
  "tokens": {
    "%ElementID": ["attribute:Tag"],
    "%PNum": ["property:*.PartMark", "property:*.Part mark", "attribute:Tag"],
    "%Name": ["profile"],
    "%Material": ["material"],
    "%Length": ["quantity:*.Length", "depth"],
    "%Weight": ["quantity:*.NetWeight", "quantity:*.GrossWeight"],
    "%Paint": ["quantity:*.OuterSurfaceArea"],
    "%Quantity": ["quantity:*.Count", "value:1"],
    "%Phase": ["property:*.Phase"],
    "%Class": ["property:*.Class"],
    "%Coating": ["property:*.Coating"],
    "%Standard": ["property:*.Standard"],
    "Grid": ["property:*.Grid"],
    "%MNum": ["assembly:property:*.AssemblyMark", "assembly:property:*.Assembly mark",
              "assembly:attribute:Tag"],
    "%MName": ["assembly:attribute:Name"],
    "Assembly": ["assembly:attribute:GlobalId"]
  },
  "entities": {
    "IfcBeam": {"type": 1},
    "IfcBeamStandardCase": {"type": 1},
    "IfcColumn": {"type": 2},
    "IfcColumnStandardCase": {"type": 2},
    "IfcPlate": {"type": 3, "tokens": {"%Length": ["quantity:*.Length"],
      "%Width": ["quantity:*.Width"], "%Thick": ["layers", "depth"]}},
    "IfcPlateStandardCase": {"type": 3, "tokens": {"%Length": ["quantity:*.Length"],
      "%Width": ["quantity:*.Width"], "%Thick": ["layers", "depth"]}},
    "IfcMechanicalFastener": {"type": 4, "tokens": {"%Name": ["attribute:Name"],
      "%Length": ["attribute:NominalLength", "quantity:*.Length"],
      "%Diameter": ["attribute:NominalDiameter"]}},
    "IfcMember": {"type": 5},
    "IfcMemberStandardCase": {"type": 5},
    "IfcFastener": {"type": 6, "tokens": {"%Name": ["attribute:Name"],
      "%Length": ["quantity:*.Length"]}},
    "IfcDiscreteAccessory": {"type": 7, "tokens": {"%Name": ["profile", "attribute:Name"]}}
  }
})";

// IFC element entities a mapping may name without a warning.
const char* const kKnownEntities[] = {"IfcBeam",
                                      "IfcBeamStandardCase",
                                      "IfcColumn",
                                      "IfcColumnStandardCase",
                                      "IfcMember",
                                      "IfcMemberStandardCase",
                                      "IfcPlate",
                                      "IfcPlateStandardCase",
                                      "IfcMechanicalFastener",
                                      "IfcFastener",
                                      "IfcDiscreteAccessory",
                                      "IfcBuildingElementProxy",
                                      "IfcBuildingElementPart",
                                      "IfcElementComponent",
                                      "IfcFooting",
                                      "IfcPile",
                                      "IfcSlab",
                                      "IfcSlabStandardCase",
                                      "IfcWall",
                                      "IfcWallStandardCase",
                                      "IfcRailing",
                                      "IfcStair",
                                      "IfcStairFlight",
                                      "IfcRamp",
                                      "IfcRampFlight",
                                      "IfcRoof",
                                      "IfcCovering",
                                      "IfcCurtainWall",
                                      "IfcDoor",
                                      "IfcWindow",
                                      "IfcChimney",
                                      "IfcShadingDevice",
                                      "IfcReinforcingBar",
                                      "IfcReinforcingMesh",
                                      "IfcTendon",
                                      "IfcTendonAnchor",
                                      "IfcBearing",
                                      "IfcCourse",
                                      "IfcDeepFoundation",
                                      "IfcCaissonFoundation",
                                      "IfcFurnishingElement",
                                      "IfcVirtualElement",
                                      "IfcTransportElement",
                                      "IfcFlowSegment",
                                      "IfcFlowFitting",
                                      "IfcKerb",
                                      "IfcRail",
                                      "IfcTrackElement",
                                      "IfcSign",
                                      "IfcMooringDevice",
                                      "IfcVibrationIsolator",
                                      "IfcVibrationDamper",
                                      "IfcImpactProtectionDevice",
                                      "IfcSurfaceFeature",
                                      "IfcElementAssembly"};

struct AttributeName {
  const char* name;
  int position;
};
const AttributeName kAttributes[] = {{"GlobalId", IfcModel::kGlobalId},
                                     {"Name", IfcModel::kName},
                                     {"Description", IfcModel::kDescription},
                                     {"ObjectType", IfcModel::kObjectType},
                                     {"Tag", IfcModel::kTag},
                                     {"NominalDiameter", IfcModel::kNominalDiameter},
                                     {"NominalLength", IfcModel::kNominalLength}};

std::string upperCase(std::string text) {
  for (char& c : text) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
  return text;
}

bool startsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

std::string parseSetAndName(std::string_view rest, IfcSource& source, const char* what) {
  const std::size_t dot = rest.find('.');
  if (dot == std::string_view::npos || dot == 0 || dot + 1 == rest.size()) {
    return std::string(what) + " must be SET.NAME (SET may be *)";
  }
  source.set = std::string(rest.substr(0, dot));
  source.name = std::string(rest.substr(dot + 1));
  return std::string();
}

enum class Frame { kTop, kSources, kTokens, kEntities, kEntity, kEntityTokens };
// kName: a token or an entity, named by the key (name_).
enum class Key { kNone, kHandle, kTokens, kEntities, kType, kName };

class MappingReader : public JsonFrameReader<Frame, Key> {
 public:
  MappingReader(const std::string& name, std::string_view text, IfcMapping& mapping)
      : JsonFrameReader(name, text), mapping_(mapping) {}

 protected:
  bool onStartObject() override {
    if (!inside()) return push(Frame::kTop);
    if (at(Frame::kTop, Key::kTokens)) {
      tokenNames_.clear();
      return push(Frame::kTokens);
    }
    if (at(Frame::kTop, Key::kEntities)) {
      entityNames_.clear();
      return push(Frame::kEntities);
    }
    if (at(Frame::kEntities, Key::kName)) {
      entity_ = &entityNamed(name_);
      return push(Frame::kEntity);
    }
    if (at(Frame::kEntity, Key::kTokens)) {
      tokenNames_.clear();
      return push(Frame::kEntityTokens);
    }
    return unexpected("object");
  }

  bool onStartArray() override {
    if (at(Frame::kTop, Key::kHandle)) {
      target_ = &mapping_.handle;
    } else if (at(Frame::kTokens, Key::kName)) {
      target_ = &tokenNamed(mapping_.tokens, name_);
    } else if (at(Frame::kEntityTokens, Key::kName)) {
      target_ = &tokenNamed(entity_->tokens, name_);
    } else {
      return unexpected("array");
    }
    target_->clear();
    return push(Frame::kSources);
  }

  bool onEndObject() override {
    if (top().frame == Frame::kEntity && entity_->type == 0 && !given(Key::kType)) {
      return fail("the entity " + entity_->name + " needs a \"type\" (its object type)");
    }
    pop();
    return true;
  }
  bool onEndArray() override {
    pop();
    return true;
  }

  bool onKey(const std::string& key) override {
    switch (top().frame) {
      case Frame::kTop:
        if (key == "handle") return takeKey(Key::kHandle, key);
        if (key == "tokens") return takeKey(Key::kTokens, key);
        if (key == "entities") return takeKey(Key::kEntities, key);
        return unknownKey(key, " (keys: handle, tokens, entities)");
      case Frame::kEntity:
        if (key == "type") return takeKey(Key::kType, key);
        if (key == "tokens") return takeKey(Key::kTokens, key);
        return unknownKey(key, " of an entity (keys: type, tokens)");
      case Frame::kEntities:
        if (!checkEntityName(key)) return false;
        if (!entityNames_.insert(key).second) return fail(quoteForMessage(key) + " twice");
        break;
      default:
        if (key.empty()) return fail("empty token name");
        if (key[0] == '#') {
          return fail(quoteForMessage(key) +
                      " is no token: a part's handle, type and equal parts are its own keys "
                      "(the handle's sources are the mapping's \"handle\")");
        }
        if (!tokenNames_.insert(key).second) return fail(quoteForMessage(key) + " twice");
        break;
    }
    name_ = key;
    top().key = Key::kName;
    return true;
  }

  bool onString(const std::string& value) override {
    if (!at(Frame::kSources)) return unexpected("string");
    IfcSource source;
    const std::string reason = parseIfcSource(value, source);
    if (!reason.empty()) return fail(quoteForMessage(value) + ": " + reason);
    const bool fastener = frameAt(1, Frame::kTop) == Frame::kEntityTokens &&
                          entity_->keyword == "IFCMECHANICALFASTENER";
    if (source.attribute >= IfcModel::kNominalDiameter && (!fastener || source.onAssembly)) {
      return fail(quoteForMessage(value) +
                  ": an attribute of IfcMechanicalFastener only "
                  "(name it in that entity's tokens)");
    }
    target_->push_back(std::move(source));
    return true;
  }

  bool onNumber(const JsonNumber& number) override {
    if (!at(Frame::kEntity, Key::kType)) return unexpected("number");
    if (!number.fitsInt32) return fail("an object type must be a 32-bit integer");
    entity_->type = number.int32;
    return valueRead();
  }

  bool onNull() override {
    if (!at(Frame::kEntities, Key::kName)) return unexpected("null");
    const std::string keyword = upperCase(name_);
    auto& entities = mapping_.entities;
    entities.erase(std::remove_if(entities.begin(), entities.end(),
                                  [&](const IfcEntityMapping& e) { return e.keyword == keyword; }),
                   entities.end());
    return valueRead();
  }

  std::string expectation() const override {
    if (!inside()) return "a mapping object";
    switch (top().frame) {
      case Frame::kSources:
        return "a source string";
      case Frame::kTokens:
      case Frame::kEntityTokens:
        return "a list of sources";
      case Frame::kEntities:
        return "an entity object or null";
      case Frame::kEntity:
        return top().key == Key::kType ? "an object type (integer)" : "an object of tokens";
      case Frame::kTop:
        return top().key == Key::kHandle ? "a list of sources" : "an object";
    }
    return std::string();
  }

 private:
  bool checkEntityName(const std::string& name) {
    const std::string keyword = upperCase(name);
    if (keyword == "IFCELEMENTASSEMBLY") {
      return fail(
          "IfcElementAssembly is not a part: its parts carry its mark and name "
          "(\"assembly:\" sources)");
    }
    const auto known = std::find_if(std::begin(kKnownEntities), std::end(kKnownEntities),
                                    [&](const char* k) { return upperCase(k) == keyword; });
    if (known == std::end(kKnownEntities)) {
      mapping_.warnings.push_back(fileName() + ": the mapping names " + quoteForMessage(name) +
                                  ", no IFC element entity this reader knows; its parts are "
                                  "read if the model has any");
    }
    return true;
  }

  IfcEntityMapping& entityNamed(const std::string& name) {
    const std::string keyword = upperCase(name);
    for (IfcEntityMapping& entity : mapping_.entities) {
      if (entity.keyword == keyword) return entity;
    }
    mapping_.entities.push_back(IfcEntityMapping{name, keyword, 0, {}});
    return mapping_.entities.back();
  }

  static IfcSources& tokenNamed(std::vector<IfcTokenMapping>& tokens, const std::string& token) {
    for (IfcTokenMapping& mapping : tokens) {
      if (mapping.token == token) return mapping.sources;
    }
    tokens.push_back(IfcTokenMapping{token, {}});
    return tokens.back().sources;
  }

  IfcMapping& mapping_;
  std::string name_;  // the token or entity named by the last key
  std::set<std::string> tokenNames_;   // of the tokens object being read
  std::set<std::string> entityNames_;  // of the entities object
  IfcEntityMapping* entity_ = nullptr;
  IfcSources* target_ = nullptr;
};

}  // namespace

std::string parseIfcSource(std::string_view text, IfcSource& source) {
  source = IfcSource();
  source.text = std::string(text);
  if (startsWith(text, "assembly:")) {
    source.onAssembly = true;
    text.remove_prefix(9);
  }
  if (startsWith(text, "attribute:")) {
    source.kind = IfcSourceKind::kAttribute;
    const std::string_view name = text.substr(10);
    for (const AttributeName& attribute : kAttributes) {
      if (name == attribute.name) source.attribute = attribute.position;
    }
    if (source.attribute < 0) {
      return "unknown attribute (GlobalId, Name, Description, ObjectType, Tag, NominalDiameter, "
             "NominalLength)";
    }
    return std::string();
  }
  if (startsWith(text, "property:")) {
    source.kind = IfcSourceKind::kProperty;
    return parseSetAndName(text.substr(9), source, "a property");
  }
  if (startsWith(text, "quantity:")) {
    source.kind = IfcSourceKind::kQuantity;
    return parseSetAndName(text.substr(9), source, "a quantity");
  }
  if (startsWith(text, "value:") && !source.onAssembly) {
    source.kind = IfcSourceKind::kValue;
    source.name = std::string(text.substr(6));
    return std::string();
  }
  const std::pair<const char*, IfcSourceKind> words[] = {{"material", IfcSourceKind::kMaterial},
                                                         {"profile", IfcSourceKind::kProfile},
                                                         {"depth", IfcSourceKind::kDepth},
                                                         {"layers", IfcSourceKind::kLayers}};
  for (const auto& word : words) {
    if (text == word.first) {
      source.kind = word.second;
      return std::string();
    }
  }
  return "not a source (attribute:NAME, property:SET.NAME, quantity:SET.NAME, material, "
         "profile, depth, layers or value:TEXT, each optionally after assembly:)";
}

IfcMapping IfcMapping::defaults() {
  IfcMapping mapping;
  mapping.readText("built-in IFC mapping", kDefaultMapping);
  return mapping;
}

void IfcMapping::readText(const std::string& name, std::string_view text) {
  MappingReader reader(name, text, *this);
  reader.run();
}

void IfcMapping::readFile(const std::string& path) {
  const InputBytes input(path);
  readText(input.name(), input.text());
}

std::vector<IfcTokenMapping> IfcMapping::tokensOf(const IfcEntityMapping& entity) const {
  std::vector<IfcTokenMapping> out = tokens;
  for (const IfcTokenMapping& own : entity.tokens) {
    const auto same = std::find_if(out.begin(), out.end(),
                                   [&](const IfcTokenMapping& t) { return t.token == own.token; });
    if (same != out.end()) {
      same->sources = own.sources;
    } else {
      out.push_back(own);
    }
  }
  out.erase(std::remove_if(out.begin(), out.end(),
                           [](const IfcTokenMapping& t) { return t.sources.empty(); }),
            out.end());
  return out;
}

}  // namespace bomreport
