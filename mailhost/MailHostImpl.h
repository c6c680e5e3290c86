// The inside of the vesko mail host: the open store, the current folder with its mail
// list and selection, the window and menu objects that the plug-in's handles point at,
// the commands the plug-in registered, and the loaded plug-in. The exported host
// functions (HostFunctions.cpp) and the UI hooks (HostUi.cpp) work on this one object.
#pragma once

#include <deque>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "host/BeckyAPI.h"
#include "mailhost/MailHost.h"
#include "mailhost/MailStore.h"

namespace vesko::mailhost {

// A window of the host: the main window keeps the posted commands.
struct TWindow {
  std::string name;
  std::deque<unsigned> posted;  // WM_COMMAND IDs, oldest first
};

// A menu: its items in order. A drop-down item holds its sub-menu.
struct TMenu {
  struct TItem {
    unsigned id = 0;  // 0 for a separator
    std::string text;  // Shift JIS
    TMenu* sub = nullptr;
    bool separator = false;
  };
  std::vector<TItem> items;
};

struct TRegisteredCommand {
  unsigned id = 0;
  int menu_type = 0;
  std::string description;
  TBeckyCommandProc proc = nullptr;
  TBeckyUICallback state = nullptr;
};

// The plug-in library and its exported entry points.
struct TLoadedPlugIn {
  void* library = nullptr;
  int(VESKO_STDCALL* on_start)() = nullptr;
  int(VESKO_STDCALL* on_menu_init)(HOSTHANDLE, HOSTHANDLE, int) = nullptr;
  int(VESKO_STDCALL* on_setup)(HOSTHANDLE) = nullptr;
  int(VESKO_STDCALL* on_info)(void*) = nullptr;
};

class TMailHost::TImpl {
 public:
  TImpl();

  THostFolders host_folders;

  // Store and folder.
  std::unique_ptr<TMailStore> store;
  std::string store_path;
  std::string box_name;
  std::vector<std::string> folders;
  std::string folder;  // the current folder's name, empty without a store
  std::vector<TMailEntry> mails;
  std::map<std::string, std::size_t> mail_index;  // ID to position in mails
  bool listed = false;  // mails hold the current folder's listing

  void Open(const std::string& path);
  void Select(const std::string& name);
  void Refresh();  // lists the current folder again, keeping the selection
  const TMailEntry* Find(const std::string& id) const;
  TMailEntry* Find(const std::string& id);
  std::string FolderId(const std::string& name) const;  // "Folders/<box>/Inbox/"
  std::string FolderFromId(const std::string& id) const;  // "" when unknown
  std::string DisplayName(const std::string& name) const;
  std::string MailboxId() const;
  // Marks the selected unread mails read, except those whose source couldn't be served;
  // the mails left unread go to skipped. Never throws: a store that can't mark leaves
  // every selected mail in skipped, with the store's reason.
  void MarkSelectedRead();
  // The mail's raw source as the plug-in gets it: CR LF line ends, and a space for each
  // NUL byte, which would end the zero-terminated text. A mail that can't be read gives
  // "" and is kept in unreadable, so that it is never marked read.
  std::string ServeSource(const std::string& id);
  std::map<std::string, std::string> unreadable;  // ID: why its source couldn't be read
  std::vector<TSkippedMail> skipped;              // left unread by the last marking

  // Windows and menus.
  TWindow main_window{"main"}, tree_view{"tree"}, list_view{"list"}, message_view{"view"};
  std::vector<std::unique_ptr<TMenu>> menus;  // every menu object, the four roots first
  TMenu* roots[kMenuTypeCount] = {};
  TMenu* AsMenu(THandle handle) const;  // null for a handle that is not one of ours
  TMenu* NewMenu();
  void BuildMenus();

  // The plug-in and its commands.
  TLoadedPlugIn plugin;
  std::vector<TRegisteredCommand> commands;
  unsigned next_command_id = 40001;
  TRegisteredCommand* FindCommand(unsigned id);
  bool Enabled(const TRegisteredCommand& command);
  void Run(const TRegisteredCommand& command);

  // The blocks of BKA_Alloc still live, and the frees of blocks that weren't.
  std::set<void*> blocks;
  int foreign_frees = 0;

  // The message queue and what the plug-in showed.
  void ProcessQueue();
  void PumpFromPlugIn() noexcept;  // the plug-in's ProcessMessages
  std::vector<TMessageRecord> messages;
  std::function<void(const TMessageRecord&)> sink;
  std::function<void()> pump_hook;
  std::string pending_error;  // a failure inside a pump the plug-in ran, reported later
  int pump_depth = 0;
};

TMailHost::TImpl& HostImpl();

}  // namespace vesko::mailhost
