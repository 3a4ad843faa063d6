// ReportWarning: what does not stop a report but makes it suspect, or what the
// reporting library left out, guessed or could not do. Every warning is data
// (a kind, and the file, line, section, token and amounts it concerns) with its
// wording; a front end prints the wording, and shows the cure in its own words
// for the options it names (`--merge-equal` on the command line,
// `merge_equal=True` in Python).
//
// Thread-safety: plain values.
#ifndef BOM_REPORT_WARNINGS_H_
#define BOM_REPORT_WARNINGS_H_

#include <string>
#include <string_view>
#include <vector>

#include "BomReportExport.h"

namespace bomreport {

enum class WarningKind {
  // The template and the parts.
  kTokenMissing,        // a template token no part carries
  kNoTokenNamed,        // the template names none of the file's tokens
  kFilterKeepsNothing,  // the object-type filter keeps no part
  kCannotDerive,        // a derived token whose source the file lacks
  kUnknownSetting,      // a stored setting the system does not read
  kSampleData,          // no parts were given: the built-in sample data set
  kPartsRead,           // what a parts reader left unread or could not fill
  kQuantityBelowOne,    // parts that count as no piece, or fewer
  kUntypedPartsKept,    // parts without an object type, which any filter keeps
  kHandleTwice,         // parts that share a handle: one object listed twice
  kMergedBelowPrecision,  // parts merged whose reals differ below the shown decimals
  // The template alone.
  kNotADirective,       // a tuple that looks like a directive and is not one
  kFilterPiece,         // a filter piece that is not a whole number
  kSumNotClosing,       // a sum in a section that closes no group
  kSectionIgnored,      // a section the evaluation never reaches
  kDetailsHaveChildren, // sections below a details section
  kFooterClosesDetails, // a footer that closes the details level, after every line
  kColumnUnused,        // a "columns" entry for a token the template does not show
  kDecimalsHideValues,  // a column's decimals show non-zero values as 0
  // The evaluation.
  kSumsLeaveRowsOut,    // rows whose repeated details line was dropped count in no sum
  kSumCountsRows,       // a sum of a per-piece token over rows of several pieces
  kMixedSum,            // a sum over integers and reals
  kSumSkipsTexts,       // a sum over rows that hold the token as a text
  kSumSkipsMissing,     // a sum over rows of which some lack the token
  kGroupsComeApart,     // one grouping value in several groups
  // Two revisions compared.
  kRevisionKeyRepeats,  // lines of one revision that share a key
  kRevisionEmpty,       // one revision's report has no line, the other's has
  kRevisionNoHandle,    // parts without a handle when parts are matched by handle
  // Writing.
  kTextsCut,            // a format's texts cut to fit (a PDF's columns)
  kOptionIgnored,       // a writer option the chosen format does not read
};

// The kind's name in reports for programs ("sums-leave-rows-out").
BOM_REPORT_API const char* warningKindName(WarningKind kind);

struct ReportWarning {
  explicit ReportWarning(WarningKind of) : kind(of) {}

  WarningKind kind;
  std::string file;     // the file it concerns (template or parts); empty for none
  long long line = 0;   // 1-based line in `file`; 0 when unknown
  std::string section;  // the section type it concerns ("kGroupFooter"), if any
  std::string token;    // the token it concerns, if any
  long long rows = 0;   // the number of rows or parts concerned, if any
  double amount = 0.0;  // an amount left out, in `unit`
  std::string unit;     // the display unit of `amount`; empty for none
  // What is wrong, in one sentence without the file and line, and what to do
  // about it (empty when there is nothing to do). Options are named by
  // optionReference, for wordWarning to spell.
  std::string text;
  std::string cure;
};

// An option of the command line by its name without dashes ("merge-equal"),
// within a warning's text or cure.
BOM_REPORT_API std::string optionReference(std::string_view option);

// How a front end names one of its options, given its command-line name
// without dashes ("merge-equal"): "--merge-equal", "merge_equal=True".
using OptionSpelling = std::string (*)(std::string_view option);

// The command line's spelling: "--" and the name.
BOM_REPORT_API std::string commandLineSpelling(std::string_view option);

// " (did you mean \"NAME\"?)" for the candidate closest to `name` when it is
// close enough to be a slip (at most 2 edits, fewer than half the name; the
// same name in other case is closest of all), else an empty string. Ties go
// to the earlier candidate.
BOM_REPORT_API std::string didYouMean(std::string_view name,
                                      const std::vector<std::string>& candidates);

// `text` (a warning's, or an InputError's message, which may name options
// too) with every option reference spelled by `spelling`.
BOM_REPORT_API std::string spellOptions(const std::string& text, OptionSpelling spelling);

// "FILE:LINE: TEXT; CURE" (the file and line when known), with the options of
// the cure spelled by `spelling`.
BOM_REPORT_API std::string wordWarning(const ReportWarning& warning,
                                       OptionSpelling spelling = commandLineSpelling);

}  // namespace bomreport

#endif  // BOM_REPORT_WARNINGS_H_
