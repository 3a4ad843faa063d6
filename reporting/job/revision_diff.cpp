#include "BomRevisions.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <unordered_map>
#include <utility>

#include "job/report_warnings.h"
#include "job/revision_lines.h"
#include "output/column_styles.h"
#include "output/ordered_blocks.h"
#include "text/names.h"
#include "text/text_util.h"

namespace bomreport {
namespace {

// How people read each token: the template's caption or the token's own
// heading, with the unit (as the text report labels it); made once a token.
class Labels {
 public:
  Labels(const ReportUnits& units, const ColumnStyles& styles) : units_(units), styles_(styles) {}
  const std::string& of(const std::string& token) {
    auto found = labels_.find(token);
    if (found == labels_.end()) {
      const QelBomDataToken parsed(QelString::fromUtf8(token));
      found = labels_.emplace(token, styledLabel(parsed, &styles_, &units_)).first;
    }
    return found->second;
  }

 private:
  const ReportUnits& units_;
  const ColumnStyles& styles_;
  std::unordered_map<std::string, std::string> labels_;
};

// A real as its column shows it, when the template fixes its decimals.
ReportValue shownAs(ReportValue value, const ReportUnits& units, const ColumnStyles& styles) {
  const ColumnStyle* style = styles.find(value.token);
  if (value.kind != ReportValue::Kind::kReal || style == nullptr) return value;
  const std::string_view sum = summedToken(value.token);
  const std::string summed = sum.empty() ? value.token : std::string(sum);
  const int decimals = style->decimalsIn(units.unitOf(QelString::fromUtf8(summed)));
  if (decimals < 0) return value;
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, value.number);
  value.text = text;
  return value;
}

// What the comparison reads of both revisions and writes into the list.
class Comparison {
 public:
  Comparison(RevisionSide& before, RevisionSide& after, const RevisionOptions& options)
      : before_(before),
        after_(after),
        options_(options),
        units_(after.report.units()),
        styles_(after.report.columns()),
        labels_(units_, styles_) {}

  // The lines in the newer's order, each removed line after the line before
  // it in the older that the newer has too.
  void run(Revisions& revisions) {
    std::vector<std::vector<std::size_t>> removedBefore(after_.lines.size() + 1);
    std::size_t anchor = 0;
    for (std::size_t l = 0; l < before_.lines.size(); ++l) {
      const auto found = after_.byKey.find(before_.lines[l].key);
      if (found != after_.byKey.end()) {
        anchor = found->second + 1;
      } else {
        removedBefore[anchor].push_back(l);
      }
    }
    for (std::size_t l = 0; l <= after_.lines.size(); ++l) {
      for (std::size_t r : removedBefore[l]) line(revisions, &before_.lines[r], nullptr);
      if (l == after_.lines.size()) break;
      const auto found = before_.byKey.find(after_.lines[l].key);
      line(revisions, found != before_.byKey.end() ? &before_.lines[found->second] : nullptr,
           &after_.lines[l]);
    }
  }

 private:
  using Line = RevisionSide::Line;

  // Counts the line and lists it when it changed (every line with `all`;
  // the report's totals always).
  void line(Revisions& revisions, const Line* before, const Line* after) {
    const RevisionSide& side = after != nullptr ? after_ : before_;
    const Line& shown = after != nullptr ? *after : *before;
    const bool footer = side.isFooter(shown);
    const bool total = footer && side.reader->lines()[shown.at].depth == 0;
    if (before != nullptr && after != nullptr) {
      if (sameTexts(*before, *after) && !options_.all && !total) {
        if (!footer) ++revisions.unchanged;
        return;
      }
      // Keys match by their hashes; lines that differ are the same line only
      // when their keys' texts agree as well.
      if (before_.keyText(*before) != after_.keyText(*after)) {
        line(revisions, before, nullptr);
        line(revisions, nullptr, after);
        return;
      }
    }
    RevisionLine made = makeLine(before, after);
    if (!footer) count(revisions, made.change);
    if (made.change != RevisionChange::kUnchanged || options_.all || total) {
      revisions.lines.push_back(std::move(made));
    }
  }

