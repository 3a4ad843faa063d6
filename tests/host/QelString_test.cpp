#include "QelString.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {

std::u16string units(const QelString& s) {
  return std::u16string(s.getStringW(), static_cast<size_t>(s.length()));
}

int sign(int value) { return (value > 0) - (value < 0); }

TEST(QelStringTest, EmptyStrings) {
  const QelString none;
  const QelString fromNull(static_cast<const char16_t*>(nullptr));
  const QelString fromEmpty(u"");
  for (const QelString* s : {&none, &fromNull, &fromEmpty}) {
    EXPECT_EQ(s->length(), 0);
    EXPECT_TRUE(s->isEmpty());
    ASSERT_NE(s->getStringW(), nullptr);
    EXPECT_EQ(s->getStringW()[0], u'\0');
  }
  EXPECT_TRUE(none == fromEmpty);
  EXPECT_EQ(QelString(static_cast<const char*>(nullptr)).length(), 0);
  EXPECT_EQ(QelString(u"abc", 0).length(), 0);
  EXPECT_EQ(units(QelString(u"abcdef", 3)), u"abc");
}

TEST(QelStringTest, OrdinalCompare) {
  struct Case {
    const char16_t* a;
    const char16_t* b;
    int expected;
  };
  const Case cases[] = {
      {u"abc", u"abc", 0}, {u"abc", u"abd", -1}, {u"b", u"a", 1},   {u"ab", u"abc", -1},
      {u"", u"", 0},       {u"", u"a", -1},      {u"a", u"A", 1},   {u"\u00e4", u"z", 1},
      // Code units, not code points: a high surrogate orders before U+FF00.
      {u"\U0001F600", u"\uFF00", -1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(sign(QelString::compare(QelString(c.a), QelString(c.b))), c.expected)
        << std::string(QelString(c.a).toUtf8()) << " vs " << QelString(c.b).toUtf8();
    EXPECT_EQ(sign(QelString::compare(QelString(c.b), QelString(c.a))), -c.expected);
    EXPECT_EQ(QelString(c.a) == QelString(c.b), c.expected == 0);
  }
  const QelString x(u"abcX");
  const QelString y(u"abcY");
  EXPECT_EQ(QelString::compare(x, y, 3), 0);
  EXPECT_LT(QelString::compare(x, y, 4), 0);
  EXPECT_LT(QelString::compare(x, y, 100), 0);
  EXPECT_EQ(QelString::compare(x, y, 0), 0);
  EXPECT_EQ(QelString::compare(x, y, -5), 0);
  EXPECT_EQ(QelString::compare(QelString(u"ab"), QelString(u"abc"), 2), 0);
  EXPECT_LT(QelString::compare(QelString(u"ab"), QelString(u"abc"), 3), 0);
}

TEST(QelStringTest, CaseInsensitiveSortAndSearch) {
  QelString names[] = {u"beta", u"\u00c4BC", u"gamma", u"ALPHA2", u"Alpha"};
  const size_t count = sizeof(names) / sizeof(names[0]);
  std::qsort(names, count, sizeof(QelString), QelString::strCompareNoCase);
  const char16_t* expected[] = {u"Alpha", u"ALPHA2", u"beta", u"gamma", u"\u00c4BC"};
  for (size_t i = 0; i < count; ++i) EXPECT_EQ(units(names[i]), expected[i]) << i;

  const QelString key(u"\u00e4bc");
  const auto* found = static_cast<const QelString*>(
      std::bsearch(&key, names, count, sizeof(QelString), QelString::strCompareNoCase));
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(found, &names[4]);
  const QelString missing(u"delta");
  EXPECT_EQ(std::bsearch(&missing, names, count, sizeof(QelString), QelString::strCompareNoCase),
            nullptr);

  // Full default folding: the sharp s folds to "ss".
  const QelString strasse(u"stra\u00dfe");
  const QelString upper(u"STRASSE");
  EXPECT_EQ(QelString::strCompareNoCase(&strasse, &upper), 0);
  const QelString shorter(u"STRAS");
  EXPECT_GT(QelString::strCompareNoCase(&strasse, &shorter), 0);
}

TEST(QelStringTest, Conversions) {
  // UTF-8 with BMP characters and a supplementary character (surrogate pair).
  const QelString text("Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC \xF0\x9F\x98\x80");
  EXPECT_EQ(units(text), u"Gr\u00fc\u00dfe \u20ac \U0001F600");
  EXPECT_EQ(text.length(), 10);
  EXPECT_EQ(text[8], 0xD83D);
  EXPECT_EQ(text[9], 0xDE00);
  EXPECT_EQ(text.toUtf8(), "Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC \xF0\x9F\x98\x80");
  EXPECT_TRUE(QelString::fromUtf8(text.toUtf8()) == text);
  EXPECT_TRUE(QelString(L"Gr\u00fc\u00dfe \u20ac \U0001F600") == text);
  // An embedded zero counts when a length is given.
  EXPECT_EQ(QelString::fromUtf8(std::string_view("a\0b", 3)).length(), 3);

  // Ill-formed input becomes U+FFFD.
  EXPECT_EQ(units(QelString("a\xFF" "b")), u"a\uFFFDb");
  EXPECT_EQ(units(QelString("\xE2\x82")), u"\uFFFD");
  EXPECT_EQ(units(QelString("\xC0\xAF")), u"\uFFFD\uFFFD");
  const wchar_t invalid[] = {L'x', static_cast<wchar_t>(0x110000), 0};
  EXPECT_EQ(units(QelString(invalid)), u"x\uFFFD");
  EXPECT_EQ(QelString(u"a\xD800" u"b").toUtf8(), "a\xEF\xBF\xBD" "b");
  EXPECT_EQ(QelString().toUtf8(), "");
}

TEST(QelStringTest, ToInteger) {
  struct Case {
    const char16_t* text;
    int expected;
  };
  const Case cases[] = {
      {u" 42", 42},          {u"-7x", -7},           {u"+", 0},
      {u"", 0},              {u"2147483647", INT_MAX}, {u"2147483648", INT_MAX},
      {u"  -2147483649", INT_MIN}, {u"-2147483648", INT_MIN}, {u"%Beam", 0},
      {u"\t\n+15", 15},     {u"99999999999999999999", INT_MAX}, {u"- 5", 0},
      {u"0x1A", 0},          {u"007", 7},            {u"\u00a012", 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(QelString(c.text).toInteger(), c.expected) << QelString(c.text).toUtf8();
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
  EXPECT_EQ(s.length(), 400);
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
  EXPECT_EQ(units(original), u"Hello");
  EXPECT_EQ(units(copy), u"Hello world");

  QelString removed = original;
  removed.removeAll(u'l');
  EXPECT_EQ(units(removed), u"Heo");
  QelString appended = original;
  appended.append(u'!', 3);
  EXPECT_EQ(units(appended), u"Hello!!!");
  QelString formatted = original;
  formatted.format("%d", 1);
  QelString assigned = original;
  assigned = QelString(u"x");
  EXPECT_EQ(units(original), u"Hello");

  QelString self = original;
  self += self;
  EXPECT_EQ(units(self), u"HelloHello");
  QelString moved = std::move(self);
  EXPECT_EQ(units(moved), u"HelloHello");
  EXPECT_TRUE(self.isEmpty());  // NOLINT(bugprone-use-after-move): moves steal

  QelString grown;
  for (int i = 0; i < 10000; ++i) grown += static_cast<char16_t>(u'a' + i % 26);
  EXPECT_EQ(grown.length(), 10000);
  EXPECT_EQ(grown[9999], u'a' + 9999 % 26);
  EXPECT_EQ(grown.getStringW()[10000], u'\0');
}

TEST(QelStringTest, CopiesOnSeveralThreads) {
  const QelString shared(u"shared text");
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&shared, t] {
      for (int i = 0; i < 20000; ++i) {
        QelString copy = shared;
        if (i % 100 == 0) copy += static_cast<char16_t>(u'0' + t);
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(units(shared), u"shared text");
}

TEST(QelStringTest, FindLeftRightRemoveAll) {
  const QelString text(u"abcabc");
  EXPECT_EQ(text.find(QelString(u"bc")), 1);
  EXPECT_EQ(text.find(QelString(u"bc"), 2), 4);
  EXPECT_EQ(text.find(QelString(u"bc"), 5), -1);
  EXPECT_EQ(text.find(QelString(u"abcabcd")), -1);
  EXPECT_EQ(text.find(QelString(u"cab"), -3), 2);
  EXPECT_EQ(text.find(QelString(), 6), 6);
  EXPECT_EQ(text.find(QelString(), 7), -1);
  EXPECT_EQ(QelString(u"aaab").find(QelString(u"aab")), 1);
  EXPECT_EQ(QelString().find(QelString(u"a")), -1);

  EXPECT_EQ(units(text.left(2)), u"ab");
  EXPECT_EQ(units(text.right(2)), u"bc");
  EXPECT_TRUE(text.left(0).isEmpty());
  EXPECT_TRUE(text.right(-1).isEmpty());
  EXPECT_EQ(units(text.left(6)), u"abcabc");
  EXPECT_EQ(units(text.right(99)), u"abcabc");

  QelString s(u"%Sum By%");
  s.removeAll(u'x');
  EXPECT_EQ(units(s), u"%Sum By%");
  s.removeAll(u'%');
  EXPECT_EQ(units(s), u"Sum By");
  EXPECT_EQ(s.getStringW()[s.length()], u'\0');
  QelString all(u"aaa");
  all.removeAll(u'a');
  EXPECT_TRUE(all.isEmpty());
}

}  // namespace
