// CsvReader: a streaming reader of comma-separated values (RFC 4180).
//
// Fields are separated by ','; a field that starts with '"' is quoted and may
// hold ',', '"' (written '""') and line breaks. Records end at LF, CRLF or a
// lone CR. A UTF-8 byte-order mark at the start is skipped. Line breaks inside
// quoted fields are read as LF. Empty lines are skipped. A quote inside an
// unquoted field, text after a closing quote, a quoted field that never ends
// and a NUL character (no text holds one) are errors (InputError with the line
// and the 1-based column number of the field).
//
// The file is read in large blocks; a record's fields live in one buffer that
// is reused from record to record. Memory is that of the longest record plus a
// word per field, whatever the file holds; a record of more than kMaxFields
// fields is an error.
#ifndef BOMREPORT_INPUT_CSV_READER_H_
#define BOMREPORT_INPUT_CSV_READER_H_

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace bomreport {

class CsvReader {
 public:
  // Field numbers are ints.
  static constexpr std::size_t kMaxFields = 0x7FFFFFFE;

  // Opens `path`; throws InputError when it cannot.
  explicit CsvReader(const std::string& path);
  ~CsvReader();
  CsvReader(const CsvReader&) = delete;
  CsvReader& operator=(const CsvReader&) = delete;

  // Reads the next record; false at the end of the file.
  bool next();

  int fieldCount() const { return static_cast<int>(ends_.size()); }
  // REQUIRES: 0 <= i < fieldCount(). Valid until the next call of next().
  std::string_view field(int i) const {
    const std::size_t begin = i == 0 ? 0 : ends_[i - 1];
    return std::string_view(record_).substr(begin, ends_[i] - begin);
  }
  // The line on which the current record starts (1-based).
  long long recordLine() const { return recordLine_; }
  // The line on which field `i` starts (for messages: counts the line breaks of
  // the quoted fields before it).
  long long fieldLine(int i) const;
  const std::string& path() const { return path_; }

 private:
  static constexpr int kEnd = -1;

  int peek() {
    if (pos_ == size_ && !refill()) return kEnd;
    return static_cast<unsigned char>(buffer_[pos_]);
  }
  void advance() { ++pos_; }
  bool refill();
  // Consumes a line break that starts with `c` (CR, CRLF or LF).
  void consumeLineBreak(int c);
  void readQuoted(int column);
  void readUnquoted(int column);
  [[noreturn]] void error(long long line, int column, const std::string& reason) const;

  std::string path_;
  std::FILE* file_;
  std::vector<char> buffer_;
  std::size_t pos_ = 0;
  std::size_t size_ = 0;
  bool atStart_ = true;
  long long line_ = 1;  // the line the reader is on
  long long recordLine_ = 0;
  std::string record_;             // the fields' texts, back to back
  std::vector<std::size_t> ends_;  // end offset of each field in record_
};

}  // namespace bomreport

#endif  // BOMREPORT_INPUT_CSV_READER_H_
