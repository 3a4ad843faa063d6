// StoredSettingsScope: stored settings that last one report.
//
// The stored settings a job writes (ReportJobOptions::settings) stay set for
// the rest of the process, as a host's stored defaults do. A front end whose
// settings are meant for one report only keeps them in a scope around the
// job: when the scope ends, every setting it names is put back as it was
// (set to its earlier value, or removed).
//
// Thread-safety: the settings are process-wide; hold reportEngineMutex()
// (BomReportJob.h) over the scope and the job.
#ifndef BOM_SETTINGS_SCOPE_H_
#define BOM_SETTINGS_SCOPE_H_

#include <string>
#include <vector>

#include "BomReportExport.h"
#include "VRKBomEngine.h"

namespace bomreport {

class BOM_REPORT_API StoredSettingsScope {
 public:
  // Notes the settings that `settings` name, "NAME=INTEGER" as in
  // ReportJobOptions::settings (an entry without '=' names no setting).
  explicit StoredSettingsScope(const std::vector<std::string>& settings);
  // Puts them back, in reverse order.
  ~StoredSettingsScope();
  StoredSettingsScope(const StoredSettingsScope&) = delete;
  StoredSettingsScope& operator=(const StoredSettingsScope&) = delete;

 private:
  struct Saved {
    QelString name;
    bool present;
    int value;
  };
  std::vector<Saved> saved_;
};

}  // namespace bomreport

#endif  // BOM_SETTINGS_SCOPE_H_
