// Stored default settings, kept in a locked in-process table.
#include "qel_odbc.h"

#include <map>
#include <mutex>
#include <string>

namespace {

struct SettingsStore {
  std::mutex mutex;
  std::map<std::u16string, int> values;
};

SettingsStore& store() {
  static SettingsStore settings;
  return settings;
}

std::u16string keyOf(const QelString& name) {
  return std::u16string(name.getStringW(), static_cast<size_t>(name.length()));
}

}  // namespace

int qel_odbc_getDefault(const QelString& name, int& value, bool /*useDefaults*/) {
  const std::u16string key = keyOf(name);
  SettingsStore& settings = store();
  std::lock_guard<std::mutex> lock(settings.mutex);
  const auto it = settings.values.find(key);
  if (it == settings.values.end()) return 0;
  value = it->second;
  return 1;
}

void qel_odbc_setDefault(const QelString& name, int value) {
  std::u16string key = keyOf(name);
  SettingsStore& settings = store();
  std::lock_guard<std::mutex> lock(settings.mutex);
  settings.values[std::move(key)] = value;
}

void qel_odbc_clearDefault(const QelString& name) {
  const std::u16string key = keyOf(name);
  SettingsStore& settings = store();
  std::lock_guard<std::mutex> lock(settings.mutex);
  settings.values.erase(key);
}
