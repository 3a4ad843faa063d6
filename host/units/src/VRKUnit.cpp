// Units of measure and their value formatting.
#include "VRKUnit.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr double kPi = 3.14159265358979323846;

struct UnitInfo {
  long code;
  QelUnitTransform::eUnitKind kind;
  const char16_t* symbol;
  double factor;  // internal units per unit
  int decimals;
};

constexpr UnitInfo kUnits[] = {
    {1, QelUnitTransform::kDistance, u"m", 1000.0, 3},
    {2, QelUnitTransform::kDistance, u"cm", 10.0, 2},
    {3, QelUnitTransform::kDistance, u"mm", 1.0, 1},
    {4, QelUnitTransform::kDistance, u"in", 25.4, 2},
    {5, QelUnitTransform::kDistance, u"ft", 304.8, 3},
    {1009, QelUnitTransform::kWeight, u"kg", 1.0, 2},
    {1010, QelUnitTransform::kWeight, u"t", 1000.0, 3},
    {1011, QelUnitTransform::kWeight, u"lb", 0.45359237, 1},
    {3001, QelUnitTransform::kArea, u"mm2", 1.0, 0},
    {3002, QelUnitTransform::kArea, u"cm2", 100.0, 1},
    {3003, QelUnitTransform::kArea, u"m2", 1e6, 3},
    {3005, QelUnitTransform::kArea, u"ft2", 92903.04, 2},
    {2006, QelUnitTransform::kAngle, u"deg", kPi / 180.0, 2},
    {2007, QelUnitTransform::kAngle, u"rad", 1.0, 4},
};

constexpr long kDegreeCode = 2006;

const UnitInfo* findUnit(long code) {
  for (const UnitInfo& info : kUnits) {
    if (info.code == code) return &info;
  }
  return nullptr;
}

// printf's "%.*f" (fixed) or "%.*g" of one double. std::to_chars gives the
// same text as printf for finite values, without parsing a format.
std::string printNumber(bool fixed, int precision, double value) {
  if (std::isfinite(value)) {
    char buffer[400];  // fixed notation of the largest double with a few decimals
    const auto result =
        std::to_chars(buffer, buffer + sizeof(buffer), value,
                      fixed ? std::chars_format::fixed : std::chars_format::general, precision);
    if (result.ec == std::errc()) return std::string(buffer, result.ptr);
  }
  char buffer[64];
  const int n = std::snprintf(buffer, sizeof(buffer), fixed ? "%.*f" : "%.*g", precision, value);
  return n < 0 ? std::string()
               : std::string(buffer, std::min<size_t>(static_cast<size_t>(n), sizeof(buffer) - 1));
}

// Strips trailing zeros after the decimal point, then a bare point. Texts with
// an exponent are left alone.
void stripTrailingZeros(std::string& text) {
  if (text.find('.') == std::string::npos || text.find_first_of("eE") != std::string::npos) {
    return;
  }
  while (!text.empty() && text.back() == '0') text.pop_back();
  if (!text.empty() && text.back() == '.') text.pop_back();
}

// "-0", "-0.00" and the like lose their minus sign.
void dropNegativeZeroSign(std::string& text) {
  if (text.empty() || text[0] != '-') return;
  if (text.find_first_not_of("0.", 1) == std::string::npos) text.erase(0, 1);
}

}  // namespace

// ---- QelUnitTransform ------------------------------------------------------

QelUnitTransform::QelUnitTransform() : m_code(0) {}

QelUnitTransform::QelUnitTransform(long code) : m_code(code) {}

QelUnitTransform::~QelUnitTransform() = default;

QelUnitTransform::eUnitKind QelUnitTransform::kind() const {
  const UnitInfo* info = findUnit(m_code);
  return info != nullptr ? info->kind : kNoKind;
}

QelString QelUnitTransform::symbol() const {
  const UnitInfo* info = findUnit(m_code);
  return info != nullptr ? QelString(info->symbol) : QelString();
}

int QelUnitTransform::decimals() const {
  const UnitInfo* info = findUnit(m_code);
  return info != nullptr ? info->decimals : 0;
}

double QelUnitTransform::factor() const {
  const UnitInfo* info = findUnit(m_code);
  return info != nullptr ? info->factor : 1.0;
}

double QelUnitTransform::fromInternal(double value) const {
  const UnitInfo* info = findUnit(m_code);
  if (info == nullptr) return value;
  return info->code == kDegreeCode ? value * (180.0 / kPi) : value / info->factor;
}

QelString QelUnitTransform::formatValue(double value, int suppressLastZeros, int withSymbol,
                                        int fromInternal, int rounded, char16_t separator) const {
  const UnitInfo* info = findUnit(m_code);
  if (info == nullptr) return QelString::fromUtf8(printNumber(false, 6, value));

  const double shown = fromInternal == 1 ? this->fromInternal(value) : value;
  std::string text =
      rounded == 1 ? printNumber(true, info->decimals, shown) : printNumber(false, 6, shown);
  if (suppressLastZeros == 1) stripTrailingZeros(text);
  dropNegativeZeroSign(text);

  QelString result = QelString::fromUtf8(text);
  if (withSymbol == 1) {
    result += separator;
    result += QelString(info->symbol);
  }
  return result;
}

// ---- VRKUnit ---------------------------------------------------------------

VRKUnit::VRKUnit() : m_unit(0), m_display(0), m_style(0), m_transform(0) {}

VRKUnit::VRKUnit(long unit, long display, long style)
    : m_unit(unit),
      m_display(display),
      m_style(style),
      m_transform(findUnit(display) != nullptr ? display : unit) {}

VRKUnit::VRKUnit(const VRKUnit& other) = default;

VRKUnit& VRKUnit::operator=(const VRKUnit& other) = default;

VRKUnit::~VRKUnit() = default;

bool VRKUnit::fromSymbol(const QelString& name, VRKUnit& out) {
  for (const UnitInfo& info : kUnits) {
    if (name == QelString(info.symbol)) {
      out = VRKUnit(info.code, info.code, 0);
      return true;
    }
  }
  return false;
}
