#include "output/exact_values.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>


namespace bomreport {
namespace {

// The engine's sum of one more row: the result takes the type of the value
// added, an integer sum truncating a real one so far (integer sums past 32
// bits are refused before an evaluation).
void addToSum(QelBomDataValue& sum, const QelBomDataValue& value) {
  const auto asDouble = [](const QelBomDataValue& v) {
    if (v.type() == QelBomDataValue::kIntDataValue) return static_cast<double>(intValueOf(v));
    return v.type() == QelBomDataValue::kDoubleDataValue ? doubleValueOf(v) : 0.0;
  };
  if (value.type() == QelBomDataValue::kIntDataValue) {
    const double before = asDouble(sum);
    const int start = std::isnan(before) ? 0 : static_cast<int>(std::fmax(std::fmin(before, 2147483647.0), -2147483648.0));
    sum.set(static_cast<int>(static_cast<unsigned>(start) + static_cast<unsigned>(intValueOf(value))));
  } else if (value.type() == QelBomDataValue::kDoubleDataValue) {
    sum.set(asDouble(sum) + doubleValueOf(value));
  }
}

// `value` as a decimal of up to six places, `digits` × 10^-`places` with the
// fewest places and fewer than 16 figures, when it is one (a value read from a
// file mostly is): the decimal reads back as `value` (the division is
// correctly rounded), and a decimal of at most 15 figures that does is the
// rounding of `value` to 15 figures, since those steps are wider than the
// double's from 0.001 on. std::to_chars with a precision costs many times
// more.
bool shortDecimal(double value, long long& digits, int& places) {
  static const double kScales[] = {1, 10, 100, 1e3, 1e4, 1e5, 1e6};
  const double magnitude = std::fabs(value);
  if (!(magnitude >= 1e-3 && magnitude < 1e15)) return false;  // NaN too
  for (int k = 0; k < 7; ++k) {
    const double whole = std::nearbyint(value * kScales[k]);
    if (std::fabs(whole) >= 1e15) return false;
    if (whole / kScales[k] == value) {
      digits = static_cast<long long>(whole);
      places = k;
      return true;
    }
  }
  return false;
}

// `value` to 15 significant digits, all a double holds exactly: the sum
// 800.0699999999999 of rows that hold 800.07 between them is 800.07.
double toFifteenDigits(double value) {
  long long digits = 0;
  int places = 0;
  if (shortDecimal(value, digits, places)) return value;
  char text[32];
  const auto written =
      std::to_chars(text, text + sizeof text, value, std::chars_format::general, 15);
  double rounded = value;
  std::from_chars(text, written.ptr, rounded);
  return rounded == 0.0 ? 0.0 : rounded;  // no -0
}

// The tuple of `token` in `row`, tried first at `guess`, then at `after`,
// else searched; `guess` is set to where it was found. Rows of one file hold
// their tokens in one order (the columns'), so a line's tokens are mostly
// where the row before held them, or one after the token before, and a row of
// thousands of columns is not scanned once a token. Rows hold each token once
// (the readers refuse one given twice), so the answer is getTupleAt's.
const QelBomDataTuple* findTuple(const QelBomDataRow& row, const QelString& token, int& guess,
                                 int after) {
  const QelArray<QelBomDataTuple>& tuples = row.getData();
  for (const int at : {guess, after}) {
    if (at >= 0 && at < tuples.count() && tuples[at].token().token() == token) {
      guess = at;
      return &tuples[at];
    }
  }
  const QelBomDataTuple* found = row.getTupleAt(token);
  if (found != nullptr) guess = static_cast<int>(found - &tuples[0]);
  return found;
}

}  // namespace

std::string exactNumberText(const ExactValue& value) {
  if (value.kind == ExactValue::kInteger) return std::to_string(value.integer);
  long long digits = 0;
  int places = 0;
  if (shortDecimal(value.real, digits, places)) {
    // "%.15g" of a short decimal from 0.001 to below 1e15: plain notation.
    std::string text = std::to_string(digits < 0 ? -digits : digits);
    const auto point = static_cast<std::size_t>(places);
    if (point > 0) {
      if (text.size() <= point) text.insert(0, point + 1 - text.size(), '0');
      text.insert(text.size() - point, 1, '.');
    }
    if (digits < 0) text.insert(0, 1, '-');
    return text;
  }
  char text[32];
  // "%.15g", without the cost of printf.
  const auto written =
      std::to_chars(text, text + sizeof text, value.real, std::chars_format::general, 15);
  return std::string(text, written.ptr);
}

// A closing item's sums as they are added up: from its opener's first row
// on, while the rows agree with the one before on the grouping tokens of its
// level and those above it.
struct ExactValues::Group {
  const QelBomTemplateItem* item;  // the closing item
  std::size_t level;
  QelBomDataRow* first;  // the opener's first row; null: no rows
  bool single;           // the opener is of the deepest level: one row
  std::size_t sumsAt;    // its level's sums, at Additions::sums[sumsAt...]
  bool started = false;  // the walk of the rows met its first row
};

struct ExactValues::Additions {
  std::vector<Group> groups;
  std::vector<QelBomDataValue> sums;
  std::vector<char> added;  // a sum that adds nothing has no value
};

ExactValues::ExactValues(const Report& report, const std::vector<ReportLine>& lines)
    : report_(report), enabled_(report.rows != nullptr && report.levels != nullptr) {
  if (!enabled_) return;
  QelArray<QelString> tokens;
  for (const ReportLevel& level : *report.levels) {
    for (const QelString& token : level.groupingTokens) tokens.append(token);
    groupingUpTo_.push_back(tokens);
  }
  addUpGroups(lines);
}

// A closing item is an item without rows at a level with sums; its opener is
// the item before it at its depth, with no shallower item between them.
void ExactValues::addUpGroups(const std::vector<ReportLine>& lines) {
  const std::vector<ReportLevel>& levels = *report_.levels;
  Additions additions;
  std::vector<const QelBomTemplateItem*> lastAt;  // [d]: the item seen last at depth d
  for (const ReportLine& line : lines) {
    const auto depth = static_cast<std::size_t>(std::max(line.depth, 0));
    lastAt.resize(depth + 1, nullptr);
    const QelBomTemplateItem* opener = lastAt[depth];
    lastAt[depth] = line.item;
    if (line.item->getFirstDataRow() != nullptr || depth >= levels.size() ||
        levels[depth].sums.empty()) {
      continue;
    }
    additions.groups.push_back(Group{line.item, depth,
                                     opener != nullptr ? opener->getFirstDataRow() : nullptr,
                                     opener != nullptr && opener->child() == nullptr,
                                     additions.sums.size()});
    for (const ReportLevel::Sum& sum : levels[depth].sums) additions.sums.push_back(sum.start);
  }
  additions.added.assign(additions.sums.size(), 0);
  walkRows(additions);
  for (Group& group : additions.groups) {
    if (group.first != nullptr && !group.started) walkFrom(additions, group);  // not among the rows
    keepSums(additions, group);
  }
}

// One walk of the rows adds every row to each group it lies in.
void ExactValues::walkRows(Additions& additions) const {
  std::vector<Group>& groups = additions.groups;
  std::unordered_multimap<const QelBomDataRow*, std::size_t> startingAt;
  for (std::size_t g = 0; g < groups.size(); ++g) {
    if (groups[g].first != nullptr) startingAt.emplace(groups[g].first, g);
  }
  if (startingAt.empty()) return;
  std::vector<std::vector<std::size_t>> open(groupingUpTo_.size());  // [level]: groups adding
  std::vector<std::vector<int>> guesses(groupingUpTo_.size());        // [level][sum]
  QelBomDataRow* previous = nullptr;
  for (QelBomItemBase* node = report_.rows->child(); node != nullptr; node = node->next()) {
    auto* row = static_cast<QelBomDataRow*>(node);
    for (std::size_t d = 0; d < open.size(); ++d) {
      if (!open[d].empty() && row->compare(previous, groupingUpTo_[d]) != 0) open[d].clear();
    }
    const auto starting = startingAt.equal_range(row);
    for (auto it = starting.first; it != starting.second; ++it) {
      groups[it->second].started = true;
      open[groups[it->second].level].push_back(it->second);
    }
    for (std::size_t d = 0; d < open.size(); ++d) {
      for (const std::size_t g : open[d]) add(additions, groups[g], *row, guesses[d]);
      open[d].erase(std::remove_if(open[d].begin(), open[d].end(),
                                   [&](std::size_t g) { return groups[g].single; }),
                    open[d].end());
    }
    previous = row;
  }
}

// A group whose first row the walk did not meet: its rows from that one on.
void ExactValues::walkFrom(Additions& additions, Group& group) const {
  std::vector<int> guesses;
  for (QelBomDataRow* row = group.first; row != nullptr;) {
    add(additions, group, *row, guesses);
    auto* next = static_cast<QelBomDataRow*>(row->next());
    if (group.single || next == nullptr || next->compare(row, groupingUpTo_[group.level]) != 0) {
      break;
    }
    row = next;
  }
}

void ExactValues::add(Additions& additions, const Group& group, QelBomDataRow& row,
                      std::vector<int>& guesses) const {
  if (row.getUseThisDataForSums() == 0) return;
  const std::vector<ReportLevel::Sum>& sums = (*report_.levels)[group.level].sums;
  guesses.resize(sums.size(), 0);
  for (std::size_t s = 0; s < sums.size(); ++s) {
    const QelBomDataTuple* value = findTuple(row, sums[s].summed, guesses[s], -1);
    if (value == nullptr) continue;
    addToSum(additions.sums[group.sumsAt + s], value->value());
    if (value->value().type() != QelBomDataValue::kUnkDataValueType) {
      additions.added[group.sumsAt + s] = 1;
    }
  }
}

void ExactValues::keepSums(const Additions& additions, const Group& group) {
  const std::vector<ReportLevel::Sum>& sums = (*report_.levels)[group.level].sums;
  const QelArray<QelBomDataTuple>& tuples = group.item->getData();
  const std::size_t begin = sums_.size();
  for (std::size_t s = 0; s < sums.size(); ++s) {
    const auto tuple = static_cast<std::size_t>(sums[s].tuple);
    // An item without rows that is no closing section (an empty report's head) has no sums.
    QelString summed;
    if (tuple >= static_cast<std::size_t>(tuples.count()) ||
        QelBomDataToken::summingRequestOf(tuples[static_cast<int>(tuple)].token().token(),
                                          summed) == 0) {
      continue;
    }
    ExactValue value = fromValue(sums[s].summed, &additions.sums[group.sumsAt + s]);
    if (additions.added[group.sumsAt + s] == 0 && value.isNumber()) {
      value.kind = ExactValue::kMissing;
    }
    sums_.emplace_back(tuple, value);
  }
  sumsAt_.emplace(group.item, SumsAt{begin, sums_.size()});
}

ExactValue ExactValues::fromValue(const QelString& token, const QelBomDataValue* value) const {
  ExactValue exact;
  if (value == nullptr) return exact;
  switch (value->type()) {
    case QelBomDataValue::kIntDataValue:
      exact.kind = ExactValue::kInteger;
      exact.integer = intValueOf(*value);
      break;
    case QelBomDataValue::kDoubleDataValue:
      exact.real = report_.units != nullptr ? report_.units->shownValue(token, doubleValueOf(*value))
                                            : doubleValueOf(*value);
      if (std::isfinite(exact.real)) {
        exact.kind = ExactValue::kReal;
        exact.real = toFifteenDigits(exact.real);
      }
      break;
    case QelBomDataValue::kStringDataValue:
      exact.kind = ExactValue::kText;
      break;
    default:
      break;
  }
  return exact;
}

void ExactValues::valuesOf(const ReportLine& line, const std::vector<char>& visible,
                           std::vector<ExactValue>& out, Scratch& scratch) const {
  const QelArray<QelBomDataTuple>& tuples = line.item->getData();
  out.assign(static_cast<std::size_t>(tuples.count()), ExactValue());
  if (!enabled_) return;
  const QelBomDataRow* row = line.item->getFirstDataRow();
  if (row == nullptr) {
    const auto found = sumsAt_.find(line.item);
    if (found == sumsAt_.end()) return;
    for (std::size_t s = found->second.begin; s < found->second.end; ++s) {
      out[sums_[s].first] = sums_[s].second;
    }
    return;
  }
  std::vector<std::vector<int>>& guesses = scratch.guesses;
  const auto depth = static_cast<std::size_t>(std::max(line.depth, 0));
  if (guesses.size() <= depth) guesses.resize(depth + 1);
  std::vector<int>& guess = guesses[depth];
  if (guess.size() < out.size()) guess.resize(out.size(), 0);
  int after = 0;  // the index after the tuple found last
  for (int i = 0; i < tuples.count(); ++i) {
    if (visible[static_cast<std::size_t>(i)] == 0) continue;
    const QelString& token = tuples[i].token().token();
    int& at = guess[static_cast<std::size_t>(i)];
    const QelBomDataTuple* source = findTuple(*row, token, at, after);
    if (source != nullptr) after = at + 1;
    if (source != nullptr && source->value().type() != QelBomDataValue::kUnkDataValueType) {
      out[static_cast<std::size_t>(i)] = fromValue(token, &source->value());
    } else if (token.length() > 0 && token.getStringW()[0] == u'%') {
      out[static_cast<std::size_t>(i)].kind = ExactValue::kAbsent;
    }
  }
}

}  // namespace bomreport
