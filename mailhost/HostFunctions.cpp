// The 54 host functions, exported by name from the vesko program for the plug-in to bind.
// Each catches everything, so no exception goes back into the plug-in. The raw source
// (BKA_GetSource) and the converters' results are blocks allocated with BKA_Alloc for
// the caller, who gives them back with BKA_Free; the host counts those still live. Any
// other text that one of them returns stays valid until that same function is called
// again: each keeps one buffer of its own.
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

#include "host/BeckyAPI.h"
#include "platform/files.h"
#include "mailhost/Charsets.h"
#include "mailhost/MailHostImpl.h"

VESKO_API void* VESKO_STDCALL BKA_Alloc(int size);
VESKO_API void VESKO_STDCALL BKA_Free(void* block);

using vesko::BOOL32;
using vesko::DWORD32;
using vesko::HOSTHANDLE;
using vesko::HOSTPARAM;
using vesko::TBeckyCommandProc;
using vesko::TBeckyUICallback;

namespace vesko::mailhost {
namespace {

// Runs body; on any exception gives fallback instead.
template <typename R, typename Body>
R Safely(R fallback, Body&& body) noexcept {
  try {
    return body();
  } catch (...) {
    return fallback;
  }
}

template <typename Body>
void Safely(Body&& body) noexcept {
  try {
    body();
  } catch (...) {
  }
}

// Keeps a result in the calling function's own buffer and hands out its bytes.
char* Keep(std::string& buffer, std::string text) {
  buffer = std::move(text);
  return buffer.data();
}

std::string Text(const char* text) { return text != nullptr ? text : ""; }

void CopyOut(const std::string& text, char* buffer, int size) { CopyCp932(text, buffer, size); }

// A copy of text in a block of BKA_Alloc, or null when there is no memory.
char* Allocated(const std::string& text) {
  if (text.size() >= static_cast<std::size_t>(std::numeric_limits<int>::max())) return nullptr;
  char* block = static_cast<char*>(BKA_Alloc(static_cast<int>(text.size())));
  if (block != nullptr) std::memcpy(block, text.c_str(), text.size() + 1);
  return block;
}

char* Convert(const char* text, BOOL32 encode, const char* charset) {
  return Safely<char*>(nullptr, [&] {
    const std::string in = Text(text);
    return Allocated(encode ? FromCp932(in, charset) : ToCp932(in, charset));
  });
}

// The temporary folder, made when missing.
std::string TempFolder() {
  const std::string& folder = HostImpl().host_folders.temp;
  vesko::platform::MakeDirectory(folder);
  return folder;
}

constexpr int kHostVersion = 250;  // reported as the client's version 2.50

}  // namespace
}  // namespace vesko::mailhost

using namespace vesko::mailhost;

// --- The client and its windows --------------------------------------------------------

VESKO_API int VESKO_STDCALL BKA_GetVersion() { return kHostVersion; }

VESKO_API void VESKO_STDCALL BKA_Command(HOSTHANDLE, const char*) {}

VESKO_API BOOL32 VESKO_STDCALL BKA_GetWindowHandles(HOSTHANDLE* main, HOSTHANDLE* tree,
                                                    HOSTHANDLE* list, HOSTHANDLE* view) {
  TMailHost::TImpl& host = HostImpl();
  if (main != nullptr) *main = &host.main_window;
  if (tree != nullptr) *tree = &host.tree_view;
  if (list != nullptr) *list = &host.list_view;
  if (view != nullptr) *view = &host.message_view;
  return 1;
}

VESKO_API std::uint32_t VESKO_STDCALL BKA_RegisterCommand(const char* description, int type,
                                                          TBeckyCommandProc proc) {
  return Safely(0u, [&] {
    TMailHost::TImpl& host = HostImpl();
    const unsigned id = host.next_command_id++;
    host.commands.push_back({id, type, Text(description), proc, nullptr});
    return id;
  });
}

