#include "output/exact_values.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>

namespace bomreport {

ExactValues::RunningSum::RunningSum(const QelBomDataValue& start)
    : real(start.type() == QelBomDataValue::kDoubleDataValue ? doubleValueOf(start) : 0.0),
      integer(start.type() == QelBomDataValue::kIntDataValue ? intValueOf(start) : 0),
      type(start.type()),
      kind(ExactValue::kUnknown) {}

double ExactValues::RunningSum::asDouble() const {
  if (type == QelBomDataValue::kIntDataValue) return static_cast<double>(integer);
  return type == QelBomDataValue::kDoubleDataValue ? real : 0.0;
}

// The result takes the type of the value added, an integer sum truncating a
// real one so far (integer sums past 32 bits are refused before an evaluation).
void ExactValues::RunningSum::add(const QelBomDataValue& value) {
  if (value.type() == QelBomDataValue::kIntDataValue) {
    const double before = asDouble();
    const int start = std::isnan(before) ? 0
                                         : static_cast<int>(std::fmax(
                                               std::fmin(before, 2147483647.0), -2147483648.0));
    integer = static_cast<int>(static_cast<unsigned>(start) +
                               static_cast<unsigned>(intValueOf(value)));
    type = QelBomDataValue::kIntDataValue;
  } else if (value.type() == QelBomDataValue::kDoubleDataValue) {
    real = asDouble() + doubleValueOf(value);
    type = QelBomDataValue::kDoubleDataValue;
  }
  added = added || value.type() != QelBomDataValue::kUnkDataValueType;
}

namespace {

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
  std::uint32_t line;    // the closing item's
  std::uint32_t level;
  QelBomDataRow* first;  // the opener's first row; null: no rows
  bool single;           // the opener is of the deepest level: one row
  bool started;          // the walk of the rows met its first row
  std::uint32_t sumsAt;  // its level's sums, at Additions::sums[sumsAt...]
};

struct ExactValues::Additions {
  std::vector<Group> groups;  // in report order
  std::vector<RunningSum> sums;
  // [level][sum]: the closing items' tuple of the sum as seen there last.
  std::vector<std::vector<TokenSeen>> seen;
};

ExactValues::ExactValues(const Report& report, const std::vector<ReportLine>& lines)
    : report_(report), enabled_(report.rows != nullptr && report.levels != nullptr) {
  if (!enabled_) return;
  QelArray<QelString> tokens;
  for (const ReportLevel& level : *report.levels) {
    for (const QelString& token : level.groupingTokens) tokens.append(token);
    groupingUpTo_.push_back(tokens);
    sumUnits_.emplace_back();
    for (const ReportLevel::Sum& sum : level.sums) sumUnits_.back().push_back(unitTypeOf(sum.summed));
  }
  addUpGroups(lines);
}

// A closing item is an item without rows at a level with sums; its opener is
// the item before it at its depth, with no shallower item between them.
void ExactValues::addUpGroups(const std::vector<ReportLine>& lines) {
  const std::vector<ReportLevel>& levels = *report_.levels;
  // Closing items with sums, counted first so that their sums take the room
  // they need and no more: a report holds one per sum of each.
  std::size_t groupCount = 0, sumCount = 0;
  for (const ReportLine& line : lines) {
    const auto depth = static_cast<std::size_t>(std::max(line.depth, 0));
    if (line.item->getFirstDataRow() == nullptr && depth < levels.size()) {
      groupCount += levels[depth].sums.empty() ? 0 : 1;
      sumCount += levels[depth].sums.size();
    }
  }
  if (groupCount == 0) return;
  Additions additions;
  for (const ReportLevel& level : levels) additions.seen.emplace_back(level.sums.size());
  additions.groups.reserve(groupCount);
  additions.sums.reserve(sumCount);
  std::vector<const QelBomTemplateItem*> lastAt;  // [d]: the item seen last at depth d
  for (std::size_t l = 0; l < lines.size(); ++l) {
    const auto depth = static_cast<std::size_t>(std::max(lines[l].depth, 0));
    lastAt.resize(depth + 1, nullptr);
    const QelBomTemplateItem* opener = lastAt[depth];
    lastAt[depth] = lines[l].item;
    if (lines[l].item->getFirstDataRow() != nullptr || depth >= levels.size() ||
        levels[depth].sums.empty()) {
      continue;
    }
    additions.groups.push_back(Group{static_cast<std::uint32_t>(l),
                                     static_cast<std::uint32_t>(depth),
                                     opener != nullptr ? opener->getFirstDataRow() : nullptr,
                                     opener != nullptr && opener->child() == nullptr, false,
                                     static_cast<std::uint32_t>(additions.sums.size())});
    for (const ReportLevel::Sum& sum : levels[depth].sums) additions.sums.emplace_back(sum.start);
  }
  walkRows(additions);
  sumsAt_.assign(lines.size(), kNoSums);
  for (Group& group : additions.groups) {
    if (group.first != nullptr && !group.started) walkFrom(additions, group);  // not among the rows
    finish(additions, group, *lines[group.line].item);
    sumsAt_[group.line] = group.sumsAt;
  }
  sums_ = std::move(additions.sums);
}

// One walk of the rows adds every row to each group it lies in. The groups
// of a level start in the order of the rows; one whose first row comes out of
// that order is added up on its own afterwards (walkFrom). Each row's values
// of the summed tokens are looked up once for all levels, and a row agrees
// with the one before at a level when it does at the level above and on the
// level's own grouping tokens.
void ExactValues::walkRows(Additions& additions) const {
  std::vector<Group>& groups = additions.groups;
  const std::vector<ReportLevel>& levelList = *report_.levels;
  const std::size_t levels = groupingUpTo_.size();
  std::vector<std::vector<std::uint32_t>> starts(levels);  // [level]: its groups with rows
  for (std::size_t g = 0; g < groups.size(); ++g) {
    if (groups[g].first != nullptr) starts[groups[g].level].push_back(static_cast<std::uint32_t>(g));
  }
  // The summed tokens, each once, and which of them each level's sums read.
  std::vector<QelString> summed;
  std::vector<std::vector<std::size_t>> summedAt(levels);  // [level][sum]
  std::vector<QelArray<QelString>> ownTokens(levels);      // [level]: its grouping tokens
  for (std::size_t d = 0; d < levels; ++d) {
    for (const QelString& token : levelList[d].groupingTokens) ownTokens[d].append(token);
    for (const ReportLevel::Sum& sum : levelList[d].sums) {
      const auto found = std::find(summed.begin(), summed.end(), sum.summed);
      summedAt[d].push_back(static_cast<std::size_t>(found - summed.begin()));
      if (found == summed.end()) summed.push_back(sum.summed);
    }
  }
  std::vector<int> guesses(summed.size(), 0);
  std::vector<const QelBomDataValue*> values(summed.size());  // of the current row
  std::vector<std::size_t> next(levels, 0);              // [level]: the next group to start
  std::vector<std::vector<std::uint32_t>> open(levels);  // [level]: groups adding
  QelBomDataRow* previous = nullptr;
  for (QelBomItemBase* node = report_.rows->child(); node != nullptr; node = node->next()) {
    auto* row = static_cast<QelBomDataRow*>(node);
    std::size_t deepestOpen = levels;
    for (std::size_t d = 0; d < levels; ++d) {
      if (!open[d].empty()) deepestOpen = d;
    }
    bool agrees = previous != nullptr;
    for (std::size_t d = 0; deepestOpen < levels && d <= deepestOpen; ++d) {
      agrees = agrees && (ownTokens[d].count() == 0 || row->compare(previous, ownTokens[d]) == 0);
      if (!agrees) {
        for (std::size_t deeper = d; deeper < levels; ++deeper) open[deeper].clear();
        break;
      }
    }
    bool adding = false;
    for (std::size_t d = 0; d < levels; ++d) {
      while (next[d] < starts[d].size() && groups[starts[d][next[d]]].first == row) {
        groups[starts[d][next[d]]].started = true;
        open[d].push_back(starts[d][next[d]++]);
      }
      adding = adding || !open[d].empty();
    }
    if (adding && row->getUseThisDataForSums() != 0) {
      for (std::size_t k = 0; k < summed.size(); ++k) {
        const QelBomDataTuple* tuple = findTuple(*row, summed[k], guesses[k], -1);
        values[k] = tuple != nullptr ? &tuple->value() : nullptr;
      }
      for (std::size_t d = 0; d < levels; ++d) {
        for (const std::uint32_t g : open[d]) {
          for (std::size_t s = 0; s < summedAt[d].size(); ++s) {
            if (values[summedAt[d][s]] != nullptr) {
              additions.sums[groups[g].sumsAt + s].add(*values[summedAt[d][s]]);
            }
          }
        }
      }
    }
    for (std::size_t d = 0; d < levels; ++d) {
      open[d].erase(std::remove_if(open[d].begin(), open[d].end(),
                                   [&](std::uint32_t g) { return groups[g].single; }),
                    open[d].end());
    }
    previous = row;
  }
}

// A group whose first row the walk did not meet: its rows from that one on.
void ExactValues::walkFrom(Additions& additions, Group& group) const {
  const std::vector<ReportLevel::Sum>& sums = (*report_.levels)[group.level].sums;
  std::vector<int> guesses(sums.size(), 0);
  for (QelBomDataRow* row = group.first; row != nullptr;) {
    for (std::size_t s = 0; s < sums.size() && row->getUseThisDataForSums() != 0; ++s) {
      const QelBomDataTuple* value = findTuple(*row, sums[s].summed, guesses[s], -1);
      if (value != nullptr) additions.sums[group.sumsAt + s].add(value->value());
    }
    auto* next = static_cast<QelBomDataRow*>(row->next());
    if (group.single || next == nullptr || next->compare(row, groupingUpTo_[group.level]) != 0) {
      break;
    }
    row = next;
  }
}

// The exact value of a sum of `token` as it was added up.
void ExactValues::finish(Additions& additions, const Group& group,
                         const QelBomTemplateItem& item) const {
  const std::vector<ReportLevel::Sum>& sums = (*report_.levels)[group.level].sums;
  const QelArray<QelBomDataTuple>& tuples = item.getData();
  for (std::size_t s = 0; s < sums.size(); ++s) {
    RunningSum& sum = additions.sums[group.sumsAt + s];
    // An item without rows that is no closing section (an empty report's
    // head) has no sums.
    const int tuple = sums[s].tuple;
    sum.isSum = tuple < tuples.count() && remembered(additions.seen[group.level][s],
                                                     tuples[tuple].token().token(), asksForSum);
    const ExactValue value = sum.type == QelBomDataValue::kIntDataValue
                                 ? integerValue(sum.integer)
                             : sum.type == QelBomDataValue::kDoubleDataValue
                                 ? realValue(sumUnits_[group.level][s], sum.real)
                             : sum.type == QelBomDataValue::kStringDataValue ? textValue()
                                                                             : ExactValue();
    sum.kind = !sum.added && value.isNumber() ? ExactValue::kMissing : value.kind;
    sum.real = value.real;
  }
}

bool ExactValues::asksForSum(const QelString& token) {
  QelString summed;
  return QelBomDataToken::summingRequestOf(token, summed) != 0;
}

ExactValue ExactValues::integerValue(int integer) {
  ExactValue exact;
  exact.kind = ExactValue::kInteger;
  exact.integer = integer;
  return exact;
}

ExactValue ExactValues::textValue() {
  ExactValue exact;
  exact.kind = ExactValue::kText;
  return exact;
}

int ExactValues::unitTypeOf(const QelString& token) const {
  return report_.units != nullptr ? report_.units->unitTypeOf(token) : 0;
}

int ExactValues::unitTypeOf(const QelString& token, std::size_t depth, std::size_t at,
                            Scratch& scratch) const {
  if (scratch.units.size() <= depth) scratch.units.resize(depth + 1);
  std::vector<TokenSeen>& units = scratch.units[depth];
  if (units.size() <= at) units.resize(at + 1);
  return remembered(units[at], token, [this](const QelString& t) { return unitTypeOf(t); });
}

ExactValue ExactValues::realValue(int unitType, double real) const {
  ExactValue exact;
  exact.real = report_.units != nullptr ? report_.units->shownValueOf(unitType, real) : real;
  if (std::isfinite(exact.real)) {
    exact.kind = ExactValue::kReal;
    exact.real = toFifteenDigits(exact.real);
  }
  return exact;
}

ExactValue ExactValues::fromValue(int unitType, const QelBomDataValue& value) const {
  switch (value.type()) {
    case QelBomDataValue::kIntDataValue:
      return integerValue(intValueOf(value));
    case QelBomDataValue::kDoubleDataValue:
      return realValue(unitType, doubleValueOf(value));
    case QelBomDataValue::kStringDataValue:
      return textValue();
    default:
      return ExactValue();
  }
}

void ExactValues::valuesOf(std::size_t at, const ReportLine& line,
                           const std::vector<char>& visible, std::vector<ExactValue>& out,
                           Scratch& scratch) const {
  const QelArray<QelBomDataTuple>& tuples = line.item->getData();
  out.assign(static_cast<std::size_t>(tuples.count()), ExactValue());
  if (!enabled_) return;
  const QelBomDataRow* row = line.item->getFirstDataRow();
  if (row == nullptr) {
    if (at >= sumsAt_.size() || sumsAt_[at] == kNoSums) return;
    const std::vector<ReportLevel::Sum>& sums =
        (*report_.levels)[static_cast<std::size_t>(line.depth)].sums;
    for (std::size_t s = 0; s < sums.size(); ++s) {
      const RunningSum& sum = sums_[sumsAt_[at] + s];
      if (!sum.isSum) continue;
      ExactValue& value = out[static_cast<std::size_t>(sums[s].tuple)];
      value.kind = sum.kind;
      value.integer = sum.integer;
      value.real = sum.real;
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
    int& held = guess[static_cast<std::size_t>(i)];
    const QelBomDataTuple* source = findTuple(*row, token, held, after);
    if (source != nullptr) after = held + 1;
    if (source != nullptr && source->value().type() != QelBomDataValue::kUnkDataValueType) {
      const QelBomDataValue& value = source->value();
      const int unit = value.type() == QelBomDataValue::kDoubleDataValue
                           ? unitTypeOf(token, depth, static_cast<std::size_t>(i), scratch)
                           : 0;
      out[static_cast<std::size_t>(i)] = fromValue(unit, value);
    } else if (token.length() > 0 && token.getStringW()[0] == u'%') {
      out[static_cast<std::size_t>(i)].kind = ExactValue::kAbsent;
    }
  }
}

}  // namespace bomreport
