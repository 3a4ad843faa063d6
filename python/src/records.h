// Parts given by a program: records (dicts) or a pandas DataFrame, as a
// PartsTable for the reporting library.
//
// A record's keys are tokens, as written ("%Weight"), and three reserved keys
// that carry the part itself, also spelled as the CSV columns are:
//   "handle" / "#handle"  str or int; none: the part's number, from 1
//   "type"   / "#type"    the object type: int (a float that is one, a str
//                         that is one); none: no type
//   "equal"  / "#equal"   the handles of equal parts: a list of str or int, or
//                         one str with the handles separated by ';' or spaces
// Any other key starting with '#' is an error. A value is a str, an int or a
// float (numpy's scalars too); None, NaN and pandas' NA and NaT are no value
// (the part lacks the token). A DataFrame is read column by column, its
// column names as the keys, a named index as a column of that name. A column
// whose values a token cannot take (bool, datetime, ...) is passed over and
// named in `skipped`: only a template that uses it makes that an error.
#ifndef VRKBOM_RECORDS_H_
#define VRKBOM_RECORDS_H_

#include <pybind11/pybind11.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "BomPartsTable.h"

namespace vrkbom {

// The parts of `records` (an iterable of dicts, or a DataFrame), the table
// named `name`. Raises TypeError for a value of another type, InputError for a
// bad reserved key or object type; values are checked by the library.
// REQUIRES: the GIL is held.
// A DataFrame's columns passed over: (name, the type of its first value that a
// token cannot take).
using SkippedColumns = std::vector<std::pair<std::string, std::string>>;
std::shared_ptr<bomreport::PartsTable> tableFromRecords(pybind11::handle records, std::string name,
                                                        SkippedColumns* skipped = nullptr);

}  // namespace vrkbom

#endif  // VRKBOM_RECORDS_H_
