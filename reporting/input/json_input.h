// Reading JSON files with positions.
//
// The JSON readers of the tool (template files, parts files) are event
// handlers over nlohmann's SAX parser: they build the engine's objects while
// the file is parsed, check the structure as they go, and stop at the first
// problem with the line and column where it stands. JsonEventReader feeds the
// parser through an iterator that tells it how far the parser has read, so
// that every event knows where its token begins.
#ifndef BOMREPORT_INPUT_JSON_INPUT_H_
#define BOMREPORT_INPUT_JSON_INPUT_H_

#include <cstddef>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace bomreport {

// A JSON number as the readers need it.
struct JsonNumber {
  bool integral;   // written without fraction or exponent
  bool fitsInt32;  // integral and within the 32-bit range
  int int32;       // the value when fitsInt32
  double real;     // the value as a double (always set)
};

class JsonEventReader : public nlohmann::json_sax<nlohmann::json> {
 public:
  // `fileName` names the file in messages; `text` must outlive the reader. A
  // byte-order mark at its start is skipped.
  JsonEventReader(std::string fileName, std::string_view text);

  // Parses the whole text. Throws InputError on malformed JSON or on the first
  // problem a handler reports.
  void run();

 protected:
  // Events, each called with the token's position known; a handler returns
  // false after fail(). No file of ours holds true or false: by default a
  // boolean is rejected as unexpected.
  virtual bool onNull() = 0;
  virtual bool onBoolean(bool value);
  virtual bool onNumber(const JsonNumber& number) = 0;
  virtual bool onString(const std::string& value) = 0;
  virtual bool onStartObject() = 0;
  virtual bool onKey(const std::string& key) = 0;
  virtual bool onEndObject() = 0;
  virtual bool onStartArray() = 0;
  virtual bool onEndArray() = 0;

  // Records `reason` at the current token and returns false.
  bool fail(const std::string& reason);
  // "unexpected WHAT" (with `expected` appended as ", expected ...").
  bool unexpected(const std::string& what);
  // What the handler expects at this point, for the "unexpected" message.
  virtual std::string expectation() const = 0;
  const std::string& fileName() const { return fileName_; }
  // The 1-based line of the current event's token. Cheap when asked in file
  // order (it counts on from the previous answer).
  long long tokenLine();
  // Where the current event's token begins in the text, and the text's size.
  std::size_t tokenOffset() const { return tokenStart_; }
  std::size_t textSize() const { return text_.size(); }

 public:
  // nlohmann's SAX interface, called by the parser only.
  bool null() final;
  bool boolean(bool value) final;
  bool number_integer(number_integer_t value) final;
  bool number_unsigned(number_unsigned_t value) final;
  bool number_float(number_float_t value, const string_t& text) final;
  bool string(string_t& value) final;
  bool binary(binary_t& value) final;
  bool start_object(std::size_t elements) final;
  bool key(string_t& value) final;
  bool end_object() final;
  bool start_array(std::size_t elements) final;
  bool end_array() final;
  bool parse_error(std::size_t position, const std::string& lastToken,
                   const nlohmann::detail::exception& ex) final;

 private:
  class TrackingIterator;

  // nlohmann's exception id for a number beyond the range of a double.
  static constexpr int kNumberOverflow = 406;

  // Rejects a string that cannot become a QelString: too long, or holding a NUL
  // character (it would cut the text where it is passed on zero-terminated).
  bool checkText(const std::string& value);
  bool failAtNul();
  // The offset of the NUL byte the parser stopped at, or npos.
  std::size_t nulReached() const;
  static std::string parseErrorReason(std::string_view message, std::string_view lastToken);

  // Marks where the token of a value or key event begins / where an end event's
  // bracket stands, then records how far the parser has read after it.
  void beginToken();
  void beginClosingToken();
  bool endEvent(bool ok);

  std::string fileName_;
  std::string_view text_;     // without a byte-order mark
  const char* cursor_;        // how far the parser has read
  std::size_t lastEventEnd_;  // offset reached after the previous event
  std::size_t tokenStart_;    // offset of the current event's token
  bool failed_;
  std::string error_;  // the message of the first failure
  long long errorLine_;
  long long errorColumn_;
  std::size_t linesCountedTo_ = 0;  // tokenLine(): lines counted up to this offset
  long long linesCounted_ = 1;
};

}  // namespace bomreport

#endif  // BOMREPORT_INPUT_JSON_INPUT_H_
