// The engine's lock as the module takes it.
//
// The engine evaluates one report at a time per process, and a job sets
// process-wide state (stored settings, the string collation). Every call of
// the module into the reporting library therefore runs under the library's
// one lock per process (bomreport::reportEngineMutex), with the GIL released
// so that other Python threads run meanwhile. The lock is always taken after
// the GIL is let go and never held while the GIL is taken back, so the two
// cannot deadlock.
#ifndef VRKBOM_ENGINE_LOCK_H_
#define VRKBOM_ENGINE_LOCK_H_

#include <pybind11/pybind11.h>

#include <mutex>

#include "BomReportJob.h"

namespace vrkbom {

// Runs `work` with the GIL released and the engine's lock held, and returns
// its result. `work` must not touch Python objects. What it throws passes on,
// after the lock is released and the GIL taken back.
template <class Work>
auto withEngine(Work&& work) -> decltype(work()) {
  const pybind11::gil_scoped_release release;
  const std::lock_guard<std::mutex> lock(bomreport::reportEngineMutex());
  return work();
}

}  // namespace vrkbom

#endif  // VRKBOM_ENGINE_LOCK_H_
