// CsvReader: a reader of delimiter-separated values (RFC 4180) over text in
// memory.
//
// Fields are separated by the delimiter (',' unless set); a field that starts
// with '"' is quoted and may hold the delimiter, '"' (written '""') and line
// breaks. Records end at LF, CRLF or a lone CR. Line breaks inside quoted
// fields are read as LF. Empty lines are skipped. A quote inside an unquoted
// field, text after a closing quote, a quoted field that never ends and a NUL
// character (no text holds one) are errors: CsvError with the line and the
// 1-based column number of the field.
//
// Fields are views: of the text itself where a field holds it as it is, of a
// buffer of the reader's own for quoted fields with doubled quotes or line
// breaks. They stay valid until the next call of next().
#ifndef BOMREPORT_INPUT_CSV_READER_H_
#define BOMREPORT_INPUT_CSV_READER_H_

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace bomreport {

// A problem at a place of the text: lines counted from the reader's first
// line (1), columns 1-based (0: the whole record).
struct CsvError {
  long long line;
  long long column;
  std::string reason;
};

// Thrown when a reader over a part of a text (SplitEnd::kInsidePossible off)
// reaches the end of its part inside a quoted field: the part did not end at
// a record boundary.
struct CsvSplitInvalid {};

class CsvReader {
 public:
  // Field numbers are ints.
  static constexpr std::size_t kMaxFields = 0x7FFFFFFE;

  // Reads `text` (which must outlive the reader). With `partOfText`, `text`
  // is one part of a larger text: ending inside a quoted field throws
  // CsvSplitInvalid instead of an error.
  CsvReader(std::string_view text, char delimiter, bool partOfText = false);

  // Reads the next record; false at the end of the text. Throws CsvError.
  bool next();

  int fieldCount() const { return static_cast<int>(fields_.size()); }
  // REQUIRES: 0 <= i < fieldCount(). Valid until the next call of next().
  std::string_view field(int i) const { return fields_[static_cast<std::size_t>(i)]; }
  // Whether every byte of the current record is ASCII (then it is valid UTF-8).
  bool recordIsAscii() const { return ascii_; }
  // The line on which the current record starts (1-based).
  long long recordLine() const { return recordLine_; }
  // The line on which field `i` starts (for messages: counts the line breaks
  // of the quoted fields before it).
  long long fieldLine(int i) const;
  // The line the reader is on: after the last record, the number of lines
  // read plus one.
  long long line() const { return line_; }
  // Where the next record starts in the text.
  std::size_t offset() const { return pos_; }

 private:
  void readQuoted(int column);
  void readUnquoted();
  // Consumes a line break at pos_ (CR, CRLF or LF).
  void consumeLineBreak();
  [[noreturn]] void error(long long line, int column, const std::string& reason) const;

  std::string_view text_;
  std::size_t pos_ = 0;
  char delimiter_;
  bool partOfText_;
  bool ascii_ = true;
  long long line_ = 1;
  long long recordLine_ = 0;
  std::vector<std::string_view> fields_;
  // Quoted fields that differ from their text: their content, back to back,
  // and which fields (index, offset, length) to point at it once the record
  // is read.
  std::string scratch_;
  struct ScratchField {
    std::size_t field;
    std::size_t offset;
    std::size_t length;
  };
  std::vector<ScratchField> scratchFields_;
};

// The offset in `text` just after the first line break at or after `from`
// that ends a record (one not inside a quoted field), assuming `text` is
// well-formed from its start; text.size() when there is none.
std::size_t nextRecordBoundary(std::string_view text, std::size_t from);

// The number of line breaks (CR, CRLF, LF) in `text`.
long long countLineBreaks(std::string_view text);

}  // namespace bomreport

#endif  // BOMREPORT_INPUT_CSV_READER_H_
