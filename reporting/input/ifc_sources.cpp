#include "input/ifc_sources.h"

#include <algorithm>
#include <vector>

#include "text/text_util.h"

namespace bomreport {
namespace {

bool isAssembly(const IfcModel& model, const IfcEntity* entity) {
  return entity != nullptr && entity->kind == IfcKind::kElement &&
         model.keyword(*entity) == "IFCELEMENTASSEMBLY";
}

IfcResult textResult(std::string_view text) {
  IfcResult result;
  result.found = true;
  result.text = std::string(text);
  return result;
}

IfcResult numberResult(double number, bool integral) {
  IfcResult result;
  result.found = true;
  result.isNumber = true;
  result.integral = integral;
  result.number = number;
  return result;
}

// The value of a "value:" source: a number when it reads as one.
IfcResult constant(const std::string& text) {
  int integer = 0;
  double real = 0.0;
  if (parseInt32(text, integer)) return numberResult(integer, true);
  if (parseReal(text, real)) return numberResult(real, false);
  return textResult(text);
}

// Names joined with " / ", each once, in order.
void addName(std::vector<std::string>& names, std::string name) {
  if (!name.empty() && std::find(names.begin(), names.end(), name) == names.end()) {
    names.push_back(std::move(name));
  }
}

IfcResult joined(const std::vector<std::string>& names) {
  if (names.empty()) return IfcResult();
  std::string text = names[0];
  for (std::size_t k = 1; k < names.size(); ++k) text += " / " + names[k];
  return textResult(text);
}

}  // namespace

void IfcSourceReader::skip(const IfcEntity& entity, const std::string& why) {
  auto& entry = skipped_[why];
  if (entry.first++ == 0) entry.second = entity.line;
}

std::string IfcSourceReader::nameOf(const IfcEntity* entity, int slot) const {
  if (entity == nullptr) return std::string();
  const IfcValue& value = model_.value(*entity, slot);
  return value.kind == IfcValue::kText ? std::string(value.view()) : std::string();
}

IfcResult IfcSourceReader::valueOf(const IfcValue& value, std::uint64_t unit) {
  if (value.kind == IfcValue::kText || value.kind == IfcValue::kEnum)
    return textResult(value.view());
  if (value.kind != IfcValue::kNumber) return IfcResult();
  double factor = 1.0;
  const bool own = unit != 0 && ifcUnitFactor(model_, unit, value.measure, factor);
  if (unit != 0 && !own && IfcUnits::unitTypeName(value.measure)[0] != '\0') {
    ForeignUnits& foreign = foreignUnits_[value.measure];
    if (foreign.values++ == 0) foreign.firstUnit = unit;
  }
  if (!own) {
    factor = units_.factor(value.measure);
    if (!units_.assigned(value.measure)) ++unassigned_[value.measure];
  }
  const bool scaled = factor != 1.0;
  return numberResult(value.number * factor, value.integral && !scaled);
}

IfcResult IfcSourceReader::attribute(const IfcEntity& entity, int position) {
  const bool nominal = position >= IfcModel::kNominalDiameter;
  if (nominal && model_.keyword(entity) != "IFCMECHANICALFASTENER") return IfcResult();
  IfcValue value = model_.value(entity, model_.elementSlot(position));
  if (nominal) value.measure = IfcMeasure::kLength;
  return valueOf(value, 0);
}

const IfcEntity* IfcSourceReader::typeObject(const IfcEntity& entity) {
  const IfcEntity* type = model_.find(model_.typeOf(entity.id));
  return type != nullptr && type->kind == IfcKind::kTypeObject ? type : nullptr;
}

IfcResult IfcSourceReader::fromSet(const IfcEntity& set, const IfcSource& source) {
  const bool quantities = source.kind == IfcSourceKind::kQuantity;
  if (set.kind != (quantities ? IfcKind::kElementQuantity : IfcKind::kPropertySet)) {
    return IfcResult();
  }
  if (source.set != "*" && nameOf(&set, 0) != source.set) return IfcResult();
  for (std::uint64_t id : model_.refsOf(model_.value(set, 1))) {
    const IfcEntity* item = model_.find(id);
    if (item == nullptr || nameOf(item, 0) != source.name) continue;
    if (item->kind == IfcKind::kOtherProperty) {
      skip(*item, "a property other than IfcPropertySingleValue (" + source.name + ")");
    } else if (item->kind == IfcKind::kQuantity && quantities) {
      const IfcValue& unit = model_.value(*item, 1);
      IfcResult result =
          valueOf(model_.value(*item, 2), unit.kind == IfcValue::kRef ? unit.ref : 0);
      if (result.found) return result;
    } else if (item->kind == IfcKind::kProperty && !quantities) {
      const IfcValue& unit = model_.value(*item, 2);
      IfcResult result =
          valueOf(model_.value(*item, 1), unit.kind == IfcValue::kRef ? unit.ref : 0);
      if (result.found) return result;
    }
  }
  return IfcResult();
}

IfcResult IfcSourceReader::fromSets(const IfcEntity& entity, const IfcSource& source) {
  std::vector<std::uint64_t> sets = model_.propertyDefinitionsOf(entity.id);
  const IfcEntity* type = typeObject(entity);
  if (type != nullptr) {
    for (std::uint64_t id : model_.refsOf(model_.value(*type, 0))) sets.push_back(id);
    for (std::uint64_t id : model_.propertyDefinitionsOf(type->id)) sets.push_back(id);
  }
  for (std::uint64_t id : sets) {
    const IfcEntity* set = model_.find(id);
    if (set == nullptr) continue;
    IfcResult result = fromSet(*set, source);
    if (result.found) return result;
  }
  return IfcResult();
}

const IfcEntity* IfcSourceReader::materialOf(const IfcEntity& entity) {
  const IfcEntity* material = model_.find(model_.materialOf(entity.id));
  if (material != nullptr) return material;
  const IfcEntity* type = typeObject(entity);
  return type != nullptr ? model_.find(model_.materialOf(type->id)) : nullptr;
}

IfcResult IfcSourceReader::material(const IfcEntity& entity) {
  const IfcEntity* select = materialOf(entity);
  if (select == nullptr) return IfcResult();
  std::vector<std::string> names;
  if (select->kind == IfcKind::kProfileSetUsage || select->kind == IfcKind::kLayerSetUsage) {
    const IfcValue& set = model_.value(*select, 0);
    select = set.kind == IfcValue::kRef ? model_.find(set.ref) : nullptr;
    if (select == nullptr) return IfcResult();
  }
  switch (select->kind) {
    case IfcKind::kMaterial:
      addName(names, nameOf(select, 0));
      break;
    case IfcKind::kMaterialList:
      for (std::uint64_t id : model_.refsOf(model_.value(*select, 0))) {
        addName(names, nameOf(model_.find(id), 0));
      }
      break;
    case IfcKind::kProfileSet:
    case IfcKind::kLayerSet:
      for (std::uint64_t id : model_.refsOf(model_.value(*select, 0))) {
        const IfcEntity* item = model_.find(id);
        const IfcValue& material = item != nullptr ? model_.value(*item, 0) : IfcValue();
        if (material.kind == IfcValue::kRef) addName(names, nameOf(model_.find(material.ref), 0));
      }
      break;
    case IfcKind::kConstituentSet:
      skip(*select, "IfcMaterialConstituentSet (a material)");
      break;
    default:
      break;
  }
  return joined(names);
}

IfcResult IfcSourceReader::layers(const IfcEntity& entity) {
  const IfcEntity* usage = materialOf(entity);
  const IfcEntity* set = usage;
  if (usage != nullptr && usage->kind == IfcKind::kLayerSetUsage) {
    const IfcValue& ref = model_.value(*usage, 0);
    set = ref.kind == IfcValue::kRef ? model_.find(ref.ref) : nullptr;
  }
  if (set == nullptr || set->kind != IfcKind::kLayerSet) return IfcResult();
  double total = 0.0;
  bool any = false;
  for (std::uint64_t id : model_.refsOf(model_.value(*set, 0))) {
    const IfcEntity* layer = model_.find(id);
    if (layer == nullptr || model_.value(*layer, 1).kind != IfcValue::kNumber) continue;
    total += model_.value(*layer, 1).number;
    any = true;
  }
  if (!any) return IfcResult();
  IfcValue value;
  value.kind = IfcValue::kNumber;
  value.measure = IfcMeasure::kLength;
  value.number = total;
  return valueOf(value, 0);
}

// The first extrusion of the body, walked with an explicit stack; a walk that
// visits more items than the model holds has met a cycle. Found once per shape
// (or type object) that parts share.
const IfcEntity* IfcSourceReader::extrusion(const IfcEntity& entity) {
  std::vector<std::uint64_t> representations;
  const IfcValue& body = model_.value(entity, model_.elementSlot(IfcModel::kRepresentation));
  const IfcEntity* shape = body.kind == IfcValue::kRef ? model_.find(body.ref) : nullptr;
  const IfcEntity* type = shape == nullptr ? typeObject(entity) : nullptr;
  const std::uint64_t key = shape != nullptr ? shape->id : type != nullptr ? type->id : 0;
  const auto known = extrusions_.find(key);
  if (key == 0 || known != extrusions_.end()) return key == 0 ? nullptr : known->second;
  if (shape != nullptr && shape->kind == IfcKind::kProductShape) {
    representations = model_.refsOf(model_.value(*shape, 0));
  } else if (type != nullptr) {
    for (std::uint64_t id : model_.refsOf(model_.value(*type, 1))) {
      const IfcEntity* map = model_.find(id);
      if (map != nullptr && model_.value(*map, 0).kind == IfcValue::kRef) {
        representations.push_back(model_.value(*map, 0).ref);
      }
    }
  }
  // "Body" last on the stack, so that it is searched first.
  std::stable_partition(representations.begin(), representations.end(),
                        [&](std::uint64_t id) { return nameOf(model_.find(id), 0) != "Body"; });
  return extrusions_[key] = searchExtrusion(entity, std::move(representations));
}

const IfcEntity* IfcSourceReader::searchExtrusion(const IfcEntity& entity,
                                                  std::vector<std::uint64_t> stack) {
  for (std::size_t visits = 0; !stack.empty(); ++visits) {
    if (visits > model_.entityCount()) {
      model_.failAt(entity, "reference cycle in the geometry of this element");
    }
    const IfcEntity* item = model_.find(stack.back());
    stack.pop_back();
    if (item == nullptr) continue;
    switch (item->kind) {
      case IfcKind::kExtrusion:
        return item;
      case IfcKind::kShapeRepresentation: {
        std::vector<std::uint64_t> items = model_.refsOf(model_.value(*item, 1));
        stack.insert(stack.end(), items.rbegin(), items.rend());
        break;
      }
      case IfcKind::kBooleanResult:
      case IfcKind::kMappedItem:
      case IfcKind::kRepresentationMap:
        if (model_.value(*item, 0).kind == IfcValue::kRef) {
          stack.push_back(model_.value(*item, 0).ref);
        }
        break;
      default:
        break;
    }
  }
  return nullptr;
}

IfcResult IfcSourceReader::profile(const IfcEntity& entity) {
  const IfcEntity* select = materialOf(entity);
  if (select != nullptr && select->kind == IfcKind::kProfileSetUsage) {
    const IfcValue& set = model_.value(*select, 0);
    select = set.kind == IfcValue::kRef ? model_.find(set.ref) : nullptr;
  }
  if (select != nullptr && select->kind == IfcKind::kProfileSet) {
    std::vector<std::string> names;
    for (std::uint64_t id : model_.refsOf(model_.value(*select, 0))) {
      const IfcEntity* item = model_.find(id);
      const IfcValue& profile = item != nullptr ? model_.value(*item, 1) : IfcValue();
      if (profile.kind == IfcValue::kRef) addName(names, nameOf(model_.find(profile.ref), 0));
    }
    if (!names.empty()) return joined(names);
  }
  const IfcEntity* solid = extrusion(entity);
  if (solid == nullptr || model_.value(*solid, 0).kind != IfcValue::kRef) return IfcResult();
  const std::string name = nameOf(model_.find(model_.value(*solid, 0).ref), 0);
  return name.empty() ? IfcResult() : textResult(name);
}

// The outermost assembly above `entity`. What is found is kept for every
// object on the way up, so that parts below one long chain walk it once; a
// way up longer than there are links is a cycle.
const IfcEntity* IfcSourceReader::outermostAssembly(const IfcEntity& entity) {
  std::vector<std::uint64_t> path;
  const IfcEntity* above = nullptr;  // the outermost assembly above path.back()
  for (std::uint64_t at = entity.id;;) {
    const auto known = outermost_.find(at);
    if (known != outermost_.end() && !path.empty()) {
      above = known->second;
      const IfcEntity* parent = model_.find(at);
      if (above == nullptr && isAssembly(model_, parent)) above = parent;
      break;
    }
    if (known != outermost_.end()) return known->second;
    path.push_back(at);
    if (path.size() > model_.parentLinks() + 1) {
      model_.failAt(entity, "reference cycle: this element is aggregated into itself");
    }
    at = model_.parentOf(at);
    if (at == 0) break;
  }
  for (std::size_t k = path.size(); k-- > 0;) {
    outermost_[path[k]] = above;
    const IfcEntity* here = model_.find(path[k]);
    if (above == nullptr && isAssembly(model_, here)) above = here;
  }
  return outermost_[entity.id];
}

IfcResult IfcSourceReader::readOn(const IfcSource& source, const IfcEntity& entity) {
  switch (source.kind) {
    case IfcSourceKind::kAttribute:
      return attribute(entity, source.attribute);
    case IfcSourceKind::kProperty:
    case IfcSourceKind::kQuantity:
      return fromSets(entity, source);
    case IfcSourceKind::kMaterial:
      return material(entity);
    case IfcSourceKind::kProfile:
      return profile(entity);
    case IfcSourceKind::kLayers:
      return layers(entity);
    case IfcSourceKind::kDepth: {
      const IfcEntity* solid = extrusion(entity);
      if (solid == nullptr) return IfcResult();
      IfcValue depth = model_.value(*solid, 1);
      depth.measure = IfcMeasure::kLength;
      return valueOf(depth, 0);
    }
    case IfcSourceKind::kValue:
      return constant(source.name);
  }
  return IfcResult();
}

IfcResult IfcSourceReader::read(const IfcSource& source, Element& element) {
  if (!source.onAssembly) return readOn(source, element.entity_);
  if (!element.assemblyKnown_) {
    element.assembly_ = outermostAssembly(element.entity_);
    element.assemblyKnown_ = true;
  }
  return element.assembly_ != nullptr ? readOn(source, *element.assembly_) : IfcResult();
}

}  // namespace bomreport