VESKO_API std::uint32_t VESKO_STDCALL BKA_RegisterUICallback(std::uint32_t command_id,
                                                             TBeckyUICallback proc) {
  TRegisteredCommand* command = HostImpl().FindCommand(command_id);
  if (command == nullptr) return 0;
  command->state = proc;
  return command_id;
}

// --- Folders -------------------------------------------------------------------------------

VESKO_API const char* VESKO_STDCALL BKA_GetDataFolder() {
  static std::string buffer;
  return Safely<const char*>("", [&] { return Keep(buffer, HostImpl().host_folders.data); });
}

VESKO_API const char* VESKO_STDCALL BKA_GetTempFolder() {
  static std::string buffer;
  return Safely<const char*>("", [&] { return Keep(buffer, TempFolder()); });
}

VESKO_API const char* VESKO_STDCALL BKA_GetTempFileName(const char* extension) {
  static std::string buffer;
  return Safely<const char*>("", [&] {
    // Only letters and digits of the extension are used: it must not lead elsewhere.
    std::string ext;
    for (const char c : Text(extension)) {
      if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) ext += c;
    }
    if (ext.size() > 16) ext.resize(16);
    // Exports killed before they could remove their file leave it here: clear them.
    const std::string folder = TempFolder();
    vesko::platform::RemoveLeftovers(folder, kTempFilePrefix, "");
    const std::string name =
        vesko::platform::CreateUniqueFile(folder, kTempFilePrefix, ext.empty() ? "" : "." + ext);
    return Keep(buffer, name);
  });
}

VESKO_API const char* VESKO_STDCALL BKA_GetCurrentMailBox() {
  static std::string buffer;
  return Safely<const char*>("", [&] { return Keep(buffer, HostImpl().MailboxId()); });
}

VESKO_API void VESKO_STDCALL BKA_SetCurrentMailBox(const char*) {}

VESKO_API const char* VESKO_STDCALL BKA_GetCurrentFolder() {
  static std::string buffer;
  return Safely<const char*>("", [&] {
    TMailHost::TImpl& host = HostImpl();
    return Keep(buffer, host.FolderId(host.folder));
  });
}

VESKO_API void VESKO_STDCALL BKA_SetCurrentFolder(const char* folder_id) {
  Safely([&] {
    TMailHost::TImpl& host = HostImpl();
    const std::string name = host.FolderFromId(Text(folder_id));
    if (!name.empty()) host.Select(name);
  });
}

VESKO_API const char* VESKO_STDCALL BKA_GetFolderDisplayName(const char* folder_id) {
  static std::string buffer;
  return Safely<const char*>("", [&] {
    TMailHost::TImpl& host = HostImpl();
    const std::string name = host.FolderFromId(Text(folder_id));
    // Folder names are UTF-8; the plug-in reads every text as Shift JIS.
    return Keep(buffer, name.empty() ? std::string() : Utf8ToCp932(host.DisplayName(name)));
  });
}

VESKO_API void VESKO_STDCALL BKA_SetMessageText(HOSTHANDLE, const char*) {}

// --- Mails -----------------------------------------------------------------------------------

VESKO_API const char* VESKO_STDCALL BKA_GetCurrentMail() {
  static std::string buffer;
  return Safely<const char*>("", [&] {
    for (const TMailEntry& mail : HostImpl().mails) {
      if (mail.selected) return Keep(buffer, mail.id);
    }
    return Keep(buffer, "");
  });
}

VESKO_API void VESKO_STDCALL BKA_SetCurrentMail(const char* mail_id) {
  TMailHost::TImpl& host = HostImpl();
  if (host.Find(Text(mail_id)) == nullptr) return;
  for (TMailEntry& mail : host.mails) mail.selected = mail.id == Text(mail_id);
}

