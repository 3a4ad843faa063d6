// QelString: the host's text class, a sequence of UTF-16 code units.
//
// Characters are 16-bit code units (char16_t); lengths and indices count code
// units. Copies share one immutable, reference-counted buffer until either side
// changes, so copying a string never allocates; every copy is nonetheless an
// independent value. A QelString may be copied and destroyed on any thread;
// one object is used by one thread at a time.
#ifndef QEL_STRING_H_
#define QEL_STRING_H_

#include <string>
#include <string_view>

#include "VRKRootsExport.h"

class VRK_ROOTS_API QelString {
 public:
  QelString() noexcept : m_pText(nullptr) {}
  // From a zero-terminated UTF-16 text. A null pointer gives an empty string.
  QelString(const char16_t* text);  // NOLINT(google-explicit-constructor)
  // From a zero-terminated narrow text, read as UTF-8 and widened. Ill-formed
  // UTF-8 sequences become U+FFFD. A null pointer gives an empty string.
  QelString(const char* text);  // NOLINT(google-explicit-constructor)
  // From a zero-terminated wchar_t text (UTF-32 on Linux, UTF-16 on Windows).
  QelString(const wchar_t* text);  // NOLINT(google-explicit-constructor)
  // From `length` code units at `text`.
  QelString(const char16_t* text, int length);
  QelString(const QelString& other) noexcept;
  QelString(QelString&& other) noexcept;
  ~QelString();

  QelString& operator=(const QelString& other) noexcept;
  QelString& operator=(QelString&& other) noexcept;

  static QelString fromUtf8(std::string_view utf8);
  std::string toUtf8() const;

  // Zero-terminated UTF-16 text; valid while the string lives unchanged.
  const char16_t* getStringW() const noexcept { return m_pText != nullptr ? m_pText : u""; }
  int length() const noexcept {
    return m_pText != nullptr ? reinterpret_cast<const int*>(m_pText)[-kLengthSlot] : 0;
  }
  int isEmpty() const noexcept { return length() == 0; }
  char16_t operator[](int index) const noexcept { return getStringW()[index]; }

  bool operator==(const QelString& other) const noexcept {
    if (m_pText == other.m_pText) return true;
    const int len = length();
    if (len != other.length()) return false;
    for (int i = 0; i < len; ++i) {  // tokens are short: a loop beats a call
      if (m_pText[i] != other.m_pText[i]) return false;
    }
    return true;
  }
  bool operator!=(const QelString& other) const noexcept { return !(*this == other); }
  QelString& operator+=(const QelString& other);
  QelString& operator+=(char16_t ch);
  // Appends `count` copies of `ch`.
  QelString& append(char16_t ch, int count);

  // Ordinal comparison of code units: negative, zero or positive as `a` orders
  // before, equal to or after `b`. The three-argument form compares at most the
  // first `n` code units (n <= 0 compares nothing and gives 0).
  static int compare(const QelString& a, const QelString& b) noexcept {
    if (a.m_pText == b.m_pText) return 0;
    return compareUnits(a.getStringW(), a.length(), b.getStringW(), b.length());
  }
  static int compare(const QelString& a, const QelString& b, int n) noexcept;
  // Whether compare() orders texts by their code units alone, as above: true
  // for now. Code that orders texts by their code units itself, to be fast,
  // gives compare()'s order only while this holds, and must otherwise fall
  // back to compare() (a later collation may order "a9" before "a10").
  static bool comparesByCodeUnits() noexcept { return true; }
  // Unicode case-insensitive order (default case folding) of two QelString
  // objects given by address; a qsort/bsearch comparator.
  static int strCompareNoCase(const void* a, const void* b);

  // Index of the first occurrence of `sub` at or after `start`, or -1. An empty
  // `sub` is found at `start` when start <= length().
  int find(const QelString& sub, int start = 0) const noexcept;
  // The first / last `n` code units; n <= 0 gives an empty string, n >= length()
  // the whole string.
  QelString left(int n) const;
  QelString right(int n) const;
  // Removes every occurrence of `ch`.
  void removeAll(char16_t ch);

  // C strtol base-10 semantics: leading white space, an optional sign, digits up
  // to the first other character; no digits gives 0; out of range clamps to
  // INT_MIN / INT_MAX.
  int toInteger() const noexcept;

  // Replaces the text with the printf-style formatting of the arguments, the
  // same text snprintf produces for the format read as UTF-8 (or UTF-16).
  // Returns the new length. Use numeric conversions only (%d, %g, %f, ...).
  int format(const char* fmt, ...);
  int format(const char16_t* fmt, ...);

 private:
  struct Rep;
  // The length is kept in the int this many ints before the first code unit.
  static constexpr int kLengthSlot = 2;
  static int compareUnits(const char16_t* a, int lengthA, const char16_t* b, int lengthB) noexcept;
  static Rep* allocate(int length);
  void makeUnique(int extra);
  void assignUnits(const char16_t* text, int length);
  void release() noexcept;

  char16_t* m_pText;  // first code unit of a shared Rep, or null when empty
};

#endif  // QEL_STRING_H_
