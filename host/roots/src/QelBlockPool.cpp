// The block pool: size classes of 16 bytes, spans of 64 KiB in one reserved
// range of address space, a cache of free blocks per thread and class, and one
// lock over the spans.
#include "QelBlockPool.h"

#include <pthread.h>
#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <new>

namespace qel_roots {
namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kPooled = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kPooled = false;
#else
constexpr bool kPooled = true;
#endif
#else
constexpr bool kPooled = true;
#endif

constexpr std::size_t kGranule = 16;
constexpr int kClasses = static_cast<int>(kMaxPooledBytes / kGranule);
constexpr std::size_t kSpanBytes = std::size_t{1} << 16;
// Address space only: pages are backed when first written.
constexpr std::size_t kRegionBytes = std::size_t{1} << 35;
constexpr std::size_t kSpanCount = kRegionBytes / kSpanBytes;
// Empty spans kept with their pages; the pages of further ones go back to the
// system.
constexpr int kKeptEmptySpans = 16;
// Spans never used are made resident this many at a time, in one call instead
// of a page fault per page.
constexpr std::size_t kPopulatedSpans = 32;
static_assert(kRegionBytes / kSpanBytes % kPopulatedSpans == 0, "whole batches of spans");
// Blocks handed between a thread's cache and the spans at once (about this
// many bytes of them: the lock is taken once per batch), and the most a cache
// holds of one class (two batches).
constexpr std::size_t kBatchBytes = 16 << 10;

struct FreeBlock {
  FreeBlock* next;
};

int classOf(std::size_t bytes) {
  return bytes == 0 ? 0 : static_cast<int>((bytes - 1) / kGranule);
}
std::size_t bytesOf(int sizeClass) { return (static_cast<std::size_t>(sizeClass) + 1) * kGranule; }
int batchOf(int sizeClass) { return static_cast<int>(kBatchBytes / bytesOf(sizeClass)); }

// The pool's record of a span, kept apart from the span's pages.
struct SpanInfo {
  SpanInfo* prev;   // in its class's list of spans with room, or the stack of empty spans
  SpanInfo* next;
  FreeBlock* free;  // blocks freed since the span was assigned
  char* fresh;      // blocks from here to `end` were never handed out
  char* end;
  unsigned live;    // blocks out (with users or in threads' caches)
  int sizeClass;    // -1 while empty
  bool listed;      // in its class's list of spans with room
  bool committed;   // may hold pages
};

class Pool {
 public:
  // The pool, or null where the range of address space cannot be reserved.
  static Pool* instance() {
    static Pool* const pool = create();
    return pool;
  }

  bool owns(const void* block) const {
    return reinterpret_cast<std::uintptr_t>(block) - reinterpret_cast<std::uintptr_t>(base_) <
           kRegionBytes;
  }
  // REQUIRES: owns(block) and the block is out. A span's class changes only
  // while none of its blocks is out, so it is read without the lock.
  int classOfBlock(const void* block) const { return spanOf(block).sizeClass; }

  // Chains up to `count` blocks of `sizeClass` onto `chain`; returns how many.
  int take(int sizeClass, int count, FreeBlock*& chain) {
    char* populate = nullptr;
    const int taken = takeLocked(sizeClass, count, chain, populate);
#ifdef MADV_POPULATE_WRITE
    // Outside the lock: other threads go on meanwhile. Only a hint.
    if (populate != nullptr) madvise(populate, kPopulatedSpans * kSpanBytes, MADV_POPULATE_WRITE);
#endif
    return taken;
  }

  // Takes back the blocks of `chain` (null-terminated), all of `sizeClass`.
  void give(int sizeClass, FreeBlock* chain) {
    const std::lock_guard<std::mutex> hold(lock_);
    while (chain != nullptr) {
      FreeBlock* block = chain;
      chain = chain->next;
      SpanInfo& span = spanOf(block);
      block->next = span.free;
      span.free = block;
      if (!span.listed) list(span, sizeClass);
      if (--span.live == 0) retire(span);
    }
  }

 private:
  Pool(char* base, SpanInfo* spans) : base_(base), spans_(spans) {}

