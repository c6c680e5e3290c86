// TSettingsForm is the settings dialog without its window: the value, visibility and
// enabled state of every control, the handlers that set them from the settings file and
// the Palm Desktop's users, and the handler that writes them back. A view
// (platform/settings_form.h: the Windows dialog, the Linux terminal form) shows this state
// and passes the user's changes in; tests drive the handlers directly.
//
//   FormCreate   reads the Palm Desktop's users (TUserData); without a Palm Desktop, or
//                with a user file that can't be read (EPalmDesktopError), there is no
//                UserData and the HotSync controls are disabled.
//   FormShow     sets every control from the settings file.
//   chAutoInstallClick  the enabling rule: with HotSync chosen the user list is enabled
//                and the save folder disabled, otherwise the reverse.
//   btnOKClick   writes the settings; throws EOSError and leaves the form as it was when
//                the file can't be written.
//   Cancel       writes nothing.
//
// The form owns its UserData. Without the Japanese language the three double-byte options
// are hidden: ZentoHan and ZentoHanKana are then written as false, DelDBSpace not at all.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "host/Settings.h"
#include "hotsync/AutoInst.h"
#include "platform/settings_form.h"

namespace vesko {

using platform::TControlState;
using platform::TSettingsControl;

class TSettingsForm : public platform::TSettingsFormModel {
 public:
  // language: the user's language abbreviation (platform::UserLanguageAbbreviation).
  TSettingsForm(std::string settings_path, std::string language);
  ~TSettingsForm() override;

  void FormCreate();
  void FormShow();
  void chAutoInstallClick();
  void btnOKClick();
  void Cancel() {}

  const TUserData* UserData() const { return user_data_.get(); }
  bool Japanese() const;  // the language is "jpn", in any letter case

  // platform::TSettingsFormModel
  const TControlState& State(TSettingsControl control) const override;
  const std::vector<std::string>& UserNames() const override { return user_names_; }
  void SetValue(TSettingsControl control, int value) override;
  void SetText(TSettingsControl control, const std::string& text) override;
  void Apply() override { btnOKClick(); }

 private:
  TControlState& At(TSettingsControl control);
  bool Checked(TSettingsControl control) const { return State(control).value != 0; }

  std::string settings_path_;
  std::string language_;
  std::unique_ptr<TUserData> user_data_;
  std::array<TControlState, platform::kSettingsControlCount> controls_;
  std::vector<std::string> user_names_;
  TSettings shown_{};  // what FormShow read: keys without a control are written back as read
};

// Creates the form, reads the settings and shows it through the platform's view; the
// body of BKC_OnPlugInSetup. True when the user applied. Throws what FormCreate throws.
bool RunSettingsForm(const std::string& settings_path);

}  // namespace vesko
