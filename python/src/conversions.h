// Arguments from Python the way every class of the module takes them.
#ifndef VRKBOM_CONVERSIONS_H_
#define VRKBOM_CONVERSIONS_H_

#include <pybind11/pybind11.h>

#include <string>

namespace vrkbom {

// A file name given as str, bytes or os.PathLike, as the system spells it
// (os.fsencode). Raises TypeError for anything else, ValueError for an empty
// name.
std::string pathArgument(pybind11::handle path, const char* argument);

// A text for Python from bytes the system gave (a file name in a message):
// bytes that are not UTF-8 are kept as surrogate escapes, as os.fsdecode does.
pybind11::str systemText(const std::string& bytes);

// The name of `value`'s type, for a TypeError ("list", "numpy.ndarray").
std::string typeName(pybind11::handle value);

}  // namespace vrkbom

#endif  // VRKBOM_CONVERSIONS_H_
