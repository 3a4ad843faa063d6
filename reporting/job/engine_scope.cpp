#include "job/engine_scope.h"

#include "job/units_option.h"

namespace bomreport {
namespace {

std::recursive_mutex& engineLock() {
  static std::recursive_mutex lock;
  return lock;
}

}  // namespace

EngineScope::EngineScope(const std::vector<StoredSetting>& settings, Collation collation)
    : lock_(engineLock()),
      settings_(settings),
      previousCollation_(QelString::collation()),
      settingWarnings_(applySettings(settings)) {
  QelString::setCollation(collation == Collation::kNatural ? QelString::Collation::kNatural
                                                           : QelString::Collation::kCodeUnits);
}

EngineScope::~EngineScope() { QelString::setCollation(previousCollation_); }

}  // namespace bomreport
