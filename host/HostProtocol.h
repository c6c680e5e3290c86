// The fixed numbers that the mail client and its plug-ins agree on, used by both sides:
// the plug-in (host/Vesko.cpp, export/) and the vesko mail host (mailhost/).
#pragma once

#include <cstddef>

namespace vesko {

// The menus, by the menu type that BKC_OnMenuInit receives.
inline constexpr int kMainMenu = 0;     // the main window's menu bar
inline constexpr int kListMenu = 1;     // the mail list's pop-up
inline constexpr int kTreeMenu = 2;     // the folder tree's pop-up
inline constexpr int kMessageMenu = 3;  // the message view's pop-up
inline constexpr int kMenuTypeCount = 4;

// The plug-in's command goes before these items: in the main menu's first drop-down, and
// in the folder tree's pop-up.
inline constexpr unsigned kMainMenuAnchor = 32774;
inline constexpr unsigned kTreeMenuAnchor = 32798;

// The host's command that marks the selected mails read, posted to the main window as
// WM_COMMAND with this ID and 0.
inline constexpr unsigned kMarkAsReadCommand = 10511;

// The information block of BKC_OnPlugInInfo: name, vendor and version of 80 bytes each,
// then the description from byte 240 on.
inline constexpr std::size_t kInfoFieldSize = 80;
inline constexpr std::size_t kInfoDescriptionOffset = 240;

// The size that the plug-in gives BKA_GetNextMail for a mail ID; with its terminating
// zero, so an ID has at most kMailIdSize - 1 bytes.
inline constexpr int kMailIdSize = 255;

}  // namespace vesko
