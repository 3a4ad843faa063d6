#include "input/csv_reader.h"

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace bomreport {
namespace {

constexpr const char* kNulCharacter = "NUL character";

bool isLineBreak(char c) { return c == '\r' || c == '\n'; }

bool allAscii(std::string_view text) {
  std::size_t i = 0;
#if defined(__SSE2__)
  __m128i bits = _mm_setzero_si128();
  for (; i + 16 <= text.size(); i += 16) {
    bits = _mm_or_si128(bits, _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + i)));
  }
  if (_mm_movemask_epi8(bits) != 0) return false;
#endif
  unsigned char rest = 0;
  for (; i < text.size(); ++i) rest |= static_cast<unsigned char>(text[i]);
  return rest < 0x80;
}

// How many bytes from `text` on are ordinary in an unquoted field: none of
// the delimiter, '"', CR, LF, NUL. Fields are short, so sixteen bytes are
// looked at a time where the machine can.
std::size_t ordinaryBytes(const char* text, std::size_t size, char delimiter) {
  std::size_t i = 0;
#if defined(__SSE2__)
  const __m128i quote = _mm_set1_epi8('"');
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i lf = _mm_set1_epi8('\n');
  const __m128i nul = _mm_setzero_si128();
  const __m128i sep = _mm_set1_epi8(delimiter);
  for (; i + 16 <= size; i += 16) {
    const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i));
    const __m128i stops = _mm_or_si128(
        _mm_or_si128(_mm_cmpeq_epi8(chunk, sep), _mm_cmpeq_epi8(chunk, quote)),
        _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(chunk, cr), _mm_cmpeq_epi8(chunk, lf)),
                     _mm_cmpeq_epi8(chunk, nul)));
    const int mask = _mm_movemask_epi8(stops);
    if (mask != 0) return i + static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(mask)));
  }
#endif
  for (; i < size; ++i) {
    const char c = text[i];
    if (c == delimiter || c == '"' || c == '\r' || c == '\n' || c == '\0') break;
  }
  return i;
}

}  // namespace

CsvReader::CsvReader(std::string_view text, char delimiter, bool partOfText)
    : text_(text), delimiter_(delimiter), partOfText_(partOfText) {}

void CsvReader::error(long long line, int column, const std::string& reason) const {
  throw CsvError{line, column, reason};
}

void CsvReader::consumeLineBreak() {
  if (text_[pos_] == '\r' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '\n') ++pos_;
  ++pos_;
  ++line_;
}

void CsvReader::readQuoted(int column) {
  const long long startLine = line_;
  const std::size_t field = fields_.size();
  ++pos_;  // the opening quote
  const std::size_t begin = pos_;
  bool copied = false;  // the content differs from the text: it is in scratch_
  const std::size_t offset = scratch_.size();
  for (;;) {
    if (pos_ == text_.size()) {
      if (partOfText_) throw CsvSplitInvalid();
      error(startLine, column, "quoted field not closed before the end of the file");
    }
    const char c = text_[pos_];
    if (c == '"') {
      if (pos_ + 1 < text_.size() && text_[pos_ + 1] == '"') {
        if (!copied) scratch_.append(text_.data() + begin, pos_ - begin);
        copied = true;
        scratch_ += '"';
        pos_ += 2;
        continue;
      }
      if (!copied) {
        fields_.push_back(text_.substr(begin, pos_ - begin));
      } else {
        fields_.emplace_back();
        scratchFields_.push_back({field, offset, scratch_.size() - offset});
      }
      ++pos_;  // the closing quote
      return;
    }
    if (isLineBreak(c)) {
      const bool crlf = c == '\r' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '\n';
      if (c == '\r' || copied) {  // a CR or CRLF becomes LF
        if (!copied) scratch_.append(text_.data() + begin, pos_ - begin);
        copied = true;
        scratch_ += '\n';
      }
      pos_ += crlf ? 2 : 1;
      ++line_;
      continue;
    }
    if (c == '\0') error(line_, column, kNulCharacter);
    const std::size_t start = pos_;
    while (pos_ < text_.size()) {
      const char d = text_[pos_];
      if (d == '"' || d == '\r' || d == '\n' || d == '\0') break;
      ++pos_;
    }
    if (copied) scratch_.append(text_.data() + start, pos_ - start);
  }
}

void CsvReader::readUnquoted() {
  const std::size_t begin = pos_;
  pos_ += ordinaryBytes(text_.data() + pos_, text_.size() - pos_, delimiter_);
  fields_.push_back(text_.substr(begin, pos_ - begin));
}

long long CsvReader::fieldLine(int i) const {
  // Line breaks reach a record only through quoted fields, one '\n' each.
  long long line = recordLine_;
  for (int j = 0; j < i; ++j) line += std::count(field(j).begin(), field(j).end(), '\n');
  return line;
}

bool CsvReader::next() {
  for (;;) {
    fields_.clear();
    scratch_.clear();
    scratchFields_.clear();
    if (pos_ == text_.size()) return false;
    recordLine_ = line_;
    const std::size_t recordStart = pos_;
    bool quotedSeen = false;
    for (;;) {
      if (fields_.size() == kMaxFields) {
        error(recordLine_, 0, "more than " + std::to_string(kMaxFields) + " fields in a record");
      }
      const int column = static_cast<int>(fields_.size()) + 1;
      if (pos_ < text_.size() && text_[pos_] == '"') {
        quotedSeen = true;
        readQuoted(column);
        if (pos_ < text_.size() && text_[pos_] != delimiter_ && !isLineBreak(text_[pos_])) {
          error(line_, column, "unexpected text after a closing quote");
        }
      } else {
        readUnquoted();
        if (pos_ < text_.size() && text_[pos_] == '"') {
          error(line_, column, "quote inside an unquoted field");
        }
        if (pos_ < text_.size() && text_[pos_] == '\0') error(line_, column, kNulCharacter);
      }
      if (pos_ < text_.size() && text_[pos_] == delimiter_) {
        ++pos_;
        continue;
      }
      if (pos_ < text_.size()) consumeLineBreak();
      break;
    }
    // An empty line is no record.
    if (fields_.size() == 1 && fields_[0].empty() && !quotedSeen) continue;
    for (const ScratchField& copy : scratchFields_) {
      fields_[copy.field] = std::string_view(scratch_).substr(copy.offset, copy.length);
    }
    ascii_ = allAscii(text_.substr(recordStart, pos_ - recordStart));
    return true;
  }
}

std::size_t nextRecordBoundary(std::string_view text, std::size_t from) {
  from = std::min(from, text.size());
  const bool inQuotes = std::count(text.begin(), text.begin() + from, '"') % 2 != 0;
  bool quoted = inQuotes;
  for (std::size_t i = from; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '"') {
      quoted = !quoted;
    } else if (!quoted && c == '\n') {
      return i + 1;
    } else if (!quoted && c == '\r') {
      return i + 1 < text.size() && text[i + 1] == '\n' ? i + 2 : i + 1;
    }
  }
  return text.size();
}

long long countLineBreaks(std::string_view text) {
  long long breaks = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n') {
      ++breaks;
    } else if (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n')) {
      ++breaks;
    }
  }
  return breaks;
}

}  // namespace bomreport
