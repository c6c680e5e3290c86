// The calling convention and export marks of the host boundary. This is the one place
// that tells the two builds apart: on Windows the host and its plug-ins use stdcall and
// the plug-in's exports are named by a .def file; on Linux the default convention is
// used and exported names are made visible.
#pragma once

//
// VESKO_LIBRARY_ENTRY(load, unload) defines the library's load and unload steps:
// load() returns false to refuse the load. On Windows it is DllMain, whose FALSE makes
// LoadLibrary fail. A shared library on Linux can't fail dlopen from its constructor, so
// the constructor keeps the outcome and the exported VeskoLoadFailed() reports it; the
// vesko host asks it after dlopen and unloads a library that failed.
#if defined(_WIN32)
#define VESKO_STDCALL __stdcall
#define VESKO_API extern "C" __declspec(dllexport)
#define VESKO_LIBRARY_ENTRY(load, unload)                                     \
  extern "C" int __stdcall DllMain(void*, unsigned long reason, void*) {      \
    if (reason == 1) return (load)() ? 1 : 0; /* DLL_PROCESS_ATTACH */       \
    if (reason == 0) (unload)();               /* DLL_PROCESS_DETACH */       \
    return 1;                                                                 \
  }
#else
#define VESKO_STDCALL
#define VESKO_API extern "C" __attribute__((visibility("default")))
#define VESKO_LIBRARY_ENTRY(load, unload)                                              \
  static bool vesko_load_failed = false;                                               \
  __attribute__((constructor)) static void VeskoLibraryLoad() {                        \
    vesko_load_failed = !(load)();                                                     \
  }                                                                                    \
  __attribute__((destructor)) static void VeskoLibraryUnload() { (unload)(); }         \
  extern "C" __attribute__((visibility("default"))) int VeskoLoadFailed() {            \
    return vesko_load_failed ? 1 : 0;                                                  \
  }
#endif
