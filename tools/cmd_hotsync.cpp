// vesko hotsync users|install|setup: the Palm Desktop users and the install queue, as the
// export sees them (the registry, or its stand-in in the data folder, and users.dat).
#include <CLI/CLI.hpp>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "hotsync/AutoInst.h"
#include "hotsync/PalmDesktopSetup.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "tools/DataFolder.h"
#include "tools/TerminalText.h"
#include "tools/commands.h"

namespace vesko::tools {
namespace {

struct THotSyncOptions {
  std::string file;
  int user = -1;
  std::string path;
  std::vector<std::string> users;  // NAME[:ID[:FOLDER]]
  std::string last;
  bool old_root = false;
};

void Users() {
  DataFolder();  // the registry stand-in lives there
  const TUserData data;
  std::printf("Palm Desktop: %s\n", ToTerminalText(data.GetPath()).c_str());
  if (data.GetCount() == 0) {
    std::printf("no users\n");
    return;
  }
  std::printf("   #  ID     Name                             Folder\n");
  for (int i = 0; i < data.GetCount(); ++i) {
    // A Shift JIS name takes as many columns as it has bytes.
    const std::string name = data.GetUserName(i);
    const int pad = 32 - static_cast<int>(name.size());
    std::printf("%s %2d  %-5u  %s%*s %s\n", i == data.GetLastUserIndex() ? "*" : " ", i,
                static_cast<unsigned>(data.GetUserID(i)), ToTerminalText(name).c_str(),
                pad > 0 ? pad : 0, "", ToTerminalText(data.GetUserFolder(i)).c_str());
  }
  std::printf("* the last user to synchronise\n");
}

void Install(const THotSyncOptions& o) {
  DataFolder();
  if (!platform::FileExists(o.file)) throw TCommandError("no file " + o.file, kExitBadInput);
  TUserData data;
  if (o.user < 0 || o.user >= data.GetCount()) {
    throw TCommandError("no user " + std::to_string(o.user) + " (see vesko hotsync users)",
                        kExitBadInput);
  }
  if (!data.Install(o.user, o.file)) {
    throw TCommandError("couldn't queue " + o.file + " for " +
                        ToTerminalText(data.GetUserName(o.user)));
  }
  std::printf("queued %s for %s (ID %u)\n", o.file.c_str(),
              ToTerminalText(data.GetUserName(o.user)).c_str(),
              static_cast<unsigned>(data.GetUserID(o.user)));
}

// A folder name made from the user's name: its ASCII letters and digits.
std::string FolderFor(const std::string& name, std::uint16_t id) {
  std::string folder;
  for (const char c : name) {
    if (((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) &&
        folder.size() < 31) {
      folder += c;
    }
  }
  return folder.empty() ? "User" + std::to_string(id) : folder;
}

// NAME[:ID[:FOLDER]], the n-th user given.
TPalmUser ParseUser(const std::string& text, std::size_t n) {
  const std::size_t first = text.find(':');
  const std::size_t second = first == std::string::npos ? first : text.find(':', first + 1);
  TPalmUser user;
  user.name = FromTerminalText(text.substr(0, first));
  user.id = static_cast<std::uint16_t>(1001 + n);
  if (first != std::string::npos && first + 1 != second && first + 1 != text.size()) {
    const std::string id = text.substr(first + 1, second - first - 1);
    unsigned value = 0;
    const auto [end, error] = std::from_chars(id.data(), id.data() + id.size(), value);
    if (error != std::errc() || end != id.data() + id.size() || value > 0xFFFF) {
      throw TCommandError("the user ID in \"" + text + "\" isn't a number 0..65535", kExitBadInput);
    }
    user.id = static_cast<std::uint16_t>(value);
  }
  user.folder = second != std::string::npos ? text.substr(second + 1)
                                            : FolderFor(text.substr(0, first), user.id);
  if (user.name.empty() || user.name.size() > 31 || user.folder.empty() ||
      user.folder.size() > 31) {
    throw TCommandError("a user's name and folder take 1 to 31 bytes: \"" + text + "\"",
                        kExitBadInput);
  }
  return user;
}

void Setup(const THotSyncOptions& o) {
  DataFolder();
  std::vector<TPalmUser> users;
  for (std::size_t i = 0; i < o.users.size(); ++i) users.push_back(ParseUser(o.users[i], i));
  const std::string last =
      !o.last.empty() ? FromTerminalText(o.last) : (users.empty() ? "" : users[0].name);
  const std::string path = std::filesystem::absolute(o.path).string();
  WritePalmDesktop(TUserData::kRootKeys[o.old_root ? 0 : 1], path, users, last);
  for (const TPalmUser& user : users) platform::MakeDirectory(JoinPath(path, user.folder));
  std::printf("Palm Desktop at %s with %zu user(s)\n", path.c_str(), users.size());
}

}  // namespace

void RegisterHotSyncCommands(CLI::App& app) {
  static THotSyncOptions options;
  CLI::App* hotsync = app.add_subcommand("hotsync", "Palm Desktop users and the install queue");
  hotsync->require_subcommand(1);

  hotsync->add_subcommand("users", "List the Palm Desktop users (* marks the last one)")
      ->callback(Users);

  CLI::App* install = hotsync->add_subcommand(
      "install", "Queue a file for a user's next HotSync, as the export does");
  install->add_option("FILE", options.file, "The file to install, e.g. a .pdb")->required();
  install->add_option("--user", options.user, "User index from `vesko hotsync users`")->required();
  install->callback([] { Install(options); });

  CLI::App* setup = hotsync->add_subcommand(
      "setup", "Set up a Palm Desktop here: its registry keys and users.dat");
  setup->add_option("--path", options.path, "The Palm Desktop folder (created)")->required();
  setup->add_option("--user", options.users, "A user: NAME[:ID[:FOLDER]]; repeat for more")
      ->type_name("NAME[:ID[:FOLDER]]");
  setup->add_option("--last", options.last, "The last user's name (default: the first user)");
  setup->add_flag("--us-robotics", options.old_root,
                  "Use the older registry root Software\\U.S. Robotics");
  setup->callback([] { Setup(options); });
}

}  // namespace vesko::tools
