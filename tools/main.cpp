// vesko: Vesko's command-line program. See `vesko --help`.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "host/VersionTexts.h"
#include "mailhost/MailHostError.h"
#include "platform/crash.h"
#include "tools/Suggest.h"
#include "tools/commands.h"

namespace {

using vesko::tools::kExitBadInput;
using vesko::tools::SuggestionText;
using vesko::tools::TCommandError;

std::vector<std::string> OptionNames(const CLI::App& command) {
  std::vector<std::string> names;
  for (const CLI::Option* option : command.get_options()) {
    for (const std::string& name : option->get_lnames()) names.push_back("--" + name);
  }
  return names;
}

std::vector<std::string> CommandNames(const CLI::App& command) {
  std::vector<std::string> names;
  for (const CLI::App* sub : command.get_subcommands({})) names.push_back(sub->get_name());
  return names;
}

const CLI::App* FindCommand(const CLI::App& command, const std::string& word) {
  for (const CLI::App* sub : command.get_subcommands({})) {
    if (sub->check_name(word)) return sub;
  }
  return nullptr;
}

// The option called name on command or one of the commands it belongs to.
const CLI::Option* FindOption(const CLI::App* command, const std::string& name) {
  for (; command != nullptr; command = command->get_parent()) {
    if (const CLI::Option* option = command->get_option_no_throw(name)) return option;
  }
  return nullptr;
}

// Walks the words as the parser will and names the first unknown command or long option,
// with the nearest known one, before the parser's own, vaguer, message.
void CheckWords(const CLI::App& app, int argc, char** argv) {
  const CLI::App* command = &app;
  for (int i = 1; i < argc; ++i) {
    const std::string word = argv[i];
    if (word == "--") return;
    if (word.rfind("--", 0) == 0) {
      const std::string name = word.substr(0, word.find('='));
      const CLI::Option* option = FindOption(command, name);
      if (option == nullptr) {
        const std::string where = command == &app ? "" : " of \"" + command->get_name() + "\"";
        throw TCommandError("unknown option \"" + name + "\"" + where +
                                SuggestionText(name, OptionNames(*command)),
                            kExitBadInput);
      }
      if (option->get_items_expected_max() > 0 && name.size() == word.size()) ++i;
      continue;
    }
    if (word.size() > 1 && word[0] == '-') continue;  // short options: the parser checks them
    if (const CLI::App* sub = FindCommand(*command, word)) {
      command = sub;
    } else if (command->get_require_subcommand_min() > 0) {
      const std::string where = command == &app ? "" : " of \"" + command->get_name() + "\"";
      throw TCommandError("unknown command \"" + word + "\"" + where +
                              SuggestionText(word, CommandNames(*command)),
                          kExitBadInput);
    }
  }
}

// The deepest command the parse reached: a group such as "doc" when no command of its own
// followed it.
const CLI::App* ParsedCommand(const CLI::App& app) {
  const CLI::App* command = &app;
  for (;;) {
    const std::vector<const CLI::App*> used = command->get_subcommands(
        [](const CLI::App* sub) { return sub->parsed(); });
    if (used.empty()) return command;
    command = used.front();
  }
}

}  // namespace

int main(int argc, char** argv) {
  using namespace vesko::tools;
  // A crash, in the plug-in above all, ends the run with a message and exit code 4.
  vesko::platform::ReportCrashes("vesko");
  CLI::App app{"vesko: exports mail to Palm Doc e-books, and looks inside them"};
  app.name("vesko");
  app.require_subcommand(1);
  app.set_version_flag("--version", "vesko " VESKO_PRODUCT_VERSION " (" VESKO_PRODUCT_NAME ")",
                       "Print the version and exit");
  app.option_defaults()->always_capture_default();
  app.footer("Exit codes: 0 done, 1 failed, 2 bad arguments or input, 3 nothing to export, "
             "4 crashed.");
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

  // Nothing asked: the help, as a successful answer.
  if (argc <= 1) {
    std::fputs(app.help().c_str(), stdout);
    return kExitOk;
  }
  try {
    CheckWords(app, argc, argv);
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    // A group named alone ("vesko doc"): its help, as "vesko" alone gives the program's.
    const CLI::App* command = ParsedCommand(app);
    if (command != &app && command->get_require_subcommand_min() > 0 &&
        dynamic_cast<const CLI::RequiredError*>(&e) != nullptr) {
      std::fputs(command->help().c_str(), stdout);
      return kExitOk;
    }
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
