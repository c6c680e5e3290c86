// TMailHost is the vesko program's stand-in for the mail client: it serves one local mail
// store (a Maildir, an mbox file, a folder of mbox files or a folder of .eml files) through
// the exported host functions, owns the main window with its message queue and the menus,
// and loads the plug-in library from the plug-in folder. There is one host per process,
// since the host functions that the plug-in calls are plain exported functions. The program
// that owns the host tells it its folders (SetFolders) before it opens a store or loads
// the plug-in.
//
// A command uses it as the mail client would:
//   TMailHost& host = TMailHost::Instance();
//   host.SetFolders({data, plugins, temp});
//   host.OpenStore(path);             // empty path: <data folder>/Mail
//   host.SelectFolder("Inbox");
//   host.SetSelection({id, ...});     // optional
//   host.LoadPlugIn();                // BKC_OnStart and BKC_OnMenuInit for menu types 0..3
//   if (auto id = host.CommandFor(kMainMenu); id && host.CommandEnabled(*id))
//     host.RunCommand(*id);           // runs the callback, then the message queue
//   host.messages();                  // the message boxes the plug-in showed
//
// Store, folder and plug-in errors throw EMailHostError with a message for the user; file
// errors throw EOSError. Texts that the plug-in sees and shows are
// Shift JIS; the TMessageRecord texts stay Shift JIS, the printed ones are UTF-8.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/HostProtocol.h"
#include "mailhost/MailHostError.h"
#include "platform/types.h"

namespace vesko::mailhost {

// Where the host keeps its files, each with a trailing delimiter. The data and plug-in
// folders are there already; the temporary folder is made when it is first asked for.
struct THostFolders {
  std::string data;     // the data folder, as BKA_GetDataFolder gives it
  std::string plugins;  // the plug-in library and its settings file
  std::string temp;     // BKA_GetTempFolder, and the temporary files
};

// The name of the host's temporary files and folders in its temporary folder: prefix, the
// process ID, "-" and a unique part (platform::CreateUniqueFile, CreateUniqueFolder).
inline constexpr char kTempFilePrefix[] = "vesko";

enum class TStoreKind { kMaildir, kMbox, kMboxFolder, kEmlFolder };

// A mail that marking left unread, and why (a text for the user).
struct TSkippedMail {
  std::string id;
  std::string reason;
};
const char* StoreKindName(TStoreKind kind);  // "maildir", "mbox", "mbox folder", "eml"

// One mail of the current folder, in the folder's list (delivery) order.
struct TMailEntry {
  std::string id;        // the mail ID handed to the plug-in
  bool read = false;     // status bit 0
  bool selected = false;
};

// One message box that the plug-in showed.
struct TMessageRecord {
  std::string caption;  // Shift JIS
  std::string text;     // Shift JIS
  TMessageIcon icon = TMessageIcon::kInformation;
};

// A command that the plug-in registered with BKA_RegisterCommand.
struct TPlugInCommand {
  unsigned id = 0;
  int menu_type = 0;
  std::string description;  // Shift JIS
  bool has_state = false;   // a state callback was registered for it
};

// The four texts of BKC_OnPlugInInfo, as the plug-in wrote them (Shift JIS).
struct TPlugInInfo {
  std::string name, vendor, version, description;
};

class TMailHost {
 public:
  static TMailHost& Instance();

  TMailHost(const TMailHost&) = delete;
  TMailHost& operator=(const TMailHost&) = delete;
  ~TMailHost();

  void SetFolders(const THostFolders& folders);
  const THostFolders& folders() const;

