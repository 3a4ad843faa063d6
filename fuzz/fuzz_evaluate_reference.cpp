// The engine against the test suite's reference evaluator: bytes decoded into
// a template of one to six levels (grouping, sorting with carried directions,
// closing sections that sum) and up to 40 rows, then both evaluate and must
// agree on the listing, the row order and the sums flags. Each token keeps one
// value type, as the reference requires; the values include the int range's
// ends (sums wrap), -0.0, tiny and huge reals, and texts that differ only in
// case or white space.
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "ReferenceBridge.h"

namespace {

using reference::Tuples;
using reference_bridge::Item;
using reference_bridge::kNone;
using reference_bridge::LevelPlan;

class Bytes {
 public:
  Bytes(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
  int pick(int n) {
    if (m_size == 0) return 0;
    --m_size;
    return *m_data++ % n;
  }

 private:
  const uint8_t* m_data;
  size_t m_size;
};

std::string text(Bytes& in) {
  static const char* const kTexts[] = {"x", "y", "X", "", " x", "x ", "\xc3\xa4", "10", "9"};
  return kTexts[in.pick(9)];
}
int integer(Bytes& in) {
  static const int kInts[] = {0, 1, 2, -1, -2, 7, INT_MAX, INT_MIN, 1000000};
  return kInts[in.pick(9)];
}
double real(Bytes& in) {
  static const double kReals[] = {0.5, 0.0, -0.0, 1e-9, 2.25, 1e15, -3.75, 1e300, 0.1};
  return kReals[in.pick(9)];
}

// A sorting directive for one level, and the keys the reference resolves for
// it: a prefixed key (optionally followed by a key without prefix, which keeps
// its direction), or a list that starts without prefix and so takes the
// direction of the key before it, possibly on an outer level.
void addSorting(Bytes& in, LevelPlan& plan, bool& ascending) {
  static const char* const kKeys[] = {"%A", "%B", "%C", "%W"};
  const int choice = in.pick(4);
  if (choice == 1) {
    ascending = in.pick(2) == 1;
    const std::string key = kKeys[in.pick(4)];
    std::string directive = (ascending ? "%SortAscBy:" : "%SortDescBy:") + key;
    plan.sortKeys.push_back({key, ascending});
    if (in.pick(2) == 0) {
      const std::string second = kKeys[in.pick(4)];
      directive += "," + second;
      plan.sortKeys.push_back({second, ascending});
    }
    plan.tuples.push_back({directive, ""});
  } else if (choice == 2) {
    const bool descending = in.pick(2) == 0;
    plan.sortKeys = {{"%B", ascending}, {"%A", !descending}};
    ascending = !descending;
    plan.tuples.push_back(
        {std::string("%B,") + (descending ? "%SortDescBy:%A" : "%SortAscBy:%A"), ""});
  }
}

std::vector<LevelPlan> buildPlans(Bytes& in) {
  static const char* const kGroupTokens[] = {"%A", "%B", "%C"};
  const int levelCount = 1 + in.pick(6);
  std::vector<LevelPlan> plans;
  bool ascending = true;
  for (int level = 0; level < levelCount; ++level) {
    LevelPlan plan{};
    const bool deepest = level + 1 == levelCount;
    plan.type = deepest ? (in.pick(4) != 0 ? Item::kDetails : Item::kGroupHeader)
                        : (in.pick(3) == 0 ? Item::kReportHeader : Item::kGroupHeader);
    if (!deepest && in.pick(4) != 0) {
      const std::string token = kGroupTokens[in.pick(3)];
      plan.tuples.push_back({"%GroupBy:" + token, ""});
      plan.groupingTokens.push_back(token);
    }
    addSorting(in, plan, ascending);
    if (in.pick(2) == 0) plan.tuples.push_back({"%A", "-"});
    if (deepest || in.pick(2) == 0) plan.tuples.push_back({"%W", 0});
    if (in.pick(3) == 0) plan.tuples.push_back({"%B", -1});
    if (in.pick(4) == 0) plan.tuples.push_back({"%C", 0.5});
    plan.closingType = in.pick(3) == 0 ? kNone
                                       : (level == 0 && in.pick(2) == 0 ? Item::kReportFooter
                                                                        : Item::kGroupFooter);
    if (plan.closingType != kNone) {
      plan.closingTuples.push_back(
          {"%SumBy:%W", in.pick(2) == 0 ? reference::Value(0) : reference::Value(0.0)});
      if (in.pick(2) == 0) plan.closingTuples.push_back({"%SumBy:%N", integer(in)});
      if (in.pick(3) == 0) plan.closingTuples.push_back({"%SumBy:%B", 0});
      if (in.pick(4) == 0) plan.closingTuples.push_back({"%A", "f"});
    }
    plans.push_back(plan);
  }
  return plans;
}

// %A texts, %B and %C and %N ints, %W reals; any of them may be missing.
std::vector<reference::Row> buildRows(Bytes& in) {
  std::vector<reference::Row> rows(static_cast<size_t>(in.pick(41)));
  for (size_t i = 0; i < rows.size(); ++i) {
    Tuples& tuples = rows[i].tuples;
    rows[i].handle = std::to_string(i);
    const int present = in.pick(32);
    if (present & 1) tuples.push_back({"%A", text(in)});
    if (present & 2) tuples.push_back({"%B", integer(in)});
    if (present & 4) tuples.push_back({"%C", integer(in)});
    if (present & 8) tuples.push_back({"%W", real(in)});
    if (present & 16) tuples.push_back({"%N", integer(in)});
  }
  return rows;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Bytes in(data, size);
  const std::vector<LevelPlan> plans = buildPlans(in);
  const std::vector<reference::Row> rows = buildRows(in);
  const std::string difference = reference_bridge::compare(plans, rows);
  if (!difference.empty()) {
    std::fprintf(stderr, "%s\n", difference.c_str());
    __builtin_trap();
  }
  return 0;
}
