// Placeholder until the host's THostUi exists: messages go to stderr, the rest does nothing.
#include "platform/ui.h"

#include <cstdio>

namespace vesko::platform {

void ShowMessageBox(THandle, const std::string& text, const std::string& caption,
                    TMessageIcon) noexcept {
  std::fprintf(stderr, "[%s] %s\n", caption.c_str(), text.c_str());
}

void ProcessMessages() noexcept {}

void PostCommand(THandle, unsigned) noexcept {}

THandle SubMenuAt(THandle, int) { return nullptr; }
int MenuItemCountOf(THandle) { return -1; }
unsigned MenuItemIdAt(THandle, int) { return ~0u; }
bool InsertMenuText(THandle, int, unsigned, const std::string&) { return false; }
bool InsertMenuSeparator(THandle, int) { return false; }

}  // namespace vesko::platform
