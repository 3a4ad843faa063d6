// QelString: reference-counted, copy-on-write UTF-16 text.
//
// A non-empty string points at the first code unit of a block of the block
// pool (QelBlockPool.h) laid out as
//   [Rep header][code units ...][0]
// The header holds the atomic reference count, the length and the capacity (in
// code units, not counting the terminating zero). An empty string holds no block.
#include "QelString.h"

#include <unicode/uchar.h>
#include <unicode/ustring.h>
#include <unicode/utf16.h>
#include <unicode/utypes.h>

#include <algorithm>
#include <atomic>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

#include "QelBlockPool.h"

QelString::Collation QelString::s_collation = QelString::Collation::kCodeUnits;

struct QelString::Rep {
  std::atomic<int> refs;
  int length;
  int capacity;
};

namespace {

constexpr UChar32 kReplacementChar = 0xFFFD;
constexpr int kMaxUnits = INT_MAX - 1;

static_assert(sizeof(UChar) == sizeof(char16_t), "ICU UChar must be a 16-bit code unit");

template <typename RepT>
char16_t* unitsOf(RepT* rep) noexcept {
  return reinterpret_cast<char16_t*>(reinterpret_cast<unsigned char*>(rep) + sizeof(RepT));
}

template <typename RepT>
RepT* repOf(const char16_t* text) noexcept {
  return reinterpret_cast<RepT*>(
      const_cast<unsigned char*>(reinterpret_cast<const unsigned char*>(text)) - sizeof(RepT));
}

const UChar* asUChar(const char16_t* text) noexcept { return reinterpret_cast<const UChar*>(text); }
UChar* asUChar(char16_t* text) noexcept { return reinterpret_cast<UChar*>(text); }

bool isAscii(const char* text, size_t size) noexcept {
  for (size_t i = 0; i < size; ++i) {
    if (static_cast<unsigned char>(text[i]) >= 0x80) return false;
  }
  return true;
}

// Capacity after growing from `current` to hold at least `needed` code units.
int grownCapacity(int current, int needed) noexcept {
  const long long grown = static_cast<long long>(current) + current / 2;
  return static_cast<int>(std::min<long long>(kMaxUnits, std::max<long long>(needed, grown)));
}

// ---- Natural collation ----

bool isDecimalDigit(UChar32 ch) noexcept { return u_charType(ch) == U_DECIMAL_DIGIT_NUMBER; }

// A run of decimal digits: where its significant digits start (after leading
// zeros), where it ends, and how many significant digits it has.
struct DigitRun {
  int significantStart;
  int end;
  int significant;
};

DigitRun readDigitRun(const char16_t* text, int length, int start) noexcept {
  DigitRun run{start, start, 0};
  int pos = start;
  while (pos < length) {
    const int at = pos;
    UChar32 ch;
    U16_NEXT(text, pos, length, ch);
    if (!isDecimalDigit(ch)) {
      pos = at;
      break;
    }
    if (run.significant == 0 && u_charDigitValue(ch) == 0) {
      run.significantStart = pos;
    } else {
      ++run.significant;
    }
  }
  run.end = pos;
  return run;
}

// By value: more significant digits is greater, else the first differing digit.
int compareDigitRuns(const char16_t* a, const DigitRun& runA, const char16_t* b,
                     const DigitRun& runB) noexcept {
  if (runA.significant != runB.significant) return runA.significant < runB.significant ? -1 : 1;
  int i = runA.significantStart;
  int j = runB.significantStart;
  while (i < runA.end && j < runB.end) {
    UChar32 x;
    UChar32 y;
    U16_NEXT(a, i, runA.end, x);
    U16_NEXT(b, j, runB.end, y);
    const int digitX = u_charDigitValue(x);
    const int digitY = u_charDigitValue(y);
    if (digitX != digitY) return digitX < digitY ? -1 : 1;
  }
  return 0;
}

// strtol's white space in the C locale.
bool isCSpace(char16_t ch) noexcept { return ch == u' ' || (ch >= u'\t' && ch <= u'\r'); }

// printf output, in a stack buffer when short and on the heap otherwise.
class FormattedText {
 public:
  // Returns false when the format is invalid for vsnprintf.
  bool print(const char* fmt, va_list args) {
    va_list again;
    va_copy(again, args);
    const int n = std::vsnprintf(m_stack, sizeof(m_stack), fmt, args);
    if (n < 0) {
      va_end(again);
      return false;
    }
    m_size = static_cast<size_t>(n);
    if (m_size < sizeof(m_stack)) {
      m_data = m_stack;
    } else {
      m_heap.reset(new char[m_size + 1]);
      std::vsnprintf(m_heap.get(), m_size + 1, fmt, again);
      m_data = m_heap.get();
    }
    va_end(again);
    return true;
  }
  std::string_view text() const noexcept { return std::string_view(m_data, m_size); }

