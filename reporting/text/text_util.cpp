#include "text/text_util.h"

#include <cstdint>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <system_error>

namespace bomreport {
namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Length of the run of digits at `text[pos]`.
std::size_t digitRun(std::string_view text, std::size_t pos) {
  std::size_t n = 0;
  while (pos + n < text.size() && isDigit(text[pos + n])) ++n;
  return n;
}

// The power of ten of the leading digit of a decimal number (2 for "123.4",
// -3 for "0.001e0"), saturated far beyond any double's range; 0 for zero.
// REQUIRES: isDecimalNumber(text).
long long decimalExponent(std::string_view text) {
  constexpr long long kFar = 1LL << 40;
  std::size_t pos = text.find_first_not_of("+-");
  const std::size_t point = text.find('.');
  const std::size_t mark = text.find_first_of("eE");
  const std::size_t mantissaEnd = mark == std::string_view::npos ? text.size() : mark;
  const std::size_t intEnd = point == std::string_view::npos ? mantissaEnd : point;
  const std::size_t first = text.substr(0, mantissaEnd).find_first_of("123456789", pos);
  if (first == std::string_view::npos) return 0;
  long long exponent = first < intEnd ? static_cast<long long>(intEnd - first) - 1
                                      : -static_cast<long long>(first - intEnd);
  if (mark == std::string_view::npos) return exponent;
  pos = mark + 1;
  const bool negative = text[pos] == '-';
  if (text[pos] == '+' || text[pos] == '-') ++pos;
  long long written = 0;
  for (; pos < text.size() && written < kFar; ++pos) written = written * 10 + (text[pos] - '0');
  return exponent + (negative ? -written : written);
}

}  // namespace

bool parseInt32(std::string_view text, int& value) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty() || (text.front() == '-' && text.size() == 1)) return false;
  if (text.front() == '+') return false;  // "+-1", "++1"
  int parsed = 0;
  const char* end = text.data() + text.size();
  auto result = std::from_chars(text.data(), end, parsed);
  if (result.ec != std::errc() || result.ptr != end) return false;
  value = parsed;
  return true;
}

bool isDecimalNumber(std::string_view text) {
  std::size_t pos = 0;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) ++pos;
  const std::size_t intDigits = digitRun(text, pos);
  pos += intDigits;
  std::size_t fracDigits = 0;
  if (pos < text.size() && text[pos] == '.') {
    ++pos;
    fracDigits = digitRun(text, pos);
    pos += fracDigits;
  }
  if (intDigits + fracDigits == 0) return false;
  if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
    ++pos;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) ++pos;
    const std::size_t expDigits = digitRun(text, pos);
    if (expDigits == 0) return false;
    pos += expDigits;
  }
  return pos == text.size();
}

namespace {

// The common short case, [+-]digits[.digits] with at most 15 digits in all:
// the digits as an integer are exact in a double, and so is the power of ten
// that divides them, so the quotient is the correctly rounded value, the one
// from_chars gives. False for anything else.
bool parseShortDecimal(std::string_view text, double& value) {
  static const double kPowersOfTen[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
  std::size_t pos = 0;
  const bool negative = !text.empty() && text[0] == '-';
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) ++pos;
  std::uint64_t mantissa = 0;
  int digits = 0;
  int fraction = -1;  // digits after the point, -1 before it
  for (; pos < text.size(); ++pos) {
    const char c = text[pos];
    if (c >= '0' && c <= '9') {
      if (++digits > 15) return false;
      mantissa = mantissa * 10 + static_cast<std::uint64_t>(c - '0');
      if (fraction >= 0) ++fraction;
    } else if (c == '.' && fraction < 0) {
      fraction = 0;
    } else {
      return false;
    }
  }
  if (digits == 0) return false;
  const double quotient = static_cast<double>(mantissa) / kPowersOfTen[fraction < 0 ? 0 : fraction];
  value = negative && quotient != 0.0 ? -quotient : quotient;  // never -0
  return true;
}

}  // namespace

