#include "host/BeckyAPI.h"

#include <cstdint>
#include <type_traits>

#include "platform/module.h"

namespace vesko {

const char* const kBeckyFunctionNames[kBeckyFunctionCount] = {
    "BKA_GetVersion",
    "BKA_Command",
    "BKA_GetWindowHandles",
    "BKA_RegisterCommand",
    "BKA_RegisterUICallback",
    "BKA_GetDataFolder",
    "BKA_GetTempFolder",
    "BKA_GetTempFileName",
    "BKA_GetCurrentMailBox",
    "BKA_SetCurrentMailBox",
    "BKA_GetCurrentFolder",
    "BKA_SetCurrentFolder",
    "BKA_GetFolderDisplayName",
    "BKA_SetMessageText",
    "BKA_GetCurrentMail",
    "BKA_SetCurrentMail",
    "BKA_GetNextMail",
    "BKA_SetSel",
    "BKA_AppendMessage",
    "BKA_MoveSelectedMessages",
    "BKA_GetStatus",
    "BKA_ComposeMail",
    "BKA_GetCharSet",
    "BKA_GetSource",
    "BKA_SetSource",
    "BKA_GetHeader",
    "BKA_GetText",
    "BKA_SetText",
    "BKA_GetSpecifiedHeader",
    "BKA_SetSpecifiedHeader",
    "BKA_CompGetCharSet",
    "BKA_CompGetSource",
    "BKA_CompSetSource",
    "BKA_CompGetHeader",
    "BKA_CompGetSpecifiedHeader",
    "BKA_CompSetSpecifiedHeader",
    "BKA_CompGetText",
    "BKA_CompSetText",
    "BKA_CompAttachFile",
    "BKA_Alloc",
    "BKA_ReAlloc",
    "BKA_Free",
    "BKA_ISO_2022_JP",
    "BKA_ISO_2022_KR",
    "BKA_HZ_GB2312",
    "BKA_ISO_8859_2",
    "BKA_EUC_JP",
    "BKA_UTF_7",
    "BKA_UTF_8",
    "BKA_B64Convert",
    "BKA_QPConvert",
    "BKA_MIMEHeader",
    "BKA_SerializeRcpts",
    "BKA_Connect",
};

bool TBeckyAPI::Bind() {
  if (module_ != nullptr) return true;
  return Bind(platform::MainModuleHandle(), &platform::FindProcAddress);
}

bool TBeckyAPI::Bind(void* module, void* (*lookup)(void* module, const char* name)) {
  if (module_ != nullptr) return true;
  // Module handles below 32 are error codes, as with the old loader calls.
  if (reinterpret_cast<std::uintptr_t>(module) < 32) return false;
  int index = 0;
  // Looks the next name up into slot; the slots are listed below in the names' order.
  auto next = [&](auto& slot) {
    void* address = lookup(module, kBeckyFunctionNames[index++]);
    if (address == nullptr) return false;
    slot = reinterpret_cast<std::remove_reference_t<decltype(slot)>>(address);
    return true;
  };
  const bool all =
      next(BKA_GetVersion) && next(BKA_Command) && next(BKA_GetWindowHandles) &&
      next(BKA_RegisterCommand) && next(BKA_RegisterUICallback) && next(BKA_GetDataFolder) &&
      next(BKA_GetTempFolder) && next(BKA_GetTempFileName) && next(BKA_GetCurrentMailBox) &&
      next(BKA_SetCurrentMailBox) && next(BKA_GetCurrentFolder) && next(BKA_SetCurrentFolder) &&
      next(BKA_GetFolderDisplayName) && next(BKA_SetMessageText) && next(BKA_GetCurrentMail) &&
      next(BKA_SetCurrentMail) && next(BKA_GetNextMail) && next(BKA_SetSel) &&
      next(BKA_AppendMessage) && next(BKA_MoveSelectedMessages) && next(BKA_GetStatus) &&
      next(BKA_ComposeMail) && next(BKA_GetCharSet) && next(BKA_GetSource) && next(BKA_SetSource) &&
      next(BKA_GetHeader) && next(BKA_GetText) && next(BKA_SetText) &&
      next(BKA_GetSpecifiedHeader) && next(BKA_SetSpecifiedHeader) && next(BKA_CompGetCharSet) &&
      next(BKA_CompGetSource) && next(BKA_CompSetSource) && next(BKA_CompGetHeader) &&
      next(BKA_CompGetSpecifiedHeader) && next(BKA_CompSetSpecifiedHeader) &&
      next(BKA_CompGetText) && next(BKA_CompSetText) && next(BKA_CompAttachFile) &&
      next(BKA_Alloc) && next(BKA_ReAlloc) && next(BKA_Free) && next(BKA_ISO_2022_JP) &&
      next(BKA_ISO_2022_KR) && next(BKA_HZ_GB2312) && next(BKA_ISO_8859_2) && next(BKA_EUC_JP) &&
      next(BKA_UTF_7) && next(BKA_UTF_8) && next(BKA_B64Convert) && next(BKA_QPConvert) &&
      next(BKA_MIMEHeader) && next(BKA_SerializeRcpts) && next(BKA_Connect);
  // A partly bound table counts as unbound; the pointers found so far stay.
  module_ = all && index == kBeckyFunctionCount ? module : nullptr;
  return module_ != nullptr;
}

std::string HostText(const char* text) { return text != nullptr ? std::string(text) : ""; }

std::string TakeHostText(const TBeckyAPI& api, char* text) {
  if (text == nullptr) return {};
  std::string copy = text;
  api.BKA_Free(text);
  return copy;
}

}  // namespace vesko
