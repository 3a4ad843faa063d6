// QelString: the host's text class, a sequence of UTF-16 code units.
//
// Characters are 16-bit code units (char16_t); lengths and indices count code
// units. Copies share one immutable, reference-counted buffer until either side
// changes, so copying a string never allocates; every copy is nonetheless an
// independent value. A QelString may be copied and destroyed on any thread;
// one object is used by one thread at a time.
#ifndef QEL_STRING_H_
#define QEL_STRING_H_

#include <atomic>
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
  // Copying shares the text: one reference more, no allocation.
  QelString(const QelString& other) noexcept : m_pText(other.m_pText) { addRef(m_pText); }
  QelString(QelString&& other) noexcept : m_pText(other.m_pText) { other.m_pText = nullptr; }
  ~QelString() { release(); }

  QelString& operator=(const QelString& other) noexcept {
    if (m_pText != other.m_pText) {
      addRef(other.m_pText);
      release();
      m_pText = other.m_pText;
    }
    return *this;
  }
  QelString& operator=(QelString&& other) noexcept {
    if (this != &other) {
      release();
      m_pText = other.m_pText;
      other.m_pText = nullptr;
    }
    return *this;
  }

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

  // How compare() orders texts.
  //   kCodeUnits  by UTF-16 code units (the default).
  //   kNatural    as people read: a run of decimal digits (Unicode Nd) orders by
  //               its numeric value ("P2" < "P10", leading zeros ignored) and
  //               stands where the character '0' would; any other character
  //               orders by its simple Unicode case folding, by code point.
  //               Texts that still tie ("a" and "A", "P7" and "P07") are
  //               ordered by code units, so that compare() gives 0 only for
  //               identical texts under either collation: equality, grouping
  //               and token lookup are the same whatever the order.
  // The collation is process-wide state. Set it before an evaluation and leave
  // it alone while anything compares texts: setting it is not thread-safe.
  enum class Collation { kCodeUnits, kNatural };
  static void setCollation(Collation collation) noexcept { s_collation = collation; }
  static Collation collation() noexcept { return s_collation; }
  // Whether compare() is the plain code-unit order. Code that orders texts by
  // their code units itself, to be fast, gives compare()'s order only while
  // this holds, and must otherwise fall back to compare().
  static bool comparesByCodeUnits() noexcept { return s_collation == Collation::kCodeUnits; }

  // Negative, zero or positive as `a` orders before, equal to or after `b`
  // under the current collation; zero only for identical texts. The
  // three-argument form compares the first `n` code units of each (n <= 0
  // compares nothing and gives 0).
  static int compare(const QelString& a, const QelString& b) noexcept {
    if (a.m_pText == b.m_pText) return 0;
    if (s_collation != Collation::kCodeUnits) {
      return compareNatural(a.getStringW(), a.length(), b.getStringW(), b.length());
    }
    return compareUnits(a.getStringW(), a.length(), b.getStringW(), b.length());
  }
  static int compare(const QelString& a, const QelString& b, int n) noexcept;
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
  // The length is kept in the int this many ints before the first code unit,
  // the atomic reference count in the int before it.
  static constexpr int kLengthSlot = 2;
  static constexpr int kRefsSlot = 3;
  static std::atomic<int>& refsOf(char16_t* text) noexcept {
    return *reinterpret_cast<std::atomic<int>*>(reinterpret_cast<int*>(text) - kRefsSlot);
  }
  static void addRef(char16_t* text) noexcept {
    if (text != nullptr) refsOf(text).fetch_add(1, std::memory_order_relaxed);
  }
  // A sole owner frees without the atomic update: no other string can be
  // copying from this block at the same time.
  void release() noexcept {
    char16_t* text = m_pText;
    if (text == nullptr) return;
    m_pText = nullptr;
    std::atomic<int>& refs = refsOf(text);
    if (refs.load(std::memory_order_acquire) == 1 ||
        refs.fetch_sub(1, std::memory_order_acq_rel) == 1) {
      destroy(text);
    }
  }
  // Frees the block of a text no string refers to any more.
  static void destroy(char16_t* text) noexcept;
  static int compareUnits(const char16_t* a, int lengthA, const char16_t* b, int lengthB) noexcept;
  static int compareNatural(const char16_t* a, int lengthA, const char16_t* b,
                            int lengthB) noexcept;

  static Collation s_collation;
  static Rep* allocate(int length);
  void makeUnique(int extra);
  void assignUnits(const char16_t* text, int length);

  char16_t* m_pText;  // first code unit of a shared Rep, or null when empty
};

#endif  // QEL_STRING_H_
