// The parsers of BomReportOptions.h.
#include "BomReportOptions.h"

#include <cctype>
#include <utility>

#include "VRKBomEngine.h"
#include "text/text_util.h"

namespace bomreport {
namespace {

struct UnitKind {
  const char* name;
  int tokenUnitType;                 // QelBomTemplateUnits::eTokenUnitType
  int system;                        // QelUnitsTransformArray::eSystems
  QelUnitTransform::eUnitKind kind;  // what the unit must measure
};

constexpr UnitKind kKinds[] = {
    {"length", QelBomTemplateUnits::kDistanceUnit, QelUnitsTransformArray::kDistanceSystem,
     QelUnitTransform::kDistance},
    {"weight", QelBomTemplateUnits::kWeightUnit, QelUnitsTransformArray::kWeightSystem,
     QelUnitTransform::kWeight},
    {"area", QelBomTemplateUnits::kAreaUnit, QelUnitsTransformArray::kAreaSystem,
     QelUnitTransform::kArea},
    {"angle", QelBomTemplateUnits::kAngleUnit, QelUnitsTransformArray::kAngleSystem,
     QelUnitTransform::kAngle},
};

UnitChoice parseUnitChoice(std::string_view item) {
  const std::size_t eq = item.find('=');
  if (eq == std::string_view::npos) throw OptionError(quoteForMessage(item) + " is not KIND=UNIT");
  const std::string_view kindName = item.substr(0, eq);
  const std::string_view unitName = item.substr(eq + 1);
  for (const UnitKind& kind : kKinds) {
    if (kindName != kind.name) continue;
    VRKUnit unit;
    if (!VRKUnit::fromSymbol(toQel(unitName), unit)) {
      throw OptionError("unknown unit name " + quoteForMessage(unitName));
    }
    if (unit.getQelUnitTransform()->kind() != kind.kind) {
      throw OptionError(quoteForMessage(unitName) + " is not a unit of " + kind.name);
    }
    return UnitChoice{kind.tokenUnitType, kind.system, std::string(unitName)};
  }
  throw OptionError("unknown kind " + quoteForMessage(kindName) +
                    " (length, weight, area or angle)");
}

}  // namespace

bool sameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

PartsFormat parsePartsFormat(std::string_view text) {
  static const std::pair<const char*, PartsFormat> kFormats[] = {
      {"", PartsFormat::kAuto},
      {"csv", PartsFormat::kCsv},
      {"json", PartsFormat::kJson},
      {"ifc", PartsFormat::kIfc}};
  for (const auto& format : kFormats) {
    if (sameName(text, format.first)) return format.second;
  }
  throw OptionError(quoteForMessage(text) + " is not csv, json or ifc");
}

void checkDelimiter(char delimiter) {
  if (delimiter == '"' || delimiter == '\r' || delimiter == '\n' || delimiter == '\0') {
    throw OptionError("a quote or a line break cannot separate fields");
  }
}

char parseDelimiter(std::string_view text) {
  if (sameName(text, "tab") || text == "\\t") return '\t';
  if (text.size() != 1) throw OptionError(quoteForMessage(text) + " is not one character (or tab)");
  checkDelimiter(text[0]);
  return text[0];
}

Collation parseCollation(std::string_view text) {
  if (sameName(text, "binary")) return Collation::kCodeUnits;
  if (sameName(text, "natural")) return Collation::kNatural;
  throw OptionError(quoteForMessage(text) + " is not binary or natural");
}

std::vector<UnitChoice> parseUnits(std::string_view text) {
  std::vector<UnitChoice> choices;
  if (text.empty()) return choices;
  std::size_t pos = 0;
  while (pos <= text.size()) {
    const std::size_t comma = std::min(text.find(',', pos), text.size());
    choices.push_back(parseUnitChoice(text.substr(pos, comma - pos)));
    pos = comma + 1;
  }
  return choices;
}

StoredSetting parseSetting(std::string_view text) {
  const std::size_t eq = text.find('=');
  StoredSetting setting{std::string(), 0};
  if (eq == std::string_view::npos || eq == 0 || !parseInt32(text.substr(eq + 1), setting.value)) {
    throw OptionError(quoteForMessage(text) + " is not NAME=INTEGER");
  }
  setting.name = std::string(text.substr(0, eq));
  return setting;
}

std::size_t parseByteSize(std::string_view text) {
  std::size_t digits = 0;
  while (digits < text.size() && std::isdigit(static_cast<unsigned char>(text[digits]))) ++digits;
  const std::string_view unit = text.substr(digits);
  int shift = -1;
  for (const auto& known : {std::pair<const char*, int>{"", 0}, {"b", 0}, {"k", 10}, {"kb", 10},
                            {"kib", 10}, {"m", 20}, {"mb", 20}, {"mib", 20}, {"g", 30}, {"gb", 30},
                            {"gib", 30}, {"t", 40}, {"tb", 40}, {"tib", 40}}) {
    if (sameName(unit, known.first)) shift = known.second;
  }
  if (digits == 0 || digits > 12 || shift < 0) {
    throw OptionError(quoteForMessage(text) + " is not a size such as 500M or 2G");
  }
  const std::size_t size = std::stoull(std::string(text.substr(0, digits))) << shift;
  if (size == 0) throw OptionError("the size must not be 0");
  return size;
}

}  // namespace bomreport