VESKO_API int VESKO_STDCALL BKA_GetNextMail(int start, char* mail_id, int size,
                                            BOOL32 selected) {
  const std::vector<TMailEntry>& mails = HostImpl().mails;
  for (std::size_t i = start < 0 ? 0 : static_cast<std::size_t>(start) + 1; i < mails.size(); ++i) {
    if (selected == 0 || mails[i].selected) {
      CopyOut(mails[i].id, mail_id, size);
      return static_cast<int>(i);
    }
  }
  // After the last mail: an empty ID, whose status reads as unread.
  CopyOut("", mail_id, size);
  return -1;
}

VESKO_API void VESKO_STDCALL BKA_SetSel(const char* mail_id, BOOL32 select) {
  if (mail_id == nullptr) return;
  if (TMailEntry* mail = HostImpl().Find(mail_id)) mail->selected = select != 0;
}

VESKO_API BOOL32 VESKO_STDCALL BKA_AppendMessage(const char*, const char*) { return 0; }

VESKO_API BOOL32 VESKO_STDCALL BKA_MoveSelectedMessages(const char*, BOOL32) { return 0; }

VESKO_API DWORD32 VESKO_STDCALL BKA_GetStatus(const char* mail_id) {
  if (mail_id == nullptr) return 0;
  const TMailEntry* mail = HostImpl().Find(mail_id);
  return mail != nullptr && mail->read ? 1u : 0u;
}

VESKO_API HOSTHANDLE VESKO_STDCALL BKA_ComposeMail(const char*) { return nullptr; }

VESKO_API int VESKO_STDCALL BKA_GetCharSet(const char*, char* buffer, int size) {
  CopyOut("", buffer, size);
  return 0;
}

VESKO_API char* VESKO_STDCALL BKA_GetSource(const char* mail_id) {
  return Safely<char*>(nullptr, [&] {
    TMailHost::TImpl& host = HostImpl();
    const std::string id = Text(mail_id);
    if (host.Find(id) == nullptr) return Allocated("");
    return Allocated(host.ServeSource(id));
  });
}

VESKO_API void VESKO_STDCALL BKA_SetSource(const char*, const char*) {}

VESKO_API char* VESKO_STDCALL BKA_GetHeader(const char* mail_id) {
  static std::string buffer;
  static char empty[1] = "";
  return Safely(empty, [&] {
    char* block = BKA_GetSource(mail_id);
    const std::string source = block != nullptr ? block : "";
    BKA_Free(block);
    const std::size_t end = source.find("\r\n\r\n");
    return Keep(buffer, end == std::string::npos ? source : source.substr(0, end + 2));
  });
}

VESKO_API char* VESKO_STDCALL BKA_GetText(char* mime_type, int size) {
  static char empty[1] = "";
  CopyOut("", mime_type, size);
  return empty;
}

VESKO_API void VESKO_STDCALL BKA_SetText(int, const char*) {}

VESKO_API void VESKO_STDCALL BKA_GetSpecifiedHeader(const char*, char* buffer, int size) {
  CopyOut("", buffer, size);
}

VESKO_API void VESKO_STDCALL BKA_SetSpecifiedHeader(const char*, const char*) {}

// --- Composing windows: this host has none ----------------------------------------------

VESKO_API int VESKO_STDCALL BKA_CompGetCharSet(HOSTHANDLE, char* buffer, int size) {
  CopyOut("", buffer, size);
  return -1;
}

VESKO_API char* VESKO_STDCALL BKA_CompGetSource(HOSTHANDLE) { return nullptr; }
VESKO_API void VESKO_STDCALL BKA_CompSetSource(HOSTHANDLE, const char*) {}
VESKO_API char* VESKO_STDCALL BKA_CompGetHeader(HOSTHANDLE) { return nullptr; }
VESKO_API void VESKO_STDCALL BKA_CompGetSpecifiedHeader(HOSTHANDLE, const char*, char* buffer,
                                                        int size) {
  CopyOut("", buffer, size);
}
VESKO_API void VESKO_STDCALL BKA_CompSetSpecifiedHeader(HOSTHANDLE, const char*, const char*) {}
VESKO_API char* VESKO_STDCALL BKA_CompGetText(HOSTHANDLE, char* mime_type, int size) {
  CopyOut("", mime_type, size);
  return nullptr;
}
VESKO_API void VESKO_STDCALL BKA_CompSetText(HOSTHANDLE, int, const char*) {}
VESKO_API void VESKO_STDCALL BKA_CompAttachFile(HOSTHANDLE, const char*, const char*) {}

