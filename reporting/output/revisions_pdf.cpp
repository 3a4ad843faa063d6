// The revision list as PDF pages (A4 landscape): a line per listed line with
// its change, its key and what changed in it, each old text struck through
// before the new one; the group path above its lines; the sums at the end.
#include <algorithm>

#include "output/paper.h"
#include "output/pdf_canvas.h"
#include "output/revisions_formats.h"

namespace bomreport {
namespace {

constexpr double kMargin = 36.0;
constexpr double kSize = 9.0;
constexpr double kChangeWidth = 62.0;
constexpr double kKeyWidth = 90.0;
constexpr Color kInk{0.07, 0.07, 0.07};
constexpr Color kGrey{0.45, 0.45, 0.45};
constexpr Color kOld{0.63, 0.07, 0.07};
constexpr Color kNew{0.04, 0.42, 0.13};
constexpr Color kShade{0.95, 0.95, 0.95};

class RevisionPages {
 public:
  RevisionPages(std::ostream& out, const Revisions& revisions)
      : page_(pageSize(Paper::kA4, true)),
        canvas_(out, page_, fonts_,
                "Revisions: " + revisions.beforeName + " → " + revisions.afterName),
        line_(fonts_.lineHeight() * kSize * 1.25) {
    head(revisions);
  }

  void group(const std::string& path) {
    room(2);
    y_ += line_ * 0.4;
    canvas_.fill(kMargin, y_, page_.width - 2 * kMargin, line_, kShade);
    canvas_.text(kMargin + 2, y_, page_.width, path, kSize, FontStyle::kBold, Align::kLeft, kInk);
    y_ += line_;
  }

  void line(const RevisionLine& line) {
    room(1);
    const bool footer = isFooterLine(line);
    const Color color = line.change == RevisionChange::kAdded     ? kNew
                        : line.change == RevisionChange::kRemoved ? kOld
                                                                  : kInk;
    const FontStyle style = footer ? FontStyle::kBold : FontStyle::kRegular;
    canvas_.text(kMargin, y_, kChangeWidth, footer ? "" : revisionChangeName(line.change), kSize,
                 FontStyle::kBold, Align::kLeft, color);
    canvas_.text(kMargin + kChangeWidth, y_, kKeyWidth, line.key, kSize,
                 style, Align::kLeft, kInk);
    x_ = kMargin + kChangeWidth + kKeyWidth;
    for (const RevisionValue& value : line.values) {
      if (line.change == RevisionChange::kChanged && !value.changed() && !footer) continue;
      piece(line, value, style);
    }
    y_ += line_;
    canvas_.rule(kMargin, page_.width - kMargin, y_, 0.3, {0.85, 0.85, 0.85});
  }

  void finish() { canvas_.finish(); }

 private:
  void head(const Revisions& revisions) {
    y_ = kMargin;
    canvas_.text(kMargin, y_, page_.width,
                 "Revisions: " + revisions.beforeName + " → " + revisions.afterName, 14,
                 FontStyle::kBold, Align::kLeft, kInk);
    y_ += fonts_.lineHeight() * 14 * 1.3;
    canvas_.text(kMargin, y_, page_.width,
                 "Template: " + revisions.templateName + " · " + revisionCounts(revisions), kSize,
                 FontStyle::kRegular, Align::kLeft, kGrey);
    y_ += line_ * 1.5;
  }

  // Space for `lines` lines, on a new page when this one is full.
  void room(int lines) {
    if (y_ + lines * line_ <= page_.height - kMargin) return;
    canvas_.endPage();
    y_ = kMargin;
  }

  // Draws `text` at the pen, on the next line when it does not fit.
  void draw(const std::string& text, FontStyle style, Color color, bool struck = false) {
    const double width = fonts_.width(text, style == FontStyle::kBold) * kSize;
    const double left = kMargin + kChangeWidth + kKeyWidth;
    if (x_ + width > page_.width - kMargin && x_ > left) {
      y_ += line_;
      room(1);
      x_ = left;
    }
    canvas_.text(x_, y_, page_.width - kMargin - x_, text, kSize, style, Align::kLeft, color);
    if (struck) canvas_.rule(x_, x_ + width, y_ + line_ * 0.45, 0.6, color);
    x_ += width;
  }

  void piece(const RevisionLine& line, const RevisionValue& value, FontStyle style) {
    draw(value.label + " ", FontStyle::kRegular, kGrey);
    if (line.change == RevisionChange::kAdded) {
      draw(shownText(value.after), style, kInk);
    } else if (line.change == RevisionChange::kRemoved) {
      draw(shownText(value.before), style, kOld, true);
    } else if (value.changed()) {
      draw(shownText(value.before), style, kOld, true);
      draw(" → ", FontStyle::kRegular, kGrey);
      draw(shownText(value.after), FontStyle::kBold, kNew);
      const std::string difference = differenceText(value);
      if (!difference.empty()) draw(" (" + difference + ")", FontStyle::kRegular, kGrey);
    } else {
      draw(shownText(value.after), style, kInk);
    }
    draw("    ", FontStyle::kRegular, kInk);
  }

  const PdfFonts fonts_;
  const PageSize page_;
  PdfCanvas canvas_;
  const double line_;
  double x_ = 0, y_ = 0;
};

}  // namespace

void writeRevisionsPdf(std::ostream& out, const Revisions& revisions) {
  RevisionPages pages(out, revisions);
  std::vector<std::string> groups;
  for (const RevisionLine& line : revisions.lines) {
    if (startsGroups(line, groups)) pages.group(groupPath(line));
    pages.line(line);
  }
  pages.finish();
}

}  // namespace bomreport
