// vrkbom.evaluate: a template over parts, into a Report.
#ifndef VRKBOM_EVALUATE_H_
#define VRKBOM_EVALUATE_H_

#include <pybind11/pybind11.h>

namespace vrkbom {

void bindEvaluate(pybind11::module_& module);

}  // namespace vrkbom

#endif  // VRKBOM_EVALUATE_H_
