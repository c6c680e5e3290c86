// vesko: Vesko's command-line program. See `vesko --help`.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <exception>

#include "mailhost/MailHostError.h"
#include "tools/commands.h"

int main(int argc, char** argv) {
  using namespace vesko::tools;
  CLI::App app{"vesko: exports mail to Palm Doc e-books, and looks inside them"};
  app.require_subcommand(1);
  app.option_defaults()->always_capture_default();
  // Paths like /tmp/x are arguments, also in the Windows build (which may run under wine).
  app.allow_windows_style_options(false);
  app.add_option("--data", GlobalOptions().data_folder,
                 "Data folder (default: $VESKO_HOME, else $XDG_DATA_HOME/vesko)")
      ->type_name("DIR");

  CLI::App* debug = app.add_subcommand("debug", "Look at how Vesko reads mail and text");
  debug->require_subcommand(1);
  RegisterDocCommands(app);
  RegisterMailDebugCommands(*debug);
  RegisterRegexDebugCommands(*debug);
  RegisterConfigCommands(app);
  RegisterHotSyncCommands(app);
  RegisterCleanCommand(app);
  RegisterHostCommands(app);
  RegisterExportCommands(app);

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    const int code = app.exit(e);
    return code == 0 ? kExitOk : kExitBadInput;
  } catch (const TCommandError& e) {
    std::fprintf(stderr, "vesko: %s\n", e.what());
    return e.exit_code();
  } catch (const vesko::mailhost::EMailHostError& e) {
    std::fprintf(stderr, "vesko: %s\n", e.what());
    return e.kind() == vesko::mailhost::EMailHostError::kBadInput ? kExitBadInput : kExitFailure;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "vesko: %s\n", e.what());
    return kExitFailure;
  }
  return kExitOk;
}
