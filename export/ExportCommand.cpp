#include "export/ExportCommand.h"

#include <exception>

#include "export/ComvertDoc.h"
#include "export/ExportUi.h"
#include "export/Messages.h"
#include "host/PlugIn.h"

namespace vesko {
namespace {

// Set while an export runs: the message pump inside it can deliver the command again.
bool export_running = false;

class TRunningExport {
 public:
  TRunningExport() { export_running = true; }
  ~TRunningExport() { export_running = false; }
  TRunningExport(const TRunningExport&) = delete;
  TRunningExport& operator=(const TRunningExport&) = delete;
};

void ShowNoMail() {
  ExportUi().ShowMessage(PlugIn().main_window, kNoMailMessage, kVeskoCaption,
                         TMessageIcon::kInformation);
}

void ShowFailure(const std::string& reason) noexcept {
  try {
    ExportUi().ShowMessage(PlugIn().main_window, FormatText(kExportFailedMessage, {reason}),
                           kErrorCaption, TMessageIcon::kError);
  } catch (...) {
    // Out of memory for the text: nothing more can be told.
  }
}

}  // namespace

void RunExportCommand() noexcept {
  if (export_running) return;
  TRunningExport running;
  try {
    if (CountTargets() == 0) {
      ShowNoMail();
      return;
    }
    TComvertDoc doc;
    if (doc.Export() == TExportResult::kNothing) ShowNoMail();
  } catch (const std::exception& e) {
    ShowFailure(e.what());
  } catch (...) {
    ShowFailure("unexpected error");
  }
}

}  // namespace vesko
