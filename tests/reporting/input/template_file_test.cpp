// Template files: what a file builds (compared as the engine's listing), that
// writing a template and reading it back gives the same file, and the
// messages that refuse a bad one.
#include "BomTemplateFile.h"

#include <gtest/gtest.h>

#include <sstream>

#include "reporting/ReportingTestSupport.h"

namespace {

std::string written(const bomreport::LoadedTemplate& loaded) {
  std::ostringstream out;
  bomreport::TreeJsonOptions options;
  options.tokenUnits = &loaded.tokenUnits;
  options.columns = &loaded.columns;
  bomreport::writeTreeJson(out, *loaded.root, options);
  return out.str();
}

const char kTemplate[] = R"({
  "type": "kBomTemplate",
  "tokenUnits": [["%Span", "kDistanceUnit"], ["%Weight", "kAreaUnit"]],
  "columns": {"%Pos": {"caption": "Pos."}, "%Span": {"caption": "Span é", "decimals": 1}, "%SumBy:%Weight": {"decimals": 0}},
  "children": [
    {
      "type": "kGroupHeader",
      "tuples": [["%GroupBy:%Pos", ""], ["%Pos", 0]],
      "children": [
        {
          "type": "kDetails",
          "tuples": [["%Span", 1.5], ["%Note", null], ["%Name", "a\"b"]]
        }
      ]
    },
    {
      "type": "kGroupFooter",
      "tuples": [["%SumBy:%Weight", 0]]
    }
  ]
}
)";

TEST(TemplateFileTest, BuildsTheSectionTreeAndWritesItBack) {
  bomreport::LoadedTemplate loaded = bomreport::readTemplateText("t.json", kTemplate);
  EXPECT_EQ(bomtest::listing(*loaded.root),
            "[ kBomTemplate ]\n"
            " [ kGroupHeader ][%GroupBy:%Pos:][%Pos:0]\n"
            "  [ kDetails     ][%Span:1.5][%Note:][%Name:a\"b]\n"
            " [ kGroupFooter ][%SumBy:%Weight:0]");
  // The token units are entered in order: the standard table later keeps them.
  const QelBomTemplateUnits* units = loaded.root->getBomTemplateUnits();
  EXPECT_EQ(units->tokenUnitType(QelString("%Span")), QelBomTemplateUnits::kDistanceUnit);
  EXPECT_EQ(units->tokenUnitType(QelString("%Weight")), QelBomTemplateUnits::kAreaUnit);
  EXPECT_EQ(written(loaded), kTemplate);
  const bomreport::ColumnStyle* span = loaded.columns.find(std::string_view("%Span"));
  ASSERT_NE(span, nullptr);
  EXPECT_EQ(span->caption, "Span \xC3\xA9");
  EXPECT_EQ(span->decimals, 1);
  EXPECT_EQ(span->line, 4);
}

TEST(TemplateFileTest, DefaultTemplateSurvivesARoundTrip) {
  const bomreport::LoadedTemplate original = bomreport::defaultTemplate();
  const std::string text = written(original);
  const bomreport::LoadedTemplate again = bomreport::readTemplateText("d.json", text);
  EXPECT_EQ(bomtest::listing(*again.root), bomtest::listing(*original.root));
  EXPECT_EQ(written(again), text);
  ASSERT_EQ(original.tokenUnits.size(), 2u);  // %Weight and %SumBy:%Weight
  EXPECT_EQ(original.tokenUnits[0].first, QelString("%SumBy:%Weight"));
}

}  // namespace
