#include "input/json_input.h"

#include <sys/stat.h>

#include <cerrno>
#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <memory>

#include "BomReportErrors.h"
#include "text/text_util.h"

namespace bomreport {

// Walks the text for the parser and publishes how far it got.
class JsonEventReader::TrackingIterator {
 public:
  using iterator_category = std::input_iterator_tag;
  using value_type = char;
  using difference_type = std::ptrdiff_t;
  using pointer = const char*;
  using reference = const char&;

  // Ends at `end` or at the first NUL byte before it, which the parser would
  // take for the end of the input anyway: the text is not searched for one
  // before it is parsed.
  TrackingIterator(const char* position, const char* end, const char** cursor)
      : position_(position), end_(end), cursor_(cursor) {}

  reference operator*() const { return *position_; }
  TrackingIterator& operator++() {
    *cursor_ = ++position_;
    return *this;
  }
  TrackingIterator operator++(int) {
    TrackingIterator old = *this;
    ++*this;
    return old;
  }
  bool operator==(const TrackingIterator& other) const {
    return position_ == other.position_ || (atEnd() && other.atEnd());
  }
  bool operator!=(const TrackingIterator& other) const { return !(*this == other); }

 private:
  bool atEnd() const { return position_ == end_ || *position_ == '\0'; }

  const char* position_;
  const char* end_;
  const char** cursor_;
};

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// The text without a byte-order mark: positions count from after it.
std::string_view withoutBom(std::string_view text) {
  return text.substr(0, 3) == kByteOrderMark ? text.substr(3) : text;
}

}  // namespace

JsonEventReader::JsonEventReader(std::string fileName, std::string_view text)
    : fileName_(std::move(fileName)),
      text_(withoutBom(text)),
      cursor_(text_.data()),
      lastEventEnd_(0),
      tokenStart_(0),
      failed_(false),
      errorLine_(0),
      errorColumn_(0) {}

long long JsonEventReader::tokenLine() {
  if (tokenStart_ < linesCountedTo_) {  // asked out of order: count from the start
    linesCountedTo_ = 0;
    linesCounted_ = 1;
  }
  const std::size_t end = std::min(tokenStart_, text_.size());
  for (std::size_t i = linesCountedTo_; i < end; ++i) linesCounted_ += text_[i] == '\n';
  linesCountedTo_ = end;
  return linesCounted_;
}

void JsonEventReader::run() {
  // The parser would take a NUL byte for the end of the input: it reads up to
  // the first one, and reaching it is an error (see parse_error).
  const char* end = text_.data() + text_.size();
  TrackingIterator first(text_.data(), end, &cursor_);
  TrackingIterator last(end, end, &cursor_);
  const bool ok = nlohmann::json::sax_parse(first, last, this);
  if (ok && nulReached() != std::string_view::npos) failAtNul();
  if (failed_) throw InputError(fileName_, errorLine_, errorColumn_, error_);
  if (!ok) throw InputError(fileName_, "malformed JSON");
}

std::size_t JsonEventReader::nulReached() const {
  const std::size_t read = static_cast<std::size_t>(cursor_ - text_.data());
  return read < text_.size() && text_[read] == '\0' ? read : std::string_view::npos;
}

bool JsonEventReader::failAtNul() {
  tokenStart_ = nulReached();
  return fail("malformed JSON: NUL byte");
}

bool JsonEventReader::checkText(const std::string& value) {
  if (value.size() > kMaxTextBytes) return fail("string longer than 2147483646 bytes");
  if (value.find('\0') != std::string::npos) return fail("NUL character (\\u0000) in a string");
  return true;
}

bool JsonEventReader::fail(const std::string& reason) {
  if (!failed_) {
    failed_ = true;
    error_ = reason;
    lineColumnAt(text_, tokenStart_, errorLine_, errorColumn_);
  }
  return false;
}

bool JsonEventReader::unexpected(const std::string& what) {
  const std::string expected = expectation();
  return fail("unexpected " + what + (expected.empty() ? "" : ", expected " + expected));
}

bool JsonEventReader::onBoolean(bool) { return unexpected("true or false"); }

void JsonEventReader::beginToken() {
  // The token starts at the first character after the previous event that is
  // not white space or a separator.
  std::size_t pos = lastEventEnd_;
  while (pos < text_.size()) {
    const char c = text_[pos];
    if (c != ' ' && c != '\t' && c != '\r' && c != '\n' && c != ',' && c != ':') break;
    ++pos;
  }
  tokenStart_ = pos;
}