 private:
  char m_stack[256];
  std::unique_ptr<char[]> m_heap;
  const char* m_data = m_stack;
  size_t m_size = 0;
};

// A UTF-16 format narrowed to UTF-8, in a stack buffer when short.
class NarrowFormat {
 public:
  explicit NarrowFormat(const char16_t* fmt) {
    const size_t length = std::char_traits<char16_t>::length(fmt);
    bool ascii = length < sizeof(m_stack);
    for (size_t i = 0; ascii && i < length; ++i) ascii = fmt[i] < 0x80;
    if (ascii) {
      for (size_t i = 0; i < length; ++i) m_stack[i] = static_cast<char>(fmt[i]);
      m_stack[length] = '\0';
      m_data = m_stack;
    } else {
      m_heap = QelString(fmt).toUtf8();
      m_data = m_heap.c_str();
    }
  }
  const char* c_str() const noexcept { return m_data; }

 private:
  char m_stack[128];
  std::string m_heap;
  const char* m_data = m_stack;
};

}  // namespace

// ---- Block management ------------------------------------------------------

QelString::Rep* QelString::allocate(int length) {
  if (length < 0 || length > kMaxUnits) throw std::bad_alloc();
  const size_t bytes = sizeof(Rep) + (static_cast<size_t>(length) + 1) * sizeof(char16_t);
  void* memory = qel_roots::allocateBlock(bytes);
  if (memory == nullptr) throw std::bad_alloc();
  Rep* rep = new (memory) Rep{{1}, 0, length};
  unitsOf(rep)[0] = 0;
  return rep;
}

void QelString::destroy(char16_t* text) noexcept {
  static_assert(sizeof(Rep) == kRefsSlot * sizeof(int) && offsetof(Rep, length) == sizeof(int),
                "the header reads the count and the length by slot");
  Rep* rep = repOf<Rep>(text);
  rep->~Rep();
  qel_roots::releaseBlock(rep);
}

// Makes the block owned by this string alone, with room for `extra` more code
// units after the current text. Leaves an empty string without a block when no
// room is asked for.
void QelString::makeUnique(int extra) {
  const int len = length();
  if (extra < 0) extra = 0;
  if (extra > kMaxUnits - len) throw std::bad_alloc();
  const int needed = len + extra;
  if (m_pText == nullptr && needed == 0) return;
  if (m_pText != nullptr) {
    Rep* rep = repOf<Rep>(m_pText);
    if (rep->refs.load(std::memory_order_acquire) == 1 && rep->capacity >= needed) return;
  }
  const int current = m_pText != nullptr ? repOf<Rep>(m_pText)->capacity : 0;
  const int capacity = extra == 0 ? needed : grownCapacity(current, needed);
  Rep* fresh = allocate(capacity);
  if (len > 0) std::memcpy(unitsOf(fresh), m_pText, static_cast<size_t>(len) * sizeof(char16_t));
  fresh->length = len;
  unitsOf(fresh)[len] = 0;
  release();
  m_pText = unitsOf(fresh);
}

// Replaces the text with `length` units at `text`, which may lie in this
// string's own block.
void QelString::assignUnits(const char16_t* text, int length) {
  if (text == nullptr || length <= 0) {
    release();
    return;
  }
  if (m_pText != nullptr) {
    Rep* rep = repOf<Rep>(m_pText);
    if (rep->refs.load(std::memory_order_acquire) == 1 && rep->capacity >= length) {
      std::memmove(m_pText, text, static_cast<size_t>(length) * sizeof(char16_t));
      rep->length = length;
      m_pText[length] = 0;
      return;
    }
  }
  Rep* fresh = allocate(length);
  std::memcpy(unitsOf(fresh), text, static_cast<size_t>(length) * sizeof(char16_t));
  fresh->length = length;
  unitsOf(fresh)[length] = 0;
  release();
  m_pText = unitsOf(fresh);
}

// ---- Construction ----------------------------------------------------------

