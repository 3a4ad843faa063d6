// The engine's calls as the module makes them.
//
// Every call of the module into the reporting library runs with the GIL
// released, so that other Python threads run meanwhile; the library's jobs
// serialise themselves on the engine's lock and keep their settings and
// collation to themselves (BomReportJob.h), so the module takes no lock of
// its own and never holds one while taking the GIL back.
#ifndef VRKBOM_ENGINE_LOCK_H_
#define VRKBOM_ENGINE_LOCK_H_

#include <pybind11/pybind11.h>

namespace vrkbom {

// Runs `work` with the GIL released and returns its result. `work` must not
// touch Python objects. What it throws passes on, after the GIL is taken back.
template <class Work>
auto withEngine(Work&& work) -> decltype(work()) {
  const pybind11::gil_scoped_release release;
  return work();
}

}  // namespace vrkbom

#endif  // VRKBOM_ENGINE_LOCK_H_
