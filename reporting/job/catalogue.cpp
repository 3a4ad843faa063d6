#include "BomCatalogue.h"

#include <algorithm>
#include <cctype>

#include "VRKBomEngine.h"
#include "input/ifc_mapping.h"
#include "text/names.h"

namespace bomreport {

const std::vector<std::string>& catalogueTokenNames() {
  static const std::vector<std::string> names = {
      // texts
      "%Phase", "%MNum", "%MName", "%PNum", "%Num", "%Class", "%Name", "%GratingConnectorName",
      "%Material", "%Coating", "%InsideCoating", "%OutsideCoating", "%Commodity",
      "%PreDefinedRemark", "%DStV", "%Role", "%FreeRemark", "%Set", "%BoltName", "%Standard",
      "%ElementID", "%External", "%UserAttr",
      // integers
      "%MQuantity", "%MQuantityInPhase", "%IsMP", "%Quantity", "%QuantityInModel",
      "%QuantityInAllAssembly", "%QuantityInPhase", "%QuantityInAllAssemblyInPhase", "%ClassId",
      "%isUnwidable", "%CompoundId", "%GratingConnectorQuantity", "%CladdingConnectorQuantity",
      "%CladdingConnectorQuantityInModel",
      // reals
      "%SysLength", "%CurvedBeamRadius", "%Weight", "%WeightInAssembly", "%WeightInAllAssembly",
      "%WeightInAllAssemblyInPhase", "%WeightInPhase", "%WeightInModel", "%ExactWeight",
      "%ExactWeightInAssembly", "%ExactWeightInAllAssembly", "%ExactWeightInAllAssemblyInPhase",
      "%ExactWeightInPhase", "%ExactWeightInModel", "%WeightMeter", "%Length", "%LengthInModel",
      "%SawLength", "%SawLengthInModel", "%Paint", "%PaintInAssembly", "%%PaintMeter", "%Thick",
      "%Width", "%Area", "%contourLength", "%Diameter"};
  return names;
}

TokenType catalogueTokenType(std::string_view token) {
  switch (QelBomDataToken::getTokenType(QelString::fromUtf8(token))) {
    case QelBomDataValue::kIntDataValue:
      return TokenType::kInteger;
    case QelBomDataValue::kDoubleDataValue:
      return TokenType::kReal;
    case QelBomDataValue::kStringDataValue:
      return TokenType::kText;
    default:
      return TokenType::kUnknown;
  }
}

namespace {

// "IfcMechanicalFastener" as "mechanical fastener".
std::string kindName(const std::string& entity) {
  std::string name;
  for (std::size_t i = entity.rfind("Ifc", 0) == 0 ? 3 : 0; i < entity.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(entity[i]);
    if (std::isupper(c) != 0 && !name.empty()) name += ' ';
    name += static_cast<char>(std::tolower(c));
  }
  return name;
}

std::vector<std::pair<int, std::string>> makeObjectTypeNames() {
  std::vector<std::pair<int, std::string>> names;
  for (const IfcEntityMapping& entity : IfcMapping::defaults().entities) {
    bool named = false;
    for (const auto& known : names) named = named || known.first == entity.type;
    if (!named) names.emplace_back(entity.type, kindName(entity.name));
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace

const std::vector<std::pair<int, std::string>>& objectTypeNames() {
  static const std::vector<std::pair<int, std::string>> names = makeObjectTypeNames();
  return names;
}

const std::vector<std::string>& tokenUnitTypeNames() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> kinds;
    for (int type = 1; unitTypeName(type) != nullptr; ++type) kinds.emplace_back(unitTypeName(type));
    return kinds;
  }();
  return names;
}

}  // namespace bomreport
