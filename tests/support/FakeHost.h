// TFakeHost stands in for the mail client in unit tests: an in-memory folder of mails served
// through the host functions that the export calls, bound into PlugIn().api. It records
// what the plug-in does to the host: selections, message boxes, posted commands and which
// character-set converter each text went through. The converters and the header decoder
// hand their input back unchanged. The raw sources and the converters' results are
// blocks allocated for the plug-in, as the mail client's are: live_blocks counts those
// not yet given back with BKA_Free, foreign_frees the frees of anything else. One fake exists at a time; it restores the plug-in's
// state when it goes.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "export/ExportUi.h"
#include "platform/types.h"

namespace vesko::fake {

struct TFakeMail {
  std::string id;
  std::string source;  // the raw mail, CR LF line ends
  bool read = false;
  bool selected = false;
};

struct TShownMessage {
  THandle owner;
  std::string text, caption;
  TMessageIcon icon;
};

class TFakeHost : public TExportUi {
 public:
  // Binds the fake into PlugIn(): settings file root/Vesko.ini, data folder root/Data/,
  // temporary folder root/Temp/ (both created). root is an existing folder.
  explicit TFakeHost(const std::string& root);
  ~TFakeHost() override;

  void AddMail(const std::string& id, const std::string& source, bool read = false,
               bool selected = false);
  // Writes a key of the plug-in's settings file.
  void SetOption(const std::string& section, const std::string& key, const std::string& value);
  // Files in the temporary folder.
  std::vector<std::string> TempFiles() const;

  std::vector<TFakeMail> mails;
  std::string data_folder, temp_folder, current_folder = "box\\Inbox\\";
  std::string display_name = "[box]/Inbox";
  THandle main_window;

  std::vector<std::string> selections;  // BKA_SetSel, in order
  std::vector<unsigned> posted_commands;
  std::vector<TShownMessage> messages;
  std::vector<std::string> converters;  // the converter each text went through
  bool converters_fail = false;         // the converters return null
  std::function<void()> on_pump;        // runs whenever the plug-in pumps messages
  std::function<void()> on_temp_file;   // runs when the plug-in asks for a temporary file
  int temp_files_handed_out = 0;
  int live_blocks = 0;
  int foreign_frees = 0;

  void ShowMessage(THandle owner, const std::string& text, const std::string& caption,
                   TMessageIcon icon) noexcept override;
  void ProcessMessages() noexcept override;
  void PostCommand(THandle window, unsigned command_id) noexcept override;

  static TFakeHost& Current();
};

}  // namespace vesko::fake
