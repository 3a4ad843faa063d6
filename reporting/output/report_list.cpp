// The list report: the output tree as the engine lists it (QelBomItemBase::
// list), one item per line, each indented by its depth. The engine lists a
// tree as its items in report order, each after a line break and one space
// per level, so the items are listed one by one, in blocks on two threads,
// and written in order.
#include "output/report_list.h"

#include <algorithm>

#include "text/text_util.h"
#include "output/ordered_blocks.h"
#include "output/report_format.h"
#include "output/report_tree.h"
#include "output/report_used.h"

namespace bomreport {
namespace {

// Items listed at a time on one thread.
constexpr std::size_t kLinesPerBlock = 16384;

// Appends `item` as the engine lists it alone, at `level`.
void appendItem(std::string& out, const QelBomItemBase& item, int level) {
  QelString listed;
  item.list(listed, level, 0, 0);
  appendUtf8(out, listed);
}

}  // namespace

void writeListReport(std::ostream& out, const Report& report) {
  const std::vector<ReportLine> lines = collectLines(*report.output);
  std::string text;
  appendItem(text, *report.output, 0);
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
  const std::size_t blocks = (lines.size() + kLinesPerBlock - 1) / kLinesPerBlock;
  writeBlocksInOrder(
      blocks,
      [&](std::size_t block, std::string& blockText) {
        const std::size_t end = std::min(lines.size(), (block + 1) * kLinesPerBlock);
        for (std::size_t l = block * kLinesPerBlock; l < end; ++l) {
          blockText += '\n';
          blockText.append(static_cast<std::size_t>(lines[l].depth + 1), ' ');
          appendItem(blockText, *lines[l].item, lines[l].depth + 1);
        }
      },
      out);
  if (report.used != nullptr) {
    out << "\n\n";
    writeUsedText(out, *report.used);
  }
}

BOM_REPORT_FORMAT(list, "", 20, kText,
                  0,
                  "the report as the engine lists it, one item per line",
                  writeListReport);

}  // namespace bomreport
