#include "input/ifc_model.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "BomReportErrors.h"
#include "input/input_bytes.h"

namespace bomreport {

enum class IfcRole : std::uint8_t {
  kSkip,
  kKeep,
  kAggregates,
  kDefinesByProperties,
  kDefinesByType,
  kAssociatesMaterial
};

namespace {

// Give pages already read back to the system after this many bytes.
constexpr std::size_t kReleaseStep = 8 << 20;
constexpr std::size_t kTextBlock = 1 << 20;
constexpr std::size_t kMaxInterned = 40;

using Role = IfcRole;

struct KindEntry {
  const char* keyword;
  Role role;
  IfcKind kind;
};

const KindEntry kKinds[] = {
    {"IFCRELAGGREGATES", Role::kAggregates, IfcKind::kElement},
    {"IFCRELNESTS", Role::kAggregates, IfcKind::kElement},
    {"IFCRELDEFINESBYPROPERTIES", Role::kDefinesByProperties, IfcKind::kElement},
    {"IFCRELDEFINESBYTYPE", Role::kDefinesByType, IfcKind::kElement},
    {"IFCRELASSOCIATESMATERIAL", Role::kAssociatesMaterial, IfcKind::kElement},
    {"IFCPROPERTYSET", Role::kKeep, IfcKind::kPropertySet},
    {"IFCELEMENTQUANTITY", Role::kKeep, IfcKind::kElementQuantity},
    {"IFCPROPERTYSINGLEVALUE", Role::kKeep, IfcKind::kProperty},
    {"IFCPROPERTYENUMERATEDVALUE", Role::kKeep, IfcKind::kOtherProperty},
    {"IFCPROPERTYBOUNDEDVALUE", Role::kKeep, IfcKind::kOtherProperty},
    {"IFCPROPERTYLISTVALUE", Role::kKeep, IfcKind::kOtherProperty},
    {"IFCPROPERTYTABLEVALUE", Role::kKeep, IfcKind::kOtherProperty},
    {"IFCPROPERTYREFERENCEVALUE", Role::kKeep, IfcKind::kOtherProperty},
    {"IFCCOMPLEXPROPERTY", Role::kKeep, IfcKind::kOtherProperty},
    {"IFCQUANTITYLENGTH", Role::kKeep, IfcKind::kQuantity},
    {"IFCQUANTITYAREA", Role::kKeep, IfcKind::kQuantity},
    {"IFCQUANTITYVOLUME", Role::kKeep, IfcKind::kQuantity},
    {"IFCQUANTITYWEIGHT", Role::kKeep, IfcKind::kQuantity},
    {"IFCQUANTITYCOUNT", Role::kKeep, IfcKind::kQuantity},
    {"IFCQUANTITYTIME", Role::kKeep, IfcKind::kQuantity},
    {"IFCMATERIAL", Role::kKeep, IfcKind::kMaterial},
    {"IFCMATERIALLIST", Role::kKeep, IfcKind::kMaterialList},
    {"IFCMATERIALPROFILESETUSAGE", Role::kKeep, IfcKind::kProfileSetUsage},
    {"IFCMATERIALPROFILESETUSAGETAPERING", Role::kKeep, IfcKind::kProfileSetUsage},
    {"IFCMATERIALPROFILESET", Role::kKeep, IfcKind::kProfileSet},
    {"IFCMATERIALPROFILE", Role::kKeep, IfcKind::kMaterialProfile},
    {"IFCMATERIALPROFILEWITHOFFSETS", Role::kKeep, IfcKind::kMaterialProfile},
    {"IFCMATERIALLAYERSETUSAGE", Role::kKeep, IfcKind::kLayerSetUsage},
    {"IFCMATERIALLAYERSET", Role::kKeep, IfcKind::kLayerSet},
    {"IFCMATERIALLAYER", Role::kKeep, IfcKind::kMaterialLayer},
    {"IFCMATERIALLAYERWITHOFFSETS", Role::kKeep, IfcKind::kMaterialLayer},
    {"IFCMATERIALCONSTITUENTSET", Role::kKeep, IfcKind::kConstituentSet},
    {"IFCPRODUCTDEFINITIONSHAPE", Role::kKeep, IfcKind::kProductShape},
    {"IFCSHAPEREPRESENTATION", Role::kKeep, IfcKind::kShapeRepresentation},
    {"IFCEXTRUDEDAREASOLID", Role::kKeep, IfcKind::kExtrusion},
    {"IFCEXTRUDEDAREASOLIDTAPERED", Role::kKeep, IfcKind::kExtrusion},
    {"IFCBOOLEANRESULT", Role::kKeep, IfcKind::kBooleanResult},
    {"IFCBOOLEANCLIPPINGRESULT", Role::kKeep, IfcKind::kBooleanResult},
    {"IFCMAPPEDITEM", Role::kKeep, IfcKind::kMappedItem},
    {"IFCREPRESENTATIONMAP", Role::kKeep, IfcKind::kRepresentationMap},
    {"IFCUNITASSIGNMENT", Role::kKeep, IfcKind::kUnitAssignment},
    {"IFCSIUNIT", Role::kKeep, IfcKind::kSIUnit},
    {"IFCCONVERSIONBASEDUNIT", Role::kKeep, IfcKind::kConversionUnit},
    {"IFCCONVERSIONBASEDUNITWITHOFFSET", Role::kKeep, IfcKind::kConversionUnit},
    {"IFCMEASUREWITHUNIT", Role::kKeep, IfcKind::kMeasureWithUnit},
    {"IFCPROJECT", Role::kKeep, IfcKind::kProject},
};

// The attribute positions kept of each kind but kElement, in slot order.
std::vector<int> fixedSlots(IfcKind kind) {
  switch (kind) {
    case IfcKind::kTypeObject:
      return {5, 6};
    case IfcKind::kPropertySet:
      return {2, 4};
    case IfcKind::kElementQuantity:
      return {2, 5};
    case IfcKind::kProperty:
      return {0, 2, 3};
    case IfcKind::kOtherProperty:
      return {0};
    case IfcKind::kQuantity:
      return {0, 2, 3};
    case IfcKind::kMaterial:
    case IfcKind::kMaterialList:
    case IfcKind::kProfileSetUsage:
    case IfcKind::kLayerSetUsage:
    case IfcKind::kLayerSet:
    case IfcKind::kUnitAssignment:
      return {0};
    case IfcKind::kProfileSet:
    case IfcKind::kProductShape:
      return {2};
    case IfcKind::kMaterialProfile:
      return {2, 3};
    case IfcKind::kMaterialLayer:
      return {0, 1};
    case IfcKind::kProfileDef:
    case IfcKind::kBooleanResult:
    case IfcKind::kRepresentationMap:
      return {1};
    case IfcKind::kShapeRepresentation:
      return {1, 3};
    case IfcKind::kExtrusion:
      return {0, 3};
    case IfcKind::kMappedItem:
      return {0};
    case IfcKind::kSIUnit:
    case IfcKind::kConversionUnit:
      return {1, 2, 3};
    case IfcKind::kMeasureWithUnit:
      return {0, 1};
    case IfcKind::kProject:
      return {8};
    case IfcKind::kElement:
    case IfcKind::kConstituentSet:
      break;
  }
  return {};
}

IfcMeasure quantityMeasure(std::string_view keyword) {
  if (keyword == "IFCQUANTITYLENGTH") return IfcMeasure::kLength;
  if (keyword == "IFCQUANTITYAREA") return IfcMeasure::kArea;
  if (keyword == "IFCQUANTITYVOLUME") return IfcMeasure::kVolume;
  if (keyword == "IFCQUANTITYWEIGHT") return IfcMeasure::kMass;
  if (keyword == "IFCQUANTITYCOUNT") return IfcMeasure::kCount;
  return IfcMeasure::kNone;
}

bool endsWith(std::string_view text, std::string_view suffix) {
  return text.size() > suffix.size() &&
         text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

std::uint32_t saturate(long long n) {
  return n > std::numeric_limits<std::uint32_t>::max() ? std::numeric_limits<std::uint32_t>::max()
                                                       : static_cast<std::uint32_t>(n);
}

// Every reference inside the value at `index` (lists and typed values opened).
template <typename Out>
void collectRefs(const StepParameters& params, std::size_t index, Out& out) {
  if (index == 0) return;
  const std::size_t end = params.values[index].end;
  for (std::size_t k = index; k < end; ++k) {
    if (params.values[k].kind == StepKind::kReference) {
      out.push_back(static_cast<std::uint64_t>(params.values[k].integer));
    }
  }
}

const IfcValue kAbsent;

}  // namespace

IfcMeasure measureOfType(std::string_view typeName) {
  if (typeName == "IFCLENGTHMEASURE" || typeName == "IFCPOSITIVELENGTHMEASURE" ||
      typeName == "IFCNONNEGATIVELENGTHMEASURE") {
    return IfcMeasure::kLength;
  }
  if (typeName == "IFCMASSMEASURE") return IfcMeasure::kMass;
  if (typeName == "IFCAREAMEASURE") return IfcMeasure::kArea;
  if (typeName == "IFCVOLUMEMEASURE") return IfcMeasure::kVolume;
  if (typeName == "IFCPLANEANGLEMEASURE" || typeName == "IFCPOSITIVEPLANEANGLEMEASURE") {
    return IfcMeasure::kAngle;
  }
  if (typeName == "IFCCOUNTMEASURE") return IfcMeasure::kCount;
  return IfcMeasure::kNone;
}

const char* IfcModel::storeText(std::string_view text, bool intern) {
  intern = intern && text.size() <= kMaxInterned;
  if (intern) {
    const auto found = interned_.find(text);
    if (found != interned_.end()) return found->second;
  }
  if (blockUsed_ + text.size() > blockSize_) {
    blockSize_ = std::max(kTextBlock, text.size());
    textBlocks_.emplace_back(new char[blockSize_]);
    blockUsed_ = 0;
  }
  char* stored = textBlocks_.back().get() + blockUsed_;
  if (!text.empty()) std::memcpy(stored, text.data(), text.size());
  blockUsed_ += text.size();
  if (intern) interned_.emplace(std::string_view(stored, text.size()), stored);
  return stored;
}

IfcValue IfcModel::storeValue(const StepParameters& params, std::size_t index, bool intern) {
  IfcValue value;
  if (index == 0) return value;
  const StepValue* step = &params.values[index];
  if (step->kind == StepKind::kTyped) {
    value.measure = measureOfType(step->text);
    const bool logical = step->text == "IFCBOOLEAN" || step->text == "IFCLOGICAL";
    index = params.element(index, 0);
    step = &params.values[index];
    if (logical && step->kind == StepKind::kEnum) {
      const std::string_view name = step->text == "T"   ? "TRUE"
                                    : step->text == "F" ? "FALSE"
                                                        : "UNKNOWN";
      value.kind = IfcValue::kText;
      value.text = storeText(name, true);
      value.size = static_cast<std::uint32_t>(name.size());
      return value;
    }
  }
  switch (step->kind) {
    case StepKind::kString:
    case StepKind::kEnum:
    case StepKind::kBinary:
      value.kind = step->kind == StepKind::kEnum ? IfcValue::kEnum : IfcValue::kText;
      value.text = storeText(step->text, intern || step->kind == StepKind::kEnum);
      value.size = static_cast<std::uint32_t>(step->text.size());
      break;
    case StepKind::kInteger:
    case StepKind::kReal:
      value.kind = IfcValue::kNumber;
      value.integral = step->kind == StepKind::kInteger;
      value.number = step->real;
      break;
    case StepKind::kReference:
      value.kind = IfcValue::kRef;
      value.ref = static_cast<std::uint64_t>(step->integer);
      break;
    case StepKind::kList:
    case StepKind::kTyped: {
      value.kind = IfcValue::kRefs;
      value.first = refs_.size();
      collectRefs(params, index, refs_);
      value.size = static_cast<std::uint32_t>(refs_.size() - value.first);
      break;
    }
    case StepKind::kNull:
    case StepKind::kDerived:
      break;
  }
  return value;
}

bool IfcModel::keepsNamed(IfcKind kind, const StepParameters& params) const {
  if (kind != IfcKind::kProperty && kind != IfcKind::kOtherProperty && kind != IfcKind::kQuantity) {
    return true;
  }
  const std::size_t name = params.attribute(0);
  if (name == 0 || params.values[name].kind != StepKind::kString) return false;
  const std::string key(params.values[name].text);
  return kind == IfcKind::kQuantity ? needs_->quantityNames.count(key) > 0
                                    : needs_->propertyNames.count(key) > 0;
}

void IfcModel::keep(const StepInstanceHead& head, IfcKind kind, std::uint16_t keyword,
                    const StepParameters& params) {
  if (!keepsNamed(kind, params)) return;
  IfcEntity entity{head.id,
                   static_cast<std::uint32_t>(values_.size()),
                   saturate(head.line),
                   saturate(head.column),
                   keyword,
                   kind,
                   0};
  const std::vector<int> fixed = kind == IfcKind::kElement ? std::vector<int>() : fixedSlots(kind);
  const std::vector<int>& slots = kind == IfcKind::kElement ? needs_->elementAttributes : fixed;
  for (int attribute : slots) {
    // Element texts (GlobalId, Tag) are mostly their own: not interned.
    IfcValue value = storeValue(params, params.attribute(static_cast<std::size_t>(attribute)),
                                kind != IfcKind::kElement);
    if (kind == IfcKind::kQuantity && value.kind == IfcValue::kNumber) {
      value.measure = quantityMeasure(keywords_[keyword]);
    }
    values_.push_back(value);
  }
  entity.valueCount = static_cast<std::uint8_t>(slots.size());
  if (!entities_.empty() && entities_.back().id > head.id) sorted_ = false;
  entities_.push_back(entity);
  if (kind == IfcKind::kElement && keywords_[keyword] != "IFCELEMENTASSEMBLY") {
    parts_.push_back(head.id);
  }
  if (kind == IfcKind::kProject) {
    const IfcValue& units = values_.back();
    if (units.kind == IfcValue::kRef) projectUnits_ = units.ref;
  }
  if (kind == IfcKind::kUnitAssignment && firstUnits_ == 0) firstUnits_ = head.id;
}

void IfcModel::notePairs(Role role, const StepParameters& params) {
  std::vector<std::uint64_t> first, second;
  collectRefs(params, params.attribute(4), first);
  collectRefs(params, params.attribute(5), second);
  if (role == Role::kAggregates) {  // RelatingObject, RelatedObjects
    if (first.size() != 1) return;
    for (std::uint64_t child : second) parents_.emplace_back(child, first[0]);
    return;
  }
  Pairs& pairs = role == Role::kDefinesByProperties ? definitions_
                 : role == Role::kDefinesByType     ? types_
                                                    : materials_;
  for (std::uint64_t object : first) {
    for (std::uint64_t related : second) pairs.emplace_back(object, related);
  }
}

const IfcModel::Slots& IfcModel::slotsFor(std::string_view keyword) {
  const auto found = roles_.find(keyword);
  if (found != roles_.end()) return found->second;
  Slots slots{Role::kSkip, IfcKind::kElement, 0};
  for (const KindEntry& entry : kKinds) {
    if (keyword == entry.keyword) {
      slots.role = entry.role;
      slots.kind = entry.kind;
    }
  }
  const bool ifc = keyword.compare(0, 3, "IFC") == 0;
  if (slots.role == Role::kSkip && needs_->elementKeywords.count(std::string(keyword)) > 0) {
    slots.role = Role::kKeep;
  } else if (slots.role == Role::kSkip && ifc && endsWith(keyword, "TYPE")) {
    slots.role = Role::kKeep;
    slots.kind = IfcKind::kTypeObject;
  } else if (slots.role == Role::kSkip && ifc && endsWith(keyword, "PROFILEDEF")) {
    slots.role = Role::kKeep;
    slots.kind = IfcKind::kProfileDef;
  }
  keywordTexts_.emplace_back(keyword);
  const std::string& stored = keywordTexts_.back();
  if (slots.role == Role::kKeep) {
    slots.keyword = static_cast<std::uint16_t>(keywords_.size());
    keywords_.push_back(stored);
  }
  return roles_.emplace(std::string_view(stored), slots).first->second;
}

void IfcModel::noteId(std::uint64_t id) {
  if (!idRuns_.empty() && idRuns_.back().second + 1 == id) {
    idRuns_.back().second = id;
  } else {
    idRuns_.emplace_back(id, id);
  }
}

void IfcModel::read(StepReader& reader, const IfcModelNeeds& needs, const InputBytes* input) {
  needs_ = &needs;
  fileName_ = reader.fileName();
  text_ = reader.text();
  StepInstanceHead head;
  StepParameters params;
  std::size_t released = 0;
  std::string_view lastKeyword;
  const Slots* last = nullptr;
  while (reader.nextInstance(head)) {
    noteId(head.id);
    if (head.keyword.empty()) {
      if (complex_++ == 0) firstComplexLine_ = head.line;
      continue;
    }
    if (last == nullptr || head.keyword != lastKeyword) {
      last = &slotsFor(head.keyword);
      lastKeyword = head.keyword;
    }
    if (last->role == Role::kSkip) continue;
    reader.readParameters(params);
    if (last->role == Role::kKeep) {
      keep(head, last->kind, last->keyword, params);
    } else {
      notePairs(last->role, params);
    }
    if (input != nullptr && reader.offset() - released > kReleaseStep) {
      released = reader.offset();
      input->dropBefore(released);
    }
  }
  finish(reader);
}

void IfcModel::finish(StepReader& reader) {
  checkDuplicates(reader);
  if (!sorted_) {
    std::stable_sort(entities_.begin(), entities_.end(),
                     [](const IfcEntity& a, const IfcEntity& b) { return a.id < b.id; });
  }
  for (Pairs* pairs : {&parents_, &definitions_, &types_, &materials_}) {
    std::stable_sort(pairs->begin(), pairs->end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
  }
  interned_.clear();
  roles_.clear();
  keywordTexts_.clear();
}

// Two runs of instance numbers that overlap hold a number twice: the file is
// read again to name the lines of both.
void IfcModel::checkDuplicates(StepReader& reader) {
  std::sort(idRuns_.begin(), idRuns_.end());
  std::uint64_t twice = 0;
  bool found = false;
  for (std::size_t k = 1; k < idRuns_.size() && !found; ++k) {
    if (idRuns_[k].first <= idRuns_[k - 1].second) {
      twice = idRuns_[k].first;
      found = true;
    }
    idRuns_[k].second = std::max(idRuns_[k].second, idRuns_[k - 1].second);
  }
  if (!found) return;
  StepReader again(reader.fileName(), reader.text());
  again.readHeader();
  StepInstanceHead head;
  long long firstLine = 0;
  while (again.nextInstance(head)) {
    if (head.id != twice) continue;
    if (firstLine > 0) {
      again.failAt(head.line, head.column,
                   "instance #" + std::to_string(twice) + " is defined twice (first at line " +
                       std::to_string(firstLine) + ")");
    }
    firstLine = head.line;
  }
}

bool IfcModel::exists(std::uint64_t id) const {
  auto after =
      std::upper_bound(idRuns_.begin(), idRuns_.end(), id,
                       [](std::uint64_t value, const std::pair<std::uint64_t, std::uint64_t>& run) {
                         return value < run.first;
                       });
  if (after == idRuns_.begin()) return false;
  --after;
  return id <= after->second;
}

const IfcEntity* IfcModel::find(std::uint64_t id) const {
  const auto found = std::lower_bound(
      entities_.begin(), entities_.end(), id,
      [](const IfcEntity& entity, std::uint64_t value) { return entity.id < value; });
  if (found != entities_.end() && found->id == id) return &*found;
  if (id != 0 && !exists(id)) {
    if (missing_++ == 0) firstMissing_ = id;
  }
  return nullptr;
}

const IfcValue& IfcModel::value(const IfcEntity& entity, int slot) const {
  if (slot < 0 || slot >= entity.valueCount) return kAbsent;
  return values_[entity.firstValue + static_cast<std::uint32_t>(slot)];
}

std::vector<std::uint64_t> IfcModel::refsOf(const IfcValue& value) const {
  if (value.kind == IfcValue::kRef) return {value.ref};
  if (value.kind != IfcValue::kRefs) return {};
  return std::vector<std::uint64_t>(
      refs_.begin() + static_cast<std::ptrdiff_t>(value.first),
      refs_.begin() + static_cast<std::ptrdiff_t>(value.first + value.size));
}

int IfcModel::elementSlot(int attribute) const {
  const std::vector<int>& kept = needs_->elementAttributes;
  const auto found = std::find(kept.begin(), kept.end(), attribute);
  return found == kept.end() ? -1 : static_cast<int>(found - kept.begin());
}

namespace {

template <typename Pairs>
auto rangeOf(const Pairs& pairs, std::uint64_t id) {
  return std::equal_range(pairs.begin(), pairs.end(), std::make_pair(id, std::uint64_t{0}),
                          [](const auto& a, const auto& b) { return a.first < b.first; });
}

}  // namespace

std::uint64_t IfcModel::parentOf(std::uint64_t id) const {
  const auto range = rangeOf(parents_, id);
  return range.first == range.second ? 0 : range.first->second;
}

std::vector<std::uint64_t> IfcModel::propertyDefinitionsOf(std::uint64_t id) const {
  std::vector<std::uint64_t> out;
  const auto range = rangeOf(definitions_, id);
  for (auto it = range.first; it != range.second; ++it) out.push_back(it->second);
  return out;
}

std::uint64_t IfcModel::typeOf(std::uint64_t id) const {
  const auto range = rangeOf(types_, id);
  return range.first == range.second ? 0 : range.first->second;
}

std::uint64_t IfcModel::materialOf(std::uint64_t id) const {
  const auto range = rangeOf(materials_, id);
  return range.first == range.second ? 0 : range.first->second;
}

const IfcEntity* IfcModel::unitAssignment() const {
  return find(projectUnits_ != 0 ? projectUnits_ : firstUnits_);
}

void IfcModel::failAt(const IfcEntity& entity, const std::string& reason) const {
  throw InputError(fileName_, entity.line, entity.column, reason);
}

}  // namespace bomreport