QelString::QelString(const char16_t* text) : m_pText(nullptr) {
  if (text == nullptr) return;
  const size_t length = std::char_traits<char16_t>::length(text);
  if (length > static_cast<size_t>(kMaxUnits)) throw std::bad_alloc();
  assignUnits(text, static_cast<int>(length));
}

QelString::QelString(const char16_t* text, int length) : m_pText(nullptr) {
  assignUnits(text, length);
}

QelString::QelString(const char* text) : m_pText(nullptr) {
  if (text == nullptr) return;
  *this = fromUtf8(std::string_view(text));
}

QelString::QelString(const wchar_t* text) : m_pText(nullptr) {
  if (text == nullptr) return;
  const size_t count = std::char_traits<wchar_t>::length(text);
  if (count == 0) return;
  if constexpr (sizeof(wchar_t) == sizeof(char16_t)) {
    if (count > static_cast<size_t>(kMaxUnits)) throw std::bad_alloc();
    assignUnits(reinterpret_cast<const char16_t*>(text), static_cast<int>(count));
  } else {
    // Size the result exactly: supplementary code points take two units, every
    // other value (including invalid ones, which become U+FFFD) one.
    size_t units = 0;
    for (size_t i = 0; i < count; ++i) {
      const auto cp = static_cast<uint32_t>(text[i]);
      units += (cp >= 0x10000 && cp <= 0x10FFFF) ? 2 : 1;
    }
    if (units > static_cast<size_t>(kMaxUnits) || count > static_cast<size_t>(INT32_MAX)) {
      throw std::bad_alloc();
    }
    Rep* rep = allocate(static_cast<int>(units));
    int32_t written = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strFromUTF32WithSub(asUChar(unitsOf(rep)), static_cast<int32_t>(units) + 1, &written,
                          reinterpret_cast<const UChar32*>(text), static_cast<int32_t>(count),
                          kReplacementChar, nullptr, &status);
    if (U_FAILURE(status)) written = 0;
    rep->length = written;
    unitsOf(rep)[written] = 0;
    m_pText = unitsOf(rep);
    if (written == 0) release();
  }
}

// ---- UTF-8 -----------------------------------------------------------------

QelString QelString::fromUtf8(std::string_view utf8) {
  QelString result;
  if (utf8.empty()) return result;
  if (utf8.size() > static_cast<size_t>(kMaxUnits)) throw std::bad_alloc();
  const int size = static_cast<int>(utf8.size());
  // Every UTF-8 byte yields at most one UTF-16 unit, so `size` units suffice.
  Rep* rep = allocate(size);
  char16_t* units = unitsOf(rep);
  int32_t written = size;
  if (isAscii(utf8.data(), utf8.size())) {
    for (int i = 0; i < size; ++i) units[i] = static_cast<char16_t>(utf8[static_cast<size_t>(i)]);
  } else {
    UErrorCode status = U_ZERO_ERROR;
    u_strFromUTF8WithSub(asUChar(units), size + 1, &written, utf8.data(), size, kReplacementChar,
                         nullptr, &status);
    if (U_FAILURE(status)) written = 0;
  }
  rep->length = written;
  units[written] = 0;
  result.m_pText = units;
  if (written == 0) result.release();
  return result;
}

std::string QelString::toUtf8() const {
  std::string result;
  const int len = length();
  if (len == 0) return result;
  bool ascii = true;
  for (int i = 0; ascii && i < len; ++i) ascii = m_pText[i] < 0x80;
  if (ascii) {
    result.resize(static_cast<size_t>(len));
    for (int i = 0; i < len; ++i) result[static_cast<size_t>(i)] = static_cast<char>(m_pText[i]);
    return result;
  }
  int32_t needed = 0;
  UErrorCode status = U_ZERO_ERROR;
  u_strToUTF8WithSub(nullptr, 0, &needed, asUChar(m_pText), len, kReplacementChar, nullptr,
                     &status);
  if (status != U_BUFFER_OVERFLOW_ERROR && U_FAILURE(status)) return result;
  result.resize(static_cast<size_t>(needed));
  status = U_ZERO_ERROR;
  u_strToUTF8WithSub(result.data(), needed, &needed, asUChar(m_pText), len, kReplacementChar,
                     nullptr, &status);
  if (U_FAILURE(status)) result.clear();
  return result;
}

// ---- Access and comparison -------------------------------------------------

