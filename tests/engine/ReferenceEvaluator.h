// A deliberately simple reference evaluator for the engine tests.
//
// It works on plain standard-library data (no engine types) and produces the
// listing that the engine's output template gives (one line per item in
// preorder, indented by depth, "[label][token:text]..."), so that the two can
// be compared as strings. It is written from the report rules, not from the
// engine's code: sort the rows (stable) by the resolved keys of all levels;
// split each level's rows into runs of consecutive rows equal on the level's
// grouping tokens; a group prints its section filled from its first row, then
// its inner groups, then its closing section with sums over its rows that still
// count; at the innermost level every row is its own line, and a details line
// whose texts repeat the parent's previous line is dropped and its row stops
// counting in sums.
//
// Keep the data free of value types mixed within one sort key: the engine's
// order for those is not defined.
#ifndef REFERENCE_EVALUATOR_H_
#define REFERENCE_EVALUATOR_H_

#include <algorithm>
#include <cmath>
#include <functional>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

namespace reference {

// No value, an int, a real or a text.
using Value = std::variant<std::monostate, int, double, std::string>;

struct Tuple {
  std::string token;
  Value value;
};
using Tuples = std::vector<Tuple>;

struct Row {
  std::string handle;
  Tuples tuples;
};

struct Section {
  std::string label;  // as the listing writes it, e.g. "[ kGroupHeader ]"
  Tuples tuples;
};

struct SortKey {
  std::string token;
  bool ascending;
};

struct Level {
  Section section;
  std::optional<Section> closing;
  std::vector<std::string> groupingTokens;
  std::vector<SortKey> sortKeys;
};

// Display text of a real under a token name (the template's units).
using Display = std::function<std::string(const std::string& token, double value)>;

struct Result {
  std::string listing;
  std::vector<bool> countsInSums;  // per input row, in input order
  std::vector<int> order;          // input indices in sorted order
};

class Evaluator {
 public:
  Evaluator(const std::vector<Level>& levels, const std::vector<Row>& rows, Display display)
      : m_levels(levels), m_rows(rows), m_display(std::move(display)) {}

  Result run() {
    m_counts.assign(m_rows.size(), true);
    m_order.resize(m_rows.size());
    for (size_t i = 0; i < m_rows.size(); ++i) m_order[i] = static_cast<int>(i);
    std::vector<SortKey> keys;
    for (const Level& level : m_levels) {
      keys.insert(keys.end(), level.sortKeys.begin(), level.sortKeys.end());
    }
    std::stable_sort(m_order.begin(), m_order.end(),
                     [&](int a, int b) { return compareOnKeys(m_rows[a], m_rows[b], keys) < 0; });
    m_out = "[ kBomTemplate ]";
    if (!m_levels.empty() && !m_rows.empty()) emitLevel(0, 0, m_order.size());
    return {m_out, m_counts, m_order};
  }

 private:
  using Texts = std::vector<std::string>;

  static const Tuple* find(const Tuples& tuples, const std::string& token) {
    for (const Tuple& t : tuples) {
      if (t.token == token) return &t;
    }
    return nullptr;
  }

  // Values of different types compare -1; reals with NaN compare equal.
  static int compareValues(const Value& a, const Value& b) {
    if (a.index() != b.index()) return -1;
    return std::visit(
        [&b](const auto& x) {
          using X = std::decay_t<decltype(x)>;
          if constexpr (std::is_same_v<X, std::monostate>) {
            return 0;
          } else {
            const X& y = std::get<X>(b);
            return x < y ? -1 : (y < x ? 1 : 0);
          }
        },
        a);
  }

  // A row lacking the token comes first.
  static int compareOnToken(const Row& a, const Row& b, const std::string& token) {
    const Tuple* ta = find(a.tuples, token);
    const Tuple* tb = find(b.tuples, token);
    if (ta == nullptr || tb == nullptr) return (ta != nullptr) - (tb != nullptr);
    return compareValues(ta->value, tb->value);
  }

  static int compareOnKeys(const Row& a, const Row& b, const std::vector<SortKey>& keys) {
    for (const SortKey& key : keys) {
      const int c = compareOnToken(a, b, key.token);
      if (c != 0) return key.ascending ? c : -c;
    }
    return 0;
  }

