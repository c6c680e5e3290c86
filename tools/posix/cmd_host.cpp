// The mail host's own commands: list the mails of a folder, show the menus after the
// plug-in has added its command, print the plug-in's information and open its settings.
#include <CLI/CLI.hpp>

#include <cstdio>

#include "mail/MIMEItem.h"
#include "platform/files.h"
#include "tools/DataFolder.h"
#include "tools/commands.h"
#include "tools/posix/StoreOptions.h"
#include "mailhost/Charsets.h"
#include "mailhost/MailHost.h"

namespace vesko::tools {
namespace {

using mailhost::TMailHost;

// Opens the store and folder. Without --store, list takes the default store (the sample
// on first use); menus use it only when it is already there.
void OpenStore(const TStoreOptions& options, bool required) {
  if (options.store.empty() && !required && !platform::DirectoryExists(DataFolder() + "Mail") &&
      !platform::FileExists(DataFolder() + "Mail")) {
    return;
  }
  OpenHost(options);
}

// The folders of the store: display name, then where the folder's Folder.ini goes.
void ListFolders(TMailHost& host) {
  for (const std::string& folder : host.FolderNames()) {
    host.SelectFolder(folder);
    std::printf("%s\t%s%sFolder.ini\n", host.CurrentFolderDisplayName().c_str(),
                DataFolder().c_str(), host.CurrentFolderId().c_str());
  }
}

void ListMails(const TStoreOptions& options, bool folders) {
  TMailHost& host = MailHost();
  OpenStore(options, true);
  if (folders) return ListFolders(host);
  std::printf("%s (%s)\n", host.CurrentFolderDisplayName().c_str(),
              mailhost::StoreKindName(host.store_kind()));
  for (const mailhost::TMailEntry& mail : host.Mails()) {
    // The header fields as the plug-in reads them, decoded as the host decodes them for it.
    TMIMEItem item;
    item.Parse(host.Source(mail.id));
    auto decoded = [&](const char* name) {
      return mailhost::Cp932ToUtf8(mailhost::DecodeMimeHeader(item.GetHeader(name)));
    };
    std::printf("%s\t%s\t%s\t%s\t%s\n", mail.id.c_str(), mail.read ? "R" : "-",
                decoded("Date").c_str(), decoded("From").c_str(), decoded("Subject").c_str());
  }
}

void PrintMenus(const TStoreOptions& options, std::vector<int> types, bool before) {
  TMailHost& host = MailHost();
  OpenStore(options, false);
  if (!before) host.LoadPlugIn();
  if (types.empty()) types = {kMainMenu, kTreeMenu};
  static const char* const kNames[] = {"main menu", "mail list pop-up", "folder tree pop-up",
                                       "message view pop-up"};
  for (const int type : types) {
    std::printf("%s (type %d):\n%s", kNames[type], type, host.RenderMenu(type, !before).c_str());
  }
}

void PrintInfo() {
  TMailHost& host = MailHost();
  host.LoadPlugIn();
  const mailhost::TPlugInInfo info = host.PlugInInfo();
  std::printf("name: %s\nvendor: %s\nversion: %s\ndescription: %s\n",
              mailhost::Cp932ToUtf8(info.name).c_str(), mailhost::Cp932ToUtf8(info.vendor).c_str(),
              mailhost::Cp932ToUtf8(info.version).c_str(),
              mailhost::Cp932ToUtf8(info.description).c_str());
}

// The plug-in's settings form, as the mail client's plug-in set-up opens it.
void RunSetup() {
  TMailHost& host = MailHost();
  host.LoadPlugIn();
  host.PlugInSetup();
}

}  // namespace

void RegisterHostCommands(CLI::App& app) {
  auto list_options = std::make_shared<TStoreOptions>();
  CLI::App* list = app.add_subcommand("list", "List the mails of a folder: ID, read flag, "
                                              "date, sender, subject");
  AddStoreOptions(*list, *list_options);
  auto folders = std::make_shared<bool>(false);
  list->add_flag("--folders", *folders,
                 "List the store's folders instead, with the path of each one's Folder.ini");
  list->callback([list_options, folders] { ListMails(*list_options, *folders); });

  auto menu_options = std::make_shared<TStoreOptions>();
  auto menu_types = std::make_shared<std::vector<int>>();
  auto before = std::make_shared<bool>(false);
  CLI::App* menus = app.add_subcommand("menus", "Show the host's menus after the plug-in "
                                                "has added its command");
  AddStoreOptions(*menus, *menu_options);
  menus->add_option("--type", *menu_types, "Menu type 0..3 (default: 0 and 2)")
      ->check(CLI::Range(0, kMenuTypeCount - 1));
  menus->add_flag("--before", *before, "Show the menus as they are before the plug-in loads");
  menus->callback([=] { PrintMenus(*menu_options, *menu_types, *before); });

  CLI::App* info = app.add_subcommand("info", "Print the plug-in's information texts");
  info->callback([] { PrintInfo(); });

  CLI::App* setup = app.add_subcommand(
      "setup", "Open the plug-in's settings form in the terminal, as the mail client's "
               "plug-in set-up does");
  setup->callback([] { RunSetup(); });
}

}  // namespace vesko::tools
