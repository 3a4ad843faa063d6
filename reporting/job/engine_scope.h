// EngineScope: the process-wide state of one step of a report job.
//
// The engine evaluates one report at a time per process, and a job sets state
// that is process-wide: the stored settings and the string collation. Each
// step of a job (its construction, evaluate()) runs inside one scope, which
//   - holds the library's engine lock (recursive: a step may call another);
//   - writes the stored settings the job names and puts every one of them
//     back as it was when the scope ends (StoredSettingsScope);
//   - sets the job's collation and puts the previous one back.
// So no front end holds a lock or restores a setting, and a job's settings
// never outlive it.
//
// Thread-safety: scopes on several threads serialise on the engine lock.
#ifndef BOMREPORT_JOB_ENGINE_SCOPE_H_
#define BOMREPORT_JOB_ENGINE_SCOPE_H_

#include <mutex>
#include <vector>

#include "BomReportWarnings.h"
#include "BomSettingsScope.h"
#include "VRKBomEngine.h"

namespace bomreport {

class EngineScope {
 public:
  EngineScope(const std::vector<StoredSetting>& settings, Collation collation);
  ~EngineScope();
  EngineScope(const EngineScope&) = delete;
  EngineScope& operator=(const EngineScope&) = delete;

  // A warning for each setting that no part of the system reads.
  const std::vector<ReportWarning>& settingWarnings() const { return settingWarnings_; }

 private:
  std::lock_guard<std::recursive_mutex> lock_;
  StoredSettingsScope settings_;
  QelString::Collation previousCollation_;
  std::vector<ReportWarning> settingWarnings_;
};

}  // namespace bomreport

#endif  // BOMREPORT_JOB_ENGINE_SCOPE_H_
