// QelString on any text: construction from UTF-8, UTF-16 and UTF-32, the UTF-8
// round trip, toInteger against strtol and format against snprintf. The
// checks trap when the string class disagrees with the C library.
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "QelString.h"

namespace {

void check(bool condition) {
  if (!condition) __builtin_trap();
}

// UTF-8 -> QelString -> UTF-8 settles after one pass: ill-formed input becomes
// U+FFFD once, and the text then round-trips exactly.
void checkUtf8RoundTrip(std::string_view bytes) {
  const QelString once = QelString::fromUtf8(bytes);
  const std::string utf8 = once.toUtf8();
  const QelString twice = QelString::fromUtf8(utf8);
  check(twice == once);
  check(twice.toUtf8() == utf8);
}

// Any UTF-16 code units, lone surrogates and NULs included.
void checkUtf16(const std::u16string& units) {
  const QelString text(units.data(), static_cast<int>(units.size()));
  check(text.length() == static_cast<int>(units.size()));
  check(std::u16string(text.getStringW(), units.size()) == units);
  const QelString again = QelString::fromUtf8(text.toUtf8());
  check(QelString::fromUtf8(again.toUtf8()) == again);
  const QelString half = text.left(text.length() / 2);
  check(QelString::compare(half, text, half.length()) == 0);
  const int at = text.find(text.right(3));
  check(at >= 0 && at <= std::max(0, text.length() - 3));
  QelString::strCompareNoCase(&text, &half);
  QelString removed = text;
  if (!units.empty()) removed.removeAll(units[0]);
  check(removed.length() <= text.length());
}

// toInteger is strtol clamped to int, on ASCII text up to its first NUL.
void checkToInteger(std::string_view bytes) {
  std::string ascii;
  for (char c : bytes) {
    if (c == 0) break;
    ascii += static_cast<char>(static_cast<unsigned char>(c) & 0x7f);
    if (ascii.back() == 0) ascii.back() = ' ';
  }
  errno = 0;
  long expected = std::strtol(ascii.c_str(), nullptr, 10);
  if (expected > INT_MAX) expected = INT_MAX;
  if (expected < INT_MIN) expected = INT_MIN;
  check(QelString(ascii.c_str()).toInteger() == expected);
}

// A format of literal bytes around one numeric conversion, with flags, width
// and precision, and its argument; the result must be snprintf's.
void checkFormat(const uint8_t* data, size_t size) {
  if (size < 6) return;
  static const char kConversions[] = "dixXugGeEfFaA";
  static const char kFlags[] = "-+ #0";
  std::string fmt(reinterpret_cast<const char*>(data + 6), (size - 6) % 24);
  for (char& c : fmt) {
    if (c == '%' || c == 0) c = '_';
  }
  std::string placeholder = "%";
  for (int i = 0; i < 5; ++i) {
    if (data[0] & (1 << i)) placeholder += kFlags[i];
  }
  if (data[1] % 3 != 0) placeholder += std::to_string(data[1] % 40);
  if (data[2] % 3 != 0) placeholder += "." + std::to_string(data[2] % 30);
  char conversion = kConversions[data[3] % (sizeof(kConversions) - 1)];
  placeholder += conversion;
  fmt.insert(fmt.size() / 2, placeholder);
  if (data[4] & 1) {  // the shortcut formats
    conversion = (data[4] & 2) ? 'd' : 'g';
    fmt = std::string("%") + conversion;
  }

  int integer = 0;
  std::memcpy(&integer, data + 2, sizeof(integer));
  double real = 0;
  if (size >= 6 + sizeof(real)) std::memcpy(&real, data + 6, sizeof(real));
  const bool isInteger = std::strchr("dixXu", conversion) != nullptr;
  char expected[512];
  QelString text;
  QelString wide;
  const QelString wideFormat = QelString::fromUtf8(fmt);
  if (isInteger) {
    std::snprintf(expected, sizeof(expected), fmt.c_str(), integer);
    text.format(fmt.c_str(), integer);
    wide.format(wideFormat.getStringW(), integer);
  } else {
    std::snprintf(expected, sizeof(expected), fmt.c_str(), real);
    text.format(fmt.c_str(), real);
    wide.format(wideFormat.getStringW(), real);
  }
  check(text == QelString::fromUtf8(expected));
  if (wideFormat.toUtf8() == fmt) check(wide == text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  checkUtf8RoundTrip(bytes);

  std::u16string units(size / 2, u'\0');
  std::memcpy(units.data(), data, units.size() * 2);
  checkUtf16(units);

  std::vector<wchar_t> wide(size / 4 + 1, L'\0');
  std::memcpy(wide.data(), data, (size / 4) * 4);
  const QelString fromWide(wide.data());
  check(QelString::fromUtf8(fromWide.toUtf8()) == fromWide);

  const std::string narrow(bytes.substr(0, bytes.find('\0')));
  check(QelString(narrow.c_str()) == QelString::fromUtf8(narrow));

  checkToInteger(bytes);
  checkFormat(data, size);
  return 0;
}
