// QelBlockPool: small blocks of fixed sizes without a header per block, for
// the objects a report makes by the million (text buffers, tuple arrays, tree
// nodes). Not exported; QelMemoryControllerController and QelString serve
// their blocks from it.
//
// Blocks of up to kMaxPooledBytes are rounded up to a multiple of 16 bytes
// (their size class) and cut from spans of 64 KiB, each span holding blocks of
// one class. The spans lie in one range of address space reserved when the
// pool is first used, so a block is told from a C heap block by its address
// and its class is found from its span without a header. Larger blocks, and
// every block when the range cannot be reserved or is used up, come from the
// C heap.
//
// Memory is given back for reuse: a freed block goes to its thread's cache
// and from there, in batches, back to its span; a span whose blocks are all
// free serves any class again, and beyond a few such spans its pages are
// returned to the system. So a run that frees what it made does not grow.
//
// Thread-safety: any thread may allocate and free, and a block may be freed on
// another thread than the one that allocated it. Each thread keeps a small
// cache of free blocks per class; the spans behind them are shared under a
// lock taken once per batch.
//
// Under AddressSanitizer every block comes from the C heap, so that the
// sanitizers see each one.
#ifndef QEL_BLOCK_POOL_H_
#define QEL_BLOCK_POOL_H_

#include <cstddef>

namespace qel_roots {

// Blocks larger than this come from the C heap.
constexpr std::size_t kMaxPooledBytes = 512;

// Storage of `bytes` bytes (0 is taken as 1), aligned to 16 bytes; null when
// memory is out. Never throws.
void* allocateBlock(std::size_t bytes) noexcept;

// Releases a block from allocateBlock; null is allowed.
void releaseBlock(void* block) noexcept;

}  // namespace qel_roots

#endif  // QEL_BLOCK_POOL_H_