  static void count(Revisions& revisions, RevisionChange change) {
    switch (change) {
      case RevisionChange::kAdded: ++revisions.added; break;
      case RevisionChange::kRemoved: ++revisions.removed; break;
      case RevisionChange::kChanged: ++revisions.changed; break;
      case RevisionChange::kUnchanged: ++revisions.unchanged; break;
    }
  }

  RevisionLine makeLine(const Line* before, const Line* after) {
    const RevisionSide& side = after != nullptr ? after_ : before_;
    const Line& line = after != nullptr ? *after : *before;
    RevisionLine made;
    made.depth = side.reader->lines()[line.at].depth;
    made.type = static_cast<SectionType>(side.item(line).type());
    made.groups = side.groupTexts(line);
    made.key = side.shownKey(line);
    if (after != nullptr) values(after_.reader->item(after->at), &RevisionValue::after, made);
    if (before != nullptr) values(before_.reader->item(before->at), &RevisionValue::before, made);
    if (before == nullptr) {
      made.change = RevisionChange::kAdded;
    } else if (after == nullptr) {
      made.change = RevisionChange::kRemoved;
    } else {
      made.change = std::any_of(made.values.begin(), made.values.end(),
                                [](const RevisionValue& value) { return value.changed(); })
                        ? RevisionChange::kChanged
                        : RevisionChange::kUnchanged;
    }
    return made;
  }

  // The item's values into `side` of the line's values, in the order the
  // newer shows them.
  void values(const ReportItem& item, std::optional<ReportValue> RevisionValue::*side,
              RevisionLine& line) {
    for (const ReportValue& value : item.values) {
      auto found = std::find_if(line.values.begin(), line.values.end(),
                                [&value](const RevisionValue& v) { return v.token == value.token; });
      if (found == line.values.end()) {
        line.values.push_back(RevisionValue{value.token, labels_.of(value.token), {}, {}});
        found = line.values.end() - 1;
      }
      (*found).*side = shownAs(value, units_, styles_);
    }
  }

  RevisionSide& before_;
  RevisionSide& after_;
  const RevisionOptions& options_;
  const ReportUnits& units_;
  const ColumnStyles& styles_;
  Labels labels_;
};

ReportWarning partsWithoutHandle(const std::string& file, long long parts) {
  ReportWarning warning{WarningKind::kRevisionNoHandle};
  warning.file = file;
  warning.rows = parts;
  warning.text = std::to_string(parts) + (parts == 1 ? " part" : " parts") + " of " + file +
                 " have no handle, so whether they moved to another line is not known";
  warning.cure = "give every part its object handle (the \"#handle\" column of a CSV file)";
  return warning;
}

// The parts that lie on a line of another key in the newer revision; parts
// without a handle are warned of.
std::vector<RevisionMove> moves(RevisionSide& before, RevisionSide& after,
                                std::vector<ReportWarning>& warnings) {
  long long beforeWithout = 0, afterWithout = 0;
  const std::vector<std::vector<std::string>> was = before.handlesByLine(beforeWithout);
  const std::vector<std::vector<std::string>> now = after.handlesByLine(afterWithout);
  if (beforeWithout > 0) {
    warnings.push_back(partsWithoutHandle(before.report.dataName(), beforeWithout));
  }
  if (afterWithout > 0) {
    warnings.push_back(partsWithoutHandle(after.report.dataName(), afterWithout));
  }
  std::unordered_map<std::string, std::size_t> lineOf;
  for (std::size_t l = 0; l < was.size(); ++l) {
    for (const std::string& handle : was[l]) lineOf.emplace(handle, l);
  }
  std::vector<RevisionMove> moved;
  for (std::size_t l = 0; l < now.size(); ++l) {
    for (const std::string& handle : now[l]) {
      const auto found = lineOf.find(handle);
      if (found == lineOf.end()) continue;
      const RevisionSide::Line& from = before.lines[found->second];
      if (from.key != after.lines[l].key) {
        moved.push_back({handle, before.shownKey(from), after.shownKey(after.lines[l])});
      }
    }
  }
  return moved;
}

ReportWarning repeatedKeys(const RevisionSide& side) {
  ReportWarning warning{WarningKind::kRevisionKeyRepeats};
  warning.file = side.report.dataName();
  warning.rows = side.repeatedKeys;
  warning.text = std::to_string(side.repeatedKeys) + " lines of the report of " + warning.file +
                 " have the key of a line before them (" + quoteForMessage(side.repeatedExample) +
                 " among them), so lines of one key are matched in order";
  warning.cure = "name the tokens that tell the lines apart with " + optionReference("key");
  return warning;
}

ReportWarning emptyRevision(const std::string& file, bool older) {
  ReportWarning warning{WarningKind::kRevisionEmpty};
  warning.file = file;
  warning.text = "the template makes no line of the parts of " + file +
                 ", so every line of the other revision is listed as " +
                 (older ? "added" : "removed");
  warning.cure = "check that the file is the revision meant and that the template's filter "
                 "keeps its parts";
  return warning;
}

}  // namespace

