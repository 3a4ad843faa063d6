// QelBomDataToken: the directive prefixes and the directive parsers.
//
// Every test is a case-sensitive substring search: a text is a directive of a
// kind when the prefix occurs anywhere in it, and its argument is the text
// without its first (prefix length) characters, i.e. counted from the end,
// wherever the prefix stood. Lists split at "," only while the comma is not
// the first character of what is left; spaces are dropped from sorting and
// filter lists only.
#include "QelBomValues.h"

const QelString QelBomDataToken::kTokenPrefix(u"%");
const QelString QelBomDataToken::kGroupPrefix(u"%GroupBy:");
const QelString QelBomDataToken::kSortAscPrefix(u"%SortAscBy:");
const QelString QelBomDataToken::kSortDescPrefix(u"%SortDescBy:");
const QelString QelBomDataToken::kSumPrefix(u"%SumBy:");
const QelString QelBomDataToken::kFilterPrefix(u"%FilterBy:");

namespace {

bool contains(const QelString& text, const QelString& prefix) { return text.find(prefix, 0) != -1; }

// The argument of a directive whose prefix is `prefix`: the last
// (length - prefix length) characters of `text`.
QelString argumentOf(const QelString& text, const QelString& prefix) {
  return text.right(text.length() - prefix.length());
}

// Splits `list` at commas, handing each piece to `sink`. Splitting stops at a
// comma that stands first, so the rest, comma included, is the last piece; the
// last piece is handed over even when empty.
template <class Sink>
void splitAtCommas(QelString list, Sink sink) {
  static const QelString kComma(u",");
  int comma = list.find(kComma, 0);
  while (comma > 0) {
    sink(list.left(comma));
    list = list.right(list.length() - comma - 1);
    comma = list.find(kComma, 0);
  }
  sink(list);
}

}  // namespace

int QelBomDataToken::isToken(const QelString& text) {
  return text.find(kTokenPrefix, 0) == 0 ? 1 : 0;
}

int QelBomDataToken::isInvisibleToken(const QelString& text) {
  const bool invisible = contains(text, kGroupPrefix) || contains(text, kSortAscPrefix) ||
                         contains(text, kSortDescPrefix) || contains(text, kFilterPrefix);
  return invisible ? 1 : 0;
}

int QelBomDataToken::getGroupingRequest(QelString& token) const {
  if (!contains(m_strToken, kGroupPrefix)) return 0;
  token = argumentOf(m_strToken, kGroupPrefix);
  return 1;
}

int QelBomDataToken::getSummingRequest(QelString& token) const {
  return summingRequestOf(m_strToken, token);
}

int QelBomDataToken::summingRequestOf(const QelString& text, QelString& token) {
  if (!contains(text, kSumPrefix)) return 0;
  token = argumentOf(text, kSumPrefix);
  return 1;
}

int QelBomDataToken::getSortingRequest(QelArray<QelString>& tokens) const {
  if (!contains(m_strToken, kSortAscPrefix) && !contains(m_strToken, kSortDescPrefix)) return 0;
  // The whole text, prefix included: the first key keeps its prefix.
  QelString list(m_strToken);
  list.removeAll(u' ');
  splitAtCommas(list, [&tokens](const QelString& piece) { tokens.append(piece); });
  return 1;
}

int QelBomDataToken::removeSortingPrefix(QelString& key, int& ascending) {
  if (contains(key, kSortAscPrefix)) {
    key = argumentOf(key, kSortAscPrefix);
    ascending = 1;
    return 1;
  }
  if (contains(key, kSortDescPrefix)) {
    key = argumentOf(key, kSortDescPrefix);
    ascending = 0;
    return 1;
  }
  return 0;
}

int QelBomDataToken::getFilteringRequest(QelIntArray& objectTypes) const {
  if (!contains(m_strToken, kFilterPrefix)) return 0;
  QelString list = argumentOf(m_strToken, kFilterPrefix);
  list.removeAll(u' ');
  splitAtCommas(list,
                [&objectTypes](const QelString& piece) { objectTypes.append(piece.toInteger()); });
  return 1;
}
