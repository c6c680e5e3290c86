// The Linux mail host's side of the plug-in's user interface. The vesko program exports
// VeskoHostUi(), which hands the plug-in one THostUi object; platform/posix/ui.cpp finds it
// with dlsym at run time, so the plug-in library itself does not link against the host.
// Windows and menus are host objects: a THandle that the plug-in got from the host points
// at one of them, and the host checks every handle it is given before it uses it.
// Texts are Shift JIS bytes. No function throws: the calls come from inside the plug-in.
#pragma once

#include <string>

#include "platform/types.h"

namespace vesko::platform {

class THostUi {
 public:
  virtual ~THostUi() = default;

  // A message box with an OK button, owned by owner (may be null).
  virtual void ShowMessage(THandle owner, const std::string& text, const std::string& caption,
                           TMessageIcon icon) noexcept = 0;
  // Lets the host handle its pending window messages (and any simulated user input).
  virtual void ProcessMessages() noexcept = 0;
  // Queues WM_COMMAND with command_id and 0 for window; handled by the host's pump later.
  virtual void PostCommand(THandle window, unsigned command_id) noexcept = 0;

  // Menus, with the meanings of platform/ui.h. An unknown handle gives null, -1, ~0u or false.
  virtual THandle SubMenuAt(THandle menu, int position) noexcept = 0;
  virtual int MenuItemCountOf(THandle menu) noexcept = 0;
  virtual unsigned MenuItemIdAt(THandle menu, int position) noexcept = 0;
  virtual bool InsertMenuText(THandle menu, int position, unsigned command_id,
                              const std::string& text) noexcept = 0;
  virtual bool InsertMenuSeparator(THandle menu, int position) noexcept = 0;
};

// The name of the host's exported function: extern "C" THostUi* VeskoHostUi().
inline constexpr const char* kHostUiFunctionName = "VeskoHostUi";
using THostUiFunction = THostUi* (*)();

}  // namespace vesko::platform
