// TBeckyAPI is the plug-in's one table of the host's functions. The host exports them by
// name from its executable; Bind() looks each one up in the process's main module, in slot
// order, and fails as soon as one is missing. Every other unit calls the host through this
// table. All functions use the host's calling convention (stdcall on Windows); texts are
// zero-terminated Shift JIS; mail and folder IDs are such texts, handed out by the host.
// Most texts that the host returns belong to the host (HostText copies them). The raw
// source of BKA_GetSource and the results of the seven converters are blocks the host
// allocated for the caller with BKA_Alloc: TakeHostText copies one and gives it back with
// BKA_Free at once, so a long-running client loses no memory to an export.
#pragma once

#include <cstdint>
#include <string>

#include "platform/export.h"

namespace vesko {

// The host's basic types, as they cross the boundary.
using BOOL32 = std::int32_t;  // 0 false, non-zero true; the plug-in passes -1 for true
using DWORD32 = std::uint32_t;
using HOSTHANDLE = void*;  // HWND or HMENU of the host
using HOSTPARAM = std::intptr_t;  // LPARAM

// A command callback registered with BKA_RegisterCommand.
using TBeckyCommandProc = void(VESKO_STDCALL*)(HOSTHANDLE window, HOSTPARAM param);
// A state callback registered with BKA_RegisterUICallback: the state bits of the command.
using TBeckyUICallback = std::uint32_t(VESKO_STDCALL*)(HOSTHANDLE window, HOSTPARAM param);

// One function type per slot. The names follow the host functions without their prefix.
namespace bka {
using GetVersion = int(VESKO_STDCALL*)();
using Command = void(VESKO_STDCALL*)(HOSTHANDLE window, const char* command);
using GetWindowHandles = BOOL32(VESKO_STDCALL*)(HOSTHANDLE* main, HOSTHANDLE* tree,
                                                HOSTHANDLE* list, HOSTHANDLE* view);
using RegisterCommand = std::uint32_t(VESKO_STDCALL*)(const char* description, int type,
                                                      TBeckyCommandProc proc);
using RegisterUICallback = std::uint32_t(VESKO_STDCALL*)(std::uint32_t command_id,
                                                         TBeckyUICallback proc);
using GetText0 = const char*(VESKO_STDCALL*)();             // a text, no arguments
using SetText1 = void(VESKO_STDCALL*)(const char* text);    // takes one text
using GetTempFileName = const char*(VESKO_STDCALL*)(const char* extension);
using GetFolderDisplayName = const char*(VESKO_STDCALL*)(const char* folder_id);
using SetMessageText = void(VESKO_STDCALL*)(HOSTHANDLE window, const char* text);
using GetNextMail = int(VESKO_STDCALL*)(int start, char* mail_id, int size, BOOL32 selected);
using SetSel = void(VESKO_STDCALL*)(const char* mail_id, BOOL32 select);
using AppendMessage = BOOL32(VESKO_STDCALL*)(const char* folder_id, const char* data);
using MoveSelectedMessages = BOOL32(VESKO_STDCALL*)(const char* folder_id, BOOL32 copy);
using GetStatus = DWORD32(VESKO_STDCALL*)(const char* mail_id);
using ComposeMail = HOSTHANDLE(VESKO_STDCALL*)(const char* url);
using GetCharSet = int(VESKO_STDCALL*)(const char* mail_id, char* buffer, int size);
using GetSource = char*(VESKO_STDCALL*)(const char* mail_id);
using SetSource = void(VESKO_STDCALL*)(const char* mail_id, const char* source);
using GetHeader = char*(VESKO_STDCALL*)(const char* mail_id);
using GetTextPart = char*(VESKO_STDCALL*)(char* mime_type, int size);
using SetTextPart = void(VESKO_STDCALL*)(int mode, const char* text);
using GetSpecifiedHeader = void(VESKO_STDCALL*)(const char* header, char* buffer, int size);
using SetSpecifiedHeader = void(VESKO_STDCALL*)(const char* header, const char* value);
using CompGetCharSet = int(VESKO_STDCALL*)(HOSTHANDLE window, char* buffer, int size);
using CompGetSource = char*(VESKO_STDCALL*)(HOSTHANDLE window);
using CompSetSource = void(VESKO_STDCALL*)(HOSTHANDLE window, const char* source);
using CompGetHeader = char*(VESKO_STDCALL*)(HOSTHANDLE window);
using CompGetSpecifiedHeader = void(VESKO_STDCALL*)(HOSTHANDLE window, const char* header,
                                                    char* buffer, int size);
using CompSetSpecifiedHeader = void(VESKO_STDCALL*)(HOSTHANDLE window, const char* header,
                                                    const char* value);
using CompGetText = char*(VESKO_STDCALL*)(HOSTHANDLE window, char* mime_type, int size);
using CompSetText = void(VESKO_STDCALL*)(HOSTHANDLE window, int mode, const char* text);
using CompAttachFile = void(VESKO_STDCALL*)(HOSTHANDLE window, const char* path,
                                            const char* mime_type);
using Alloc = void*(VESKO_STDCALL*)(int size);
using ReAlloc = void*(VESKO_STDCALL*)(void* block, int size);
using Free = void(VESKO_STDCALL*)(void* block);
// A character-set converter: encode false converts the text to the local code page.
using Converter = char*(VESKO_STDCALL*)(const char* text, BOOL32 encode);
using FileConvert = BOOL32(VESKO_STDCALL*)(const char* out_file, const char* in_file,
                                           BOOL32 encode);
// Decodes (encode false) or encodes a header value into buffer of size bytes.
using MIMEHeader = char*(VESKO_STDCALL*)(const char* in, char* buffer, int size, BOOL32 encode);
using SerializeRcpts = char*(VESKO_STDCALL*)(const char* recipients);
using Connect = BOOL32(VESKO_STDCALL*)(BOOL32 start);
}  // namespace bka

// The host function names in slot order.
inline constexpr int kBeckyFunctionCount = 54;
extern const char* const kBeckyFunctionNames[kBeckyFunctionCount];

class TBeckyAPI {
 public:
  TBeckyAPI() = default;
  TBeckyAPI(const TBeckyAPI&) = delete;
  TBeckyAPI& operator=(const TBeckyAPI&) = delete;

