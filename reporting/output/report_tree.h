// Reading an evaluated output tree for the report writers: its items in report
// order with their depth, the tuples a reader sees, and a column per token.
#ifndef BOMREPORT_OUTPUT_REPORT_TREE_H_
#define BOMREPORT_OUTPUT_REPORT_TREE_H_

#include <deque>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "VRKBomEngine.h"

namespace bomreport {

// An evaluated item and its depth: 0 for the items directly below the output
// template.
struct ReportLine {
  const QelBomTemplateItem* item;
  int depth;
};

// Every item below `root` in report order (each item before its children,
// children in sibling order), without recursion.
std::vector<ReportLine> collectLines(const QelBomTemplateItem& root);

// A tuple is shown unless its token is a grouping, sorting or filter
// directive. Their prefixes all hold a colon, which a token seldom does: most
// tokens are told by that alone.
inline bool isVisible(const QelBomDataTuple& tuple) {
  const QelString& token = tuple.token().token();
  const char16_t* text = token.getStringW();
  return std::char_traits<char16_t>::find(text, static_cast<std::size_t>(token.length()), u':') ==
             nullptr ||
         QelBomDataToken::isInvisibleToken(token) == 0;
}

inline std::u16string_view view(const QelString& text) {
  return std::u16string_view(text.getStringW(), static_cast<std::size_t>(text.length()));
}

// Assigns a column to every visible tuple of the items it is shown, in order of
// first appearance. A column stands for a token; a token that occurs twice in
// one item gets a second column for its second occurrence. With
// `sumsUnderSummedToken`, a "%SumBy:%Weight" tuple goes into the "%Weight"
// column. The tokens must outlive the index (they are viewed, not copied).
//
// Items made from one section carry the very texts of its tokens, so an item
// whose token texts are those of an item mapped before (the same texts, not
// only equal ones) takes that item's columns without reading its tokens.
class ColumnIndex {
 public:
  struct Column {
    std::u16string_view token;  // the column's token
    int occurrence;             // 0 for the first occurrence in an item
  };

  explicit ColumnIndex(bool sumsUnderSummedToken) : sumsUnderSummed_(sumsUnderSummedToken) {}

  // The column of each tuple of `item` (-1 for hidden tuples) into `out`.
  void map(const QelBomTemplateItem& item, std::vector<int>& out) { out = columnsOf(item); }
  // The same, kept by the index: valid while the index lives.
  const std::vector<int>& columnsOf(const QelBomTemplateItem& item);
  const std::vector<Column>& columns() const { return columns_; }

 private:
  // The columns of one shape of item: the texts of its tokens, in order.
  struct Shape {
    std::vector<const char16_t*> texts;
    std::vector<int> columns;
  };
  static std::size_t hashTexts(const QelArray<QelBomDataTuple>& tuples);
  static bool sameTexts(const Shape& shape, const QelArray<QelBomDataTuple>& tuples);
  // Maps the tuples one by one.
  void mapTokens(const QelArray<QelBomDataTuple>& tuples, std::vector<int>& out);
  int columnFor(std::u16string_view key, int occurrence);
  // The column key of a visible token: the token, or the summed token of a sum
  // when sums go under it.
  std::u16string_view keyOf(const QelBomDataToken& token);

  bool sumsUnderSummed_;
  std::vector<Column> columns_;
  std::unordered_map<std::u16string_view, int> first_;
  std::map<std::pair<std::u16string, int>, int> repeated_;
  // Scratch: how often each key was met so far in the current item.
  std::unordered_map<std::u16string_view, int> itemKeys_;
  // The summed token of each "%SumBy:" token seen (keyed by the viewed token),
  // kept in a deque so that the views stay valid as it grows.
  std::unordered_map<std::u16string_view, std::u16string_view> summedKeys_;
  std::deque<QelString> summedTokens_;
  std::unordered_multimap<std::size_t, Shape> shapes_;  // by hashTexts
};

}  // namespace bomreport

#endif  // BOMREPORT_OUTPUT_REPORT_TREE_H_
