// The settings form's view: the Windows build shows the dialog from the plug-in library's
// resources, the Linux build a form in the terminal. Either view only shows the state of a
// TSettingsFormModel and passes the user's changes to it; the rules (what is enabled,
// what is written) live in the model (hotsync/SettingsForm.h). Texts are Shift JIS bytes.
#pragma once

#include <string>
#include <vector>

namespace vesko::platform {

// The form's controls, in the dialog's tab order.
enum class TSettingsControl {
  rgExportTarget,  // radio group: value is the item index, -1 none
  gbOptions,
  chSaveMedoc,  // check boxes: value 1 checked, 0 not
  chMarkAsRead,
  chDelSpace,
  chDelDBSpace,
  chDelCRLF,
  chZentoHan,
  chZentoHanKana,
  Panel,
  chAutoInstall,
  stSelectUser,
  cbUsers,  // drop-down list: value is the item index, -1 none
  stSavePath,
  edSavePath,  // edit: text
  btnBrwsFolder,
  btnOK,
  btnCancel,
  chMenuFlag,
  gbDocNameOptions,
  chDate,
  chTime,
};
inline constexpr int kSettingsControlCount = static_cast<int>(TSettingsControl::chTime) + 1;

// True for the check boxes (value 1 or 0).
constexpr bool IsCheckBox(TSettingsControl c) {
  switch (c) {
    case TSettingsControl::chSaveMedoc:
    case TSettingsControl::chMarkAsRead:
    case TSettingsControl::chDelSpace:
    case TSettingsControl::chDelDBSpace:
    case TSettingsControl::chDelCRLF:
    case TSettingsControl::chZentoHan:
    case TSettingsControl::chZentoHanKana:
    case TSettingsControl::chAutoInstall:
    case TSettingsControl::chMenuFlag:
    case TSettingsControl::chDate:
    case TSettingsControl::chTime:
      return true;
    default:
      return false;
  }
}

struct TControlState {
  bool visible = true;
  bool enabled = true;
  int value = 0;
  std::string text;
};

class TSettingsFormModel {
 public:
  virtual ~TSettingsFormModel() = default;
  virtual const TControlState& State(TSettingsControl control) const = 0;
  virtual const std::vector<std::string>& UserNames() const = 0;  // cbUsers' items
  // The user changed a control: a check box, the radio group or the list to value, the
  // edit to text. A hidden or disabled control ignores it.
  virtual void SetValue(TSettingsControl control, int value) = 0;
  virtual void SetText(TSettingsControl control, const std::string& text) = 0;
  // The apply button: writes the settings. Throws when they can't be written; the view
  // shows the error and stays open.
  virtual void Apply() = 0;
};

// Shows the form modally (no owner) until the user applies or cancels. True when the
// settings were applied. Where there is no way to show it (Linux without a terminal on
// stdin), says so in one line on stderr and returns false. Throws EOSError when the view
// can't be made.
bool ShowSettingsForm(TSettingsFormModel& model);

// The user's language as a three-letter abbreviation: the locale's LOCALE_SABBREVLANGNAME
// on Windows ("JPN" on a Japanese system); on Linux "JPN" for a Japanese locale
// (LC_ALL, LC_MESSAGES or LANG starting with "ja"), else "ENU".
std::string UserLanguageAbbreviation();

}  // namespace vesko::platform
