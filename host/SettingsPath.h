// Where the plug-in keeps its settings: beside the library, under the library's own name
// with the extension ".ini" (Vesko.dll gives Vesko.ini).
#pragma once

#include <string>

namespace vesko {

// library_path with the extension of its file name replaced by ".ini", or ".ini" appended
// when the file name has none. A dot in a folder name is not an extension. An empty path
// gives an empty result.
std::string SettingsPathFor(const std::string& library_path);

}  // namespace vesko
