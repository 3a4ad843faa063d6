#include "BomReportWarnings.h"

namespace bomreport {
namespace {

// Marks an option's name within a text; control characters no message holds.
constexpr char kOptionStart = '\x01';
constexpr char kOptionEnd = '\x02';

}  // namespace

std::string spellOptions(const std::string& text, OptionSpelling spelling) {
  std::string out;
  std::size_t at = 0;
  for (;;) {
    const std::size_t start = text.find(kOptionStart, at);
    const std::size_t end = start == std::string::npos ? start : text.find(kOptionEnd, start);
    if (end == std::string::npos) break;
    out.append(text, at, start - at);
    out += spelling(std::string_view(text).substr(start + 1, end - start - 1));
    at = end + 1;
  }
  return out.append(text, at, std::string::npos);
}

const char* warningKindName(WarningKind kind) {
  switch (kind) {
    case WarningKind::kTokenMissing: return "token-missing";
    case WarningKind::kNoTokenNamed: return "no-token-named";
    case WarningKind::kFilterKeepsNothing: return "filter-keeps-nothing";
    case WarningKind::kCannotDerive: return "cannot-derive";
    case WarningKind::kUnknownSetting: return "unknown-setting";
    case WarningKind::kSampleData: return "sample-data";
    case WarningKind::kPartsRead: return "parts-read";
    case WarningKind::kQuantityBelowOne: return "quantity-below-one";
    case WarningKind::kUntypedPartsKept: return "untyped-parts-kept";
    case WarningKind::kHandleTwice: return "handle-twice";
    case WarningKind::kMergedBelowPrecision: return "merged-below-precision";
    case WarningKind::kNotADirective: return "not-a-directive";
    case WarningKind::kFilterPiece: return "filter-piece";
    case WarningKind::kSumNotClosing: return "sum-not-closing";
    case WarningKind::kSectionIgnored: return "section-ignored";
    case WarningKind::kDetailsHaveChildren: return "details-have-children";
    case WarningKind::kFooterClosesDetails: return "footer-closes-details";
    case WarningKind::kColumnUnused: return "column-unused";
    case WarningKind::kDecimalsHideValues: return "decimals-hide-values";
    case WarningKind::kSumsLeaveRowsOut: return "sums-leave-rows-out";
    case WarningKind::kSumCountsRows: return "sum-counts-rows";
    case WarningKind::kMixedSum: return "mixed-sum";
    case WarningKind::kSumSkipsTexts: return "sum-skips-texts";
    case WarningKind::kSumSkipsMissing: return "sum-skips-missing";
    case WarningKind::kGroupsComeApart: return "groups-come-apart";
    case WarningKind::kRevisionKeyRepeats: return "revision-key-repeats";
    case WarningKind::kRevisionEmpty: return "revision-empty";
    case WarningKind::kRevisionNoHandle: return "revision-no-handle";
    case WarningKind::kTextsCut: return "texts-cut";
    case WarningKind::kOptionIgnored: return "option-ignored";
  }
  return "warning";
}

std::string optionReference(std::string_view option) {
  return kOptionStart + std::string(option) + kOptionEnd;
}

std::string commandLineSpelling(std::string_view option) { return "--" + std::string(option); }

std::string wordWarning(const ReportWarning& warning, OptionSpelling spelling) {
  std::string text;
  if (!warning.file.empty()) {
    text = warning.file + (warning.line > 0 ? ':' + std::to_string(warning.line) : "") + ": ";
  }
  text += spellOptions(warning.text, spelling);
  if (!warning.cure.empty()) text += "; " + spellOptions(warning.cure, spelling);
  return text;
}

}  // namespace bomreport
