// The host's user interface as the plug-in reaches it: message boxes, the message pump,
// posted commands and menus. On Windows these are the Win32 calls on the host's HWND and
// HMENU. On Linux the vesko host owns windows and menus; these functions reach it through
// the THostUi object that the host program exports (platform/posix/HostUi.h), and do the
// plain fallback (print to stderr, nothing to pump) when no host is loaded.
// Texts are Shift JIS bytes, as the rest of the plug-in holds them.
#pragma once

#include <string>

#include "platform/types.h"

namespace vesko::platform {

// A modal message box with an OK button, owned by owner (may be null).
void ShowMessageBox(THandle owner, const std::string& text, const std::string& caption,
                    TMessageIcon icon) noexcept;

// Lets the host process its pending window messages (repaints, user input).
void ProcessMessages() noexcept;

// Posts WM_COMMAND with command_id and 0 to window; does not wait for it.
void PostCommand(THandle window, unsigned command_id) noexcept;

// Menus. Positions count from 0; a missing sub-menu is null, a separator's ID is 0 and a
// sub-menu's ID is ~0u (0xFFFFFFFF).
THandle SubMenuAt(THandle menu, int position);
int MenuItemCountOf(THandle menu);
unsigned MenuItemIdAt(THandle menu, int position);
// Inserts before position (at the end when position is the count). False on failure.
bool InsertMenuText(THandle menu, int position, unsigned command_id, const std::string& text);
bool InsertMenuSeparator(THandle menu, int position);

}  // namespace vesko::platform
