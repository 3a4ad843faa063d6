// Symbol visibility for the settings library: everything is hidden unless marked.
#ifndef VRK_ODBC_EXPORT_H_
#define VRK_ODBC_EXPORT_H_

#if defined(_WIN32)
#if defined(VRK_ODBC_BUILDING)
#define VRK_ODBC_API __declspec(dllexport)
#else
#define VRK_ODBC_API __declspec(dllimport)
#endif
#else
#define VRK_ODBC_API __attribute__((visibility("default")))
#endif

#endif  // VRK_ODBC_EXPORT_H_