void JsonEventReader::beginClosingToken() {
  // The parser has just read the closing bracket.
  const std::size_t read = static_cast<std::size_t>(cursor_ - text_.data());
  tokenStart_ = read > 0 ? read - 1 : 0;
}

bool JsonEventReader::endEvent(bool ok) {
  lastEventEnd_ = static_cast<std::size_t>(cursor_ - text_.data());
  return ok && !failed_;
}

bool JsonEventReader::null() {
  beginToken();
  return endEvent(onNull());
}

bool JsonEventReader::boolean(bool value) {
  beginToken();
  return endEvent(onBoolean(value));
}

bool JsonEventReader::number_integer(number_integer_t value) {
  beginToken();
  JsonNumber number{true, value >= INT_MIN && value <= INT_MAX, 0, static_cast<double>(value)};
  if (number.fitsInt32) number.int32 = static_cast<int>(value);
  return endEvent(onNumber(number));
}

bool JsonEventReader::number_unsigned(number_unsigned_t value) {
  beginToken();
  JsonNumber number{true, value <= static_cast<number_unsigned_t>(INT_MAX), 0,
                    static_cast<double>(value)};
  if (number.fitsInt32) number.int32 = static_cast<int>(value);
  return endEvent(onNumber(number));
}

bool JsonEventReader::number_float(number_float_t value, const string_t& text) {
  beginToken();
  // An integer beyond 64 bits comes here too; it is still an integer.
  const bool integral = text.find_first_of(".eE") == string_t::npos;
  return endEvent(onNumber(JsonNumber{integral, false, 0, value == 0.0 ? 0.0 : value}));
}

bool JsonEventReader::string(string_t& value) {
  beginToken();
  return endEvent(checkText(value) && onString(value));
}

bool JsonEventReader::binary(binary_t&) {
  beginToken();
  return endEvent(unexpected("binary value"));
}

bool JsonEventReader::start_object(std::size_t) {
  beginToken();
  return endEvent(onStartObject());
}

bool JsonEventReader::key(string_t& value) {
  beginToken();
  return endEvent(checkText(value) && onKey(value));
}

bool JsonEventReader::end_object() {
  beginClosingToken();
  return endEvent(onEndObject());
}

bool JsonEventReader::start_array(std::size_t) {
  beginToken();
  return endEvent(onStartArray());
}

bool JsonEventReader::end_array() {
  beginClosingToken();
  return endEvent(onEndArray());
}

bool JsonEventReader::parse_error(std::size_t position, const std::string& lastToken,
                                  const nlohmann::detail::exception& ex) {
  if (failed_) return false;
  // Reading past the end of what was parsed means that a NUL byte cut it short.
  const std::size_t nul = nulReached();
  if (nul != std::string_view::npos && position > nul) return failAtNul();
  if (ex.id == kNumberOverflow) {
    beginToken();
    return fail("number out of the range of a double");
  }
  tokenStart_ = position > 0 ? position - 1 : 0;
  return fail("malformed JSON: " + parseErrorReason(ex.what(), lastToken));
}

std::string JsonEventReader::parseErrorReason(std::string_view message,
                                              std::string_view lastToken) {
  // The message reads "[json.exception.parse_error.101] parse error at line L,
  // column C: REASON[; last read: 'TOKEN'][; expected ...]"; keep the reason
  // and drop the token, which may be long and need not be valid UTF-8.
  const std::size_t columnAt = message.find("column ");
  const std::size_t colon =
      columnAt == std::string_view::npos ? columnAt : message.find(": ", columnAt);
  if (colon != std::string_view::npos) message.remove_prefix(colon + 2);
  constexpr std::string_view kLastRead = "; last read: '";
  const std::size_t at = message.find(kLastRead);
  const std::size_t tokenAt = at + kLastRead.size();
  if (at == std::string_view::npos || message.substr(tokenAt, lastToken.size()) != lastToken ||
      message.substr(tokenAt + lastToken.size(), 1) != "'") {
    return std::string(message);
  }
  std::string reason(message.substr(0, at));
  reason.append(message.substr(tokenAt + lastToken.size() + 1));
  return reason;
}

}  // namespace bomreport
