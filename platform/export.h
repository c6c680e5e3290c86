// The calling convention and export marks of the host boundary. This is the one place
// that tells the two builds apart: on Windows the host and its plug-ins use stdcall and
// the plug-in's exports are named by a .def file; on Linux the default convention is
// used and exported names are made visible.
#pragma once

#if defined(_WIN32)
#define VESKO_STDCALL __stdcall
#define VESKO_API extern "C" __declspec(dllexport)
#else
#define VESKO_STDCALL
#define VESKO_API extern "C" __attribute__((visibility("default")))
#endif
