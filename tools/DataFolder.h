// Where the vesko program keeps its data: the folder given by --data, else $VESKO_HOME,
// else $XDG_DATA_HOME/vesko (~/.local/share/vesko). It holds PlugIns/ (the plug-in library
// and its settings file), the registry stand-in, the host's temporary folder and the
// per-folder Folder.ini files. Resolving it also sets VESKO_HOME for the process, so the
// plug-in's platform layer finds the same registry stand-in.
#pragma once

#include <string>

namespace vesko::tools {

// The data folder with a trailing delimiter; created when missing. Throws EOSError.
std::string DataFolder();
std::string PlugInFolder();      // DataFolder() + "PlugIns/", created when missing
std::string SettingsFilePath();  // the plug-in's settings file: PlugIns/Vesko.ini

}  // namespace vesko::tools
