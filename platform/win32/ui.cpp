#include "platform/ui.h"

#include <windows.h>

namespace vesko::platform {

void ShowMessageBox(THandle owner, const std::string& text, const std::string& caption,
                    TMessageIcon icon) noexcept {
  UINT type = MB_OK;
  switch (icon) {
    case TMessageIcon::kInformation: type |= MB_ICONINFORMATION; break;
    case TMessageIcon::kError: type |= MB_ICONERROR; break;
    case TMessageIcon::kWarning: type |= MB_ICONWARNING; break;
  }
  ::MessageBoxA(static_cast<HWND>(owner), text.c_str(), caption.c_str(), type);
}

void ProcessMessages() noexcept {
  MSG msg;
  while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
}

void PostCommand(THandle window, unsigned command_id) noexcept {
  ::PostMessageA(static_cast<HWND>(window), WM_COMMAND, command_id, 0);
}

THandle SubMenuAt(THandle menu, int position) {
  return ::GetSubMenu(static_cast<HMENU>(menu), position);
}

int MenuItemCountOf(THandle menu) { return ::GetMenuItemCount(static_cast<HMENU>(menu)); }

unsigned MenuItemIdAt(THandle menu, int position) {
  return ::GetMenuItemID(static_cast<HMENU>(menu), position);
}

bool InsertMenuText(THandle menu, int position, unsigned command_id, const std::string& text) {
  return ::InsertMenuA(static_cast<HMENU>(menu), static_cast<UINT>(position),
                       MF_BYPOSITION | MF_STRING, command_id, text.c_str()) != FALSE;
}

bool InsertMenuSeparator(THandle menu, int position) {
  return ::InsertMenuA(static_cast<HMENU>(menu), static_cast<UINT>(position),
                       MF_BYPOSITION | MF_SEPARATOR, 0, nullptr) != FALSE;
}

}  // namespace vesko::platform