// Ordinal comparison of two code unit runs.
int QelString::compareUnits(const char16_t* a, int lengthA, const char16_t* b,
                            int lengthB) noexcept {
  static_assert(offsetof(Rep, length) + kLengthSlot * sizeof(int) == sizeof(Rep),
                "the inline length() reads the length kLengthSlot ints before the text");
  const int common = std::min(lengthA, lengthB);
  for (int i = 0; i < common; ++i) {
    if (a[i] != b[i]) return static_cast<int>(a[i]) - static_cast<int>(b[i]);
  }
  return (lengthA > lengthB) - (lengthA < lengthB);
}

int QelString::compare(const QelString& a, const QelString& b, int n) noexcept {
  if (n <= 0 || a.m_pText == b.m_pText) return 0;
  const int lengthA = std::min(a.length(), n);
  const int lengthB = std::min(b.length(), n);
  if (s_collation != Collation::kCodeUnits) {
    return compareNatural(a.getStringW(), lengthA, b.getStringW(), lengthB);
  }
  return compareUnits(a.getStringW(), lengthA, b.getStringW(), lengthB);
}

// Both texts are read as a sequence of pieces: a digit run (compared with
// another by value, and with a character as '0') or one character (by its
// simple case folding). The sequences are compared piece by piece; a text that
// ends first orders first. Pieces are ordered consistently with each other, so
// the order is a total order once ties fall back to code units.
int QelString::compareNatural(const char16_t* a, int lengthA, const char16_t* b,
                              int lengthB) noexcept {
  int i = 0;
  int j = 0;
  while (i < lengthA && j < lengthB) {
    int nextI = i;
    int nextJ = j;
    UChar32 x;
    UChar32 y;
    U16_NEXT(a, nextI, lengthA, x);
    U16_NEXT(b, nextJ, lengthB, y);
    const bool digitX = isDecimalDigit(x);
    const bool digitY = isDecimalDigit(y);
    if (digitX && digitY) {
      const DigitRun runA = readDigitRun(a, lengthA, i);
      const DigitRun runB = readDigitRun(b, lengthB, j);
      const int byValue = compareDigitRuns(a, runA, b, runB);
      if (byValue != 0) return byValue;
      i = runA.end;
      j = runB.end;
      continue;
    }
    const UChar32 foldedX = digitX ? UChar32{u'0'} : u_foldCase(x, U_FOLD_CASE_DEFAULT);
    const UChar32 foldedY = digitY ? UChar32{u'0'} : u_foldCase(y, U_FOLD_CASE_DEFAULT);
    if (foldedX != foldedY) return foldedX < foldedY ? -1 : 1;
    i = nextI;
    j = nextJ;
  }
  if (i < lengthA || j < lengthB) return i < lengthA ? 1 : -1;
  const int byUnits = compareUnits(a, lengthA, b, lengthB);
  return (byUnits > 0) - (byUnits < 0);
}

int QelString::strCompareNoCase(const void* a, const void* b) {
  const auto& first = *static_cast<const QelString*>(a);
  const auto& second = *static_cast<const QelString*>(b);
  UErrorCode status = U_ZERO_ERROR;
  const int result =
      u_strCaseCompare(asUChar(first.getStringW()), first.length(), asUChar(second.getStringW()),
                       second.length(), U_FOLD_CASE_DEFAULT, &status);
  if (U_FAILURE(status)) return compare(first, second);
  return result;
}

int QelString::find(const QelString& sub, int start) const noexcept {
  const int len = length();
  const int subLen = sub.length();
  if (start < 0) start = 0;
  if (start > len) return -1;
  if (subLen == 0) return start;
  if (subLen > len - start) return -1;
  const char16_t* text = getStringW();
  const char16_t* pattern = sub.getStringW();
  const char16_t first = pattern[0];
  const size_t restBytes = static_cast<size_t>(subLen - 1) * sizeof(char16_t);
  const int last = len - subLen;
  for (int i = start; i <= last; ++i) {
    if (text[i] == first && std::memcmp(text + i + 1, pattern + 1, restBytes) == 0) return i;
  }
  return -1;
}

QelString QelString::left(int n) const {
  if (n <= 0) return QelString();
  if (n >= length()) return *this;
  return QelString(m_pText, n);
}

QelString QelString::right(int n) const {
  const int len = length();
  if (n <= 0) return QelString();
  if (n >= len) return *this;
  return QelString(m_pText + (len - n), n);
}

// ---- Mutation --------------------------------------------------------------

