// The plug-in library's main unit: its load and unload steps, the callbacks that the host
// calls by name, and the export command's two callbacks. Every function the host calls
// runs through Guarded (host/Guard.h), so no exception reaches the host.
#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

#include "export/ExportCommand.h"
#include "host/Guard.h"
#include "host/HostProtocol.h"
#include "host/PlugIn.h"
#include "host/Settings.h"
#include "host/SettingsPath.h"
#include "host/Version.h"
#include "host/VersionTexts.h"
#include "hotsync/SettingsForm.h"
#include "platform/export.h"
#include "platform/module.h"
#include "platform/ui.h"

namespace vesko {
namespace {

constexpr const char* kCommandDescription = "Export Doc Format";
// "Palm Doc形式でｴｸｽﾎﾟｰﾄ": the last six characters are half-width katakana.
constexpr const char* kMenuText =
    "Palm Doc\x8c\x60\x8e\xae\x82\xc5\xb4\xb8\xbd\xce\xdf\xb0\xc4";

constexpr const char* kPlugInName = "Export Doc format Plugin Vesko";
constexpr const char* kVendor = VESKO_COMPANY_NAME;
constexpr const char* kDescription = "Export Mail(s) by Palm Doc Format";

bool LoadPlugIn() noexcept {
  try {
    TPlugIn& plug_in = PlugIn();
    if (!plug_in.api.Bind()) return false;
    plug_in.settings_path = SettingsPathFor(platform::OwnModulePath());
    return !plug_in.settings_path.empty();
  } catch (...) {
    return false;
  }
}

void UnloadPlugIn() noexcept {
  TBeckyAPI& api = PlugIn().api;
  std::destroy_at(&api);
  std::construct_at(&api);
}

// The position of the first item with that command ID, or the position past the last.
int AnchorPosition(THandle menu, unsigned anchor) {
  const int count = platform::MenuItemCountOf(menu);
  for (int position = 0; position < count; ++position) {
    if (platform::MenuItemIdAt(menu, position) == anchor) return position;
  }
  return count < 0 ? 0 : count;
}

// Copies text into a field of the information block, cut to fit with its zero.
void CopyField(char* field, std::size_t size, const std::string& text) {
  const std::size_t length = std::min(text.size(), size - 1);
  std::memcpy(field, text.data(), length);
  field[length] = '\0';
}

// The export command, as registered with the host for both menus.
void VESKO_STDCALL OnExportCommand(HOSTHANDLE, HOSTPARAM) {
  Guarded(0, [] {
    RunExportCommand();
    return 0;
  });
}

// 1 tells the host to show the command disabled: with "MenuFlag" on (the default) while
// the folder has nothing to export.
std::uint32_t VESKO_STDCALL OnExportMenuState(HOSTHANDLE, HOSTPARAM) {
  // Asked each time a menu opens: a failure leaves the command enabled without a message
  // box, and choosing it shows the error.
  try {
    const TSettings settings = TSettings::Load(PlugIn().settings_path);
    return settings.MenuFlag && CountTargets(settings.Target) == 0 ? 1u : 0u;
  } catch (...) {
    return 0u;
  }
}

}  // namespace
}  // namespace vesko

VESKO_LIBRARY_ENTRY(vesko::LoadPlugIn, vesko::UnloadPlugIn)

using namespace vesko;

VESKO_API int VESKO_STDCALL BKC_OnStart() {
  return Guarded(0, [] {
    TPlugIn& plug_in = PlugIn();
    if (!plug_in.api.bound()) return 0;  // a host that ignored the failed load
    plug_in.api.BKA_GetWindowHandles(&plug_in.main_window, &plug_in.tree_view,
                                     &plug_in.list_view, &plug_in.message_view);
    return 0;
  });
}

VESKO_API int VESKO_STDCALL BKC_OnMenuInit(HOSTHANDLE, HOSTHANDLE menu, int type) {
  return Guarded(0, [&] {
    TBeckyAPI& api = PlugIn().api;
    if (!api.bound()) return 0;
    if (type == kMainMenu) {
      THandle drop_down = platform::SubMenuAt(menu, 0);
      const int position = AnchorPosition(drop_down, kMainMenuAnchor);
      const unsigned id = api.BKA_RegisterCommand(kCommandDescription, type, OnExportCommand);
      api.BKA_RegisterUICallback(id, OnExportMenuState);
      platform::InsertMenuText(drop_down, position, id, kMenuText);
    } else if (type == kTreeMenu) {
      const int position = AnchorPosition(menu, kTreeMenuAnchor);
      const unsigned id = api.BKA_RegisterCommand(kCommandDescription, type, OnExportCommand);
      api.BKA_RegisterUICallback(id, OnExportMenuState);
      // Separator first, then the item at the same place: item, separator, anchor.
      platform::InsertMenuSeparator(menu, position);
      platform::InsertMenuText(menu, position, id, kMenuText);
    }
    return 0;
  });
}

// Shows the settings form modally, with no owner. 1 tells the host that the plug-in has
// a setup, whichever way the form closed.
VESKO_API int VESKO_STDCALL BKC_OnPlugInSetup(HOSTHANDLE) {
  Guarded(false, [] { return RunSettingsForm(PlugIn().settings_path); });
  return 1;
}

VESKO_API int VESKO_STDCALL BKC_OnPlugInInfo(void* block) {
  return Guarded(0, [&] {
    if (block == nullptr) return 0;
    char* info = static_cast<char*>(block);
    CopyField(info, kInfoFieldSize, kPlugInName);
    CopyField(info + kInfoFieldSize, kInfoFieldSize, kVendor);
    CopyField(info + 2 * kInfoFieldSize, kInfoFieldSize, "");
    CopyField(info + kInfoDescriptionOffset, std::strlen(kDescription) + 1, kDescription);
    // The version last: a damaged resource must not leave the other fields empty.
    CopyField(info + 2 * kInfoFieldSize, kInfoFieldSize,
              "Ver " + GetVersionText(kFileVersionIndex));
    return 0;
  });
}
