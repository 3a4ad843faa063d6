// Evaluation under allocation failure. This file replaces the global
// allocation functions of the whole test program with counting ones that pass
// through to malloc and free, and that can be told to fail the Nth allocation
// (once, or from then on). When an allocation fails, the listing of the
// output as it stands is taken first, to be compared with the output the
// caller gets back.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <string>

#include "EngineTestSupport.h"
#include "QelBomEvaluator2.h"

#define BOM_TEST_EXPORT __attribute__((visibility("default")))

namespace {

long g_liveBlocks = 0;       // blocks allocated and not yet released
long g_countdown = -1;       // allocations left before the failure; -1: never
bool g_failForever = false;  // after the failure, every allocation fails
bool g_failing = false;
bool g_triggered = false;  // the failure happened

// The output watched, and its listing when the failure happened (written into
// storage reserved beforehand, so the snapshot itself allocates nothing that
// outlives it).
const QelBomItemBase* g_watched = nullptr;
std::string g_snapshot;

void takeSnapshot();

void* countedAllocate(std::size_t size) {
  if (g_failing) throw std::bad_alloc();
  if (g_countdown >= 0 && g_countdown-- == 0) {
    g_triggered = true;
    takeSnapshot();
    g_failing = g_failForever;
    throw std::bad_alloc();
  }
  void* block = std::malloc(size == 0 ? 1 : size);
  if (block == nullptr) throw std::bad_alloc();
  ++g_liveBlocks;
  return block;
}

void* nothrowAllocate(std::size_t size) noexcept {
  try {
    return countedAllocate(size);
  } catch (...) {
    return nullptr;
  }
}

void countedRelease(void* block) noexcept {
  if (block == nullptr) return;
  --g_liveBlocks;
  std::free(block);
}

void takeSnapshot() {
  if (g_watched == nullptr) return;
  QelString text;
  g_watched->list(text, 0, 1, 1);
  const std::string listed = text.toUtf8();
  if (listed.size() > g_snapshot.capacity()) std::abort();  // reserve more
  g_snapshot.assign(listed);
}

void failAfter(long allocations, bool forever) {
  g_countdown = allocations;
  g_failForever = forever;
  g_failing = false;
  g_triggered = false;
}

void stopFailing() {
  g_countdown = -1;
  g_failing = false;
}

}  // namespace

BOM_TEST_EXPORT void* operator new(std::size_t size) { return countedAllocate(size); }
BOM_TEST_EXPORT void* operator new[](std::size_t size) { return countedAllocate(size); }
BOM_TEST_EXPORT void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return nothrowAllocate(size);
}
BOM_TEST_EXPORT void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  return nothrowAllocate(size);
}
BOM_TEST_EXPORT void operator delete(void* block) noexcept { countedRelease(block); }
BOM_TEST_EXPORT void operator delete[](void* block) noexcept { countedRelease(block); }
BOM_TEST_EXPORT void operator delete(void* block, std::size_t) noexcept { countedRelease(block); }
BOM_TEST_EXPORT void operator delete[](void* block, std::size_t) noexcept { countedRelease(block); }
BOM_TEST_EXPORT void operator delete(void* block, const std::nothrow_t&) noexcept {
  countedRelease(block);
}
BOM_TEST_EXPORT void operator delete[](void* block, const std::nothrow_t&) noexcept {
  countedRelease(block);
}

using namespace engine_test;

namespace {

// Groups by PosNum over groups by Material over details, each group with a
// footer summing Weight, sorted by PosNum and Material. The details either
// have a closing section of their own or repeat lines that are dropped.
TemplatePtr failureTemplate(bool detailsClosing) {
  TemplatePtr templ = newTemplate();
  templ->setUnitsForTokens(nullptr);
  Item* outer =
      makeSection(Item::kGroupHeader,
                  {{"%GroupBy:%PosNum", ""}, {"%SortAscBy:%PosNum,%Material", ""}, {"%PosNum", 0}});
  Item* inner = makeSection(Item::kGroupHeader, {{"%GroupBy:%Material", ""}, {"%Material", ""}});
  templ->addChild(outer);
  templ->addChild(makeSection(Item::kGroupFooter, {{"%SumBy:%Weight", 0}}));
  outer->addChild(inner);
  outer->addChild(makeSection(Item::kGroupFooter, {{"%SumBy:%Weight", 0}}));
  inner->addChild(makeSection(Item::kDetails, {{"%Material", ""}, {"%Weight", 0.0}}));
  if (detailsClosing) inner->addChild(makeSection(Item::kPageFooter, {{"%SumBy:%Weight", 0}}));
  trace(templ.get());
  return templ;
}

DataPtr failureData() {
  DataPtr data = newData();
  const int pos[] = {2, 1, 1, 2, 3, 1, 2, 1};
  const char* material[] = {"A", "B", "B", "A", "C", "A", "B", "B"};
  const double weight[] = {1.5, 2.0, 2.0, 1.5, 3.0, 1.5, 2.5, 2.0};
  for (int i = 0; i < 8; ++i) {
    data->addChild(
        makeRow(std::to_string(i),
                {{"%PosNum", pos[i]}, {"%Material", material[i]}, {"%Weight", weight[i]}}));
  }
  return data;
}

// Fails allocation N = 0, 1, 2, ... of an evaluation until one runs through.
// After each failure the caller gets std::bad_alloc, the output holds exactly
// the items linked when the allocation failed, and every item made by the
// failed evaluation is released once the output is emptied.
void runFailureSweep(bool detailsClosing, bool withOutput, bool failForever) {
  TemplatePtr templ = failureTemplate(detailsClosing);
  std::string complete;
  {
    DataPtr data = failureData();
    TemplatePtr output = newTemplate();
    ASSERT_EQ(QelBomEvaluator2::evaluate(templ.get(), data.get(), output.get()), 1);
    complete = listing(output.get());
  }
  int failures = 0;
  g_snapshot.reserve(complete.size() + 1);
  for (long n = 0; n < 10000; ++n) {
    DataPtr data = failureData();
    TemplatePtr output = newTemplate();
    QelBomTemplate* target = withOutput ? output.get() : nullptr;
    g_watched = output.get();
    g_snapshot.clear();
    const long liveBefore = g_liveBlocks;
    bool threw = false;
    failAfter(n, failForever);
    try {
      QelBomEvaluator2::evaluate(templ.get(), data.get(), target);
    } catch (const std::bad_alloc&) {
      threw = true;
    }
    stopFailing();
    g_watched = nullptr;
    if (!g_triggered) {  // the evaluation needed fewer allocations: it ran through
      EXPECT_FALSE(threw);
      if (withOutput) {
        EXPECT_EQ(listing(output.get()), complete);
      }
      break;
    }
    // A failure of the sort's temporary buffer is absorbed by the sort.
    failures += threw ? 1 : 0;
    if (threw) {
      EXPECT_EQ(listing(output.get()), g_snapshot) << "allocation " << n;
    }
    output->empty();
    EXPECT_EQ(g_liveBlocks, liveBefore) << "allocation " << n;
  }
  EXPECT_GT(failures, 20);
}

}  // namespace

TEST(QelBomEvaluator2OutOfMemoryTest, FailedAllocationLeaksNothingAndKeepsTheOutputSound) {
  for (bool detailsClosing : {false, true}) {
    for (bool withOutput : {true, false}) {
      for (bool failForever : {false, true}) {
        SCOPED_TRACE(testing::Message() << detailsClosing << withOutput << failForever);
        runFailureSweep(detailsClosing, withOutput, failForever);
      }
    }
  }
}
