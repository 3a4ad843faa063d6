// Symbol visibility for the engine library: everything is hidden unless marked.
#ifndef VRK_BOM_ENGINE_EXPORT_H_
#define VRK_BOM_ENGINE_EXPORT_H_

#if defined(_WIN32)
#if defined(VRK_BOM_ENGINE_BUILDING)
#define VRK_BOM_ENGINE_API __declspec(dllexport)
#else
#define VRK_BOM_ENGINE_API __declspec(dllimport)
#endif
#else
#define VRK_BOM_ENGINE_API __attribute__((visibility("default")))
#endif

#endif  // VRK_BOM_ENGINE_EXPORT_H_
