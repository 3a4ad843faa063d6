// QelBomDataToken::getTokenType: the catalogue of the 64 known tokens and the
// value type each carries.
//
// The catalogue is written out below as three lists in their defined order.
// Because it is asked once per extracted cell, the exact names are looked up
// in a hash table built from these lists on first use; the two names matched
// by prefix ("%External", "%UserAttr") are tried afterwards. No exact name
// begins with either of them, so this gives the same answers as trying every
// name in list order.
#include <string_view>
#include <unordered_map>

#include "QelBomValues.h"

namespace {

using ValueType = QelBomDataValue::eBomDataValueType;

struct CatalogueEntry {
  const char16_t* name;
  ValueType type;
};

constexpr ValueType kText = QelBomDataValue::kStringDataValue;
constexpr ValueType kInt = QelBomDataValue::kIntDataValue;
constexpr ValueType kReal = QelBomDataValue::kDoubleDataValue;

// Exact names. Texts, then integers, then reals.
const CatalogueEntry kCatalogue[] = {
    // Text tokens (21 exact names; "%External" and "%UserAttr" follow below).
    {u"%Phase", kText},
    {u"%MNum", kText},
    {u"%MName", kText},
    {u"%PNum", kText},
    {u"%Num", kText},
    {u"%Class", kText},
    {u"%Name", kText},
    {u"%GratingConnectorName", kText},
    {u"%Material", kText},
    {u"%Coating", kText},
    {u"%InsideCoating", kText},
    {u"%OutsideCoating", kText},
    {u"%Commodity", kText},
    {u"%PreDefinedRemark", kText},
    {u"%DStV", kText},
    {u"%Role", kText},
    {u"%FreeRemark", kText},
    {u"%Set", kText},
    {u"%BoltName", kText},
    {u"%Standard", kText},
    {u"%ElementID", kText},
    // Integer tokens (14).
    {u"%MQuantity", kInt},
    {u"%MQuantityInPhase", kInt},
    {u"%IsMP", kInt},
    {u"%Quantity", kInt},
    {u"%QuantityInModel", kInt},
    {u"%QuantityInAllAssembly", kInt},
    {u"%QuantityInPhase", kInt},
    {u"%QuantityInAllAssemblyInPhase", kInt},
    {u"%ClassId", kInt},
    {u"%isUnwidable", kInt},
    {u"%CompoundId", kInt},
    {u"%GratingConnectorQuantity", kInt},
    {u"%CladdingConnectorQuantity", kInt},
    {u"%CladdingConnectorQuantityInModel", kInt},
    // Real tokens (27).
    {u"%SysLength", kReal},
    {u"%CurvedBeamRadius", kReal},
    {u"%Weight", kReal},
    {u"%WeightInAssembly", kReal},
    {u"%WeightInAllAssembly", kReal},
    {u"%WeightInAllAssemblyInPhase", kReal},
    {u"%WeightInPhase", kReal},
    {u"%WeightInModel", kReal},
    {u"%ExactWeight", kReal},
    {u"%ExactWeightInAssembly", kReal},
    {u"%ExactWeightInAllAssembly", kReal},
    {u"%ExactWeightInAllAssemblyInPhase", kReal},
    {u"%ExactWeightInPhase", kReal},
    {u"%ExactWeightInModel", kReal},
    {u"%WeightMeter", kReal},
    {u"%Length", kReal},
    {u"%LengthInModel", kReal},
    {u"%SawLength", kReal},
    {u"%SawLengthInModel", kReal},
    {u"%Paint", kReal},
    {u"%PaintInAssembly", kReal},
    {u"%%PaintMeter", kReal},
    {u"%Thick", kReal},
    {u"%Width", kReal},
    {u"%Area", kReal},
    {u"%contourLength", kReal},
    {u"%Diameter", kReal},
};

// Text tokens compared over at most n characters (QelString::compare(a, b, n)).
// "%External" matches every text starting with it; "%UserAttr" is compared over
// 14 characters but has only 9, so only the name itself matches.
struct PrefixEntry {
  const char16_t* name;
  int length;
};
const PrefixEntry kPrefixNames[] = {{u"%External", 9}, {u"%UserAttr", 14}};

using ExactTable = std::unordered_map<std::u16string_view, ValueType>;

const ExactTable& exactTable() {
  static const ExactTable table = [] {
    ExactTable built;
    for (const CatalogueEntry& entry : kCatalogue) built.emplace(entry.name, entry.type);
    return built;
  }();
  return table;
}

}  // namespace

QelBomDataValue::eBomDataValueType QelBomDataToken::getTokenType(const QelString& token) {
  QelString name(token);
  // A summing directive answers with the type of the token it sums; a text no
  // longer than the prefix (the bare prefix) is looked up as it is (and found
  // nowhere).
  if (token.length() > kSumPrefix.length()) summingRequestOf(token, name);
  if (name.isEmpty()) return QelBomDataValue::kUnkDataValueType;

  const ExactTable& table = exactTable();
  const auto found =
      table.find(std::u16string_view(name.getStringW(), static_cast<size_t>(name.length())));
  if (found != table.end()) return found->second;

  static const QelString kExternal(kPrefixNames[0].name);
  static const QelString kUserAttr(kPrefixNames[1].name);
  if (QelString::compare(name, kExternal, kPrefixNames[0].length) == 0 ||
      QelString::compare(name, kUserAttr, kPrefixNames[1].length) == 0) {
    return QelBomDataValue::kStringDataValue;
  }
  return QelBomDataValue::kUnkDataValueType;
}