const char* revisionChangeName(RevisionChange change) {
  switch (change) {
    case RevisionChange::kAdded:
      return "added";
    case RevisionChange::kRemoved:
      return "removed";
    case RevisionChange::kChanged:
      return "changed";
    default:
      return "unchanged";
  }
}

bool RevisionValue::changed() const {
  if (!before || !after) return before.has_value() != after.has_value();
  return before->text != after->text;
}

std::optional<double> RevisionValue::difference() const {
  auto number = [](const std::optional<ReportValue>& value) {
    return value &&
           (value->kind == ReportValue::Kind::kInteger || value->kind == ReportValue::Kind::kReal);
  };
  if (!number(before) && !number(after)) return std::nullopt;
  if ((before && !number(before) && before->kind != ReportValue::Kind::kNone) ||
      (after && !number(after) && after->kind != ReportValue::Kind::kNone)) {
    return std::nullopt;
  }
  const double difference =
      (number(after) ? after->number : 0.0) - (number(before) ? before->number : 0.0);
  // Without the noise of binary fractions: 842.4 - 741.6 is 100.8.
  return std::round(difference * 1e9) / 1e9;
}

Revisions diffRevisions(const ReportJobOptions& job, const std::string& before,
                        const std::string& after, const RevisionOptions& options) {
  // The older revision's lines are keyed on a second thread while the newer
  // is read and evaluated: keying reads the older's trees only.
  const std::unique_ptr<RevisionSide> old = evaluateRevision(job, before);
  std::unique_ptr<RevisionSide> now;
  runBeside([&] { keyLines(*old, options.keyTokens); },
            [&] { now = evaluateRevision(job, after); });
  keyLines(*now, options.keyTokens);
  Revisions revisions;
  revisions.templateName = now->report.templateName();
  revisions.beforeName = old->report.dataName();
  revisions.afterName = now->report.dataName();
  for (const RevisionSide* side : {old.get(), now.get()}) {
    revisions.warnings.insert(revisions.warnings.end(), side->report.warnings().begin(),
                              side->report.warnings().end());
  }
  for (const RevisionSide* side : {old.get(), now.get()}) {
    if (side->repeatedKeys > 0) revisions.warnings.push_back(repeatedKeys(*side));
  }
  if (old->lines.empty() != now->lines.empty()) {
    revisions.warnings.push_back(emptyRevision(
        old->lines.empty() ? revisions.beforeName : revisions.afterName, old->lines.empty()));
  }
  Comparison(*old, *now, options).run(revisions);
  if (options.byHandle) revisions.moves = moves(*old, *now, revisions.warnings);
  if (options.keepTreesUntilExit) {
    old->report.keepUntilExit();
    now->report.keepUntilExit();
  }
  return revisions;
}

}  // namespace bomreport
