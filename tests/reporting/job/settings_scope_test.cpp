// Stored settings that last one report: put back as they were, whether they
// were set before or not.
#include "BomSettingsScope.h"

#include <gtest/gtest.h>

#include "BomReportJob.h"
#include "reporting/ReportingTestSupport.h"

namespace {

const char kTemplate[] = R"({"children": [{"type": "kDetails", "tuples": [["%Weight", 0.0]]}]})";

// The weight 2.5 as the report shows it after a job with `settings`.
std::string shownWeight(const std::vector<std::string>& settings) {
  bomtest::ScratchDir dir;
  bomreport::ReportJobOptions options;
  options.partsPath = dir.write("parts.csv", "%Weight\n2.5\n");
  options.settings = settings;
  bomreport::ReportJob job(bomreport::readTemplateText("t.json", kTemplate), options);
  bomreport::EvaluatedReport report = job.evaluate();
  return static_cast<const QelBomItemBase*>(report.output().child())
      ->getData()[0]
      .value()
      .asString()
      .toUtf8();
}

TEST(StoredSettingsScopeTest, PutsTheSettingsItNamesBackAsTheyWere) {
  const std::vector<std::string> keepZeros{"C0_BOMSuppressLastZeros=0"};
  const std::vector<std::string> dropZeros{"C0_BOMSuppressLastZeros=1"};
  ASSERT_EQ(shownWeight({}), "2.5");
  {
    const bomreport::StoredSettingsScope scope(keepZeros);
    EXPECT_EQ(shownWeight(keepZeros), "2.50");
    EXPECT_EQ(shownWeight({}), "2.50");  // set until the scope ends
  }
  EXPECT_EQ(shownWeight({}), "2.5");  // removed again

  {
    const bomreport::StoredSettingsScope outer(keepZeros);  // absent now: removed at the end
    shownWeight(keepZeros);
    {
      const bomreport::StoredSettingsScope inner(dropZeros);  // notes the value 0
      EXPECT_EQ(shownWeight(dropZeros), "2.5");
    }
    EXPECT_EQ(shownWeight({}), "2.50");  // the earlier value is back
  }
  EXPECT_EQ(shownWeight({}), "2.5");
}

}  // namespace
