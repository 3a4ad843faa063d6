// Symbol visibility for the reporting library: everything is hidden unless
// marked.
#ifndef BOM_REPORT_EXPORT_H_
#define BOM_REPORT_EXPORT_H_

#if defined(_WIN32)
#if defined(BOM_REPORT_BUILDING)
#define BOM_REPORT_API __declspec(dllexport)
#else
#define BOM_REPORT_API __declspec(dllimport)
#endif
#else
#define BOM_REPORT_API __attribute__((visibility("default")))
#endif

#endif  // BOM_REPORT_EXPORT_H_
