#include "csv_reader.h"

#include <cerrno>
#include <cstring>

#include "input_error.h"

namespace bomreport {
namespace {

constexpr std::size_t kBlockSize = 1 << 20;

bool isSpecial(char c) { return c == ',' || c == '"' || c == '\r' || c == '\n'; }

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

void CsvReader::error(int line, int column, const std::string& reason) const {
  throw InputError(path_, line, column, reason);
}

void CsvReader::consumeLineBreak(int c) {
  advance();
  if (c == '\r' && peek() == '\n') advance();
  ++line_;
}

void CsvReader::readQuoted(int column) {
  const int startLine = line_;
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
    } else {
      // Copy the run of ordinary characters at once.
      const char* begin = buffer_.data() + pos_;
      std::size_t n = 0;
      while (pos_ + n < size_ && begin[n] != '"' && begin[n] != '\r' && begin[n] != '\n') ++n;
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
    fieldLines_.clear();
    if (peek() == kEnd) return false;
    recordLine_ = line_;
    bool quotedSeen = false;
    for (;;) {
      const int column = static_cast<int>(ends_.size()) + 1;
      fieldLines_.push_back(line_);
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