// --- Memory ------------------------------------------------------------------------------

// Blocks of size bytes and one more for a terminating zero. A block that the host did not
// hand out is neither freed nor resized: it is counted as a foreign free.
VESKO_API void* VESKO_STDCALL BKA_Alloc(int size) {
  return Safely<void*>(nullptr, [&]() -> void* {
    if (size < 0) return nullptr;
    void* block = std::malloc(static_cast<std::size_t>(size) + 1);
    if (block != nullptr) HostImpl().blocks.insert(block);
    return block;
  });
}

VESKO_API void* VESKO_STDCALL BKA_ReAlloc(void* block, int size) {
  if (block == nullptr) return BKA_Alloc(size);
  return Safely<void*>(nullptr, [&]() -> void* {
    TMailHost::TImpl& host = HostImpl();
    if (size < 0 || host.blocks.count(block) == 0) return nullptr;
    void* resized = std::realloc(block, static_cast<std::size_t>(size) + 1);
    if (resized == nullptr) return nullptr;
    host.blocks.erase(block);
    host.blocks.insert(resized);
    return resized;
  });
}

VESKO_API void VESKO_STDCALL BKA_Free(void* block) {
  if (block == nullptr) return;
  TMailHost::TImpl& host = HostImpl();
  if (host.blocks.erase(block) == 0) {
    ++host.foreign_frees;
    return;
  }
  std::free(block);
}

// --- Converters --------------------------------------------------------------------------

#define VESKO_HOST_CONVERTER(name, charset)                               \
  VESKO_API char* VESKO_STDCALL name(const char* text, BOOL32 encode) { \
    return Convert(text, encode, charset);                              \
  }

VESKO_HOST_CONVERTER(BKA_ISO_2022_JP, "iso-2022-jp")
VESKO_HOST_CONVERTER(BKA_ISO_2022_KR, "iso-2022-kr")
VESKO_HOST_CONVERTER(BKA_HZ_GB2312, "hz-gb-2312")
VESKO_HOST_CONVERTER(BKA_ISO_8859_2, "iso-8859-2")
VESKO_HOST_CONVERTER(BKA_EUC_JP, "euc-jp")
VESKO_HOST_CONVERTER(BKA_UTF_7, "utf-7")
VESKO_HOST_CONVERTER(BKA_UTF_8, "utf-8")

VESKO_API BOOL32 VESKO_STDCALL BKA_B64Convert(const char*, const char*, BOOL32) { return 0; }
VESKO_API BOOL32 VESKO_STDCALL BKA_QPConvert(const char*, const char*, BOOL32) { return 0; }

VESKO_API char* VESKO_STDCALL BKA_MIMEHeader(const char* in, char* buffer, int size,
                                             BOOL32 encode) {
  static std::string own;
  static char empty[1] = "";
  return Safely(empty, [&] {
    const std::string text = Text(in);
    std::string result;
    if (!encode) {
      result = DecodeMimeHeader(text);
    } else {
      result = EncodeMimeHeader(text);
    }
    if (buffer == nullptr || size <= 0) return Keep(own, result);
    CopyOut(result, buffer, size);
    return buffer;
  });
}

VESKO_API char* VESKO_STDCALL BKA_SerializeRcpts(const char* recipients) {
  static std::string buffer;
  static char empty[1] = "";
  return Safely(empty, [&] { return Keep(buffer, Text(recipients)); });
}

VESKO_API BOOL32 VESKO_STDCALL BKA_Connect(BOOL32) { return 0; }
