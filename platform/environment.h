// The process environment and the default data folder of the vesko program.
#pragma once

#include <optional>
#include <string>

namespace vesko::platform {

// The variable's value; nullopt when it is unset.
std::optional<std::string> GetEnvironment(const std::string& name);
// Sets the variable for this process and the programs it starts.
void SetEnvironment(const std::string& name, const std::string& value);

// Where vesko keeps its data when neither --data nor VESKO_HOME says: on POSIX
// $XDG_DATA_HOME/vesko, else ~/.local/share/vesko; on Windows the running program's folder.
// No trailing delimiter.
std::string DefaultDataFolder();

// The data folder as the platform layer sees it: $VESKO_HOME when set, else the default.
std::string DataHome();

}  // namespace vesko::platform