bool parseReal(std::string_view text, double& value) {
  if (parseShortDecimal(text, value)) return true;
  if (!isDecimalNumber(text)) return false;
  // from_chars takes no leading '+'.
  std::string_view digits = text;
  if (digits.front() == '+') digits.remove_prefix(1);
  double parsed = 0.0;
  const char* end = digits.data() + digits.size();
  auto result = std::from_chars(digits.data(), end, parsed);
  if (result.ptr != end) return false;
  if (result.ec == std::errc::result_out_of_range) {
    if (decimalExponent(digits) >= 0) return false;  // beyond the largest double
    parsed = 0.0;                                    // below the smallest one
  } else if (result.ec != std::errc() || !std::isfinite(parsed)) {
    return false;
  }
  value = parsed == 0.0 ? 0.0 : parsed;
  return true;
}

bool isValidUtf8(std::string_view text, std::size_t& badOffset) {
  const auto* s = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t n = text.size();
  std::size_t i = 0;
  while (i < n) {
    const unsigned char c = s[i];
    if (c < 0x80) {
      ++i;
      continue;
    }
    int extra = 0;
    unsigned int min = 0;
    unsigned int cp = 0;
    if (c >= 0xC2 && c <= 0xDF) {
      extra = 1, min = 0x80, cp = c & 0x1Fu;
    } else if (c >= 0xE0 && c <= 0xEF) {
      extra = 2, min = 0x800, cp = c & 0x0Fu;
    } else if (c >= 0xF0 && c <= 0xF4) {
      extra = 3, min = 0x10000, cp = c & 0x07u;
    } else {
      badOffset = i;
      return false;
    }
    if (i + static_cast<std::size_t>(extra) >= n) {  // truncated sequence
      badOffset = i;
      return false;
    }
    for (int k = 1; k <= extra; ++k) {
      const unsigned char cc = s[i + k];
      if ((cc & 0xC0u) != 0x80u) {
        badOffset = i;
        return false;
      }
      cp = (cp << 6) | (cc & 0x3Fu);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
      badOffset = i;
      return false;
    }
    i += static_cast<std::size_t>(extra) + 1;
  }
  return true;
}

int displayWidth(const QelString& text) {
  const char16_t* s = text.getStringW();
  const int n = text.length();
  int width = 0;
  for (int i = 0; i < n; ++i) {
    if (s[i] < 0xDC00 || s[i] > 0xDFFF) ++width;  // a low surrogate adds nothing
  }
  return width;
}

int displayWidth(std::string_view utf8) {
  int width = 0;
  for (char c : utf8) {
    if ((static_cast<unsigned char>(c) & 0xC0u) != 0x80u) ++width;
  }
  return width;
}

void lineColumnAt(std::string_view text, std::size_t offset, long long& line, long long& column) {
  if (offset > text.size()) offset = text.size();
  line = 1;
  std::size_t lineStart = 0;
  for (std::size_t i = 0; i < offset; ++i) {
    if (text[i] == '\n') {
      ++line;
      lineStart = i + 1;
    }
  }
  column = 1;
  for (std::size_t i = lineStart; i < offset; ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0u) != 0x80u) ++column;
  }
}

std::string quoteForMessage(std::string_view text) {
  constexpr std::size_t kMax = 40;
  std::string_view shown = text;
  const bool cut = text.size() > kMax;
  if (cut) {
    std::size_t end = kMax;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0u) == 0x80u) --end;
    shown = text.substr(0, end);
  }
  // The message itself stays valid UTF-8 on one line.
  std::string out = "\"";
  std::size_t bad = 0;
  while (!isValidUtf8(shown, bad)) {
    out.append(shown.substr(0, bad));
    out += "\xEF\xBF\xBD";  // U+FFFD
    shown.remove_prefix(bad + 1);
  }
  out.append(shown);
  if (cut) out += "...";
  for (char& c : out) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
  }
  return out + "\"";
}

void appendUtf8(std::string& out, const QelString& text) {
  const char16_t* units = text.getStringW();
  const int length = text.length();
  for (int i = 0; i < length; ++i) {
    if (units[i] >= 0x80) {
      out += text.toUtf8();
      return;
    }
  }
  const std::size_t at = out.size();
  out.resize(at + static_cast<std::size_t>(length));
  for (int i = 0; i < length; ++i)
    out[at + static_cast<std::size_t>(i)] = static_cast<char>(units[i]);
}

}  // namespace bomreport
