#include "job/assembly_counter.h"

#include "job/value_keys.h"

namespace bomreport {

void AssemblyCounter::add(const QelBomDataValue* mark, const QelBomDataValue* assembly) {
  if (mark == nullptr || assembly == nullptr) return;
  assemblies_[valueKey(*mark)].insert(valueKey(*assembly));
}

int AssemblyCounter::count(const QelBomDataValue& mark) const {
  const auto found = assemblies_.find(valueKey(mark));
  return found == assemblies_.end() ? 0 : static_cast<int>(found->second.size());
}

}  // namespace bomreport
