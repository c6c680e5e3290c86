// Executable modules: finding functions by name in the running program.
#pragma once

namespace vesko::platform {

// The handle of the process's main module (the host program): GetModuleHandle(nullptr)
// on Windows, dlopen(nullptr) elsewhere. Null on failure.
void* MainModuleHandle();

// The address of the function exported as name from module, or null when there is none.
void* FindProcAddress(void* module, const char* name);

}  // namespace vesko::platform
