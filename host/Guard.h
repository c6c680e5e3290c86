// The exception guard of the plug-in's entry points. The host may be built with another
// compiler and runtime, and an exception that unwinds into its frames ends the process,
// so every function that the host calls runs its body through Guarded: an error becomes
// one message box (caption "Error", owned by the host's main window) and the callback
// returns its failure value.
#pragma once

#include <exception>
#include <string>

#include "host/PlugIn.h"
#include "platform/ui.h"

namespace vesko {

// Shows an error that stopped a callback. Never throws.
inline void ShowCallbackError(const char* text) noexcept {
  try {
    platform::ShowMessageBox(PlugIn().main_window, text, "Error", TMessageIcon::kError);
  } catch (...) {
  }
}

template <typename R, typename Body>
R Guarded(R on_error, Body&& body) noexcept {
  try {
    return body();
  } catch (const std::exception& e) {
    ShowCallbackError(e.what());
  } catch (...) {
    ShowCallbackError("Vesko: unexpected error");
  }
  return on_error;
}

}  // namespace vesko