QelString& QelString::operator+=(const QelString& other) {
  const int added = other.length();
  if (added == 0) return *this;
  if (m_pText == nullptr) return *this = other;
  const bool self = &other == this;
  const int len = length();
  makeUnique(added);
  // Appending a string to itself: after makeUnique the source is our own block.
  const char16_t* source = self ? m_pText : other.m_pText;
  std::memcpy(m_pText + len, source, static_cast<size_t>(added) * sizeof(char16_t));
  repOf<Rep>(m_pText)->length = len + added;
  m_pText[len + added] = 0;
  return *this;
}

QelString& QelString::operator+=(char16_t ch) { return append(ch, 1); }

QelString& QelString::append(char16_t ch, int count) {
  if (count <= 0) return *this;
  const int len = length();
  makeUnique(count);
  std::fill(m_pText + len, m_pText + len + count, ch);
  repOf<Rep>(m_pText)->length = len + count;
  m_pText[len + count] = 0;
  return *this;
}

void QelString::removeAll(char16_t ch) {
  const int len = length();
  int first = 0;
  while (first < len && m_pText[first] != ch) ++first;
  if (first == len) return;
  makeUnique(0);
  int out = first;
  for (int i = first + 1; i < len; ++i) {
    if (m_pText[i] != ch) m_pText[out++] = m_pText[i];
  }
  if (out == 0) {
    release();
    return;
  }
  repOf<Rep>(m_pText)->length = out;
  m_pText[out] = 0;
}

// ---- Numbers ---------------------------------------------------------------

int QelString::toInteger() const noexcept {
  const char16_t* p = getStringW();
  while (isCSpace(*p)) ++p;
  bool negative = false;
  if (*p == u'+' || *p == u'-') {
    negative = *p == u'-';
    ++p;
  }
  // Accumulate the magnitude, saturating just past the int range.
  constexpr long long kLimit = static_cast<long long>(INT_MAX) + 2;
  long long magnitude = 0;
  for (; *p >= u'0' && *p <= u'9'; ++p) {
    if (magnitude < kLimit) magnitude = magnitude * 10 + (*p - u'0');
  }
  const long long value = negative ? -magnitude : magnitude;
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

namespace {

// The formats that are one conversion and nothing else; they are written with
// std::to_chars, which gives printf's text, without parsing the format.
enum class SingleConversion { kNone, kInt, kDouble };

SingleConversion singleConversionOf(const char* fmt) {
  if (fmt[0] != '%' || fmt[1] == 0 || fmt[2] != 0) return SingleConversion::kNone;
  if (fmt[1] == 'd') return SingleConversion::kInt;
  if (fmt[1] == 'g') return SingleConversion::kDouble;
  return SingleConversion::kNone;
}

// Writes the next argument of `args` by `single` into `out`.
void formatSingle(SingleConversion single, va_list args, QelString& out) {
  char buffer[64];
  int length = 0;
  if (single == SingleConversion::kInt) {
    length = static_cast<int>(
        std::to_chars(buffer, buffer + sizeof(buffer), va_arg(args, int)).ptr - buffer);
  } else {
    const double value = va_arg(args, double);
    if (std::isfinite(value)) {
      length = static_cast<int>(
          std::to_chars(buffer, buffer + sizeof(buffer), value, std::chars_format::general, 6).ptr -
          buffer);
    } else {
      length = std::snprintf(buffer, sizeof(buffer), "%g", value);
    }
  }
  char16_t units[64];
  for (int i = 0; i < length; ++i) units[i] = static_cast<unsigned char>(buffer[i]);
  out = QelString(units, length);
}

}  // namespace

int QelString::format(const char* fmt, ...) {
  if (fmt == nullptr) {
    release();
    return 0;
  }
  va_list args;
  va_start(args, fmt);
  const SingleConversion single = singleConversionOf(fmt);
  if (single != SingleConversion::kNone) {
    formatSingle(single, args, *this);
    va_end(args);
    return length();
  }
  FormattedText text;
  const bool ok = text.print(fmt, args);
  va_end(args);
  *this = ok ? fromUtf8(text.text()) : QelString();
  return length();
}

int QelString::format(const char16_t* fmt, ...) {
  if (fmt == nullptr) {
    release();
    return 0;
  }
  const NarrowFormat narrow(fmt);
  va_list args;
  va_start(args, fmt);
  const SingleConversion single = singleConversionOf(narrow.c_str());
  if (single != SingleConversion::kNone) {
    formatSingle(single, args, *this);
    va_end(args);
    return length();
  }
  FormattedText text;
  const bool ok = text.print(narrow.c_str(), args);
  va_end(args);
  *this = ok ? fromUtf8(text.text()) : QelString();
  return length();
}