  // take() under the lock; `populate` is set to the start of spans never used
  // that are to be made resident.
  int takeLocked(int sizeClass, int count, FreeBlock*& chain, char*& populate) {
    const std::lock_guard<std::mutex> hold(lock_);
    const std::size_t bytes = bytesOf(sizeClass);
    int taken = 0;
    for (; taken < count; ++taken) {
      SpanInfo* span = withRoom_[sizeClass];
      if (span == nullptr && (span = assign(sizeClass, populate)) == nullptr) break;
      FreeBlock* block = span->free;
      if (block != nullptr) {
        span->free = block->next;
      } else {
        block = reinterpret_cast<FreeBlock*>(span->fresh);
        span->fresh += bytes;
      }
      ++span->live;
      if (span->free == nullptr && span->fresh == span->end) unlist(*span);
      block->next = chain;
      chain = block;
    }
    return taken;
  }

  static Pool* create() {
    if (!kPooled) return nullptr;
    // Inaccessible until spans are first assigned, so that only what the pool
    // uses counts against the process's data limit (RLIMIT_DATA).
    void* region = mmap(nullptr, kRegionBytes + kSpanBytes, PROT_NONE,
                        MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (region == MAP_FAILED) return nullptr;
    void* spans = mmap(nullptr, kSpanCount * sizeof(SpanInfo), PROT_READ | PROT_WRITE,
                       MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (spans == MAP_FAILED) {
      munmap(region, kRegionBytes + kSpanBytes);
      return nullptr;
    }
    const std::uintptr_t aligned =
        (reinterpret_cast<std::uintptr_t>(region) + kSpanBytes - 1) & ~(kSpanBytes - 1);
    // Never destroyed: threads give their caches back until the process ends.
    return new (std::nothrow) Pool(reinterpret_cast<char*>(aligned), static_cast<SpanInfo*>(spans));
  }

  SpanInfo& spanOf(const void* block) const {
    const std::size_t offset =
        reinterpret_cast<std::uintptr_t>(block) - reinterpret_cast<std::uintptr_t>(base_);
    return spans_[offset / kSpanBytes];
  }
  char* pagesOf(const SpanInfo& span) const {
    return base_ + static_cast<std::size_t>(&span - spans_) * kSpanBytes;
  }

  void list(SpanInfo& span, int sizeClass) {
    span.prev = nullptr;
    span.next = withRoom_[sizeClass];
    if (span.next != nullptr) span.next->prev = &span;
    withRoom_[sizeClass] = &span;
    span.listed = true;
  }
  void unlist(SpanInfo& span) {
    if (span.prev != nullptr) span.prev->next = span.next;
    else withRoom_[span.sizeClass] = span.next;
    if (span.next != nullptr) span.next->prev = span.prev;
    span.listed = false;
  }

  // A span for `sizeClass`, listed as having room: an empty one, else one
  // never used; null when the range is used up or no more of it may be
  // made usable. Sets `populate` when the
  // spans from this one on are to be made resident.
  SpanInfo* assign(int sizeClass, char*& populate) {
    SpanInfo* span = empty_;
    if (span != nullptr) {
      empty_ = span->next;
      if (span->committed) --emptyCommitted_;
    } else {
      if (used_ == kSpanCount) return nullptr;
      span = &spans_[used_];
      if (used_ % kPopulatedSpans == 0) {
        // The next spans become usable; refused past the data limit.
        if (mprotect(pagesOf(*span), kPopulatedSpans * kSpanBytes, PROT_READ | PROT_WRITE) != 0) {
          return nullptr;
        }
        populate = pagesOf(*span);
      }
      ++used_;
    }
    const std::size_t bytes = bytesOf(sizeClass);
    char* pages = pagesOf(*span);
    span->free = nullptr;
    span->fresh = pages;
    span->end = pages + kSpanBytes / bytes * bytes;
    span->live = 0;
    span->sizeClass = sizeClass;
    span->committed = true;
    list(*span, sizeClass);
    return span;
  }

  // A span none of whose blocks is out becomes empty and may serve any class.
  void retire(SpanInfo& span) {
    if (span.listed) unlist(span);
    span.sizeClass = -1;
    if (emptyCommitted_ < kKeptEmptySpans) {
      ++emptyCommitted_;
    } else {
      madvise(pagesOf(span), kSpanBytes, MADV_DONTNEED);
      span.committed = false;
    }
    span.next = empty_;
    empty_ = &span;
  }

  std::mutex lock_;
  char* const base_;
  SpanInfo* const spans_;
  std::size_t used_ = 0;  // spans ever assigned
  SpanInfo* withRoom_[kClasses] = {};
  SpanInfo* empty_ = nullptr;
  int emptyCommitted_ = 0;
};

// A thread's free blocks per class, made on the thread's first block. When
// the thread ends they go back to the spans (the process's first thread
// keeps its cache to the end).
struct ThreadCache {
  FreeBlock* head[kClasses];
  int count[kClasses];
};

// Read on every block: initial-exec is a single load. One pointer fits the
// static TLS room that glibc keeps for libraries loaded later (dlopen).
__thread ThreadCache* t_cache __attribute__((tls_model("initial-exec"))) = nullptr;

void giveBackCache(void* memory) {
  auto* cache = static_cast<ThreadCache*>(memory);
  t_cache = nullptr;
  Pool* pool = Pool::instance();
  for (int c = 0; c < kClasses; ++c) pool->give(c, cache->head[c]);
  std::free(cache);
}

pthread_key_t cacheKey() {
  static const pthread_key_t key = [] {
    pthread_key_t made;
    return pthread_key_create(&made, giveBackCache) == 0 ? made : pthread_key_t();
  }();
  return key;
}

// This thread's cache; null when none can be made (then blocks go straight
// to and from the spans).
ThreadCache* threadCache() {
  ThreadCache* cache = t_cache;
  if (cache != nullptr) return cache;
  cache = static_cast<ThreadCache*>(std::calloc(1, sizeof(ThreadCache)));
  if (cache == nullptr) return nullptr;
  if (pthread_setspecific(cacheKey(), cache) != 0) {
    std::free(cache);
    return nullptr;
  }
  t_cache = cache;
  return cache;
}

}  // namespace

void* allocateBlock(std::size_t bytes) noexcept {
  Pool* pool = bytes <= kMaxPooledBytes ? Pool::instance() : nullptr;
  if (pool == nullptr) return std::malloc(bytes == 0 ? 1 : bytes);
  const int sizeClass = classOf(bytes);
  ThreadCache* cache = threadCache();
  FreeBlock* block = cache != nullptr ? cache->head[sizeClass] : nullptr;
  if (block != nullptr) {
    cache->head[sizeClass] = block->next;
    --cache->count[sizeClass];
    return block;
  }
  if (cache == nullptr) {
    pool->take(sizeClass, 1, block);
    return block != nullptr ? block : std::malloc(bytes == 0 ? 1 : bytes);
  }
  cache->count[sizeClass] = pool->take(sizeClass, batchOf(sizeClass), cache->head[sizeClass]);
  block = cache->head[sizeClass];
  if (block == nullptr) return std::malloc(bytes == 0 ? 1 : bytes);  // the range is used up
  cache->head[sizeClass] = block->next;
  --cache->count[sizeClass];
  return block;
}

void releaseBlock(void* block) noexcept {
  if (block == nullptr) return;
  Pool* pool = Pool::instance();
  if (pool == nullptr || !pool->owns(block)) {
    std::free(block);
    return;
  }
  const int sizeClass = pool->classOfBlock(block);
  auto* freed = static_cast<FreeBlock*>(block);
  ThreadCache* cache = threadCache();
  if (cache == nullptr) {
    freed->next = nullptr;
    pool->give(sizeClass, freed);
    return;
  }
  freed->next = cache->head[sizeClass];
  cache->head[sizeClass] = freed;
  const int batch = batchOf(sizeClass);
  if (++cache->count[sizeClass] <= 2 * batch) return;
  // Give the older half back: the blocks after the first batch.
  FreeBlock* last = cache->head[sizeClass];
  for (int i = 1; i < batch; ++i) last = last->next;
  FreeBlock* older = last->next;
  last->next = nullptr;
  cache->count[sizeClass] = batch;
  pool->give(sizeClass, older);
}

}  // namespace qel_roots
