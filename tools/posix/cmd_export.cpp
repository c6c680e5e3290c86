// vesko export and vesko show: the plug-in's command run in a local mail store, as the
// user's menu choice in the mail client would run it, and the text that one mail becomes.

#include <CLI/CLI.hpp>
#include <cstdio>
#include <string>
#include <vector>

#include "export/MeDocItemList.h"
#include "host/PlugIn.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "tools/DataFolder.h"
#include "tools/commands.h"
#include "tools/posix/StoreOptions.h"
#include "mailhost/Charsets.h"
#include "mailhost/MailHost.h"

namespace vesko::tools {
namespace {

void RunExport(const TStoreOptions& options, const std::vector<std::string>& selection) {
  mailhost::TMailHost& host = OpenHost(options);
  if (!selection.empty()) host.SetSelection(selection);
  host.LoadPlugIn();
  const auto command = host.CommandFor(mailhost::kMainMenu);
  if (!command) throw TCommandError("the plug-in put no command on the main menu");
  // The mail client asks the state callback before it offers the command.
  if (!host.CommandEnabled(*command)) {
    throw TCommandError("the command is disabled: no mail to export in this folder");
  }
  host.RunCommand(*command);
  for (const mailhost::TMessageRecord& message : host.messages()) {
    if (message.icon == TMessageIcon::kError)
      throw TCommandError("the export failed", kExitFailure);
  }
}

void ShowMail(const TStoreOptions& options, const std::string& mail_id) {
  OpenHost(options);
  MailHost().Source(mail_id);  // throws for an unknown ID
  // The item is made in this process, through the host functions the program exports.
  if (!PlugIn().api.Bind()) throw TCommandError("the host functions can't be found");
  PlugIn().settings_path = SettingsFilePath();
  const TMeDocItemList list;
  const TMailItem item(mail_id, list);
  const std::string text = "From:" + item.FormatSender() + "\r\nSubject:" + item.Subject() +
                           "\r\nDate:" + item.DateText() + "\r\n" + item.Body();
  const std::string utf8 = mailhost::Cp932ToUtf8(text);
  std::fwrite(utf8.data(), 1, utf8.size(), stdout);
}

}  // namespace

void RegisterExportCommands(CLI::App& app) {
  static TStoreOptions export_options, show_options;
  static std::vector<std::string> selection;
  static std::string mail_id;

  CLI::App* run = app.add_subcommand(
      "export", "Run the plug-in's export command in a mail store, as the menu choice would");
  AddStoreOptions(*run, export_options);
  run->add_option("--select", selection, "Select these mails first (mail IDs, see vesko list)")
      ->type_name("ID");
  run->callback([] { RunExport(export_options, selection); });

  CLI::App* show = app.add_subcommand(
      "show",
      "Print the text one mail becomes in the e-book: three header lines and the "
      "cleaned body, in UTF-8");
  AddStoreOptions(*show, show_options);
  show->add_option("id", mail_id, "Mail ID (see vesko list)")->required();
  show->callback([] { ShowMail(show_options, mail_id); });
}

}  // namespace vesko::tools
