#include "json_input.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <memory>

#include "input_error.h"
#include "text_util.h"

namespace bomreport {

std::string readWholeFile(const std::string& path) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"),
                                                       &std::fclose);
  if (!file) throw InputError(path, std::string("cannot open: ") + std::strerror(errno));
  std::string content;
  char buffer[1 << 16];
  for (;;) {
    const std::size_t n = std::fread(buffer, 1, sizeof buffer, file.get());
    content.append(buffer, n);
    if (n < sizeof buffer) break;
  }
  if (std::ferror(file.get())) {
    throw InputError(path, std::string("cannot read: ") + std::strerror(errno));
  }
  return content;
}

// Walks the text for the parser and publishes how far it got.
class JsonEventReader::TrackingIterator {
 public:
  using iterator_category = std::input_iterator_tag;
  using value_type = char;
  using difference_type = std::ptrdiff_t;
  using pointer = const char*;
  using reference = const char&;

  TrackingIterator(const char* position, const char** cursor)
      : position_(position), cursor_(cursor) {}

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
  bool operator==(const TrackingIterator& other) const { return position_ == other.position_; }
  bool operator!=(const TrackingIterator& other) const { return position_ != other.position_; }

 private:
  const char* position_;
  const char** cursor_;
};

JsonEventReader::JsonEventReader(std::string fileName, std::string_view text)
    : fileName_(std::move(fileName)),
      text_(text),
      cursor_(text.data()),
      lastEventEnd_(0),
      tokenStart_(0),
      failed_(false),
      errorLine_(0),
      errorColumn_(0) {}

void JsonEventReader::run() {
  TrackingIterator first(text_.data(), &cursor_);
  TrackingIterator last(text_.data() + text_.size(), &cursor_);
  const bool ok = nlohmann::json::sax_parse(first, last, this);
  if (failed_) throw InputError(fileName_, errorLine_, errorColumn_, error_);
  if (!ok) throw InputError(fileName_, "malformed JSON");
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

bool JsonEventReader::onNull() { return unexpected("null"); }
bool JsonEventReader::onBoolean(bool) { return unexpected("true or false"); }
bool JsonEventReader::onNumber(const JsonNumber&) { return unexpected("number"); }
bool JsonEventReader::onString(const std::string&) { return unexpected("string"); }
bool JsonEventReader::onStartObject() { return unexpected("object"); }
bool JsonEventReader::onKey(const std::string& key) {
  return unexpected("key " + quoteForMessage(key));
}
bool JsonEventReader::onEndObject() { return unexpected("end of object"); }
bool JsonEventReader::onStartArray() { return unexpected("array"); }
bool JsonEventReader::onEndArray() { return unexpected("end of array"); }

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

bool JsonEventReader::number_float(number_float_t value, const string_t&) {
  beginToken();
  return endEvent(onNumber(JsonNumber{false, false, 0, value}));
}

bool JsonEventReader::string(string_t& value) {
  beginToken();
  return endEvent(onString(value));
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
  return endEvent(onKey(value));
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

bool JsonEventReader::parse_error(std::size_t position, const std::string&,
                                  const nlohmann::detail::exception& ex) {
  if (failed_) return false;
  // nlohmann's message reads "[json.exception.parse_error.101] parse error at
  // line L, column C: REASON"; keep the reason and place it ourselves.
  std::string reason = ex.what();
  const std::size_t columnAt = reason.find("column ");
  const std::size_t colon = columnAt == std::string::npos ? columnAt : reason.find(": ", columnAt);
  if (colon != std::string::npos) reason = reason.substr(colon + 2);
  tokenStart_ = position > 0 ? position - 1 : 0;
  return fail("malformed JSON: " + reason);
}

}  // namespace bomreport
