#include "output/paper.h"

#include "BomReportOptions.h"
#include "text/text_util.h"

namespace bomreport {
namespace {

constexpr double kPointsPerMillimetre = 72.0 / 25.4;

struct PaperInfo {
  double widthMm, heightMm;  // portrait
  const char* cssName;
  int spreadsheetCode;
};

const PaperInfo& infoOf(Paper paper) {
  static const PaperInfo kA4{210, 297, "A4", 9};
  static const PaperInfo kA3{297, 420, "A3", 8};
  static const PaperInfo kLetter{215.9, 279.4, "letter", 1};
  switch (paper) {
    case Paper::kA3:
      return kA3;
    case Paper::kLetter:
      return kLetter;
    default:
      return kA4;
  }
}

}  // namespace

PageSize pageSize(Paper paper, bool landscape) {
  const PaperInfo& info = infoOf(paper);
  const double width = info.widthMm * kPointsPerMillimetre;
  const double height = info.heightMm * kPointsPerMillimetre;
  return landscape ? PageSize{height, width} : PageSize{width, height};
}

const char* paperName(Paper paper) { return infoOf(paper).cssName; }

int spreadsheetPaperCode(Paper paper) { return infoOf(paper).spreadsheetCode; }

Paper parsePaper(std::string_view text) {
  for (const Paper paper : {Paper::kA4, Paper::kA3, Paper::kLetter}) {
    if (sameName(text, infoOf(paper).cssName)) return paper;
  }
  throw OptionError(quoteForMessage(text) + " is not a4, a3 or letter");
}

}  // namespace bomreport
