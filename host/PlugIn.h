// The plug-in's library-wide state: the host function table, the settings file path and the
// host's window handles. Created when the library loads, released when it unloads. Units
// that talk to the host reach it through PlugIn().
#pragma once

#include <string>

#include "host/BeckyAPI.h"

namespace vesko {

struct TPlugIn {
  TBeckyAPI api;
  std::string settings_path;  // the plug-in's own path with ".ini" for its extension
  HOSTHANDLE main_window = nullptr;  // owns every message box, gets the mark-read command
  HOSTHANDLE tree_view = nullptr;
  HOSTHANDLE list_view = nullptr;
  HOSTHANDLE message_view = nullptr;
};

TPlugIn& PlugIn();

}  // namespace vesko
