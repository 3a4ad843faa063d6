#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "QelBomValues.h"

namespace {

using Token = QelBomDataToken;

QelString q(const char* text) { return QelString(text); }

TEST(QelBomDataTokenTest, IsTokenAndIsInvisibleToken) {
  // Text, isToken, isInvisibleToken.
  // clang-format off
  const std::tuple<const char*, int, int> cases[] = {
      {"Weight", 0, 0},              {"", 0, 0},                    {"%Weight", 1, 0},
      {"%SumBy:%Weight", 1, 0},      {"%FilterBy:1", 1, 1},         {"%SortAscBy:%Material", 1, 1},
      {"%SortDescBy:%Weight", 1, 1}, {"%GroupBy:%PosNum", 1, 1},    {" %GroupBy:%PosNum", 0, 1},
      {"x%", 0, 0},                  {"%groupby:%PosNum", 1, 0}};
  // clang-format on
  for (const auto& [text, isToken, invisible] : cases) {
    EXPECT_EQ(Token::isToken(q(text)), isToken) << text;
    EXPECT_EQ(Token::isInvisibleToken(q(text)), invisible) << text;
  }
}

TEST(QelBomDataTokenTest, GroupingAndSummingRequests) {
  // Text, result of getGroupingRequest, of getSummingRequest, the argument;
  // the argument is counted from the end.
  // clang-format off
  const std::tuple<const char*, int, int, const char*> cases[] = {
      {"%GroupBy:%PosNum", 1, 0, "%PosNum"},   {"%GroupBy: %PosNum", 1, 0, " %PosNum"},
      {" %GroupBy:%PosNum", 1, 0, ":%PosNum"}, {"%GroupBy:", 1, 0, ""},
      {"%SumBy:%Weight", 0, 1, "%Weight"},     {"ab%SumBy:%Weight", 0, 1, "y:%Weight"},
      {"%PosNum", 0, 0, ""},                   {"%groupBy:%PosNum", 0, 0, ""}};
  // clang-format on
  for (const auto& [text, grouping, summing, argument] : cases) {
    const Token token(q(text));
    QelString group(u"untouched"), sum(u"untouched");
    EXPECT_EQ(token.getGroupingRequest(group), grouping) << text;
    EXPECT_EQ(token.getSummingRequest(sum), summing) << text;
    EXPECT_EQ(group.toUtf8(), grouping ? argument : "untouched") << text;
    EXPECT_EQ(sum.toUtf8(), summing ? argument : "untouched") << text;
  }
}

TEST(QelBomDataTokenTest, SummingRuleForAnyText) {
  // Text, result, summed token (counted from the end, spaces kept).
  // clang-format off
  const std::tuple<const char*, int, const char*> cases[] = {
      {"%SumBy:%Weight", 1, "%Weight"}, {"%SumBy: %Weight", 1, " %Weight"},
      {"ab%SumBy:%Weight", 1, "y:%Weight"}, {"%SumBy:", 1, ""},
      {"%Weight", 0, "untouched"}, {"%sumBy:%Weight", 0, "untouched"}, {"", 0, "untouched"}};
  // clang-format on
  for (const auto& [text, result, summed] : cases) {
    QelString token(u"untouched");
    EXPECT_EQ(Token::summingRequestOf(q(text), token), result) << text;
    EXPECT_EQ(token.toUtf8(), summed) << text;
  }
  // The text and the result may be the same string.
  QelString same = q("%SumBy:%Length");
  EXPECT_EQ(Token::summingRequestOf(same, same), 1);
  EXPECT_EQ(same.toUtf8(), "%Length");
}

TEST(QelBomDataTokenTest, SortingRequestsAndPrefixes) {
  const std::pair<const char*, std::vector<std::string>> cases[] = {
      {"%SortAscBy:%Material,%SortDescBy:%Weight", {"%SortAscBy:%Material", "%SortDescBy:%Weight"}},
      {"%SortDescBy: %Weight , %Length", {"%SortDescBy:%Weight", "%Length"}},
      {"%SortAscBy:%Material,", {"%SortAscBy:%Material", ""}},
      {"%SortAscBy:%Material,,%Weight", {"%SortAscBy:%Material", ",%Weight"}},
      {"%SortAscBy:a,b,c", {"%SortAscBy:a", "b", "c"}},
      {" x %SortDescBy:%A", {"x%SortDescBy:%A"}},
      {"%Material", {}},  // no keys: not a sorting directive
      {"%GroupBy:%Material", {}}};
  for (const auto& [text, keys] : cases) {
    QelArray<QelString> got;
    got.append(q("before"));
    EXPECT_EQ(Token(q(text)).getSortingRequest(got), keys.empty() ? 0 : 1) << text;
    std::vector<std::string> expected{"before"};
    expected.insert(expected.end(), keys.begin(), keys.end());
    std::vector<std::string> actual;
    for (const QelString& key : got) actual.push_back(key.toUtf8());
    EXPECT_EQ(actual, expected) << text;
  }

  // Key, result, key without prefix, ascending flag (7: untouched).
  // clang-format off
  const std::tuple<const char*, int, const char*, int> prefixes[] = {
      {"%SortDescBy:%Weight", 1, "%Weight", 0}, {"%SortAscBy:%Material", 1, "%Material", 1},
      {"%Length", 0, "%Length", 7},             {"x%SortAscBy:%A", 1, ":%A", 1},
      {"%SortAscBy:", 1, "", 1}};
  // clang-format on
  for (const auto& [text, result, stripped, ascendingFlag] : prefixes) {
    QelString key = q(text);
    int ascending = 7;
    EXPECT_EQ(Token::removeSortingPrefix(key, ascending), result) << text;
    EXPECT_EQ(key.toUtf8(), stripped) << text;
    EXPECT_EQ(ascending, ascendingFlag) << text;
  }
}

TEST(QelBomDataTokenTest, FilteringRequests) {
  // ",6" is the last piece of "5,,6" and converts to 0.
  // clang-format off
  const std::tuple<const char*, int, std::vector<int>> cases[] = {
      {"%FilterBy:1, 2,3", 1, {1, 2, 3}}, {"%FilterBy:", 1, {0}},  {"%FilterBy:5,", 1, {5, 0}},
      {"%FilterBy: 12 , -4", 1, {12, -4}}, {"%FilterBy:5,,6", 1, {5, 0}}, {"%Filter:1", 0, {}},
      {"%FilterBy: %Beam , %Plate", 1, {0, 0}}};
  // clang-format on
  for (const auto& [text, result, appended] : cases) {
    QelIntArray types;
    types.append(99);
    EXPECT_EQ(Token(q(text)).getFilteringRequest(types), result) << text;
    std::vector<int> expected{99};
    expected.insert(expected.end(), appended.begin(), appended.end());
    EXPECT_EQ(std::vector<int>(types.begin(), types.end()), expected) << text;
  }
}

}  // namespace
