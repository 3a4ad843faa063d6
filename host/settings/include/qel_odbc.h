// Stored default settings: named integers kept in-process (the stand-in keeps
// no files). The store is locked, so hosts may call it from any thread.
#ifndef QEL_ODBC_H_
#define QEL_ODBC_H_

#include "QelString.h"
#include "VRKODBCExport.h"

// Looks up the stored setting `name`. When it exists, writes its value into
// `value` and returns 1; otherwise leaves `value` unchanged and returns 0.
// `useDefaults` is accepted for the host's signature and ignored.
VRK_ODBC_API int qel_odbc_getDefault(const QelString& name, int& value, bool useDefaults);
// Stores `value` under `name`, replacing any earlier value.
VRK_ODBC_API void qel_odbc_setDefault(const QelString& name, int value);
// Removes the setting `name` if present.
VRK_ODBC_API void qel_odbc_clearDefault(const QelString& name);

#endif  // QEL_ODBC_H_
