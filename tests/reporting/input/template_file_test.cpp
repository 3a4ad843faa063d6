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
  bomreport::writeTreeJson(out, *loaded.root, options);
  return out.str();
}

std::string refusal(const std::string& text) {
  try {
    bomreport::readTemplateText("t.json", text);
  } catch (const bomreport::InputError& e) {
    return e.what();
  }
  return "accepted";
}

const char kTemplate[] = R"({
  "type": "kBomTemplate",
  "tokenUnits": [["%Span", "kDistanceUnit"], ["%Weight", "kAreaUnit"]],
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

TEST(TemplateFileTest, RefusesBadTemplates) {
  const struct {
    const char* text;
    const char* message;
  } cases[] = {
      {"",
       "t.json:1:1: malformed JSON: syntax error while parsing value - unexpected end of "
       "input; expected '[', '{', or a literal"},
      {R"({"type": "kDetails"})", "t.json:1:10: the template root must be of type kBomTemplate"},
      {R"({"children": [{"tuples": []}]})", "t.json:1:28: section without a \"type\""},
      {R"({"children": [{"type": "kHeader"}]})", "t.json:1:24: unknown section type \"kHeader\""},
      {R"({"tuples": [["%A", 1, 2]]})",
       "t.json:1:23: unexpected number, expected the end of the pair"},
      {R"({"tuples": [["%A", 2147483648]]})", "t.json:1:20: integer value out of the 32-bit range"},
      {R"({"colour": 1})", "t.json:1:2: unknown key \"colour\""},
      {R"({"tokenUnits": [["%A", "kFurlongUnit"]]})",
       "t.json:1:24: unknown token unit type \"kFurlongUnit\""},
  };
  for (const auto& test : cases) EXPECT_EQ(refusal(test.text), test.message) << test.text;
}

TEST(TemplateFileTest, NestingIsBoundedButDeepTreesAreSafe) {
  std::string deep = "{\"children\": [";
  std::string close = "]}";
  for (int i = 1; i < bomreport::kMaxSectionDepth; ++i) {
    deep += "{\"type\": \"kGroupHeader\", \"children\": [";
    close += "]}";
  }
  const std::string text = deep + "{\"type\": \"kDetails\"}" + close;
  bomreport::LoadedTemplate loaded = bomreport::readTemplateText("t.json", text);
  EXPECT_FALSE(written(loaded).empty());
  const std::string tooDeep = deep +
                              "{\"type\": \"kDetails\", \"children\": [{\"type\": "
                              "\"kDetails\"}]}" +
                              close;
  EXPECT_NE(refusal(tooDeep).find("nested deeper than 1000"), std::string::npos);
}

}  // namespace
