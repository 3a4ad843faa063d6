// Raw array storage for the engine's containers.
#ifndef QEL_MEMORY_CONTROLLER_CONTROLLER_H_
#define QEL_MEMORY_CONTROLLER_CONTROLLER_H_

#include "VRKRootsExport.h"

class VRK_ROOTS_API QelMemoryControllerController {
 public:
  // Storage for `count` elements of `elementSize` bytes each, suitably aligned
  // for any fundamental type, contents unspecified. Returns null when count is
  // not positive, elementSize is 0, the byte size overflows, or memory is out;
  // never throws.
  static unsigned char* allocateArray(int& count, unsigned long long& elementSize);
  // Releases storage from allocateArray; null is allowed. Does not clear the
  // caller's pointer.
  static void deallocateArray(unsigned char*& pointer);
};

#endif  // QEL_MEMORY_CONTROLLER_CONTROLLER_H_
