#include "QelString.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

namespace {

std::u16string units(const QelString& s) {
  return std::u16string(s.getStringW(), static_cast<size_t>(s.length()));
}

int sign(int value) { return (value > 0) - (value < 0); }

TEST(QelStringTest, EmptyStrings) {
  for (const QelString& s : {QelString(), QelString(static_cast<const char16_t*>(nullptr)),
                             QelString(static_cast<const char*>(nullptr)), QelString(u"abc", 0)}) {
    EXPECT_EQ(s.length(), 0);
    ASSERT_NE(s.getStringW(), nullptr);
    EXPECT_EQ(s.getStringW()[0], u'\0');
    EXPECT_TRUE(s == QelString(u""));
  }
  EXPECT_EQ(units(QelString(u"abcdef", 3)), u"abc");
}

TEST(QelStringTest, OrdinalAndPrefixCompare) {
  // Code units, not code points: a high surrogate orders before U+FF00.
  const std::tuple<const char16_t*, const char16_t*, int> cases[] = {
      {u"abc", u"abc", 0}, {u"abc", u"abd", -1}, {u"b", u"a", 1},
      {u"ab", u"abc", -1}, {u"", u"", 0},        {u"", u"a", -1},
      {u"a", u"A", 1},     {u"\u00e4", u"z", 1}, {u"\U0001F600", u"\uFF00", -1}};
  for (const auto& [textA, textB, expected] : cases) {
    const QelString a(textA), b(textB);
    EXPECT_EQ(sign(QelString::compare(a, b)), expected) << a.toUtf8() << " vs " << b.toUtf8();
    EXPECT_EQ(sign(QelString::compare(b, a)), -expected);
    EXPECT_EQ(a == b, expected == 0);
  }
  const std::tuple<const char16_t*, const char16_t*, int, int> prefixes[] = {
      {u"abcX", u"abcY", 3, 0}, {u"abcX", u"abcY", 4, -1}, {u"abcX", u"abcY", 100, -1},
      {u"abcX", u"abcY", 0, 0}, {u"abcX", u"abcY", -5, 0}, {u"ab", u"abc", 2, 0},
      {u"ab", u"abc", 3, -1}};
  for (const auto& [a, b, n, expected] : prefixes) {
    EXPECT_EQ(sign(QelString::compare(QelString(a), QelString(b), n)), expected) << n;
  }
}

// Runs `body` under `collation`, then restores the default order.
template <typename Body>
void underCollation(QelString::Collation collation, Body body) {
  QelString::setCollation(collation);
  body();
  QelString::setCollation(QelString::Collation::kCodeUnits);
}

TEST(QelStringTest, CodeUnitOrderIsTheDefault) {
  EXPECT_EQ(QelString::collation(), QelString::Collation::kCodeUnits);
  EXPECT_TRUE(QelString::comparesByCodeUnits());
  EXPECT_LT(QelString::compare(QelString(u"P10"), QelString(u"P2")), 0);
  underCollation(QelString::Collation::kNatural,
                 [] { EXPECT_FALSE(QelString::comparesByCodeUnits()); });
}

void expectNaturalOrder() {
  const std::tuple<const char16_t*, const char16_t*, int> cases[] = {
      {u"P2", u"P10", -1},           // digit runs by value
      {u"P10", u"P10", 0},           // only identical texts are equal
      {u"P1", u"P1a", -1},           // the shorter sequence first
      {u"P007", u"P7", -1},          // equal value: code units decide
      {u"P7", u"P08", -1},           // leading zeros ignored by value
      {u"a", u"B", -1},              // letters by case folding
      {u"A", u"a", -1},              // folded tie: code units decide
      {u"HEA200", u"hea1000", -1},   // folding and value together
      {u"Äx", u"äy", -1},            // folding beyond ASCII
      {u"x٣", u"x12", -1},           // any decimal digits (Arabic-Indic 3)
      {u"PL10*100", u"PL10*20", 1},  // several runs
      {u"9", u"a", -1},              // a digit run stands where '0' would
      {u"-", u"1", -1},              // ... after '-' (U+002D)
      {u"99999999999999999999", u"100000000000000000000", -1},  // beyond 64 bits
      {u"", u"0", -1},
      {u"𝟏", u"2", -1},  // MATHEMATICAL BOLD DIGIT ONE (a surrogate pair)
  };
  for (const auto& [textA, textB, expected] : cases) {
    const QelString a(textA), b(textB);
    EXPECT_EQ(sign(QelString::compare(a, b)), expected) << a.toUtf8() << " vs " << b.toUtf8();
    EXPECT_EQ(sign(QelString::compare(b, a)), -expected) << b.toUtf8() << " vs " << a.toUtf8();
  }
  // The prefix form compares the first n code units under the same collation.
  EXPECT_EQ(QelString::compare(QelString(u"P2x"), QelString(u"P10y"), 3), -1);
  EXPECT_EQ(QelString::compare(QelString(u"%ExternalA"), QelString(u"%External"), 9), 0);
  EXPECT_NE(QelString::compare(QelString(u"%externalA"), QelString(u"%External"), 9), 0);
}

TEST(QelStringTest, NaturalCollation) {
  underCollation(QelString::Collation::kNatural, expectNaturalOrder);
}

TEST(QelStringTest, NaturalCollationSortsAsPeopleRead) {
  std::vector<QelString> names = {u"P10", u"p2", u"P1", u"P2", u"B12", u"b3", u"P1.5", u"P01"};
  underCollation(QelString::Collation::kNatural, [&names] {
    std::sort(names.begin(), names.end(),
              [](const QelString& a, const QelString& b) { return QelString::compare(a, b) < 0; });
  });
  std::vector<std::string> sorted;
  for (const QelString& name : names) sorted.push_back(name.toUtf8());
  EXPECT_EQ(sorted,
            (std::vector<std::string>{"b3", "B12", "P01", "P1", "P1.5", "P2", "p2", "P10"}));
}

// comparesByCodeUnits() says whether compare() gives the order of the code
// units, which std::u16string's comparison gives.
TEST(QelStringTest, ComparesByCodeUnitsTellsTheTruth) {
  const char16_t* const texts[] = {u"",    u"a",      u"a9", u"a10",        u"A10",
                                   u"a 9", u"\u00e4", u"z",  u"\U0001F600", u"\uFF00"};
  bool byCodeUnits = true;
  for (const char16_t* a : texts) {
    for (const char16_t* b : texts) {
      const int expected = sign(std::u16string(a).compare(b));
      byCodeUnits = byCodeUnits && sign(QelString::compare(QelString(a), QelString(b))) == expected;
    }
  }
  EXPECT_EQ(QelString::comparesByCodeUnits(), byCodeUnits);
}

TEST(QelStringTest, CaseInsensitiveSortAndSearch) {
  QelString names[] = {u"beta", u"\u00c4BC", u"gamma", u"ALPHA2", u"Alpha"};
  std::qsort(names, 5, sizeof(QelString), QelString::strCompareNoCase);
  const char16_t* expected[] = {u"Alpha", u"ALPHA2", u"beta", u"gamma", u"\u00c4BC"};
  for (size_t i = 0; i < 5; ++i) EXPECT_EQ(units(names[i]), expected[i]) << i;

  const QelString key(u"\u00e4bc"), missing(u"delta");
  EXPECT_EQ(std::bsearch(&key, names, 5, sizeof(QelString), QelString::strCompareNoCase),
            &names[4]);
  EXPECT_EQ(std::bsearch(&missing, names, 5, sizeof(QelString), QelString::strCompareNoCase),
            nullptr);
  // Full default folding: the sharp s folds to "ss".
  const QelString strasse(u"stra\u00dfe"), upper(u"STRASSE"), shorter(u"STRAS");
  EXPECT_EQ(QelString::strCompareNoCase(&strasse, &upper), 0);
  EXPECT_GT(QelString::strCompareNoCase(&strasse, &shorter), 0);
}

TEST(QelStringTest, Conversions) {
  // UTF-8 with BMP characters and a supplementary character (surrogate pair).
  const char* utf8 = u8"Gr\u00fc\u00dfe \u20ac \U0001F600";
  const QelString text(utf8);
  EXPECT_EQ(units(text), u"Gr\u00fc\u00dfe \u20ac \U0001F600");
  EXPECT_EQ(text[9], 0xDE00);
  EXPECT_EQ(text.toUtf8(), utf8);
  EXPECT_TRUE(QelString(L"Gr\u00fc\u00dfe \u20ac \U0001F600") == text);
  // An embedded zero counts when a length is given.
  EXPECT_EQ(QelString::fromUtf8(std::string_view("a\0b", 3)).length(), 3);

  // Ill-formed input becomes U+FFFD.
  EXPECT_EQ(units(QelString("a\377b")), u"a\uFFFDb");
  EXPECT_EQ(units(QelString("\xE2\x82")), u"\uFFFD");
  EXPECT_EQ(units(QelString("\xC0\xAF")), u"\uFFFD\uFFFD");
  const wchar_t invalid[] = {L'x', static_cast<wchar_t>(0x110000), 0};
  EXPECT_EQ(units(QelString(invalid)), u"x\uFFFD");
  EXPECT_EQ(QelString(u"a\xD800z").toUtf8(), "a\xEF\xBF\xBDz");
}

TEST(QelStringTest, ToIntegerFollowsStrtol) {
  // clang-format off
  const std::pair<const char16_t*, int> cases[] = {
      {u" 42", 42},              {u"-7x", -7},              {u"+", 0},
      {u"", 0},                  {u"%Beam", 0},             {u"\t\n+15", 15},
      {u"- 5", 0},               {u"0x1A", 0},              {u"007", 7},
      {u"\u00a012", 0},          {u"2147483647", INT_MAX},  {u"2147483648", INT_MAX},
      {u"  -2147483649", INT_MIN}, {u"-2147483648", INT_MIN}, {u"99999999999999999999", INT_MAX}};
  // clang-format on
  for (const auto& [text, expected] : cases) {
    EXPECT_EQ(QelString(text).toInteger(), expected) << QelString(text).toUtf8();
  }
}

TEST(QelStringTest, FormatMatchesSnprintf) {
  char expected[512];
  QelString s(u"old");
  auto check = [&](int length) {
    EXPECT_EQ(s.toUtf8(), expected);
    EXPECT_EQ(length, s.length());
  };
  for (int value : {0, 42, -7, INT_MIN, INT_MAX}) {
    std::snprintf(expected, sizeof(expected), "%d", value);
    check(s.format("%d", value));
    check(s.format(u"%d", value));
    std::snprintf(expected, sizeof(expected), "Mat%d", value);
    check(s.format(u"Mat%d", value));
  }
  for (double value : {0.5, 1e20, 200.2, 1e-5, 123456789.0, -0.0, 2.25}) {
    std::snprintf(expected, sizeof(expected), "%g", value);
    check(s.format("%g", value));
    check(s.format(u"%g", value));
    std::snprintf(expected, sizeof(expected), "%.1f", value);
    check(s.format("%.1f", value));
  }
  // Output longer than any stack buffer, and a non-ASCII format text.
  std::snprintf(expected, sizeof(expected), "%0400d", 5);
  check(s.format(u"%0400d", 5));
  EXPECT_EQ(s.format(u"\u00c4%d\u20ac", 3), 3);
  EXPECT_EQ(units(s), u"\u00c43\u20ac");
  EXPECT_EQ(s.format(""), 0);
  EXPECT_TRUE(s.isEmpty());
}

TEST(QelStringTest, CopiesAreIndependent) {
  const QelString original(u"Hello");
  QelString copy = original;
  EXPECT_EQ(copy.getStringW(), original.getStringW());  // shared, not copied
  copy += QelString(u" world");
  QelString removed = original;
  removed.removeAll(u'l');
  QelString appended = original;
  appended.append(u'!', 3);
  QelString formatted = original;
  formatted.format("%d", 1);
  EXPECT_EQ(units(copy), u"Hello world");
  EXPECT_EQ(copy.getStringW()[11], u'\0');
  EXPECT_EQ(units(removed), u"Heo");
  EXPECT_EQ(units(appended), u"Hello!!!");
  EXPECT_EQ(units(original), u"Hello");

  QelString self = original;
  self += self;
  QelString moved = std::move(self);
  EXPECT_EQ(units(moved), u"HelloHello");
  EXPECT_TRUE(self.isEmpty());  // NOLINT(bugprone-use-after-move): moves steal

  // Sharing is safe across threads.
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&original, t] {
      for (int i = 0; i < 20000; ++i) {
        QelString local = original;
        if (i % 100 == 0) local += static_cast<char16_t>(u'0' + t);
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(units(original), u"Hello");
}

}  // namespace
