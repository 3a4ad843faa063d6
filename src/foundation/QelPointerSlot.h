// The slot of a small direct-mapped cache keyed by an address. Not exported.
//
// The engine's caches are keyed by the address of a text or a section, of
// which an evaluation asks about a few dozen, mostly made one after another.
// Consecutive blocks differ in the bits above the lowest four, which keep
// them apart; blocks of one size also lie at the same offsets in every 64 KiB
// span of the memory pools, so the bits from the sixteenth up (which span)
// are folded in.
#ifndef QEL_POINTER_SLOT_H_
#define QEL_POINTER_SLOT_H_

#include <cstddef>
#include <cstdint>

namespace qel_bom_foundation {

// A slot in 0 to 2^bits - 1. REQUIRES: 1 <= bits <= 12.
inline std::size_t pointerSlot(const void* address, int bits) {
  const std::uintptr_t key = reinterpret_cast<std::uintptr_t>(address);
  return ((key >> 4) ^ (key >> 16)) & ((std::uintptr_t{1} << bits) - 1);
}

}  // namespace qel_bom_foundation

#endif  // QEL_POINTER_SLOT_H_
