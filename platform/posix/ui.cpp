// The plug-in's user interface on Linux goes through the THostUi object of the vesko host.
// Without a host in the process (a test program, another loader) messages go to stderr,
// there is nothing to pump, and menus can't be found or changed.
#include "platform/ui.h"

#include <dlfcn.h>

#include <cstdio>

#include "platform/posix/HostUi.h"

namespace vesko::platform {
namespace {

// Looked up at each call: the host may appear (or go) while the plug-in stays loaded,
// and the look-up costs little next to what the calls do.
THostUi* Host() noexcept {
  void* symbol = ::dlsym(RTLD_DEFAULT, kHostUiFunctionName);
  if (symbol == nullptr) return nullptr;
  return reinterpret_cast<THostUiFunction>(symbol)();
}

}  // namespace

void ShowMessageBox(THandle owner, const std::string& text, const std::string& caption,
                    TMessageIcon icon) noexcept {
  if (THostUi* host = Host()) return host->ShowMessage(owner, text, caption, icon);
  std::fprintf(stderr, "[%s] %s\n", caption.c_str(), text.c_str());
}

void ProcessMessages() noexcept {
  if (THostUi* host = Host()) host->ProcessMessages();
}

void PostCommand(THandle window, unsigned command_id) noexcept {
  if (THostUi* host = Host()) host->PostCommand(window, command_id);
}

THandle SubMenuAt(THandle menu, int position) {
  THostUi* host = Host();
  return host != nullptr ? host->SubMenuAt(menu, position) : nullptr;
}

int MenuItemCountOf(THandle menu) {
  THostUi* host = Host();
  return host != nullptr ? host->MenuItemCountOf(menu) : -1;
}

unsigned MenuItemIdAt(THandle menu, int position) {
  THostUi* host = Host();
  return host != nullptr ? host->MenuItemIdAt(menu, position) : ~0u;
}

bool InsertMenuText(THandle menu, int position, unsigned command_id, const std::string& text) {
  THostUi* host = Host();
  return host != nullptr && host->InsertMenuText(menu, position, command_id, text);
}

bool InsertMenuSeparator(THandle menu, int position) {
  THostUi* host = Host();
  return host != nullptr && host->InsertMenuSeparator(menu, position);
}

}  // namespace vesko::platform