  // --- The store -------------------------------------------------------------------
  // Opens a store and makes its first folder current; the kind is told from what lies at
  // path. An empty path means <data folder>/Mail. Closes any store opened before.
  void OpenStore(const std::string& path);
  bool store_open() const;
  TStoreKind store_kind() const;
  std::string mailbox_name() const;         // the store's name, shown as "[name]"
  // "Inbox", "Lists/ml", ... in tree order, in UTF-8 (Maildir++ names in modified UTF-7
  // decoded). BKA_GetFolderDisplayName gives the plug-in the same names in Shift JIS.
  std::vector<std::string> FolderNames() const;
  // Makes a folder current by the name FolderNames gives (also "[box]/Inbox/...", the
  // Maildir++ dotted form, or the name in modified UTF-7). Empty: the first folder. Clears
  // the selection.
  void SelectFolder(const std::string& name);
  std::string CurrentFolderName() const;
  std::string CurrentFolderId() const;       // relative to the data folder, ends with '/'
  std::string CurrentFolderDisplayName() const;  // "[box]/Inbox/sub"
  std::vector<TMailEntry> Mails() const;     // the current folder, list order
  // The raw source with CR LF line ends, as BKA_GetSource hands it out. Throws
  // EMailHostError when the current folder has no such mail.
  std::string Source(const std::string& mail_id) const;
  // Selects exactly these mails of the current folder. Throws EMailHostError for an ID
  // that is not there.
  void SetSelection(const std::vector<std::string>& mail_ids);

  // --- The plug-in -----------------------------------------------------------------
  // Installs the plug-in (InstallPlugIn), loads it, refuses it when its load failed (a
  // host function missing), then
  // calls BKC_OnStart and BKC_OnMenuInit for the four menus. Throws EMailHostError.
  void LoadPlugIn();
  // Copies the Vesko.so that came with the vesko program (beside it in the build folder,
  // in <prefix>/lib/vesko/ when installed) into the plug-in folder when missing or
  // different, and returns the path of the plug-in there. Throws EMailHostError when
  // there is none.
  std::string InstallPlugIn();
  // Loads without the start and menu calls (for looking at the menus before them).
  void LoadPlugInOnly();
  void InitMenus();  // BKC_OnMenuInit for menu types 0..3
  void UnloadPlugIn();
  bool plugin_loaded() const;
  TPlugInInfo PlugInInfo();  // BKC_OnPlugInInfo
  int PlugInSetup();         // BKC_OnPlugInSetup's result

  std::vector<TPlugInCommand> Commands() const;
  // The first command registered for a menu type, if any.
  std::optional<unsigned> CommandFor(int menu_type) const;
  // Asks the command's state callback: false when it says "disabled".
  bool CommandEnabled(unsigned command_id);
  // Runs the command's callback as if the user chose it, then the message queue.
  void RunCommand(unsigned command_id);
  // Throws EMailHostError saying why when the current folder's mails can't be marked read
  // now (the store's lock, a folder that can't be written): asked before an export, so
  // that no e-book goes out whose mails would stay unread.
  void CheckCanMark();
  // The mails that the last command's marking left unread, with the reason: mails whose
  // source couldn't be read, and those the store couldn't mark.
  const std::vector<TSkippedMail>& skipped() const;

  // --- The main window and the menus ----------------------------------------------------
  // Handles the queued window messages: WM_COMMAND 10511 marks the selected mails of the
  // current folder read; a plug-in command's ID runs that command.
  void ProcessMessageQueue();
  // Queues WM_COMMAND command_id for the main window, as a user's menu choice would.
  void PostCommand(unsigned command_id);
  THandle main_window() const;
  THandle menu(int menu_type) const;
  // The menu as lines: one per item ("  32774 text", "  ----", "  40001 text [disabled]"),
  // drop-downs indented under their title; texts in UTF-8. States are asked of the
  // plug-in when ask_state is true.
  std::string RenderMenu(int menu_type, bool ask_state);

  // --- The host's memory -------------------------------------------------------------
  // Blocks handed out by BKA_Alloc (sources, converted texts) and not yet freed, and the
  // BKA_Free calls for blocks the host never handed out.
  std::size_t LiveBlocks() const;
  int ForeignFrees() const;

  // --- What the plug-in showed -------------------------------------------------------
  const std::vector<TMessageRecord>& messages() const;
  void ClearMessages();
  // Called for each message box as it is shown. The default prints "[Caption] text" in
  // UTF-8 to stdout; an empty function prints nothing.
  void SetMessageSink(std::function<void(const TMessageRecord&)> sink);
  // Called each time the plug-in lets the host process its messages, before the queue is
  // handled: lets a test act as the user during a long command.
  void SetProcessMessagesHook(std::function<void()> hook);

  class TImpl;  // the host's inside, shared with the exported host functions
  TImpl& impl() { return *impl_; }

 private:
  TMailHost();
  std::unique_ptr<TImpl> impl_;
};

}  // namespace vesko::mailhost
