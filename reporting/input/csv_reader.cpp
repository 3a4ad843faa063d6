#include "input/csv_reader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "BomReportErrors.h"

namespace bomreport {
namespace {

constexpr std::size_t kBlockSize = 1 << 20;
constexpr const char* kNulCharacter = "NUL character";

// NUL ends a run too: it is an error, and stopping at the first one keeps a
// stream of NULs (a device, a binary file) from being read to its end.
bool isSpecial(char c) { return c == ',' || c == '"' || c == '\r' || c == '\n' || c == '\0'; }
bool endsQuotedRun(char c) { return c == '"' || c == '\r' || c == '\n' || c == '\0'; }

}  // namespace

CsvReader::CsvReader(const std::string& path)
    : path_(path), file_(std::fopen(path.c_str(), "rb")), buffer_(kBlockSize) {
  if (file_ == nullptr) throw InputError(path, std::string("cannot open: ") + std::strerror(errno));
}

CsvReader::~CsvReader() { std::fclose(file_); }

bool CsvReader::refill() {
  size_ = std::fread(buffer_.data(), 1, buffer_.size(), file_);
  pos_ = 0;
  if (size_ == 0 && std::ferror(file_)) {
    throw InputError(path_, std::string("cannot read: ") + std::strerror(errno));
  }
  if (atStart_) {
    atStart_ = false;
    if (size_ >= 3 && std::memcmp(buffer_.data(), "\xEF\xBB\xBF", 3) == 0) pos_ = 3;
    if (pos_ == size_) return refill();
  }
  return size_ > 0;
}

void CsvReader::error(long long line, int column, const std::string& reason) const {
  throw InputError(path_, line, column, reason);
}

long long CsvReader::fieldLine(int i) const {
  // Line breaks reach the record only from quoted fields, one '\n' each.
  const std::size_t begin = i == 0 ? 0 : ends_[i - 1];
  const auto breaks = std::count(record_.begin(), record_.begin() + begin, '\n');
  return recordLine_ + static_cast<long long>(breaks);
}

void CsvReader::consumeLineBreak(int c) {
  advance();
  if (c == '\r' && peek() == '\n') advance();
  ++line_;
}

void CsvReader::readQuoted(int column) {
  const long long startLine = line_;
  advance();  // the opening quote
  for (;;) {
    const int c = peek();
    if (c == kEnd) error(startLine, column, "quoted field not closed before the end of the file");
    if (c == '"') {
      advance();
      if (peek() != '"') return;  // the closing quote
      advance();
      record_ += '"';
    } else if (c == '\r' || c == '\n') {
      consumeLineBreak(c);
      record_ += '\n';
    } else if (c == 0) {
      error(line_, column, kNulCharacter);
    } else {
      // Copy the run of ordinary characters at once.
      const char* begin = buffer_.data() + pos_;
      std::size_t n = 0;
      while (pos_ + n < size_ && !endsQuotedRun(begin[n])) ++n;
      record_.append(begin, n);
      pos_ += n;
    }
  }
}

void CsvReader::readUnquoted(int column) {
  for (;;) {
    const int c = peek();
    if (c == kEnd || c == ',' || c == '\r' || c == '\n') return;
    if (c == '"') error(line_, column, "quote inside an unquoted field");
    if (c == 0) error(line_, column, kNulCharacter);
    const char* begin = buffer_.data() + pos_;
    std::size_t n = 0;
    while (pos_ + n < size_ && !isSpecial(begin[n])) ++n;
    record_.append(begin, n);
    pos_ += n;
  }
}

bool CsvReader::next() {
  for (;;) {
    record_.clear();
    ends_.clear();
    if (peek() == kEnd) return false;
    recordLine_ = line_;
    bool quotedSeen = false;
    for (;;) {
      if (ends_.size() == kMaxFields) {
        error(recordLine_, 0, "more than " + std::to_string(kMaxFields) + " fields in a record");
      }
      const int column = static_cast<int>(ends_.size()) + 1;
      if (peek() == '"') {
        quotedSeen = true;
        readQuoted(column);
        const int after = peek();
        if (after != kEnd && after != ',' && after != '\r' && after != '\n') {
          error(line_, column, "unexpected text after a closing quote");
        }
      } else {
        readUnquoted(column);
      }
      ends_.push_back(record_.size());
      const int c = peek();
      if (c == ',') {
        advance();
        continue;
      }
      if (c != kEnd) consumeLineBreak(c);
      break;
    }
    // An empty line is no record.
    if (ends_.size() == 1 && record_.empty() && !quotedSeen) continue;
    return true;
  }
}

}  // namespace bomreport
