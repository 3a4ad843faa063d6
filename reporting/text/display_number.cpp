#include "text/display_number.h"

#include <charconv>

#include "text/text_util.h"

namespace bomreport {
namespace {

constexpr int kMaxSignificantDigits = 15;
// Longer texts are never numbers of a report ("-" + 15 digits + "." + "e-308").
constexpr std::size_t kMaxNumberLength = 40;

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Reads the digits at `pos`; returns how many.
std::size_t digits(std::string_view text, std::size_t& pos) {
  const std::size_t start = pos;
  while (pos < text.size() && isDigit(text[pos])) ++pos;
  return pos - start;
}

// Checks the syntax above; counts significant digits and decimals.
bool wellFormed(std::string_view text, int& significant, int& decimals, bool& exponent) {
  std::size_t pos = text.size() > 0 && text[0] == '-' ? 1 : 0;
  const std::size_t intStart = pos;
  const std::size_t intDigits = digits(text, pos);
  if (intDigits == 0 || (intDigits > 1 && text[intStart] == '0')) return false;
  std::size_t fracStart = pos;
  std::size_t fracDigits = 0;
  if (pos < text.size() && text[pos] == '.') {
    fracStart = ++pos;
    fracDigits = digits(text, pos);
    if (fracDigits == 0) return false;
  }
  exponent = pos < text.size() && (text[pos] == 'e' || text[pos] == 'E');
  if (exponent) {
    ++pos;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) ++pos;
    if (digits(text, pos) == 0) return false;
  }
  if (pos != text.size()) return false;
  // Significant digits: from the first non-zero digit of the mantissa.
  std::string_view mantissa = text.substr(intStart, intDigits);
  std::string_view fraction = text.substr(fracStart, fracDigits);
  const std::size_t firstInt = mantissa.find_first_not_of('0');
  if (firstInt != std::string_view::npos) {
    significant = static_cast<int>(mantissa.size() - firstInt + fraction.size());
  } else {
    const std::size_t firstFrac = fraction.find_first_not_of('0');
    significant =
        firstFrac == std::string_view::npos ? 1 : static_cast<int>(fraction.size() - firstFrac);
  }
  decimals = static_cast<int>(fracDigits);
  return true;
}

}  // namespace

bool readDisplayNumber(std::string_view text, DisplayNumber& number) {
  if (text.empty() || text.size() > kMaxNumberLength) return false;
  int significant = 0;
  int decimals = 0;
  bool exponent = false;
  if (!wellFormed(text, significant, decimals, exponent)) return false;
  if (significant > kMaxSignificantDigits) return false;
  double value = 0.0;
  if (!parseReal(text, value)) return false;  // beyond a double
  number.value = value;
  number.decimals = decimals;
  number.exponent = exponent;
  return true;
}

bool readDisplayNumber(const QelString& text, DisplayNumber& number) {
  const int n = text.length();
  if (n == 0 || static_cast<std::size_t>(n) > kMaxNumberLength) return false;
  char ascii[kMaxNumberLength];
  for (int i = 0; i < n; ++i) {
    if (text[i] > 0x7F) return false;
    ascii[i] = static_cast<char>(text[i]);
  }
  return readDisplayNumber(std::string_view(ascii, static_cast<std::size_t>(n)), number);
}

std::string shortestNumberText(double value) {
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof(buffer), value);
  return std::string(buffer, result.ptr);
}

}  // namespace bomreport
