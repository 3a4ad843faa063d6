// Symbol visibility for the units library: everything is hidden unless marked.
#ifndef VRK_UNITS_EXPORT_H_
#define VRK_UNITS_EXPORT_H_

#if defined(_WIN32)
#if defined(VRK_UNITS_BUILDING)
#define VRK_UNITS_API __declspec(dllexport)
#else
#define VRK_UNITS_API __declspec(dllimport)
#endif
#else
#define VRK_UNITS_API __attribute__((visibility("default")))
#endif

#endif  // VRK_UNITS_EXPORT_H_
