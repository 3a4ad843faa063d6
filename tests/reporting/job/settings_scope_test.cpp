// Stored settings that last one job, and scopes that put back what they name
// as it was, whether it was set before or not.
#include "BomSettingsScope.h"

#include <gtest/gtest.h>

#include "BomReportJob.h"
#include "qel_odbc.h"
#include "reporting/ReportingTestSupport.h"

namespace {

const char kTemplate[] = R"({"children": [{"type": "kDetails", "tuples": [["%Weight", 0.0]]}]})";

// The weight 2.5 as the report shows it after a job with `settings`.
std::string shownWeight(const std::vector<bomreport::StoredSetting>& settings) {
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

TEST(StoredSettingsScopeTest, AJobsSettingsLastItsStepsAndScopesPutBackWhatTheyName) {
  ASSERT_EQ(shownWeight({}), "2.5");
  EXPECT_EQ(shownWeight({{"C0_BOMSuppressLastZeros", 0}}), "2.50");
  EXPECT_EQ(shownWeight({}), "2.5");  // the job put it back

  const QelString name("C0_BOMSuppressLastZeros");
  {
    const bomreport::StoredSettingsScope outer({"C0_BOMSuppressLastZeros=0"});  // absent now
    qel_odbc_setDefault(name, 0);
    {
      const bomreport::StoredSettingsScope inner({"C0_BOMSuppressLastZeros=1"});  // notes 0
      qel_odbc_setDefault(name, 1);
      EXPECT_EQ(shownWeight({}), "2.5");
    }
    EXPECT_EQ(shownWeight({}), "2.50");  // the earlier value is back
  }
  EXPECT_EQ(shownWeight({}), "2.5");  // removed again
}

}  // namespace
