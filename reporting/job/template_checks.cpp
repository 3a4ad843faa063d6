#include "job/template_checks.h"
#include "output/tree_walk.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "BomReportTrees.h"

#include "text/names.h"
#include "text/text_util.h"

namespace bomreport {
namespace {

// How the evaluation reaches a section.
enum class Role { kLevel, kClosing, kIgnored };

// A name people write for a directive, in lower case, besides the
// directives' own ("groupby" for "%GroupBy:").
struct DirectiveName {
  const char* lower;
  Directive directive;
};

constexpr DirectiveName kOtherNames[] = {
    {"group", Directive::kGroup},      {"sortby", Directive::kSortAsc},
    {"sort", Directive::kSortAsc},     {"orderby", Directive::kSortAsc},
    {"sortasc", Directive::kSortAsc},  {"sortdesc", Directive::kSortDesc},
    {"sum", Directive::kSum},          {"filter", Directive::kFilter},
};

std::string lowerAscii(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

std::string trimSpaces(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return std::string();
  return std::string(text.substr(first, text.find_last_not_of(' ') - first + 1));
}

class TemplateChecker {
 public:
  TemplateChecker(const LoadedTemplate& templ, std::string fileName)
      : templ_(templ), fileName_(std::move(fileName)) {}

  std::vector<ReportWarning> run() {
    const QelBomItemBase* root = templ_.root.get();
    // The chain of first children is the evaluation's levels; each level's
    // next sibling closes it, and nothing else is reached.
    for (const QelBomItemBase* parent = root; parent->child() != nullptr; parent = parent->child()) {
      const QelBomItemBase* level = parent->child();
      roles_[level] = Role::kLevel;
      const QelBomItemBase* closing = level->next();
      if (closing == nullptr) continue;
      roles_[closing] = Role::kClosing;
      if (typeOf(*level) == QelBomTemplateItem::kDetails) closesDetails(*parent, *closing);
      if (closing->child() != nullptr) {
        ignored(*closing->child(), "below the closing " + typeName(*closing));
      }
      for (const QelBomItemBase* other = closing->next(); other != nullptr; other = other->next()) {
        ignored(*other, "after the closing " + typeName(*closing) + " (a third child or later)");
      }
    }
    checkTuples(*root, Role::kIgnored);
    walkDescendants(
        *root,
        [this](const QelBomItemBase* section, int) {
          const auto role = roles_.find(section);
          checkSection(*section, role == roles_.end() ? Role::kIgnored : role->second);
        },
        [] {}, [](int) {});
    std::stable_sort(warnings_.begin(), warnings_.end(),
                     [](const ReportWarning& a, const ReportWarning& b) { return a.line < b.line; });
    return std::move(warnings_);
  }

 private:
  static int typeOf(const QelBomItemBase& section) {
    return static_cast<const QelBomTemplateItem&>(section).type();
  }
  static std::string typeName(const QelBomItemBase& section) {
    const char* name = sectionTypeName(typeOf(section));
    return name != nullptr ? name : "kUnkTemplateItemType";
  }

  ReportWarning& add(WarningKind kind, const QelBomItemBase& section, long long line) {
    ReportWarning warning{kind};
    warning.file = fileName_;
    warning.line = line;
    warning.section = typeName(section);
    warnings_.push_back(std::move(warning));
    return warnings_.back();
  }

  void checkSection(const QelBomItemBase& section, Role role) {
    checkTuples(section, role);
    if (role == Role::kLevel && typeOf(section) == QelBomTemplateItem::kDetails &&
        section.child() != nullptr) {
      ReportWarning& warning =
          add(WarningKind::kDetailsHaveChildren, section, templ_.lines.sectionLine(&section));
      warning.text =
          "the kDetails section has sections below it, so it is not the deepest level: it "
          "shows one line for each group of the level above it, not one per row, and no "
          "repeated line is dropped";
      warning.cure = "move the sections below it out, or make it a kGroupHeader";
    }
  }

  // A footer as the next sibling of the details level follows every details
  // line; the footer of a group is meant to follow its header.
  void closesDetails(const QelBomItemBase& parent, const QelBomItemBase& footer) {
    const int type = typeOf(footer);
    const int opens = typeOf(parent);
    if ((type != QelBomTemplateItem::kGroupFooter && type != QelBomTemplateItem::kReportFooter) ||
        (opens != QelBomTemplateItem::kGroupHeader && opens != QelBomTemplateItem::kReportHeader)) {
      return;
    }
    ReportWarning& warning =
        add(WarningKind::kFooterClosesDetails, footer, templ_.lines.sectionLine(&footer));
    warning.text = "the " + typeName(footer) + " section is the second child of the " +
                   typeName(parent) + ", so it closes the kDetails level and follows every "
                   "details line, summing that line alone";
    warning.cure = "to close the " + typeName(parent) + "'s group, make the " + typeName(footer) +
                   " the " + typeName(parent) + "'s next sibling (after it in its parent's "
                   "\"children\")";
  }

  // `section` and everything below it are never evaluated.
  void ignored(const QelBomItemBase& section, const std::string& where) {
    ReportWarning& warning =
        add(WarningKind::kSectionIgnored, section, templ_.lines.sectionLine(&section));
    warning.text = "the " + typeName(section) + " section " + where +
                   " is never evaluated, nor anything below it: a section's first child is the "
                   "next level in and its second child closes it, nothing else is reached (a "
                   "filter in it still applies)";
    warning.cure = "move its tuples into a section that is reached";
  }

  void checkTuples(const QelBomItemBase& section, Role role) {
    const QelArray<QelBomDataTuple>& tuples = section.getData();
    for (int i = 0; i < tuples.count(); ++i) {
      const std::string token = toUtf8(tuples[i].token().token());
      const long long line = templ_.lines.tupleLine(&section, i);
      checkDirective(section, token, line);
      if (token.find(directivePrefix(Directive::kFilter)) != std::string::npos) {
        checkFilter(section, token, line);
      }
      if (role == Role::kLevel &&
          token.find(directivePrefix(Directive::kSum)) != std::string::npos) {  // never summed
        ReportWarning& warning = add(WarningKind::kSumNotClosing, section, line);
        warning.token = token;
        warning.text = "the sum " + quoteForMessage(token) + " stands in a " +
                       typeName(section) +
                       " section, which opens a group: only the section that closes a group "
                       "sums, so it shows its starting value";
        warning.cure = "move it into the section after it (its closing section)";
      }
    }
  }

  // A directive the engine does not see: the wrong case, no "%", no colon, a
  // name it does not know, or a prefix that does not start the text.
  void checkDirective(const QelBomItemBase& section, const std::string& token, long long line) {
    for (const Directive directive : kDirectives) {
      const std::string& prefix = directivePrefix(directive);
      const std::size_t at = token.find(prefix);
      if (at == std::string::npos) continue;
      if (at > 0) {
        const QelString text = toQel(token);
        const std::string read =
            toUtf8(text.right(text.length() - static_cast<int>(prefix.size())));
        notADirective(section, token, line,
                      "its directive does not start the text, so the argument is read as " +
                          quoteForMessage(read),
                      prefix + trimSpaces(std::string_view(token).substr(at + prefix.size())));
      }
      return;
    }
    const bool percent = !token.empty() && token[0] == '%';
    const std::string_view body = std::string_view(token).substr(percent ? 1 : 0);
    std::size_t letters = 0;
    while (letters < body.size() && std::isalpha(static_cast<unsigned char>(body[letters]))) ++letters;
    const std::string name = lowerAscii(body.substr(0, letters));
    const std::string_view rest = body.substr(letters);
    const std::optional<DirectiveName> known = directiveNamed(name);
    if (!known) return;
    const bool real = known->lower == nullptr;
    const bool colon = !rest.empty() && rest[0] == ':';
    // "%Sum", "%Group", "Sum:": a token or a label of its own.
    if (!real && (!colon || !percent)) return;
    const std::string argument = trimSpaces(rest.substr(colon ? 1 : 0));
    std::string reason;
    if (!colon) {
      reason = "its colon is missing";
    } else if (!real) {
      reason = "there is no directive " + quoteForMessage(std::string("%") +
                                                          std::string(body.substr(0, letters)) + ":");
    } else if (!percent) {
      reason = "it does not begin with \"%\"";
    } else {
      reason = "directives are case-sensitive";
    }
    notADirective(section, token, line,
                  reason + ", so it is shown as it stands and groups, sorts, sums or filters "
                           "nothing",
                  directivePrefix(known->directive) + argument);
  }

  // The directive a lower-case name stands for: a directive's own name
  // ("sumby", with a null `lower`) or a name people write for one ("sum").
  static std::optional<DirectiveName> directiveNamed(const std::string& name) {
    for (const Directive directive : kDirectives) {
      const std::string& prefix = directivePrefix(directive);  // "%SumBy:"
      if (name == lowerAscii(std::string_view(prefix).substr(1, prefix.size() - 2))) {
        return DirectiveName{nullptr, directive};
      }
    }
    for (const DirectiveName& other : kOtherNames) {
      if (name == other.lower) return other;
    }
    return std::nullopt;
  }

  // `effect`: what the engine makes of it instead.
  void notADirective(const QelBomItemBase& section, const std::string& token, long long line,
                     const std::string& effect, const std::string& meant) {
    ReportWarning& warning = add(WarningKind::kNotADirective, section, line);
    warning.token = token;
    warning.text = "the tuple " + quoteForMessage(token) + " of the " + typeName(section) +
                   " is not the directive it looks like: " + effect;
    warning.cure = "write " + quoteForMessage(meant);
  }

  // Every piece of a filter must be a whole number: the engine converts each
  // as far as it reads as one ("2x" is 2, "beams" is 0).
  void checkFilter(const QelBomItemBase& section, const std::string& token, long long line) {
    // The argument is what follows the prefix's length, counted from the end.
    const QelString text = toQel(token);
    const auto prefix = static_cast<int>(directivePrefix(Directive::kFilter).size());
    std::string argument = toUtf8(text.right(text.length() - prefix));
    argument.erase(std::remove(argument.begin(), argument.end(), ' '), argument.end());
    std::vector<std::string> pieces;
    std::size_t comma = argument.find(',');
    while (comma != std::string::npos && comma > 0) {
      pieces.push_back(argument.substr(0, comma));
      argument.erase(0, comma + 1);
      comma = argument.find(',');
    }
    pieces.push_back(argument);
    for (const std::string& piece : pieces) {
      int value = 0;
      if (parseInt32(piece, value)) continue;
      ReportWarning& warning = add(WarningKind::kFilterPiece, section, line);
      warning.token = token;
      warning.text = "the filter " + quoteForMessage(token) + " has the piece " +
                     quoteForMessage(piece) + ", which is not a whole number: it keeps object type " +
                     std::to_string(toQel(piece).toInteger()) + " for it";
      warning.cure = "name object types as integers separated by commas, e.g. \"%FilterBy: 1, 2, 3\"";
    }
  }

  const LoadedTemplate& templ_;
  std::string fileName_;
  std::unordered_map<const QelBomItemBase*, Role> roles_;  // sections the evaluation reaches
  std::vector<ReportWarning> warnings_;
};

}  // namespace

std::vector<ReportWarning> templateWarnings(const LoadedTemplate& templ,
                                            const std::string& fileName) {
  return TemplateChecker(templ, fileName).run();
}

}  // namespace bomreport
