#include "job/value_keys.h"

#include <cstring>

#include "job/token_cache.h"

namespace bomreport {

std::uint64_t mix(std::uint64_t h, std::uint64_t value) {
  return (h ^ value) * 0x100000001b3ull + (h >> 29);
}

std::uint64_t hashValue(const QelBomDataValue& value) {
  std::uint64_t h = static_cast<std::uint64_t>(value.type());
  switch (value.type()) {
    case QelBomDataValue::kIntDataValue:
      return mix(h, static_cast<std::uint32_t>(intValueOf(value)));
    case QelBomDataValue::kDoubleDataValue: {
      double real = doubleValueOf(value);
      if (real == 0.0) real = 0.0;  // -0 equals 0
      std::uint64_t bits;
      std::memcpy(&bits, &real, sizeof(bits));
      return mix(h, bits);
    }
    case QelBomDataValue::kStringDataValue: {
      const QelString& text = textValueOf(value);
      const char16_t* units = text.getStringW();
      for (int i = 0; i < text.length(); ++i) h = (h ^ units[i]) * 0x100000001b3ull;
      return mix(h, static_cast<std::uint64_t>(text.length()));
    }
    default:
      return h;
  }
}

bool sameValue(const QelBomDataValue& a, const QelBomDataValue& b) {
  if (a.type() != b.type()) return false;
  switch (a.type()) {
    case QelBomDataValue::kIntDataValue:
      return intValueOf(a) == intValueOf(b);
    case QelBomDataValue::kDoubleDataValue:
      return doubleValueOf(a) == doubleValueOf(b);
    case QelBomDataValue::kStringDataValue:
      return textValueOf(a) == textValueOf(b);
    default:
      return true;
  }
}

bool numberOf(const QelBomDataValue& value, double& number) {
  if (value.type() == QelBomDataValue::kDoubleDataValue) {
    number = doubleValueOf(value);
    return true;
  }
  if (value.type() == QelBomDataValue::kIntDataValue) {
    number = intValueOf(value);
    return true;
  }
  return false;
}

std::u16string valueKey(const QelBomDataValue& value) {
  std::u16string key(1, static_cast<char16_t>(u'0' + value.type()));
  if (value.type() == QelBomDataValue::kStringDataValue) {
    const QelString& text = textValueOf(value);
    key.append(text.getStringW(), static_cast<std::size_t>(text.length()));
  } else {
    double number = 0.0;
    if (numberOf(value, number)) key += QelString::fromUtf8(std::to_string(number)).getStringW();
  }
  return key;
}

}  // namespace bomreport
