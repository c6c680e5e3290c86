// The commands of the vesko program. Each group registers its sub-commands on the CLI11
// application; a command reports failure by throwing TCommandError (or any exception),
// which main() prints as one line "vesko: message" and turns into the exit code.
#pragma once

#include <stdexcept>
#include <string>

namespace CLI {
class App;
}

namespace vesko::tools {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;   // the operation failed
inline constexpr int kExitBadInput = 2;  // bad arguments or an input that isn't valid
inline constexpr int kExitNothing = 3;   // nothing to do: no mail to export

class TCommandError : public std::runtime_error {
 public:
  TCommandError(const std::string& message, int exit_code = kExitFailure)
      : std::runtime_error(message), exit_code_(exit_code) {}
  int exit_code() const { return exit_code_; }

 private:
  int exit_code_;
};

// Options that every command sees.
struct TGlobalOptions {
  std::string data_folder;  // --data DIR; empty means VESKO_HOME or the default
};
TGlobalOptions& GlobalOptions();

// The title a user typed, as an e-book holds it (Shift JIS), with a warning on stderr when
// it is longer than the 31 bytes of an e-book's name. Throws TCommandError (cmd_doc.cpp).
std::string TypedDocTitle(const std::string& typed);

// Command groups, one source file each.
void RegisterDocCommands(CLI::App& app);          // doc write|read|info       (cmd_doc.cpp)
void RegisterMailDebugCommands(CLI::App& debug);  // debug mime|qp|detect|...  (cmd_debug_mail.cpp)
void RegisterRegexDebugCommands(CLI::App& debug); // debug regex               (cmd_debug_regex.cpp)
void RegisterConfigCommands(CLI::App& app);       // config list|get|set       (cmd_config.cpp)
void RegisterHotSyncCommands(CLI::App& app);      // hotsync users|install     (cmd_hotsync.cpp)
void RegisterCleanCommand(CLI::App& app);         // clean                     (cmd_clean.cpp)
// The mail host's commands. The Linux build has them; the Windows build registers nothing.
void RegisterHostCommands(CLI::App& app);    // list, menus, info, setup (posix/cmd_host.cpp)
void RegisterExportCommands(CLI::App& app);  // export, show        (posix/cmd_export.cpp)

}  // namespace vesko::tools
