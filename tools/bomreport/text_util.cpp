#include "text_util.h"

#include <charconv>
#include <cmath>
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

bool parseReal(std::string_view text, double& value) {
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
  if (pos != text.size()) return false;
  // from_chars takes no leading '+'.
  std::string_view digits = text;
  if (digits.front() == '+') digits.remove_prefix(1);
  double parsed = 0.0;
  const char* end = digits.data() + digits.size();
  auto result = std::from_chars(digits.data(), end, parsed);
  if (result.ec != std::errc() || result.ptr != end || !std::isfinite(parsed)) return false;
  value = parsed;
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

void lineColumnAt(std::string_view text, std::size_t offset, int& line, int& column) {
  if (offset > text.size()) offset = text.size();
  line = 1;
  std::size_t lineStart = 0;
  for (std::size_t i = 0; i < offset; ++i) {
    if (text[i] == '\n') {
      ++line;
      lineStart = i + 1;
    }
  }
  column = 1 + displayWidth(text.substr(lineStart, offset - lineStart));
}

std::string quoteForMessage(std::string_view text) {
  constexpr std::size_t kMax = 40;
  std::string out = "\"";
  if (text.size() <= kMax) {
    out.append(text);
  } else {
    std::size_t cut = kMax;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0u) == 0x80u) --cut;
    out.append(text.substr(0, cut));
    out += "...";
  }
  for (char& c : out) {
    if (c == '\n' || c == '\r' || c == '\t') c = ' ';
  }
  return out + "\"";
}

bool looksNumeric(std::string_view text) {
  double ignored = 0.0;
  return parseReal(text, ignored);
}

}  // namespace bomreport
