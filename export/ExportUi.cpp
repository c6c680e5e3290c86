#include "export/ExportUi.h"

#include "platform/ui.h"

namespace vesko {
namespace {

TExportUi platform_ui;
TExportUi* current_ui = &platform_ui;

}  // namespace

void TExportUi::ShowMessage(THandle owner, const std::string& text, const std::string& caption,
                            TMessageIcon icon) noexcept {
  platform::ShowMessageBox(owner, text, caption, icon);
}

void TExportUi::ProcessMessages() noexcept { platform::ProcessMessages(); }

void TExportUi::PostCommand(THandle window, unsigned command_id) noexcept {
  platform::PostCommand(window, command_id);
}

TExportUi& ExportUi() { return *current_ui; }

void SetExportUi(TExportUi* ui) { current_ui = ui != nullptr ? ui : &platform_ui; }

}  // namespace vesko
