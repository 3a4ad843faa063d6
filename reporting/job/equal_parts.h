// Equal parts gathered into groups and merged into one row each.
//
// EqualPartGrouper: open addressing over the groups' match values (the
// values of the tokens the match compares, read by RowReader); the values
// are the leaders' own tuples, which stay unchanged while the grouper lives.
// mergeEqualParts keeps each group's first part (its leader) as its row.
#ifndef BOMREPORT_JOB_EQUAL_PARTS_H_
#define BOMREPORT_JOB_EQUAL_PARTS_H_

#include <cstddef>
#include <functional>
#include <vector>

#include "VRKBomEngine.h"
#include "job/derived_tokens.h"

namespace bomreport {

struct Group {
  QelBomDataRow* leader = nullptr;
  std::size_t keyStart = 0;
  std::size_t keyLength = 0;
  PieceFigures figures;
  QelArray<QelString> handles;  // merging: the other parts' handles
};

// Parts merged although a real of the match differs, below what is shown.
struct HiddenDifference {
  long long parts = 0;
  double largest = 0.0;  // in internal units
};

class EqualPartGrouper {
 public:
  explicit EqualPartGrouper(std::size_t rows);

  // The group of a row with these facts; a new one led by `row` if none.
  int place(QelBomDataRow* row, const RowFacts& facts);
  Group& group(int index) { return groups_[static_cast<std::size_t>(index)]; }
  // Notes, by key index, where a row of group `index` with these facts
  // differs from its leader in a real matched as shown.
  void noteDifferences(int index, const RowFacts& facts,
                       std::vector<HiddenDifference>& differences) const;

 private:
  bool matches(const Group& group, const RowFacts& facts) const;

  std::vector<int> slots_;
  std::vector<Group> groups_;
  std::vector<KeyEntry> keys_;  // the leaders' match values, group after group
};

// Makes `data` hold the leaders of `rows` only (rows[r] is in group
// groupOf[r]), in their order, and deletes the other rows. Each leader gets
// the other parts' handles as its equal-part handles (then any further
// handles of their own equal-part lists, each once), then `finish` is called
// with its index in `rows` and its group.
// REQUIRES: rows are data's rows, in order, each placed by `grouper`.
void mergeEqualParts(QelBomData& data, const std::vector<QelBomDataRow*>& rows,
                     const std::vector<int>& groupOf, EqualPartGrouper& grouper,
                     const std::function<void(std::size_t leader, const Group& group)>& finish);

}  // namespace bomreport

#endif  // BOMREPORT_JOB_EQUAL_PARTS_H_
