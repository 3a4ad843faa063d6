#include "input/step_reader.h"

#include <array>
#include <charconv>
#include <cstring>

#include "BomReportErrors.h"
#include "text/text_util.h"

namespace bomreport {
namespace {

bool isKeywordChar(int c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}
bool isDigit(int c) { return c >= '0' && c <= '9'; }

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// The value of `digits` hex digits at raw[at], or -1.
long hexAt(std::string_view raw, std::size_t at, int digits) {
  if (at + static_cast<std::size_t>(digits) > raw.size()) return -1;
  long value = 0;
  for (int k = 0; k < digits; ++k) {
    const int h = hexValue(raw[at + static_cast<std::size_t>(k)]);
    if (h < 0) return -1;
    value = value * 16 + h;
  }
  return value;
}

void appendCodePoint(std::string& out, std::uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// Bytes that end a run of plain parameter text while an instance is skipped.
const std::array<bool, 256> kSkipStops = [] {
  std::array<bool, 256> stops{};
  for (unsigned char c : std::string_view("\n'();/\0", 7)) stops[c] = true;
  return stops;
}();

// A string's escape, decoded: what it stands for and how many bytes it takes.
struct Escape {
  std::string text;
  std::size_t length = 0;  // 0: no escape, the backslash stands for itself
  const char* error = nullptr;
};

// \X2\ and \X4\: groups of hex digits up to \X0\.
Escape decodeWide(std::string_view raw, std::size_t i, int digits) {
  Escape escape;
  std::size_t at = i + 4;
  std::uint32_t high = 0;  // a pending high surrogate
  while (raw.compare(at, 4, "\\X0\\") != 0) {
    const long unit = hexAt(raw, at, digits);
    if (unit < 0) {
      escape.error = digits == 4 ? "malformed \\X2\\ escape" : "malformed \\X4\\ escape";
      return escape;
    }
    at += static_cast<std::size_t>(digits);
    std::uint32_t cp = static_cast<std::uint32_t>(unit);
    if (digits == 4 && cp >= 0xD800 && cp <= 0xDBFF && high == 0) {
      high = cp;
      continue;
    }
    if (digits == 4 && cp >= 0xDC00 && cp <= 0xDFFF && high != 0) {
      cp = 0x10000 + ((high - 0xD800) << 10) + (cp - 0xDC00);
      high = 0;
    }
    if (high != 0 || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) {
      escape.error =
          "an escape that is no Unicode character (unpaired surrogate or beyond U+10FFFF)";
      return escape;
    }
    if (cp == 0) {
      escape.error = "NUL character in a string";
      return escape;
    }
    appendCodePoint(escape.text, cp);
  }
  if (high != 0) escape.error = "unpaired surrogate in a \\X2\\ escape";
  escape.length = at + 4 - i;
  return escape;
}

// The escape at raw[i] (a backslash); `page` is the current \P?\ code page.
Escape decodeEscapeAt(std::string_view raw, std::size_t i, int& page) {
  Escape escape;
  const std::string_view rest = raw.substr(i);
  if (rest.compare(0, 2, "\\\\") == 0) {
    escape.text = "\\";
    escape.length = 2;
  } else if (rest.compare(0, 3, "\\S\\") == 0 && rest.size() >= 4) {
    const unsigned char shifted = static_cast<unsigned char>(rest[3]);
    if (shifted < 0x20 || shifted > 0x7E) {
      // It shifts a printable ASCII character into the upper half of ISO
      // 8859; before another byte (the first of a UTF-8 sequence) it would
      // leave the rest of that sequence standing alone.
      escape.error = "\\S\\ before a character that is not printable ASCII";
    }
    appendCodePoint(escape.text, shifted + 128u);
    escape.length = rest.size() >= 5 && rest[3] == '\'' && rest[4] == '\'' ? 5 : 4;
  } else if (rest.size() >= 4 && rest[1] == 'P' && rest[3] == '\\' && rest[2] >= 'A' &&
             rest[2] <= 'I') {
    page = rest[2];
    escape.length = 4;
  } else if (rest.compare(0, 3, "\\X\\") == 0 && hexAt(rest, 3, 2) >= 0) {
    const long cp = hexAt(rest, 3, 2);
    if (cp == 0) escape.error = "NUL character in a string";
    appendCodePoint(escape.text, static_cast<std::uint32_t>(cp));
    escape.length = 5;
  } else if (rest.compare(0, 4, "\\X2\\") == 0) {
    return decodeWide(raw, i, 4);
  } else if (rest.compare(0, 4, "\\X4\\") == 0) {
    return decodeWide(raw, i, 8);
  }
  return escape;
}

}  // namespace

std::size_t StepParameters::element(std::size_t index, std::size_t n) const {
  if (index >= values.size()) return 0;
  const StepValue& container = values[index];
  if ((container.kind != StepKind::kList && container.kind != StepKind::kTyped) ||
      n >= container.count) {
    return 0;
  }
  std::size_t at = index + 1;
  for (std::size_t k = 0; k < n; ++k) at = values[at].end;
  return at;
}

StepReader::StepReader(std::string fileName, std::string_view text)
    : fileName_(std::move(fileName)), text_(text) {}

void StepReader::fail(const std::string& reason) const {
  failAt(line_, static_cast<long long>(pos_ - lineStart_) + 1, reason);
}

void StepReader::failAt(long long line, long long column, const std::string& reason) const {
  throw InputError(fileName_, line, column, reason);
}

void StepReader::advance() {
  if (text_[pos_] == '\n') {
    ++line_;
    lineStart_ = pos_ + 1;
  }
  ++pos_;
}

void StepReader::skipComment() {
  const long long line = line_;
  const long long column = static_cast<long long>(pos_ - lineStart_) + 1;
  pos_ += 2;
  while (pos_ + 1 < text_.size() && !(text_[pos_] == '*' && text_[pos_ + 1] == '/')) advance();
  if (pos_ + 1 >= text_.size()) failAt(line, column, "comment not closed (no \"*/\")");
  pos_ += 2;
}

void StepReader::skipSpace() {
  for (;;) {
    const int c = peek();
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
      advance();
    } else if (c == '/' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '*') {
      skipComment();
    } else {
      return;
    }
  }
}

void StepReader::expect(char c, const char* what) {
  skipSpace();
  if (peek() != static_cast<unsigned char>(c)) {
    if (peek() < 0)
      fail(std::string("the file ends where ") + what + " should stand: it is cut short");
    if (peek() == 0) fail("NUL character");
    fail(std::string("expected ") + what);
  }
  advance();
}

bool StepReader::readWord(std::string_view word) {
  if (text_.compare(pos_, word.size(), word) != 0) return false;
  const std::size_t after = pos_ + word.size();
  if (after < text_.size() && isKeywordChar(static_cast<unsigned char>(text_[after]))) return false;
  pos_ = after;
  return true;
}

std::string_view StepReader::readKeyword() {
  const std::size_t start = pos_;
  if (peek() == '!') ++pos_;
  if (!((peek() >= 'A' && peek() <= 'Z') || (peek() >= 'a' && peek() <= 'z'))) {
    pos_ = start;
    return std::string_view();
  }
  while (isKeywordChar(peek())) ++pos_;
  return text_.substr(start, pos_ - start);
}

std::uint64_t StepReader::readInstanceNumber() {
  ++pos_;  // '#'
  const std::size_t start = pos_;
  while (isDigit(peek())) ++pos_;
  std::uint64_t id = 0;
  const auto result = std::from_chars(text_.data() + start, text_.data() + pos_, id);
  if (pos_ == start) fail("expected an instance number after '#'");
  if (result.ec != std::errc()) fail("instance number out of range");
  return id;
}

void StepReader::readNumber(StepValue& value) {
  const std::size_t start = pos_;
  if (peek() == '+' || peek() == '-') ++pos_;
  if (!isDigit(peek())) fail("malformed number");
  while (isDigit(peek())) ++pos_;
  bool real = false;
  if (peek() == '.') {
    real = true;
    ++pos_;
    while (isDigit(peek())) ++pos_;
  }
  if (peek() == 'E' || peek() == 'e') {
    real = true;
    ++pos_;
    if (peek() == '+' || peek() == '-') ++pos_;
    if (!isDigit(peek())) fail("malformed number: no digits after the exponent");
    while (isDigit(peek())) ++pos_;
  }
  const char* first = text_.data() + start + (text_[start] == '+' ? 1 : 0);
  const char* last = text_.data() + pos_;
  if (!real && std::from_chars(first, last, value.integer).ec == std::errc()) {
    value.kind = StepKind::kInteger;
    value.real = static_cast<double>(value.integer);
    return;
  }
  double number = 0.0;
  const auto result = std::from_chars(first, last, number);
  if (result.ec == std::errc::result_out_of_range) {
    // Below the smallest double is 0, as in a CSV cell; above the largest is
    // refused. The cell rule reads "1E-400", not STEP's "1.E-400".
    std::string cell(first, last);
    const std::size_t point = cell.find('.');
    if (point != std::string::npos &&
        (point + 1 == cell.size() || cell[point + 1] == 'E' || cell[point + 1] == 'e')) {
      cell.erase(point, 1);
    }
    if (!parseReal(cell, number)) fail("number out of the range of a double");
  }
  value.kind = StepKind::kReal;
  value.real = number == 0.0 ? 0.0 : number;  // no negative zero
}

void StepReader::skipString() {
  const long long line = line_;
  const long long column = static_cast<long long>(pos_ - lineStart_) + 1;
  ++pos_;
  for (;;) {
    if (pos_ >= text_.size()) failAt(line, column, "string not closed (no closing ')");
    const char c = text_[pos_];
    if (c == '\'') {
      if (pos_ + 1 < text_.size() && text_[pos_ + 1] == '\'') {
        pos_ += 2;
        continue;
      }
      ++pos_;
      return;
    }
    if (c == '\0') fail("NUL character");
    advance();
  }
}

void StepReader::readString(StepParameters& out, StepValue& value) {
  const long long line = line_;
  const long long column = static_cast<long long>(pos_ - lineStart_) + 1;
  const std::size_t start = pos_ + 1;
  skipString();
  const std::string_view raw = text_.substr(start, pos_ - 1 - start);
  if (raw.size() > kMaxTextBytes) failAt(line, column, "string longer than 2147483646 bytes");
  value.kind = StepKind::kString;
  bool plain = true;
  bool high = false;
  for (char c : raw) {
    if (c == '\\' || c == '\'') plain = false;
    if (static_cast<unsigned char>(c) >= 0x80) high = true;
  }
  std::size_t bad = 0;
  const bool utf8 = !high || isValidUtf8(raw, bad);
  if (plain && utf8) {
    value.text = raw;
    return;
  }
  if (!utf8) ++rawLatin1_;
  const std::size_t offset = out.decoded.size();
  int page = 'A';
  bool otherPage = false;
  for (std::size_t i = 0; i < raw.size();) {
    const unsigned char c = static_cast<unsigned char>(raw[i]);
    if (c == '\'') {  // the first of two
      out.decoded += '\'';
      i += 2;
    } else if (c == '\\') {
      const bool shift = raw.compare(i, 3, "\\S\\") == 0;
      const Escape escape = decodeEscapeAt(raw, i, page);
      if (escape.error != nullptr) failAt(line, column, escape.error);
      if (escape.length == 0) {
        out.decoded += '\\';
        ++i;
      } else {
        otherPage = otherPage || (shift && page != 'A');
        out.decoded += escape.text;
        i += escape.length;
      }
    } else if (c >= 0x80 && !utf8) {
      appendCodePoint(out.decoded, c);
      ++i;
    } else {
      out.decoded += static_cast<char>(c);
      ++i;
    }
  }
  if (otherPage) ++nonLatinPages_;
  // Placed once the instance is read (`decoded` may still grow): its offset
  // + 1 and its size until then.
  value.integer = static_cast<std::int64_t>(offset) + 1;
  value.count = static_cast<std::uint32_t>(out.decoded.size() - offset);
}

void StepReader::readDelimited(StepValue& value, char close, const char* what) {
  const std::size_t start = ++pos_;
  while (peek() >= 0 && peek() != close && peek() != '\n' && peek() != 0) ++pos_;
  if (peek() != close) fail(std::string(what) + " not closed");
  value.text = text_.substr(start, pos_ - start);
  ++pos_;
}

void StepReader::readSimpleValue(StepParameters& out) {
  out.values.emplace_back();
  StepValue& value = out.values.back();
  const int c = peek();
  if (c == '$' || c == '*') {
    value.kind = c == '$' ? StepKind::kNull : StepKind::kDerived;
    ++pos_;
  } else if (c == '#') {
    value.kind = StepKind::kReference;
    value.integer = static_cast<std::int64_t>(readInstanceNumber());
  } else if (c == '\'') {
    readString(out, value);
  } else if (c == '.') {
    value.kind = StepKind::kEnum;
    readDelimited(value, '.', "enumeration value");
  } else if (c == '"') {
    value.kind = StepKind::kBinary;
    readDelimited(value, '"', "binary value");
  } else if (isDigit(c) || c == '+' || c == '-') {
    readNumber(value);
  } else if (c < 0) {
    fail("the file ends inside an instance: it is cut short");
  } else if (c == 0) {
    fail("NUL character");
  } else if (c == ';') {
    fail("unbalanced parentheses: ';' inside an open list");
  } else {
    fail(std::string("unexpected character '") + static_cast<char>(c) + "'");
  }
  value.end = static_cast<std::uint32_t>(out.values.size());
}

// A parenthesised list, its nested lists and typed values kept on a stack.
void StepReader::readList(StepParameters& out) {
  std::vector<std::size_t> open;
  expect('(', "'('");
  out.values.emplace_back();
  out.values.back().kind = StepKind::kList;
  open.push_back(out.values.size() - 1);
  bool needValue = true;
  bool justOpened = true;
  while (!open.empty()) {
    skipSpace();
    const int c = peek();
    StepValue& top = out.values[open.back()];
    if (c == ')' && (justOpened || !needValue)) {
      if (top.kind == StepKind::kTyped && top.count != 1) fail("a typed value holds one value");
      ++pos_;
      top.end = static_cast<std::uint32_t>(out.values.size());
      open.pop_back();
      needValue = justOpened = false;
      continue;
    }
    if (!needValue) {
      if (c != ',')
        fail(c < 0 ? "the file ends inside an instance: it is cut short"
                   : (c == ';' ? "unbalanced parentheses: ';' inside an open list"
                               : "expected ',' or ')'"));
      if (top.kind == StepKind::kTyped) fail("a typed value holds one value");
      ++pos_;
      needValue = true;
      justOpened = false;
      continue;
    }
    ++top.count;
    if (c == '(' || c == '!' || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) {
      StepValue opened;
      opened.kind = c == '(' ? StepKind::kList : StepKind::kTyped;
      if (c == '(') {
        ++pos_;
      } else {
        opened.text = readKeyword();
        expect('(', "'(' after a type name");
      }
      out.values.push_back(opened);
      open.push_back(out.values.size() - 1);
      needValue = justOpened = true;
      continue;
    }
    readSimpleValue(out);
    needValue = justOpened = false;
  }
}

void StepReader::readEntity(StepParameters& out) {
  out.values.clear();
  out.decoded.clear();
  readList(out);
  skipSpace();
  if (peek() == ')') fail("unbalanced parentheses: ')' without '('");
  expect(';', "';' after an instance");
  if (out.decoded.empty()) return;
  for (StepValue& value : out.values) {
    if (value.kind == StepKind::kString && value.integer > 0) {
      value.text = std::string_view(out.decoded.data() + value.integer - 1, value.count);
      value.integer = 0;
      value.count = 0;
    }
  }
}

std::vector<std::string> StepReader::readHeader() {
  skipSpace();
  if (!readWord("ISO-10303-21")) {
    fail("not an ISO 10303-21 (STEP) file: it does not start with \"ISO-10303-21;\"");
  }
  expect(';', "';' after ISO-10303-21");
  skipSpace();
  if (!readWord("HEADER")) fail("expected HEADER");
  expect(';', "';' after HEADER");
  std::vector<std::string> schemas;
  StepParameters params;
  for (;;) {
    skipSpace();
    if (readWord("ENDSEC")) break;
    const long long line = line_;
    const long long column = static_cast<long long>(pos_ - lineStart_) + 1;
    const std::string_view keyword = readKeyword();
    if (keyword.empty())
      fail(peek() < 0 ? "the file ends in its header: it is cut short"
                      : "expected a header entity or ENDSEC");
    readEntity(params);
    if (keyword != "FILE_SCHEMA") continue;
    schemaLine_ = line;
    schemaColumn_ = column;
    const std::size_t list = params.attribute(0);
    for (std::size_t k = 0; list != 0 && k < params.values[list].count; ++k) {
      const StepValue& name = params.values[params.element(list, k)];
      if (name.kind == StepKind::kString) schemas.emplace_back(name.text);
    }
  }
  expect(';', "';' after ENDSEC");
  skipSpace();
  if (!readWord("DATA")) fail("expected DATA after the header");
  skipSpace();
  if (peek() == '(') readList(params);
  expect(';', "';' after DATA");
  inData_ = true;
  for (std::string& schema : schemas) {
    for (char& ch : schema) ch = static_cast<char>(ch >= 'a' && ch <= 'z' ? ch - 32 : ch);
  }
  return schemas;
}

bool StepReader::nextInstance(StepInstanceHead& head) {
  if (pendingParameters_) skipParameters();
  for (;;) {
    skipSpace();
    if (!inData_) return false;
    if (peek() == '#') break;
    if (readWord("ENDSEC")) {
      expect(';', "';' after ENDSEC");
      skipSpace();
      if (readWord("END-ISO-10303-21")) {
        expect(';', "';' after END-ISO-10303-21");
        skipSpace();
        // A second model (two files joined, a second gzip member) would be
        // left unread without a word.
        if (peek() >= 0) {
          fail("text after END-ISO-10303-21; (a second model?): a file holds one model; "
               "read each model from a file of its own");
        }
        inData_ = false;
        return false;
      }
      if (!readWord("DATA")) fail("expected DATA or END-ISO-10303-21 after ENDSEC");
      StepParameters ignored;
      skipSpace();
      if (peek() == '(') readList(ignored);
      expect(';', "';' after DATA");
      continue;
    }
    if (peek() < 0) fail("the file ends in its data section: it is cut short (no ENDSEC)");
    if (peek() == 0) fail("NUL character");
    fail("expected an entity instance \"#N=...\" or ENDSEC");
  }
  head.offset = pos_;
  head.line = line_;
  head.column = static_cast<long long>(pos_ - lineStart_) + 1;
  head.id = readInstanceNumber();
  expect('=', "'=' after the instance number");
  skipSpace();
  complex_ = peek() == '(';
  head.keyword = complex_ ? std::string_view() : readKeyword();
  if (!complex_ && head.keyword.empty()) fail("expected an entity name");
  pendingParameters_ = true;
  return true;
}

void StepReader::readParameters(StepParameters& out) {
  pendingParameters_ = false;
  readEntity(out);
}

void StepReader::skipParameters() {
  pendingParameters_ = false;
  int depth = 0;
  bool opened = false;
  const std::size_t size = text_.size();
  for (;;) {
    while (pos_ < size && !kSkipStops[static_cast<unsigned char>(text_[pos_])]) ++pos_;
    if (pos_ >= size) fail("the file ends inside an instance: it is cut short");
    switch (text_[pos_]) {
      case '\'':
        skipString();
        continue;
      case '(':
        ++depth;
        opened = true;
        break;
      case ')':
        if (--depth < 0) fail("unbalanced parentheses: ')' without '('");
        break;
      case ';':
        if (depth != 0) fail("unbalanced parentheses: ';' inside an open list");
        if (!opened) fail("expected '(' before ';'");
        ++pos_;
        return;
      case '/':
        if (pos_ + 1 < size && text_[pos_ + 1] == '*') {
          skipComment();
          continue;
        }
        break;
      case '\0':
        fail("NUL character");
      default:  // '\n'
        break;
    }
    advance();
  }
}

}  // namespace bomreport
