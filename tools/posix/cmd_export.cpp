// vesko export and vesko show: the plug-in's command run in a local mail store, as the
// user's menu choice in the mail client would run it, and the text that one mail becomes.
// The choices of one export (--target, --select, --no-mark-read, --output, --title,
// --threads) reach the plug-in through a settings file of that run alone
// (tools/posix/RunPlugIn.h).

#include <CLI/CLI.hpp>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "export/ComvertDoc.h"
#include "export/MeDocItemList.h"
#include "export/Messages.h"
#include "host/PlugIn.h"
#include "host/Settings.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/memory.h"
#include "platform/paths.h"
#include "tools/DataFolder.h"
#include "tools/commands.h"
#include "tools/posix/RunPlugIn.h"
#include "tools/posix/StoreOptions.h"
#include "mailhost/Charsets.h"
#include "mailhost/MailHost.h"

namespace vesko::tools {
namespace {

// The choices of one export; empty or false: the stored setting holds.
struct TExportChoices {
  std::string target;
  std::vector<std::string> selection;
  bool no_mark_read = false;
  std::string output;
  std::string title;
  int threads = 0;
};

// The words of --target, with the values of the Target setting they stand for.
const struct {
  const char* word;
  int target;
} kTargetWords[] = {{"unread", kTargetUnread}, {"all", kTargetAll}, {"selected", kTargetSelected}};

std::vector<std::string> TargetWords() {
  std::vector<std::string> words;
  for (const auto& word : kTargetWords) words.push_back(word.word);
  return words;
}

// Where --output puts the e-book: a folder (with a trailing delimiter) and, for a file
// name, the FileName pattern that gives exactly that name.
struct TOutput {
  std::string folder;
  std::string pattern;
};

TOutput OutputOf(const std::string& given) {
  if (given.empty()) return {};
  std::error_code error;
  const std::filesystem::path whole = std::filesystem::absolute(given, error);
  const std::string path = error ? given : whole.string();
  if (platform::DirectoryExists(path)) return {IncludeTrailingDelimiter(path), ""};
  const std::string folder = ExtractFilePath(path), name = ExtractFileName(path);
  if (name.empty() || !platform::DirectoryExists(folder)) {
    throw TCommandError("--output: there is no folder " +
                            ExcludeTrailingDelimiter(name.empty() ? path : folder),
                        kExitBadInput);
  }
  const std::string_view extension = kDocFileExtension;
  if (!name.ends_with(extension)) {
    throw TCommandError("--output: an e-book's file name ends with \"" + std::string(extension) +
                            "\" (" + name + ")",
                        kExitBadInput);
  }
  const std::string pattern = name.substr(0, name.size() - extension.size());
  const std::string made =
      TComvertDoc::FileName(pattern, "", DecodeDateTime(platform::NowLocal()), "");
  if (made != name) {
    throw TCommandError("--output: " + name + " can't be an e-book's name as it stands (it would be " +
                            made + "); leave out \\ / : * ? \" < > |, {folder} and {date}",
                        kExitBadInput);
  }
  if (platform::FileExists(path)) {
    throw TCommandError("--output: " + path +
                            " is there already, and vesko export never replaces a file; "
                            "remove it or choose another name",
                        kExitBadInput);
  }
  return {folder, pattern};
}

// The values of the run's settings file, from its choices. Throws TCommandError for
// choices that don't go together.
std::vector<TRunSetting> RunSettings(const TExportChoices& choices) {
  std::vector<TRunSetting> values;
  std::optional<int> target;
  for (const auto& word : kTargetWords) {
    if (choices.target == word.word) target = word.target;
  }
  if (!choices.selection.empty()) {
    if (target && *target != kTargetSelected) {
      throw TCommandError("--select exports the selected mails; leave out --target " +
                              choices.target,
                          kExitBadInput);
    }
    target = kTargetSelected;
  }
  if (target) values.push_back({KeyOf(&TSettings::Target), std::to_string(*target)});
  if (choices.no_mark_read) values.push_back({KeyOf(&TSettings::MarkAsRead), "0"});
  const TOutput output = OutputOf(choices.output);
  if (!output.folder.empty()) {
    values.push_back({KeyOf(&TSettings::SavePath), output.folder});
    values.push_back({KeyOf(&TSettings::AutoInstall), "0"});  // the file, not a HotSync user
  }
  if (!output.pattern.empty()) values.push_back({KeyOf(&TSettings::FileName), output.pattern});
  if (!choices.title.empty()) {
    values.push_back({KeyOf(&TSettings::Title), TypedDocTitle(choices.title)});
  }
  if (choices.threads > 0) {
    values.push_back({KeyOf(&TSettings::Threads), std::to_string(choices.threads)});
  }
  return values;
}

// Why the export takes no mail of the folder, with what to do about it; exit code 3.
TCommandError NothingToExport(const mailhost::TMailHost& host, int target,
                              const std::string& settings_path) {
  const std::string folder = host.CurrentFolderDisplayName();
  switch (target) {
    case kTargetUnread:
      return TCommandError("no unread mail in " + folder + "; use --target all to export every mail",
                           kExitNothing);
    case kTargetSelected:
      return TCommandError("no mail selected in " + folder +
                               "; use --select ID (see vesko list), or --target all",
                           kExitNothing);
    case kTargetAll:
      return TCommandError("no mail to export in " + folder, kExitNothing);
    default:
      return TCommandError("Target is " + std::to_string(target) + " in " + settings_path +
                               ", which takes no mail (0 unread, 1 all, 2 selected); use "
                               "--target all, or vesko config set Settings Target 0",
                           kExitNothing);
  }
}

void RunExport(const TStoreOptions& options, const TExportChoices& choices) {
  // The export holds a whole folder's mails and their text at once.
  platform::PrepareLargeHeap(std::size_t{64} << 20);
  const std::vector<TRunSetting> values = RunSettings(choices);
  mailhost::TMailHost& host = OpenHost(options);
  if (host.Mails().empty()) {
    throw TCommandError("no mail to export in " + host.CurrentFolderDisplayName(), kExitNothing);
  }
  if (!choices.selection.empty()) host.SetSelection(choices.selection);
  const std::string stored = SettingsFilePath();
  // The plug-in reads the run's choices from the settings file beside it.
  std::optional<TRunPlugIn> run;
  if (!values.empty()) {
    const mailhost::THostFolders folders = host.folders();
    run.emplace(folders.temp, host.InstallPlugIn(), stored, values);
    host.SetFolders({folders.data, run->folder(), folders.temp});
  }
  const TSettings settings = TSettings::Load(run ? run->settings_path() : stored);
  host.LoadPlugIn();
  const auto command = host.CommandFor(kMainMenu);
  if (!command) throw TCommandError("the plug-in put no command on the main menu");
  // The mail client asks the state callback before it offers the command.
  if (!host.CommandEnabled(*command)) throw NothingToExport(host, settings.Target, stored);
  // An e-book whose mails can't be marked read would come again with the next export.
  if (settings.MarkAsRead) host.CheckCanMark();
  host.RunCommand(*command);
  // The plug-in must give back every block the host allocated for it.
  if (host.LiveBlocks() != 0) {
    std::fprintf(stderr, "vesko: warning: the plug-in left %zu blocks of host memory unreleased\n",
                 host.LiveBlocks());
  }
  if (host.ForeignFrees() != 0) {
    std::fprintf(stderr, "vesko: warning: the plug-in freed %d blocks the host never gave it\n",
                 host.ForeignFrees());
  }
  for (const mailhost::TMessageRecord& message : host.messages()) {
    if (message.icon == TMessageIcon::kError)
      throw TCommandError("the export failed", kExitFailure);
  }
  for (const mailhost::TMessageRecord& message : host.messages()) {
    if (message.text == kNoMailMessage) throw NothingToExport(host, settings.Target, stored);
  }
  const auto& skipped = host.skipped();
  if (skipped.empty()) return;
  for (const mailhost::TSkippedMail& mail : skipped) {
    std::fprintf(stderr, "vesko: mail %s stays unread: %s\n", mail.id.c_str(), mail.reason.c_str());
  }
  throw TCommandError("the e-book was delivered, but " + std::to_string(skipped.size()) +
                      (skipped.size() == 1 ? " mail" : " mails") +
                      " could not be marked read (listed above); exporting them again would "
                      "deliver them a second time");
}

void ShowMail(const TStoreOptions& options, const std::string& mail_id) {
  OpenHost(options);
  MailHost().Source(mail_id);  // throws for an unknown ID
  // The item is made in this process, through the host functions the program exports.
  if (!PlugIn().api.Bind()) throw TCommandError("the host functions can't be found");
  PlugIn().settings_path = SettingsFilePath();
  const TMeDocItemList list;
  const TMailItem item(mail_id, list);
  const std::string utf8 = mailhost::Cp932ToUtf8(item.Text());
  std::fwrite(utf8.data(), 1, utf8.size(), stdout);
}

}  // namespace

void RegisterExportCommands(CLI::App& app) {
  static TStoreOptions export_options, show_options;
  static TExportChoices choices;
  static std::string mail_id;

  CLI::App* run = app.add_subcommand(
      "export",
      "Run the plug-in's export command in a mail store, as the menu choice would. "
      "--target, --select, --no-mark-read, --output, --title and --threads count for this "
      "export only; "
      "the stored settings stay as they are");
  AddStoreOptions(*run, export_options);
  run->add_option("--target", choices.target,
                  "Which mails: unread, all or selected (default: the Target setting; "
                  "--select chooses selected)")
      ->check(CLI::IsMember(TargetWords()))
      ->type_name("WHICH");
  run->add_option("--select", choices.selection,
                  "Select these mails and export them (mail IDs, see vesko list)")
      ->type_name("ID");
  run->add_flag("--no-mark-read", choices.no_mark_read, "Leave the exported mails unread");
  run->add_option("--output", choices.output,
                  "An existing folder to save the e-book in, or its file name (NAME.pdb in "
                  "an existing folder; a file that is there is never replaced)")
      ->type_name("PATH");
  run->add_option("--title", choices.title,
                  "The e-book's title (at most 31 bytes in Shift JIS; default: [date] and "
                  "the folder's name)")
      ->type_name("TEXT");
  run->add_option("--threads", choices.threads,
                  "Threads that pack the e-book's records (default: the Threads setting, "
                  "or one per processor core, at most " +
                      std::to_string(kMaxDocThreads) + ")")
      ->check(CLI::Range(1, kMaxDocThreads));
  run->callback([] { RunExport(export_options, choices); });

  CLI::App* show = app.add_subcommand(
      "show",
      "Print the text one mail becomes in the e-book: three header lines and the "
      "cleaned body, in UTF-8");
  AddStoreOptions(*show, show_options);
  show->add_option("id", mail_id, "Mail ID (see vesko list)")->required();
  show->callback([] { ShowMail(show_options, mail_id); });
}

}  // namespace vesko::tools