  // The display text of a value: ints with "%d", reals through the units of
  // the (summed) token, a tuple without value as "\x01" when `markNone`.
  std::string text(const std::string& token, const Value& v, bool markNone = false) const {
    if (const int* i = std::get_if<int>(&v)) return std::to_string(*i);
    if (const std::string* s = std::get_if<std::string>(&v)) return *s;
    if (const double* d = std::get_if<double>(&v)) {
      return m_display(token.find("%SumBy:") == std::string::npos ? token : token.substr(7), *d);
    }
    return markNone ? "\x01" : "";
  }

  Texts lineTexts(const Tuples& tuples) const {
    Texts texts;
    for (const Tuple& t : tuples) texts.push_back(text(t.token, t.value, true));
    return texts;
  }

  // Appends one line and returns the texts of its values.
  Texts emitLine(const Section& section, const Tuples& tuples, size_t depth) {
    m_out += '\n' + std::string(depth, ' ') + section.label;
    for (const Tuple& t : tuples) m_out += '[' + t.token + ':' + text(t.token, t.value) + ']';
    return lineTexts(tuples);
  }

  static Tuples filled(const Section& section, const Row& row) {
    Tuples tuples = section.tuples;
    for (Tuple& t : tuples) {
      const Tuple* source = find(row.tuples, t.token);
      if (source != nullptr && source->value.index() != 0) t.value = source->value;
    }
    return tuples;
  }

  // Adding an int gives an int (a real start truncated, wrapping around);
  // adding a real gives a real; any other start counts as 0.
  static void add(Value& sum, const Value& v) {
    const int* si = std::get_if<int>(&sum);
    const double* sd = std::get_if<double>(&sum);
    if (const int* i = std::get_if<int>(&v)) {
      const int start = si ? *si : (sd ? static_cast<int>(std::trunc(*sd)) : 0);
      sum = static_cast<int>(static_cast<unsigned>(start) + static_cast<unsigned>(*i));
    } else if (const double* d = std::get_if<double>(&v)) {
      sum = (si ? *si : (sd ? *sd : 0.0)) + *d;
    }
  }

  Tuples summed(const Section& section, size_t begin, size_t end) const {
    Tuples tuples = section.tuples;
    for (size_t k = begin; k < end; ++k) {
      if (!m_counts[m_order[k]]) continue;
      for (Tuple& t : tuples) {
        if (t.token.find("%SumBy:") == std::string::npos) continue;
        const Tuple* source = find(m_rows[m_order[k]].tuples, t.token.substr(7));
        if (source != nullptr) add(t.value, source->value);
      }
    }
    return tuples;
  }

  // Emits the groups of `level` over the sorted positions [begin, end), below
  // one parent item, at depth level + 1.
  void emitLevel(size_t level, size_t begin, size_t end) {
    const Level& lv = m_levels[level];
    const bool innermost = level + 1 == m_levels.size();
    std::optional<Texts> last;  // the texts of the parent's last line so far
    for (size_t runBegin = begin, runEnd; runBegin < end; runBegin = runEnd) {
      runEnd = runBegin + 1;
      while (!innermost && runEnd < end &&
             std::all_of(lv.groupingTokens.begin(), lv.groupingTokens.end(), [&](auto& token) {
               return compareOnToken(m_rows[m_order[runEnd]], m_rows[m_order[runEnd - 1]], token) ==
                      0;
             })) {
        ++runEnd;
      }
      const int first = m_order[runBegin];
      const Tuples header = filled(lv.section, m_rows[first]);
      // An innermost group's closing section is summed before its line is
      // looked at; an outer one after all of its inner groups.
      Tuples closing;
      if (innermost && lv.closing) closing = summed(*lv.closing, runBegin, runEnd);
      if (innermost && level > 0 && lv.section.label == "[ kDetails     ]" &&
          last == lineTexts(header)) {
        m_counts[first] = false;  // a repeated details line is dropped
      } else {
        last = emitLine(lv.section, header, level + 1);
        if (!innermost) emitLevel(level + 1, runBegin, runEnd);
      }
      if (lv.closing) {
        if (!innermost) closing = summed(*lv.closing, runBegin, runEnd);
        last = emitLine(*lv.closing, closing, level + 1);
      }
    }
  }

  const std::vector<Level>& m_levels;
  const std::vector<Row>& m_rows;
  Display m_display;
  std::vector<bool> m_counts;
  std::vector<int> m_order;
  std::string m_out;
};

}  // namespace reference

#endif  // REFERENCE_EVALUATOR_H_
