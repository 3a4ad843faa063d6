// StoredSettingsScope: stored settings that last one report.
//
// A ReportJob keeps its own settings (ReportJobOptions::settings) in such a
// scope around each of its steps. A front end that writes stored settings of
// its own for a while may use one too: when the scope ends, every setting it
// names is put back as it was (set to its earlier value, or removed).
//
// Thread-safety: the settings are process-wide; no job may run meanwhile on
// another thread.
#ifndef BOM_SETTINGS_SCOPE_H_
#define BOM_SETTINGS_SCOPE_H_

#include <string>
#include <vector>

#include "BomReportExport.h"
#include "BomReportOptions.h"

namespace bomreport {

class BOM_REPORT_API StoredSettingsScope {
 public:
  // Notes the settings that `settings` name, "NAME=INTEGER" as in
  // ReportJobOptions::settings (an entry without '=' names no setting).
  explicit StoredSettingsScope(const std::vector<std::string>& settings);
  // Notes the settings that `settings` name.
  explicit StoredSettingsScope(const std::vector<StoredSetting>& settings);
  // Puts them back, in reverse order.
  ~StoredSettingsScope();
  StoredSettingsScope(const StoredSettingsScope&) = delete;
  StoredSettingsScope& operator=(const StoredSettingsScope&) = delete;

 private:
  void note(std::string_view name);

  struct Saved {
    std::string name;
    bool present;
    int value;
  };
  std::vector<Saved> saved_;
};

}  // namespace bomreport

#endif  // BOM_SETTINGS_SCOPE_H_
