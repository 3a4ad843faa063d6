// StepReader: an ISO 10303-21 file (the "STEP physical file" that IFC models
// are exchanged in) read as a stream of entity instances.
//
// The reader walks the text once. The header section's entities are read
// whole (readHeader); in the data section each instance is announced by its
// number and keyword (nextInstance), and the caller either reads its
// parameters into a StepParameters (readParameters) or passes over them
// (skipParameters), which only checks that strings close and parentheses
// balance. Nothing is kept between instances but the position: memory does not
// grow with the file.
//
// Strings are decoded to UTF-8: '' is a quote, a doubled backslash one
// backslash, \S\c the ISO 8859 character c + 128, \X\hh the ISO 8859-1
// character hh, \X2\ ... \X0\ (UTF-16 code units) and \X4\ ... \X0\ (UCS-4
// code points) the characters they hold; \P?\ code page switches are read and
// their pages taken as ISO 8859-1 (counted, see nonLatinPageStrings). A
// backslash that starts no escape is kept as written.
// Bytes above 127 (which the format does not allow in strings) are kept when
// they are UTF-8, else read as ISO 8859-1 (counted, see rawLatin1Strings).
//
// Errors (InputError "NAME:LINE:COL: reason"): a text that is not an
// ISO 10303-21 file, a file cut short, unbalanced parentheses, a string or
// comment not closed, a malformed value, a NUL character.
//
// Thread-safety: one reader per thread.
#ifndef BOMREPORT_INPUT_STEP_READER_H_
#define BOMREPORT_INPUT_STEP_READER_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace bomreport {

enum class StepKind : std::uint8_t {
  kNull,       // $
  kDerived,    // *
  kInteger,    // 12
  kReal,       // 1.5E-3
  kString,     // 'text'
  kEnum,       // .NAME. (also the logicals .T. .F. .U.)
  kBinary,     // "0F3"
  kReference,  // #12
  kList,       // (a, b, ...)
  kTyped,      // IFCLABEL('x'): a type name and one value
};

// One value of an instance's parameters. Lists and typed values are followed
// by their elements (a tree in preorder); `end` is the index just past the
// value and everything inside it.
struct StepValue {
  StepKind kind = StepKind::kNull;
  std::uint32_t end = 0;
  std::uint32_t count = 0;   // kList, kTyped: the number of elements
  std::int64_t integer = 0;  // kInteger; kReference: the instance number
  double real = 0.0;         // kReal; kInteger as a double
  // kString: the decoded UTF-8 text; kEnum, kTyped: the name (upper case as
  // written); kBinary: the hex digits. Valid until the next read.
  std::string_view text;
};

// The parameters of one instance: values[0] is the list of its attributes.
struct StepParameters {
  std::vector<StepValue> values;
  std::string decoded;  // texts of strings with escapes

  // The index of element `n` of the list or typed value at `index`, or 0 when
  // there is none (index 0 is never an element).
  std::size_t element(std::size_t index, std::size_t n) const;
  // The attribute `n` of the instance: element(0, n).
  std::size_t attribute(std::size_t n) const { return element(0, n); }
};

// Where an instance stands and what it is.
struct StepInstanceHead {
  std::uint64_t id = 0;      // #id
  std::string_view keyword;  // entity name as written (upper case); empty for a complex instance
  long long line = 0;        // of the '#'
  long long column = 0;
  std::size_t offset = 0;  // of the '#' in the text
};

class StepReader {
 public:
  // `text` must outlive the reader; `fileName` names it in messages.
  StepReader(std::string fileName, std::string_view text);

  // Reads "ISO-10303-21;" and the header section up to the data section.
  // Returns the schema names of FILE_SCHEMA in upper case. Throws InputError.
  std::vector<std::string> readHeader();
  // Where FILE_SCHEMA stands (0 when the header has none).
  long long schemaLine() const { return schemaLine_; }
  long long schemaColumn() const { return schemaColumn_; }

  // The next instance of the data section, positioned before its parameters;
  // false after the last one (END-ISO-10303-21). Throws InputError.
  bool nextInstance(StepInstanceHead& head);
  // Reads the parameters of the instance nextInstance announced, through its
  // ';'. A complex instance (no keyword) cannot be read, only skipped.
  void readParameters(StepParameters& out);
  void skipParameters();

  // Throws InputError at the current position, or at `line`:`column`.
  [[noreturn]] void fail(const std::string& reason) const;
  [[noreturn]] void failAt(long long line, long long column, const std::string& reason) const;

  // How far the text has been read, in bytes.
  std::size_t offset() const { return pos_; }
  const std::string& fileName() const { return fileName_; }
  std::string_view text() const { return text_; }
  // Strings read so far whose \P?\ chose a page other than ISO 8859-1, and
  // strings with bytes above 127 that are not UTF-8.
  long long nonLatinPageStrings() const { return nonLatinPages_; }
  long long rawLatin1Strings() const { return rawLatin1_; }

 private:
  int peek() const { return pos_ < text_.size() ? static_cast<unsigned char>(text_[pos_]) : -1; }
  void advance();  // one byte, counting lines
  void skipSpace();
  void expect(char c, const char* what);
  std::string_view readKeyword();
  bool readWord(std::string_view word);
  void readEntity(StepParameters& out);  // KEYWORD(params) of the header
  void readList(StepParameters& out);
  void readSimpleValue(StepParameters& out);
  void readNumber(StepValue& value);
  void readString(StepParameters& out, StepValue& value);
  bool decodeEscape(std::string& out, std::size_t& i, std::string_view raw) const;
  void readDelimited(StepValue& value, char close, const char* what);
  void skipString();
  void skipComment();
  std::uint64_t readInstanceNumber();

  std::string fileName_;
  std::string_view text_;
  std::size_t pos_ = 0;
  long long line_ = 1;
  std::size_t lineStart_ = 0;
  long long schemaLine_ = 0;
  long long schemaColumn_ = 0;
  bool inData_ = false;
  bool pendingParameters_ = false;
  bool complex_ = false;
  int codePage_ = 'A';  // of the current string
  long long nonLatinPages_ = 0;
  long long rawLatin1_ = 0;
};

}  // namespace bomreport

#endif  // BOMREPORT_INPUT_STEP_READER_H_
