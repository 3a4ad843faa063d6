// Raw storage for the engine's containers and objects.
//
// Blocks of up to 512 bytes come from pools of blocks of one size, without a
// header per block, and a released block is reused for the next of its size;
// larger blocks come from the C heap. Thread-safe: storage may be allocated
// and released on any thread, released also on another than it came from.
#ifndef QEL_MEMORY_CONTROLLER_CONTROLLER_H_
#define QEL_MEMORY_CONTROLLER_CONTROLLER_H_

#include <cstddef>

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

  // Storage for one object of `bytes` bytes (0 is taken as 1), aligned for any
  // fundamental type, contents unspecified; null when memory is out. Never
  // throws. For the objects a report makes by the million (the engine's tree
  // nodes), which then cost no more than their size rounded up to 16 bytes.
  static void* allocateBlock(std::size_t bytes) noexcept;
  // Releases storage from allocateBlock; null is allowed.
  static void deallocateBlock(void* block) noexcept;
};

#endif  // QEL_MEMORY_CONTROLLER_CONTROLLER_H_
