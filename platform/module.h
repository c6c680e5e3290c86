// Executable modules: finding functions by name in the running program.
#pragma once

#include <string>

namespace vesko::platform {

// The handle of the process's main module (the host program): GetModuleHandle(nullptr)
// on Windows, dlopen(nullptr) elsewhere. Null on failure.
void* MainModuleHandle();

// The address of the function exported as name from module, or null when there is none.
void* FindProcAddress(void* module, const char* name);

// The plug-in library's file name on this system: "Vesko.dll" or "Vesko.so".
extern const char* const kPlugInFileName;

// Loads the library at path (LoadLibrary or dlopen) and runs its start code. Null when that
// fails, with the system's reason in error.
void* OpenLibrary(const std::string& path, std::string& error);
// Unloads a library of OpenLibrary; null does nothing.
void CloseLibrary(void* module);

// The folder of the running program, with a trailing delimiter; "" when unknown.
std::string ProgramFolder();

// The full path of the module (library or program) that holds this code: on Windows
// through __ImageBase, elsewhere through dladdr. Empty when it can't be found.
std::string OwnModulePath();

// Whether this system's modules carry a version resource (Windows: yes).
bool ModulesCarryVersionResources();

// Looks up a text of the version resource of the module file at path: the entry called
// name in the StringFileInfo block of the resource's first translation. text is set
// only for kFound (empty when the block has no such entry).
enum class TVersionLookup { kNoResource, kNoTranslation, kFound };
TVersionLookup ReadVersionResourceText(const std::string& path, const std::string& name,
                                       std::string& text);

}  // namespace vesko::platform
