// The user-interface calls of the export: message boxes, the message pump and the posted
// mark-as-read command. By default they go to the platform layer; tests put a recorder in
// their place, since a real message box would wait for a click.
#pragma once

#include <string>

#include "platform/types.h"

namespace vesko {

class TExportUi {
 public:
  virtual ~TExportUi() = default;
  virtual void ShowMessage(THandle owner, const std::string& text, const std::string& caption,
                           TMessageIcon icon) noexcept;
  virtual void ProcessMessages() noexcept;
  virtual void PostCommand(THandle window, unsigned command_id) noexcept;
};

// The interface in use. SetExportUi(nullptr) restores the platform's.
TExportUi& ExportUi();
void SetExportUi(TExportUi* ui);

}  // namespace vesko
