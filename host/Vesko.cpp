// The plug-in library's main unit: load and unload, and the callbacks the host calls by name.
#include "platform/export.h"

VESKO_API int VESKO_STDCALL BKC_OnStart() { return 0; }
VESKO_API int VESKO_STDCALL BKC_OnMenuInit(void*, void*, int) { return 0; }
VESKO_API int VESKO_STDCALL BKC_OnPlugInSetup(void*) { return 1; }
VESKO_API int VESKO_STDCALL BKC_OnPlugInInfo(void*) { return 0; }
