// The plug-in's folder for one export with choices of its own (vesko export --target,
// --no-mark-read, --output, --title). The plug-in reads only the settings file beside its
// library, so the run loads it from a private folder, <temp>/vesko<pid>-XXXXXX/, that
// holds the installed library (a hard link, else a copy) and a copy of the stored settings
// file with the run's values written into it. The stored file is only ever read, so
// nothing the run does, nor its being killed, changes it. The folder goes when the run
// ends; one that a killed run left goes with the host's other leftovers
// (platform::RemoveLeftovers, after an hour, once its process is gone).
#pragma once

#include <string>
#include <vector>

#include "host/Settings.h"

namespace vesko::tools {

// A value of the run's settings file.
struct TRunSetting {
  const TSettingKey& key;
  std::string value;
};

class TRunPlugIn {
 public:
  // Makes the folder in temp_folder (created when missing): library is the installed
  // plug-in, stored_settings its settings file (it may be missing). The save folder is
  // written out whole, since its default is the folder of the settings file. Throws
  // EOSError.
  TRunPlugIn(const std::string& temp_folder, const std::string& library,
             const std::string& stored_settings, const std::vector<TRunSetting>& values);
  ~TRunPlugIn();  // removes the folder and what is in it
  TRunPlugIn(const TRunPlugIn&) = delete;
  TRunPlugIn& operator=(const TRunPlugIn&) = delete;

  const std::string& folder() const { return folder_; }  // with a trailing delimiter
  std::string settings_path() const;                      // the run's settings file

 private:
  void Remove() noexcept;
  std::string folder_;
  std::string library_;
};

}  // namespace vesko::tools
