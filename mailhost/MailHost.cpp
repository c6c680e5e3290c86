// The vesko mail host: stores, folders, selection, menus, the message queue and the
// plug-in's load. See MailHost.h.
#include "mailhost/MailHost.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <type_traits>

#include "platform/files.h"
#include "platform/module.h"
#include "platform/syserror.h"
#include "mailhost/Charsets.h"
#include "mailhost/MailHostImpl.h"
#include "mailhost/ModifiedUtf7.h"

namespace vesko::mailhost {
namespace {

constexpr const char* kFolderIdRoot = "Folders/";

// The store's name as "[name]" shows it: its file or folder name, without ".mbox", and
// without the characters that would confuse a folder path or the brackets.
std::string BoxNameOf(const std::string& path) {
  std::string name = path;
  while (name.size() > 1 && name.back() == '/') name.pop_back();
  name = name.substr(name.rfind('/') + 1);
  for (const char* ext : {".mbox", ".mbx"}) {
    if (name.size() > std::strlen(ext) && name.ends_with(ext)) {
      name.resize(name.size() - std::strlen(ext));
    }
  }
  for (char& c : name) {
    if (c == '[' || c == ']' || c == '\\' || static_cast<unsigned char>(c) < 0x20) c = '_';
  }
  if (name.empty() || name == "." || name == "..") name = "mail";
  return name;
}

// The plug-in library that came with the program: beside it in the build folder, or in the
// plug-in folder of the installed tree (VESKO_PLUGIN_FROM_BIN, relative to the program's
// folder). Empty when there is none.
std::string ProgramsPlugIn() {
  const std::string folder = platform::ProgramFolder();
  if (folder.empty()) return {};
  for (const std::string& path :
       {folder + platform::kPlugInFileName,
        folder + VESKO_PLUGIN_FROM_BIN + "/" + platform::kPlugInFileName}) {
    if (platform::FileExists(path)) return path;
  }
  return {};
}

void PrintMessage(const TMessageRecord& message) {
  std::printf("[%s] %s\n", Cp932ToUtf8(message.caption).c_str(),
              Cp932ToUtf8(message.text).c_str());
  std::fflush(stdout);
}

}  // namespace

// --- TImpl: store and folders ------------------------------------------------------------

TMailHost::TImpl::TImpl() : sink(PrintMessage) { BuildMenus(); }

TMailHost::TImpl& HostImpl() { return TMailHost::Instance().impl(); }

void TMailHost::TImpl::Open(const std::string& path) {
  std::unique_ptr<TMailStore> opened;
  try {
    opened = OpenMailStore(path);
  } catch (const EMailStoreError& e) {
    throw EMailHostError(e.what(), EMailHostError::kBadInput);
  }
  std::vector<std::string> names = opened->Folders();
  if (names.empty()) {
    throw EMailHostError(path + " holds no mail folder (its .sbd folders hold no mbox file)",
                         EMailHostError::kBadInput);
  }
  store = std::move(opened);
  unreadable.clear();
  skipped.clear();
  store_path = path;
  box_name = BoxNameOf(path);
  folders = std::move(names);
  folder.clear();
  Select("");
}

void TMailHost::TImpl::Select(const std::string& name) {
  if (!store) throw EMailHostError("no mail store is open");
  std::string wanted = name;
  // Also accepted: the display name "[box]/Inbox/sub" and the dotted Maildir++ name.
  const std::string prefix = "[" + box_name + "]/";
  if (wanted.starts_with(prefix)) wanted = wanted.substr(prefix.size());
  while (wanted.size() > 1 && wanted.back() == '/') wanted.pop_back();
  if (wanted.empty()) wanted = folders.front();
  std::string slashed = wanted;
  std::replace(slashed.begin(), slashed.end(), '.', '/');
  if (slashed.starts_with("Inbox/")) slashed = slashed.substr(6);
  // A Maildir++ name as an IMAP server writes it, in modified UTF-7, finds its folder too.
  std::vector<std::string> candidates{wanted, slashed};
  for (const std::string& candidate : {wanted, slashed}) {
    if (auto decoded = DecodeModifiedUtf7(candidate)) candidates.push_back(std::move(*decoded));
  }
  auto found = folders.end();
  for (const std::string& candidate : candidates) {
    found = std::find(folders.begin(), folders.end(), candidate);
    if (found != folders.end()) break;
  }
  if (found == folders.end()) {
    throw EMailHostError("no folder \"" + name + "\" in " + store_path, EMailHostError::kBadInput);
  }
  // Opening a store lists its first folder; choosing that folder again keeps the listing.
  if (*found == folder && listed) return;
  folder = *found;
  mails.clear();
  Refresh();
}

void TMailHost::TImpl::Refresh() {
  std::set<std::string> selected;
  for (const TMailEntry& mail : mails) {
    if (mail.selected) selected.insert(mail.id);
  }
  mails.clear();
  mail_index.clear();
  listed = false;
  if (!store) return;
  for (const TStoredMail& stored : store->List(folder)) {
    mail_index[stored.id] = mails.size();
    mails.push_back({stored.id, stored.read, selected.count(stored.id) != 0});
  }
  listed = true;
}

const TMailEntry* TMailHost::TImpl::Find(const std::string& id) const {
  const auto found = mail_index.find(id);
  return found == mail_index.end() ? nullptr : &mails[found->second];
}

TMailEntry* TMailHost::TImpl::Find(const std::string& id) {
  const auto found = mail_index.find(id);
  return found == mail_index.end() ? nullptr : &mails[found->second];
}

std::string TMailHost::TImpl::MailboxId() const {
  return store ? std::string(kFolderIdRoot) + box_name + "/" : std::string();
}

std::string TMailHost::TImpl::FolderId(const std::string& name) const {
  return store ? MailboxId() + name + "/" : std::string();
}

std::string TMailHost::TImpl::FolderFromId(const std::string& id) const {
  for (const std::string& name : folders) {
    if (FolderId(name) == id) return name;
  }
  return {};
}

std::string TMailHost::TImpl::DisplayName(const std::string& name) const {
  return store ? "[" + box_name + "]/" + name : std::string();
}

void TMailHost::TImpl::MarkSelectedRead() {
  if (!store) return;
  std::vector<std::string> ids;
  for (const TMailEntry& mail : mails) {
    if (!mail.selected || mail.read) continue;
    const auto failed = unreadable.find(mail.id);
    if (failed != unreadable.end()) {
      skipped.push_back({mail.id, "it could not be read (" + failed->second + ")"});
    } else {
      ids.push_back(mail.id);
    }
  }
  if (ids.empty()) return;
  try {
    std::set<std::string> left;
    for (TSkippedMail& mail : store->MarkRead(folder, ids)) {
      left.insert(mail.id);
      skipped.push_back(std::move(mail));
    }
    // Every mail the store did not give back is read now; the folder isn't listed again.
    for (const std::string& id : ids) {
      if (left.count(id) == 0) Find(id)->read = true;
    }
  } catch (const std::exception& e) {
    for (const std::string& id : ids) skipped.push_back({id, e.what()});
  }
}

std::string TMailHost::TImpl::ServeSource(const std::string& id) {
  std::string source;
  try {
    source = ToCrLf(store->Read(folder, id));
  } catch (const EOSError& e) {
    unreadable[id] = platform::SystemErrorText(e.code());
    return source;
  } catch (const EMailStoreError& e) {
    unreadable[id] = e.what();
    return source;
  }
  if (std::memchr(source.data(), '\0', source.size()) != nullptr) {
    std::replace(source.begin(), source.end(), '\0', ' ');
  }
  return source;
}

// --- TImpl: menus and commands --------------------------------------------------------

TMenu* TMailHost::TImpl::NewMenu() {
  menus.push_back(std::make_unique<TMenu>());
  return menus.back().get();
}

TMenu* TMailHost::TImpl::AsMenu(THandle handle) const {
  for (const auto& menu : menus) {
    if (menu.get() == handle) return menu.get();
  }
  return nullptr;
}

void TMailHost::TImpl::BuildMenus() {
  menus.clear();
  auto item = [](unsigned id, const char* text) { return TMenu::TItem{id, text, nullptr, false}; };
  const TMenu::TItem separator{0, "", nullptr, true};
  for (TMenu*& root : roots) root = NewMenu();

  struct TDropDown {
    const char* title;
    std::vector<TMenu::TItem> items;
  };
  const TDropDown bar[] = {
      {"File", {item(32771, "Save As..."), item(32772, "Import..."), separator,
                item(kMainMenuAnchor, "Print..."), separator, item(57665, "Exit")}},
      {"Edit", {item(57634, "Copy"), item(57642, "Select All")}},
      {"Mail", {item(32780, "Check Mail"), item(kMarkAsReadCommand, "Mark as Read"),
                item(10512, "Mark as Unread")}},
  };
  for (const TDropDown& drop_down : bar) {
    TMenu* sub = NewMenu();
    sub->items = drop_down.items;
    roots[kMainMenu]->items.push_back({~0u, drop_down.title, sub, false});
  }
  roots[kListMenu]->items = {item(32801, "Reply"), item(32802, "Forward"), separator,
                             item(kMarkAsReadCommand, "Mark as Read")};
  roots[kTreeMenu]->items = {item(32796, "New Folder..."), item(32797, "Rename Folder..."),
                             separator, item(kTreeMenuAnchor, "Properties...")};
  roots[kMessageMenu]->items = {item(57634, "Copy"), item(57642, "Select All")};
}

TRegisteredCommand* TMailHost::TImpl::FindCommand(unsigned id) {
  for (TRegisteredCommand& command : commands) {
    if (command.id == id) return &command;
  }
  return nullptr;
}

bool TMailHost::TImpl::Enabled(const TRegisteredCommand& command) {
  if (command.state == nullptr) return true;
  return (command.state(&main_window, 0) & 1u) == 0;
}

void TMailHost::TImpl::Run(const TRegisteredCommand& command) {
  if (command.proc != nullptr) command.proc(&main_window, 0);
}

// --- TImpl: the message queue -------------------------------------------------------------

void TMailHost::TImpl::ProcessQueue() {
  while (!main_window.posted.empty()) {
    const unsigned id = main_window.posted.front();
    main_window.posted.pop_front();
    if (id == kMarkAsReadCommand) {
      MarkSelectedRead();
    } else if (TRegisteredCommand* command = FindCommand(id)) {
      // As in the menu: a command that its state callback disables can't be chosen.
      if (Enabled(*command)) Run(*command);
    }
  }
}

void TMailHost::TImpl::PumpFromPlugIn() noexcept {
  if (pump_depth > 8) return;  // a hook that pumps again must not recurse without end
  ++pump_depth;
  try {
    if (pump_hook) pump_hook();
    ProcessQueue();
  } catch (const std::exception& e) {
    if (pending_error.empty()) pending_error = e.what();
  } catch (...) {
    if (pending_error.empty()) pending_error = "unexpected error in the message queue";
  }
  --pump_depth;
}

// --- TMailHost ----------------------------------------------------------------------------

TMailHost& TMailHost::Instance() {
  static TMailHost host;
  return host;
}

TMailHost::TMailHost() : impl_(std::make_unique<TImpl>()) {}
TMailHost::~TMailHost() { UnloadPlugIn(); }

void TMailHost::SetFolders(const THostFolders& folders) { impl_->host_folders = folders; }
const THostFolders& TMailHost::folders() const { return impl_->host_folders; }

void TMailHost::OpenStore(const std::string& path) {
  impl_->Open(path.empty() ? impl_->host_folders.data + "Mail" : path);
}
bool TMailHost::store_open() const { return impl_->store != nullptr; }
TStoreKind TMailHost::store_kind() const {
  if (!impl_->store) throw EMailHostError("no mail store is open");
  return impl_->store->kind();
}
std::string TMailHost::mailbox_name() const { return impl_->box_name; }
std::vector<std::string> TMailHost::FolderNames() const { return impl_->folders; }
void TMailHost::SelectFolder(const std::string& name) { impl_->Select(name); }
std::string TMailHost::CurrentFolderName() const { return impl_->folder; }
std::string TMailHost::CurrentFolderId() const { return impl_->FolderId(impl_->folder); }
std::string TMailHost::CurrentFolderDisplayName() const {
  return impl_->DisplayName(impl_->folder);
}
std::vector<TMailEntry> TMailHost::Mails() const { return impl_->mails; }

std::string TMailHost::Source(const std::string& mail_id) const {
  if (impl_->Find(mail_id) == nullptr) {
    throw EMailHostError("no mail " + mail_id + " in folder " + impl_->folder, EMailHostError::kBadInput);
  }
  std::string source = impl_->ServeSource(mail_id);
  const auto failed = impl_->unreadable.find(mail_id);
  if (failed != impl_->unreadable.end()) {
    throw EMailHostError("mail " + mail_id + " can't be read: " + failed->second);
  }
  return source;
}

void TMailHost::SetSelection(const std::vector<std::string>& mail_ids) {
  for (const std::string& id : mail_ids) {
    if (impl_->Find(id) == nullptr) {
      throw EMailHostError("no mail " + id + " in folder " + impl_->folder, EMailHostError::kBadInput);
    }
  }
  for (TMailEntry& mail : impl_->mails) mail.selected = false;
  for (const std::string& id : mail_ids) impl_->Find(id)->selected = true;
}

std::string TMailHost::InstallPlugIn() {
  // The plug-in built beside the program, or installed with it, is put into the plug-in
  // folder.
  const std::string source = ProgramsPlugIn();
  const std::string target = impl_->host_folders.plugins + platform::kPlugInFileName;
  if (!source.empty() &&
      (!platform::FileExists(target) ||
       platform::ReadWholeFile(source) != platform::ReadWholeFile(target))) {
    platform::WriteFileAtomic(target, platform::ReadWholeFile(source));
  }
  if (!platform::FileExists(target)) throw EMailHostError("no plug-in at " + target);
  return target;
}

void TMailHost::LoadPlugInOnly() {
  if (plugin_loaded()) return;
  const std::string target = InstallPlugIn();

  std::string error;
  // On Windows a library whose start fails (its host function table didn't bind) does
  // not load at all; a Linux library reports that through VeskoLoadFailed.
  void* library = platform::OpenLibrary(target, error);
  if (library == nullptr) throw EMailHostError("cannot load the plug-in: " + error);
  using TLoadFailed = int (*)();
  auto load_failed =
      reinterpret_cast<TLoadFailed>(platform::FindProcAddress(library, "VeskoLoadFailed"));
  if (load_failed != nullptr && load_failed() != 0) {
    platform::CloseLibrary(library);
    throw EMailHostError("the plug-in refused to load: the host lacks a function it needs");
  }
  TLoadedPlugIn& plugin = impl_->plugin;
  plugin.library = library;
  auto find = [&](auto& slot, const char* name) {
    slot = reinterpret_cast<std::remove_reference_t<decltype(slot)>>(
        platform::FindProcAddress(library, name));
  };
  find(plugin.on_start, "BKC_OnStart");
  find(plugin.on_menu_init, "BKC_OnMenuInit");
  find(plugin.on_setup, "BKC_OnPlugInSetup");
  find(plugin.on_info, "BKC_OnPlugInInfo");
}

void TMailHost::LoadPlugIn() {
  LoadPlugInOnly();
  if (impl_->plugin.on_start != nullptr) impl_->plugin.on_start();
  InitMenus();
}

void TMailHost::InitMenus() {
  if (!plugin_loaded() || impl_->plugin.on_menu_init == nullptr) return;
  for (int type = 0; type < kMenuTypeCount; ++type) {
    impl_->plugin.on_menu_init(&impl_->main_window, impl_->roots[type], type);
  }
}

void TMailHost::UnloadPlugIn() {
  if (!plugin_loaded()) return;
  platform::CloseLibrary(impl_->plugin.library);
  impl_->plugin = {};
  impl_->commands.clear();
  impl_->BuildMenus();
}

bool TMailHost::plugin_loaded() const { return impl_->plugin.library != nullptr; }

TPlugInInfo TMailHost::PlugInInfo() {
  if (impl_->plugin.on_info == nullptr) throw EMailHostError("the plug-in gives no information");
  char block[1024] = {};
  impl_->plugin.on_info(block);
  block[sizeof block - 1] = '\0';
  auto text = [&](std::size_t offset, std::size_t size) {
    return std::string(block + offset, strnlen(block + offset, size));
  };
  return {text(0, kInfoFieldSize), text(kInfoFieldSize, kInfoFieldSize),
          text(2 * kInfoFieldSize, kInfoFieldSize),
          text(kInfoDescriptionOffset, sizeof block - kInfoDescriptionOffset)};
}

int TMailHost::PlugInSetup() {
  if (impl_->plugin.on_setup == nullptr) throw EMailHostError("the plug-in has no setup");
  return impl_->plugin.on_setup(&impl_->main_window);
}

std::vector<TPlugInCommand> TMailHost::Commands() const {
  std::vector<TPlugInCommand> list;
  for (const TRegisteredCommand& command : impl_->commands) {
    list.push_back({command.id, command.menu_type, command.description, command.state != nullptr});
  }
  return list;
}

std::optional<unsigned> TMailHost::CommandFor(int menu_type) const {
  for (const TRegisteredCommand& command : impl_->commands) {
    if (command.menu_type == menu_type) return command.id;
  }
  return std::nullopt;
}

bool TMailHost::CommandEnabled(unsigned command_id) {
  TRegisteredCommand* command = impl_->FindCommand(command_id);
  if (command == nullptr) throw EMailHostError("no command " + std::to_string(command_id));
  return impl_->Enabled(*command);
}

void TMailHost::CheckCanMark() {
  if (!impl_->store) throw EMailHostError("no mail store is open");
  try {
    impl_->store->CheckCanMark(impl_->folder);
  } catch (const EVeskoError& e) {
    throw EMailHostError(e.what());
  }
}

const std::vector<TSkippedMail>& TMailHost::skipped() const { return impl_->skipped; }

void TMailHost::RunCommand(unsigned command_id) {
  TRegisteredCommand* command = impl_->FindCommand(command_id);
  if (command == nullptr) throw EMailHostError("no command " + std::to_string(command_id));
  impl_->pending_error.clear();
  impl_->unreadable.clear();
  impl_->skipped.clear();
  impl_->Run(*command);
  ProcessMessageQueue();
  if (!impl_->pending_error.empty()) {
    const std::string error = impl_->pending_error;
    impl_->pending_error.clear();
    throw EMailHostError(error);
  }
}

void TMailHost::ProcessMessageQueue() { impl_->ProcessQueue(); }
void TMailHost::PostCommand(unsigned command_id) {
  impl_->main_window.posted.push_back(command_id);
}
THandle TMailHost::main_window() const { return &impl_->main_window; }
THandle TMailHost::menu(int menu_type) const {
  return menu_type >= 0 && menu_type < kMenuTypeCount ? impl_->roots[menu_type] : nullptr;
}

std::string TMailHost::RenderMenu(int menu_type, bool ask_state) {
  std::string out;
  auto render = [&](auto& self, const TMenu& menu, int depth) -> void {
    const std::string indent(static_cast<std::size_t>(depth) * 2, ' ');
    for (const TMenu::TItem& item : menu.items) {
      if (item.separator) {
        out += indent + "----\n";
      } else if (item.sub != nullptr) {
        out += indent + Cp932ToUtf8(item.text) + "\n";
        self(self, *item.sub, depth + 1);
      } else {
        out += indent + std::to_string(item.id) + " " + Cp932ToUtf8(item.text);
        TRegisteredCommand* command = impl_->FindCommand(item.id);
        if (ask_state && command != nullptr && !impl_->Enabled(*command)) out += " [disabled]";
        out += "\n";
      }
    }
  };
  if (const TMenu* root = static_cast<const TMenu*>(menu(menu_type))) render(render, *root, 0);
  return out;
}

std::size_t TMailHost::LiveBlocks() const { return impl_->blocks.size(); }
int TMailHost::ForeignFrees() const { return impl_->foreign_frees; }

const std::vector<TMessageRecord>& TMailHost::messages() const { return impl_->messages; }
void TMailHost::ClearMessages() { impl_->messages.clear(); }
void TMailHost::SetMessageSink(std::function<void(const TMessageRecord&)> sink) {
  impl_->sink = std::move(sink);
}
void TMailHost::SetProcessMessagesHook(std::function<void()> hook) {
  impl_->pump_hook = std::move(hook);
}

}  // namespace vesko::mailhost
