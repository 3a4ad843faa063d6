// Symbol visibility for the roots library: everything is hidden unless marked.
#ifndef VRK_ROOTS_EXPORT_H_
#define VRK_ROOTS_EXPORT_H_

#if defined(_WIN32)
#if defined(VRK_ROOTS_BUILDING)
#define VRK_ROOTS_API __declspec(dllexport)
#else
#define VRK_ROOTS_API __declspec(dllimport)
#endif
#else
#define VRK_ROOTS_API __attribute__((visibility("default")))
#endif

#endif  // VRK_ROOTS_EXPORT_H_