  // Looks every host function up in the main module. True when all 54 were found (at
  // once when already bound); on the first missing name the table counts as unbound.
  bool Bind();
  // The same with a custom look-up, for tests: lookup(name) gives the address or null.
  bool Bind(void* module, void* (*lookup)(void* module, const char* name));
  bool bound() const { return module_ != nullptr; }

  // The slots, in the host's order. Each is null until bound.
  bka::GetVersion BKA_GetVersion = nullptr;
  bka::Command BKA_Command = nullptr;
  bka::GetWindowHandles BKA_GetWindowHandles = nullptr;
  bka::RegisterCommand BKA_RegisterCommand = nullptr;
  bka::RegisterUICallback BKA_RegisterUICallback = nullptr;
  bka::GetText0 BKA_GetDataFolder = nullptr;
  bka::GetText0 BKA_GetTempFolder = nullptr;
  bka::GetTempFileName BKA_GetTempFileName = nullptr;
  bka::GetText0 BKA_GetCurrentMailBox = nullptr;
  bka::SetText1 BKA_SetCurrentMailBox = nullptr;
  bka::GetText0 BKA_GetCurrentFolder = nullptr;
  bka::SetText1 BKA_SetCurrentFolder = nullptr;
  bka::GetFolderDisplayName BKA_GetFolderDisplayName = nullptr;
  bka::SetMessageText BKA_SetMessageText = nullptr;
  bka::GetText0 BKA_GetCurrentMail = nullptr;
  bka::SetText1 BKA_SetCurrentMail = nullptr;
  bka::GetNextMail BKA_GetNextMail = nullptr;
  bka::SetSel BKA_SetSel = nullptr;
  bka::AppendMessage BKA_AppendMessage = nullptr;
  bka::MoveSelectedMessages BKA_MoveSelectedMessages = nullptr;
  bka::GetStatus BKA_GetStatus = nullptr;
  bka::ComposeMail BKA_ComposeMail = nullptr;
  bka::GetCharSet BKA_GetCharSet = nullptr;
  bka::GetSource BKA_GetSource = nullptr;
  bka::SetSource BKA_SetSource = nullptr;
  bka::GetHeader BKA_GetHeader = nullptr;
  bka::GetTextPart BKA_GetText = nullptr;
  bka::SetTextPart BKA_SetText = nullptr;
  bka::GetSpecifiedHeader BKA_GetSpecifiedHeader = nullptr;
  bka::SetSpecifiedHeader BKA_SetSpecifiedHeader = nullptr;
  bka::CompGetCharSet BKA_CompGetCharSet = nullptr;
  bka::CompGetSource BKA_CompGetSource = nullptr;
  bka::CompSetSource BKA_CompSetSource = nullptr;
  bka::CompGetHeader BKA_CompGetHeader = nullptr;
  bka::CompGetSpecifiedHeader BKA_CompGetSpecifiedHeader = nullptr;
  bka::CompSetSpecifiedHeader BKA_CompSetSpecifiedHeader = nullptr;
  bka::CompGetText BKA_CompGetText = nullptr;
  bka::CompSetText BKA_CompSetText = nullptr;
  bka::CompAttachFile BKA_CompAttachFile = nullptr;
  bka::Alloc BKA_Alloc = nullptr;
  bka::ReAlloc BKA_ReAlloc = nullptr;
  bka::Free BKA_Free = nullptr;
  bka::Converter BKA_ISO_2022_JP = nullptr;
  bka::Converter BKA_ISO_2022_KR = nullptr;
  bka::Converter BKA_HZ_GB2312 = nullptr;
  bka::Converter BKA_ISO_8859_2 = nullptr;
  bka::Converter BKA_EUC_JP = nullptr;
  bka::Converter BKA_UTF_7 = nullptr;
  bka::Converter BKA_UTF_8 = nullptr;
  bka::FileConvert BKA_B64Convert = nullptr;
  bka::FileConvert BKA_QPConvert = nullptr;
  bka::MIMEHeader BKA_MIMEHeader = nullptr;
  bka::SerializeRcpts BKA_SerializeRcpts = nullptr;
  bka::Connect BKA_Connect = nullptr;

 private:
  void* module_ = nullptr;  // the host module, null until bound
};

// A text that the host keeps, copied; null gives the empty text.
std::string HostText(const char* text);

// A block that the host allocated for the plug-in: copied, then released with BKA_Free.
// Null gives the empty text and frees nothing.
std::string TakeHostText(const TBeckyAPI& api, char* text);

}  // namespace vesko
