#include "hotsync/SettingsForm.h"

#include <utility>

#include "platform/IniText.h"
#include "platform/files.h"

namespace vesko {
namespace {

using C = TSettingsControl;

// Check boxes and the settings they show, in the order FormShow sets them.
struct TCheckBinding {
  C control;
  bool TSettings::*setting;
};
constexpr TCheckBinding kChecks[] = {
    {C::chAutoInstall, &TSettings::AutoInstall},
    {C::chMenuFlag, &TSettings::MenuFlag},
    {C::chSaveMedoc, &TSettings::SaveMeDoc},
    {C::chMarkAsRead, &TSettings::MarkAsRead},
    {C::chDelSpace, &TSettings::DelSpace},
    {C::chDelCRLF, &TSettings::DelCRLF},
    {C::chDate, &TSettings::Date},
    {C::chTime, &TSettings::Time},
    {C::chDelDBSpace, &TSettings::DelDBSpace},
    {C::chZentoHan, &TSettings::ZentoHan},
    {C::chZentoHanKana, &TSettings::ZentoHanKana},
};
// The last three: shown and set only in Japanese.
constexpr C kDoubleByteOptions[] = {C::chDelDBSpace, C::chZentoHan, C::chZentoHanKana};

constexpr int kTargetItems = 3;

}  // namespace

TSettingsForm::TSettingsForm(std::string settings_path, std::string language)
    : settings_path_(std::move(settings_path)), language_(std::move(language)) {
  // As designed: the first export target chosen, the user list disabled.
  At(C::rgExportTarget).value = kTargetUnread;
  At(C::cbUsers).enabled = false;
  At(C::cbUsers).value = -1;
}

TSettingsForm::~TSettingsForm() = default;

bool TSettingsForm::Japanese() const { return platform::SameTextNoCase(language_, "jpn"); }

const TControlState& TSettingsForm::State(TSettingsControl control) const {
  return controls_[static_cast<std::size_t>(control)];
}

TControlState& TSettingsForm::At(TSettingsControl control) {
  return controls_[static_cast<std::size_t>(control)];
}

void TSettingsForm::FormCreate() {
  try {
    user_data_ = std::make_unique<TUserData>();
  } catch (const EPalmDesktopError&) {
    // No Palm Desktop, or a user file that can't be read: the form still opens, without
    // HotSync, so the other settings can be changed.
    user_data_.reset();
  }
}

void TSettingsForm::FormShow() {
  TSettings defaults = TSettings::Defaults(settings_path_);
  defaults.MenuFlag = false;
  defaults.SavePath.clear();
  defaults.UserIndex = user_data_ ? user_data_->GetLastUserIndex() : -1;
  shown_ = TSettings::Load(settings_path_, defaults);

  for (const TCheckBinding& b : kChecks) At(b.control).value = shown_.*b.setting ? 1 : 0;
  At(C::rgExportTarget).value =
      shown_.Target >= 0 && shown_.Target < kTargetItems ? shown_.Target : -1;
  At(C::edSavePath).text =
      platform::DirectoryExists(shown_.SavePath) ? shown_.SavePath : std::string();

  if (!Japanese()) {
    for (const C c : kDoubleByteOptions) {
      At(c).visible = false;
      At(c).value = 0;
    }
  }

  user_names_.clear();
  At(C::cbUsers).value = -1;
  if (!user_data_) {
    At(C::cbUsers).enabled = false;
    At(C::stSelectUser).enabled = false;
    At(C::chAutoInstall).value = 0;
    At(C::chAutoInstall).enabled = false;
  } else if (user_data_->GetCount() > 0) {
    At(C::cbUsers).enabled = true;
    for (int i = 0; i < user_data_->GetCount(); ++i) {
      user_names_.push_back(user_data_->GetUserName(i));
    }
    if (shown_.UserIndex >= 0 && shown_.UserIndex < user_data_->GetCount()) {
      At(C::cbUsers).value = shown_.UserIndex;
    }
  }
  chAutoInstallClick();
}

void TSettingsForm::chAutoInstallClick() {
  const bool hotsync = Checked(C::chAutoInstall);
  for (const C c : {C::stSavePath, C::edSavePath, C::btnBrwsFolder}) At(c).enabled = !hotsync;
  for (const C c : {C::stSelectUser, C::cbUsers}) At(c).enabled = hotsync;
}

void TSettingsForm::btnOKClick() {
  TSettings s = shown_;
  s.UserIndex = State(C::cbUsers).value;
  s.Target = State(C::rgExportTarget).value;
  s.SavePath = State(C::edSavePath).text;
  for (const TCheckBinding& b : kChecks) s.*b.setting = Checked(b.control);
  const bool japanese = Japanese();
  s.Save(settings_path_, japanese ? nullptr : "DelDBSpace");
}

void TSettingsForm::SetValue(TSettingsControl control, int value) {
  TControlState& state = At(control);
  if (!state.visible || !state.enabled) return;
  switch (control) {
    case C::rgExportTarget:
      if (value >= -1 && value < kTargetItems) state.value = value;
      return;
    case C::cbUsers:
      if (value >= -1 && value < static_cast<int>(user_names_.size())) state.value = value;
      return;
    default:
      for (const TCheckBinding& b : kChecks) {
        if (b.control == control) state.value = value != 0 ? 1 : 0;
      }
      if (control == C::chAutoInstall) chAutoInstallClick();
  }
}

void TSettingsForm::SetText(TSettingsControl control, const std::string& text) {
  TControlState& state = At(control);
  if (control == C::edSavePath && state.visible && state.enabled) state.text = text;
}

bool RunSettingsForm(const std::string& settings_path) {
  TSettingsForm form(settings_path, platform::UserLanguageAbbreviation());
  form.FormCreate();
  form.FormShow();
  return platform::ShowSettingsForm(form);
}

}  // namespace vesko
