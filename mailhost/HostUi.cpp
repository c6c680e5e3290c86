// The host's side of the plug-in's user interface calls: message boxes are recorded and
// printed, the pump runs the host's message queue, and menus are the host's TMenu objects.
#include "platform/posix/HostUi.h"

#include <exception>

#include "platform/export.h"
#include "mailhost/MailHostImpl.h"

namespace vesko::mailhost {
namespace {

class THostUiImpl : public platform::THostUi {
 public:
  void ShowMessage(THandle, const std::string& text, const std::string& caption,
                   TMessageIcon icon) noexcept override {
    try {
      TMailHost::TImpl& host = HostImpl();
      host.messages.push_back({caption, text, icon});
      if (host.sink) host.sink(host.messages.back());
    } catch (...) {
      // Nothing may go back into the plug-in; a message that can't be kept is lost.
    }
  }

  void ProcessMessages() noexcept override { HostImpl().PumpFromPlugIn(); }

  void PostCommand(THandle window, unsigned command_id) noexcept override {
    TMailHost::TImpl& host = HostImpl();
    if (window != &host.main_window) return;  // only the main window has a queue
    try {
      host.main_window.posted.push_back(command_id);
    } catch (...) {
    }
  }

  THandle SubMenuAt(THandle menu, int position) noexcept override {
    const TMenu::TItem* item = ItemAt(menu, position);
    return item != nullptr ? item->sub : nullptr;
  }

  int MenuItemCountOf(THandle menu) noexcept override {
    const TMenu* found = HostImpl().AsMenu(menu);
    return found != nullptr ? static_cast<int>(found->items.size()) : -1;
  }

  unsigned MenuItemIdAt(THandle menu, int position) noexcept override {
    const TMenu::TItem* item = ItemAt(menu, position);
    if (item == nullptr || item->sub != nullptr) return ~0u;
    return item->separator ? 0u : item->id;
  }

  bool InsertMenuText(THandle menu, int position, unsigned command_id,
                      const std::string& text) noexcept override {
    return Insert(menu, position, {command_id, text, nullptr, false});
  }

  bool InsertMenuSeparator(THandle menu, int position) noexcept override {
    return Insert(menu, position, {0, "", nullptr, true});
  }

 private:
  static const TMenu::TItem* ItemAt(THandle menu, int position) {
    const TMenu* found = HostImpl().AsMenu(menu);
    if (found == nullptr || position < 0 || position >= static_cast<int>(found->items.size())) {
      return nullptr;
    }
    return &found->items[static_cast<std::size_t>(position)];
  }

  static bool Insert(THandle menu, int position, TMenu::TItem item) noexcept {
    TMenu* found = HostImpl().AsMenu(menu);
    if (found == nullptr || position < 0) return false;
    // As with Windows menus, a position past the end appends.
    const std::size_t at = std::min(static_cast<std::size_t>(position), found->items.size());
    try {
      found->items.insert(found->items.begin() + static_cast<std::ptrdiff_t>(at), std::move(item));
    } catch (...) {
      return false;
    }
    return true;
  }
};

}  // namespace
}  // namespace vesko::mailhost

VESKO_API vesko::platform::THostUi* VeskoHostUi() {
  static vesko::mailhost::THostUiImpl host_ui;
  return &host_ui;
}
