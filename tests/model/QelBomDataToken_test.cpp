#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "QelBomValues.h"

namespace {

using Token = QelBomDataToken;

QelString q(const char* text) { return QelString(text); }

std::vector<std::string> toStrings(const QelArray<QelString>& a) {
  std::vector<std::string> out;
  for (const QelString& s : a) out.push_back(s.toUtf8());
  return out;
}

TEST(QelBomDataTokenTest, PrefixConstants) {
  EXPECT_EQ(Token::kTokenPrefix.toUtf8(), "%");
  EXPECT_EQ(Token::kGroupPrefix.toUtf8(), "%GroupBy:");
  EXPECT_EQ(Token::kSortAscPrefix.toUtf8(), "%SortAscBy:");
  EXPECT_EQ(Token::kSortDescPrefix.toUtf8(), "%SortDescBy:");
  EXPECT_EQ(Token::kSumPrefix.toUtf8(), "%SumBy:");
  EXPECT_EQ(Token::kFilterPrefix.toUtf8(), "%FilterBy:");
}

TEST(QelBomDataTokenTest, IsTokenAndIsInvisibleToken) {
  struct Case {
    const char* text;
    int isToken;
    int invisible;
  };
  const Case cases[] = {
      {"Weight", 0, 0},
      {"", 0, 0},
      {"%Weight", 1, 0},
      {"%SumBy:%Weight", 1, 0},
      {"%PosNum", 1, 0},
      {"%FilterBy:1", 1, 1},
      {"%SortAscBy:%Material", 1, 1},
      {"%SortDescBy:%Weight", 1, 1},
      {"%GroupBy:%PosNum", 1, 1},
      {" %GroupBy:%PosNum", 0, 1},
      {"x%", 0, 0},
      {"%groupby:%PosNum", 1, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Token::isToken(q(c.text)), c.isToken) << c.text;
    EXPECT_EQ(Token::isInvisibleToken(q(c.text)), c.invisible) << c.text;
  }
}

TEST(QelBomDataTokenTest, GroupingAndSummingRequests) {
  struct Case {
    const char* text;
    int grouping;  // result of getGroupingRequest
    int summing;   // result of getSummingRequest
    const char* argument;
  };
  const Case cases[] = {
      {"%GroupBy:%PosNum", 1, 0, "%PosNum"},
      {"%GroupBy: %PosNum", 1, 0, " %PosNum"},
      {" %GroupBy:%PosNum", 1, 0, ":%PosNum"},  // counted from the end
      {"%GroupBy:", 1, 0, ""},
      {"%SumBy:%Weight", 0, 1, "%Weight"},
      {"ab%SumBy:%Weight", 0, 1, "y:%Weight"},
      {"%PosNum", 0, 0, nullptr},
      {"%groupBy:%PosNum", 0, 0, nullptr},
  };
  for (const Case& c : cases) {
    const Token token(q(c.text));
    QelString group(u"untouched");
    QelString sum(u"untouched");
    EXPECT_EQ(token.getGroupingRequest(group), c.grouping) << c.text;
    EXPECT_EQ(token.getSummingRequest(sum), c.summing) << c.text;
    EXPECT_EQ(group.toUtf8(), c.grouping ? c.argument : "untouched") << c.text;
    EXPECT_EQ(sum.toUtf8(), c.summing ? c.argument : "untouched") << c.text;
  }
}

TEST(QelBomDataTokenTest, SortingRequests) {
  struct Case {
    const char* text;
    std::vector<std::string> keys;  // empty: not a sorting directive
  };
  const Case cases[] = {
      {"%SortAscBy:%Material", {"%SortAscBy:%Material"}},
      {"%SortAscBy:%Material,%SortDescBy:%Weight", {"%SortAscBy:%Material", "%SortDescBy:%Weight"}},
      {"%SortDescBy: %Weight , %Length", {"%SortDescBy:%Weight", "%Length"}},
      {"%SortAscBy:%Material,", {"%SortAscBy:%Material", ""}},
      {"%SortAscBy:%Material,,%Weight", {"%SortAscBy:%Material", ",%Weight"}},
      {"%SortAscBy:a,b,c", {"%SortAscBy:a", "b", "c"}},
      {" x %SortDescBy:%A", {"x%SortDescBy:%A"}},
      {"%Material", {}},
      {"%GroupBy:%Material", {}},
  };
  for (const Case& c : cases) {
    QelArray<QelString> keys;
    keys.append(q("before"));
    const int result = Token(q(c.text)).getSortingRequest(keys);
    std::vector<std::string> expected{"before"};
    expected.insert(expected.end(), c.keys.begin(), c.keys.end());
    EXPECT_EQ(result, c.keys.empty() ? 0 : 1) << c.text;
    EXPECT_EQ(toStrings(keys), expected) << c.text;
  }
}

TEST(QelBomDataTokenTest, RemoveSortingPrefix) {
  struct Case {
    const char* key;
    int result;
    const char* stripped;
    int ascending;
  };
  const Case cases[] = {
      {"%SortDescBy:%Weight", 1, "%Weight", 0},
      {"%SortAscBy:%Material", 1, "%Material", 1},
      {"%Length", 0, "%Length", 7},
      {"x%SortAscBy:%A", 1, ":%A", 1},
      {"%SortAscBy:", 1, "", 1},
  };
  for (const Case& c : cases) {
    QelString key = q(c.key);
    int ascending = 7;
    EXPECT_EQ(Token::removeSortingPrefix(key, ascending), c.result) << c.key;
    EXPECT_EQ(key.toUtf8(), c.stripped) << c.key;
    EXPECT_EQ(ascending, c.ascending) << c.key;
  }
}

TEST(QelBomDataTokenTest, FilteringRequests) {
  struct Case {
    const char* text;
    int result;
    std::vector<int> appended;
  };
  const Case cases[] = {
      {"%FilterBy:1, 2,3", 1, {1, 2, 3}},
      {"%FilterBy:", 1, {0}},
      {"%FilterBy: 12 , -4", 1, {12, -4}},
      {"%FilterBy:5,", 1, {5, 0}},
      {"%FilterBy:5,,6", 1, {5, 0}},  // ",6" is the last piece and converts to 0
      {"%FilterBy: %Beam , %Plate", 1, {0, 0}},
      {"%Filter:1", 0, {}},
  };
  for (const Case& c : cases) {
    QelIntArray types;
    types.append(99);
    EXPECT_EQ(Token(q(c.text)).getFilteringRequest(types), c.result) << c.text;
    std::vector<int> got(types.begin(), types.end());
    std::vector<int> expected{99};
    expected.insert(expected.end(), c.appended.begin(), c.appended.end());
    EXPECT_EQ(got, expected) << c.text;
  }
}

}  // namespace
