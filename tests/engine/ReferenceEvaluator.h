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
#include <climits>
#include <cmath>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace reference {

struct Value {
  enum Kind { kNone, kInt, kReal, kText };
  Kind kind = kNone;
  int i = 0;
  double d = 0.0;
  std::string s;

  static Value none() { return Value(); }
  static Value integer(int v) {
    Value x;
    x.kind = kInt;
    x.i = v;
    return x;
  }
  static Value real(double v) {
    Value x;
    x.kind = kReal;
    x.d = v;
    return x;
  }
  static Value text(std::string v) {
    Value x;
    x.kind = kText;
    x.s = std::move(v);
    return x;
  }
};

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
    Result result;
    m_counts.assign(m_rows.size(), true);
    m_order.resize(m_rows.size());
    for (size_t i = 0; i < m_rows.size(); ++i) m_order[i] = static_cast<int>(i);
    std::vector<SortKey> keys;
    for (const Level& level : m_levels) {
      keys.insert(keys.end(), level.sortKeys.begin(), level.sortKeys.end());
    }
    if (!keys.empty()) {
      std::stable_sort(m_order.begin(), m_order.end(),
                       [&](int a, int b) { return compareOnKeys(m_rows[a], m_rows[b], keys) < 0; });
    }
    m_out = "[ kBomTemplate ]";
    if (!m_levels.empty() && !m_rows.empty()) emitLevel(0, 0, m_order.size());
    result.listing = m_out;
    result.countsInSums = m_counts;
    result.order = m_order;
    return result;
  }

 private:
  using Texts = std::vector<std::string>;

  static const Tuple* find(const Tuples& tuples, const std::string& token) {
    for (const Tuple& t : tuples) {
      if (t.token == token) return &t;
    }
    return nullptr;
  }

  static int compareValues(const Value& a, const Value& b) {
    if (a.kind != b.kind) return -1;
    switch (a.kind) {
      case Value::kInt:
        return a.i < b.i ? -1 : (a.i > b.i ? 1 : 0);
      case Value::kReal:
        return b.d > a.d ? -1 : (a.d > b.d ? 1 : 0);
      case Value::kText:
        return a.s < b.s ? -1 : (a.s > b.s ? 1 : 0);
      default:
        return 0;
    }
  }

  static int compareOnToken(const Row& a, const Row& b, const std::string& token) {
    const Tuple* ta = find(a.tuples, token);
    const Tuple* tb = find(b.tuples, token);
    if (ta == nullptr) return tb == nullptr ? 0 : -1;
    if (tb == nullptr) return 1;
    return compareValues(ta->value, tb->value);
  }

  static int compareOnKeys(const Row& a, const Row& b, const std::vector<SortKey>& keys) {
    for (const SortKey& key : keys) {
      const int c = compareOnToken(a, b, key.token);
      if (c != 0) return key.ascending ? c : -c;
    }
    return 0;
  }

  bool sameGroup(const Row& a, const Row& b, const std::vector<std::string>& tokens) const {
    for (const std::string& token : tokens) {
      if (compareOnToken(a, b, token) != 0) return false;
    }
    return true;
  }

  std::string numberText(const std::string& token, const Value& v) const {
    char buffer[32];
    switch (v.kind) {
      case Value::kInt:
        std::snprintf(buffer, sizeof buffer, "%d", v.i);
        return buffer;
      case Value::kReal: {
        const std::string prefix = "%SumBy:";
        const std::string name =
            token.find(prefix) != std::string::npos ? token.substr(prefix.size()) : token;
        return m_display(name, v.d);
      }
      case Value::kText:
        return v.s;
      default:
        return "";
    }
  }

  // Appends one line and returns the texts of its values.
  Texts emitLine(const Section& section, const Tuples& tuples, size_t depth) {
    m_out += '\n';
    m_out.append(depth, ' ');
    m_out += section.label;
    for (const Tuple& t : tuples) m_out += '[' + t.token + ':' + numberText(t.token, t.value) + ']';
    return lineTexts(tuples);
  }

  static Tuples filled(const Section& section, const Row& row) {
    Tuples tuples = section.tuples;
    for (Tuple& t : tuples) {
      const Tuple* source = find(row.tuples, t.token);
      if (source != nullptr && source->value.kind != Value::kNone) t.value = source->value;
    }
    return tuples;
  }

  static void add(Value& sum, const Value& v) {
    if (v.kind == Value::kInt) {
      int start = 0;
      if (sum.kind == Value::kInt) start = sum.i;
      if (sum.kind == Value::kReal) start = static_cast<int>(std::trunc(sum.d));
      sum = Value::integer(
          static_cast<int>(static_cast<unsigned>(start) + static_cast<unsigned>(v.i)));
    } else if (v.kind == Value::kReal) {
      double start = 0.0;
      if (sum.kind == Value::kInt) start = sum.i;
      if (sum.kind == Value::kReal) start = sum.d;
      sum = Value::real(start + v.d);
    }
  }

  Tuples summed(const Section& section, size_t begin, size_t end) const {
    Tuples tuples = section.tuples;
    for (size_t k = begin; k < end; ++k) {
      const int r = m_order[k];
      if (!m_counts[r]) continue;
      for (Tuple& t : tuples) {
        if (t.token.find("%SumBy:") == std::string::npos) continue;
        const Tuple* source = find(m_rows[r].tuples, t.token.substr(7));
        if (source != nullptr) add(t.value, source->value);
      }
    }
    return tuples;
  }

  // Emits the groups of `level` over the sorted positions [begin, end), below
  // one parent item, at depth level + 1.
  void emitLevel(size_t level, size_t begin, size_t end) {
    const Level& lv = m_levels[level];
    const size_t depth = level + 1;
    const bool innermost = level + 1 == m_levels.size();
    Texts last;  // the texts of the parent's last line so far
    bool hasLast = false;
    size_t runBegin = begin;
    while (runBegin < end) {
      size_t runEnd = runBegin + 1;
      if (!innermost) {
        while (runEnd < end &&
               sameGroup(m_rows[m_order[runEnd]], m_rows[m_order[runEnd - 1]], lv.groupingTokens)) {
          ++runEnd;
        }
      }
      const int first = m_order[runBegin];
      const Tuples header = filled(lv.section, m_rows[first]);
      // An innermost group's closing section is summed before its line is
      // looked at; an outer one after all of its inner groups.
      Tuples closing;
      if (innermost && lv.closing) closing = summed(*lv.closing, runBegin, runEnd);
      if (innermost && level > 0 && lv.section.label == "[ kDetails     ]" && hasLast &&
          lineTexts(header) == last) {
        m_counts[first] = false;  // a repeated details line is dropped
      } else {
        last = emitLine(lv.section, header, depth);
        hasLast = true;
        if (!innermost) emitLevel(level + 1, runBegin, runEnd);
      }
      if (lv.closing) {
        if (!innermost) closing = summed(*lv.closing, runBegin, runEnd);
        last = emitLine(*lv.closing, closing, depth);
        hasLast = true;
      }
      runBegin = runEnd;
    }
  }

  // The texts of a line's values after units; a tuple without a value is
  // told apart from an empty text.
  Texts lineTexts(const Tuples& tuples) const {
    Texts texts;
    for (const Tuple& t : tuples) {
      texts.push_back(t.value.kind == Value::kNone ? std::string("\x01")
                                                   : numberText(t.token, t.value));
    }
    return texts;
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
