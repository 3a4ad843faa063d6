#include "BomSettingsScope.h"

#include "text/text_util.h"
#include "qel_odbc.h"

namespace bomreport {

StoredSettingsScope::StoredSettingsScope(const std::vector<std::string>& settings) {
  saved_.reserve(settings.size());
  for (const std::string& setting : settings) {
    const std::size_t eq = setting.find('=');
    if (eq != std::string::npos) note(std::string_view(setting).substr(0, eq));
  }
}

StoredSettingsScope::StoredSettingsScope(const std::vector<StoredSetting>& settings) {
  saved_.reserve(settings.size());
  for (const StoredSetting& setting : settings) note(setting.name);
}

void StoredSettingsScope::note(std::string_view name) {
  Saved saved{std::string(name), false, 0};
  saved.present = qel_odbc_getDefault(toQel(name), saved.value, true) == 1;
  saved_.push_back(std::move(saved));
}

StoredSettingsScope::~StoredSettingsScope() {
  for (auto saved = saved_.rbegin(); saved != saved_.rend(); ++saved) {
    if (saved->present) {
      qel_odbc_setDefault(toQel(saved->name), saved->value);
    } else {
      qel_odbc_clearDefault(toQel(saved->name));
    }
  }
}

}  // namespace bomreport
