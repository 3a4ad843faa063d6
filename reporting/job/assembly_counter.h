// AssemblyCounter: the distinct assemblies of each assembly mark, for
// %MQuantity.
#ifndef BOMREPORT_JOB_ASSEMBLY_COUNTER_H_
#define BOMREPORT_JOB_ASSEMBLY_COUNTER_H_

#include <string>
#include <unordered_map>
#include <unordered_set>

#include "VRKBomEngine.h"

namespace bomreport {

class AssemblyCounter {
 public:
  // A part of the assembly `assembly` with the mark `mark`; null adds nothing.
  void add(const QelBomDataValue* mark, const QelBomDataValue* assembly);
  int count(const QelBomDataValue& mark) const;

 private:
  std::unordered_map<std::u16string, std::unordered_set<std::u16string>> assemblies_;
};

}  // namespace bomreport

#endif  // BOMREPORT_JOB_ASSEMBLY_COUNTER_H_
