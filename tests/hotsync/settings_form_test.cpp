// TSettingsForm's rules, with the Palm Desktop in the registry (wine's real one, the
// stand-in file on Linux) and the settings file in a scratch folder.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "host/IniFile.h"
#include "hotsync/PalmDesktopSetup.h"
#include "hotsync/SettingsForm.h"
#include "platform/environment.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "tests/support/PalmDesktopScope.h"
#include "tests/support/ScratchFolder.h"

namespace vesko {
namespace {

using C = TSettingsControl;

enum class TPalm { kNone, kThreeUsers, kNoUsers };

class SettingsFormTest : public ::testing::Test {
 protected:
  void SetUpPalm(TPalm palm) {
    test::TPalmDesktopScope::RemoveRoots();
    if (palm == TPalm::kNone) return;
    const std::vector<TPalmUser> users = {
        {1, "Taro", "TaroF"}, {2, "Hanako", "HanakoF"}, {3, "Jiro", "JiroF"}};
    WritePalmDesktop(TUserData::kRootKeys[1], folder_ / "Palm",
                     palm == TPalm::kThreeUsers ? users : std::vector<TPalmUser>{}, "Hanako");
  }
  // A form over a settings file holding ini ("<dir>" stands for an existing folder),
  // created and shown.
  TSettingsForm& Show(std::string ini, TPalm palm, const char* language) {
    SetUpPalm(palm);
    const std::string path = folder_ / ("s" + std::to_string(n_++) + ".ini");
    for (std::size_t at; (at = ini.find("<dir>")) != std::string::npos;) ini.replace(at, 5, dir());
    for (std::size_t at; (at = ini.find("<file>")) != std::string::npos;) {
      ini.replace(at, 6, folder_ / "AFile");
    }
    if (!ini.empty()) platform::WriteWholeFile(path, ini);
    form_.emplace(path, language);
    form_->FormCreate();
    form_->FormShow();
    path_ = path;
    return *form_;
  }
  std::string dir() const { return folder_ / "Out" + platform::PathDelimiter(); }
  std::string Stored(const char* section, const char* key) const {
    return TIniFile(path_).ReadString(section, key, "(missing)");
  }

  test::TScratchFolder folder_;
  test::TPalmDesktopScope palm_scope_{folder_.path()};
  std::optional<TSettingsForm> form_;
  std::string path_;
  int n_ = 0;
};

// What one control shows: value (or text for the edit), visible, enabled.
struct TExpect {
  C control;
  int value;
  bool visible;
  bool enabled;
  const char* text = nullptr;  // edSavePath: "<dir>" or ""
};

struct TShowCase {
  const char* name;
  const char* ini;
  TPalm palm;
  const char* language;
  std::vector<TExpect> expect;
};

TEST_F(SettingsFormTest, FormShowSetsEveryControl) {
  platform::MakeDirectory(folder_ / "Out");
  platform::WriteWholeFile(folder_ / "AFile", "x");
  const TShowCase cases[] = {
      {"no file: the dialog's defaults, the last user, HotSync on",
       "",
       TPalm::kThreeUsers,
       "JPN",
       {{C::rgExportTarget, 0, true, true},
        {C::chMenuFlag, 0, true, true},
        {C::chSaveMedoc, 1, true, true},
        {C::chMarkAsRead, 1, true, true},
        {C::chDate, 1, true, true},
        {C::chTime, 0, true, true},
        {C::chAutoInstall, 1, true, true},
        {C::cbUsers, 1, true, true},
        {C::stSelectUser, 0, true, true},
        {C::edSavePath, 0, true, false, ""},
        {C::stSavePath, 0, true, false},
        {C::btnBrwsFolder, 0, true, false},
        {C::chDelDBSpace, 0, true, true},
        {C::chZentoHan, 0, true, true}}},
      {"stored values",
       "[Settings]\r\nTarget=2\r\nMenuFlag=1\r\n[Options]\r\nSaveMeDoc=0\r\nMarkAsRead=0\r\n"
       "DelSpace=1\r\nDelCRLF=1\r\nDate=0\r\nTime=1\r\nAutoInstall=0\r\nSavePath=<dir>\r\n"
       "DelDBSpace=1\r\nZentoHan=1\r\nZentoHanKana=1\r\n[HotSync]\r\nUserIndex=2\r\n",
       TPalm::kThreeUsers,
       "jpn",
       {{C::rgExportTarget, 2, true, true},
        {C::chMenuFlag, 1, true, true},
        {C::chSaveMedoc, 0, true, true},
        {C::chMarkAsRead, 0, true, true},
        {C::chDelSpace, 1, true, true},
        {C::chDelCRLF, 1, true, true},
        {C::chDate, 0, true, true},
        {C::chTime, 1, true, true},
        {C::chDelDBSpace, 1, true, true},
        {C::chZentoHan, 1, true, true},
        {C::chZentoHanKana, 1, true, true},
        {C::chAutoInstall, 0, true, true},
        {C::cbUsers, 2, true, false},
        {C::stSelectUser, 0, true, false},
        {C::edSavePath, 0, true, true, "<dir>"},
        {C::btnBrwsFolder, 0, true, true}}},
      {"not Japanese: the double-byte options hidden and unchecked",
       "[Options]\r\nDelDBSpace=1\r\nZentoHan=1\r\nZentoHanKana=1\r\nDelSpace=1\r\n",
       TPalm::kThreeUsers,
       "ENU",
       {{C::chDelDBSpace, 0, false, true},
        {C::chZentoHan, 0, false, true},
        {C::chZentoHanKana, 0, false, true},
        {C::chDelSpace, 1, true, true}}},
      {"no Palm Desktop: HotSync unchecked and disabled",
       "[Options]\r\nAutoInstall=1\r\n[HotSync]\r\nUserIndex=0\r\n",
       TPalm::kNone,
       "JPN",
       {{C::chAutoInstall, 0, true, false},
        {C::cbUsers, -1, true, false},
        {C::stSelectUser, 0, true, false},
        {C::edSavePath, 0, true, true, ""},
        {C::stSavePath, 0, true, true}}},
      {"a stored user outside the list selects nothing",
       "[HotSync]\r\nUserIndex=5\r\n",
       TPalm::kThreeUsers,
       "JPN",
       {{C::cbUsers, -1, true, true}}},
      {"a stored -1 selects nothing",
       "[HotSync]\r\nUserIndex=-1\r\n",
       TPalm::kThreeUsers,
       "JPN",
       {{C::cbUsers, -1, true, true}}},
      {"a Palm Desktop without users: an empty list, enabled by HotSync",
       "",
       TPalm::kNoUsers,
       "JPN",
       {{C::chAutoInstall, 1, true, true}, {C::cbUsers, -1, true, true}}},
      {"a save folder that is gone is emptied",
       "[Options]\r\nSavePath=<dir>gone\r\nAutoInstall=0\r\n",
       TPalm::kNone,
       "JPN",
       {{C::edSavePath, 0, true, true, ""}}},
      {"a save path naming a file is emptied",
       "[Options]\r\nSavePath=<file>\r\n",
       TPalm::kNone,
       "JPN",
       {{C::edSavePath, 0, true, true, ""}}},
      {"Target 3 selects no item",
       "[Settings]\r\nTarget=3\r\n",
       TPalm::kNone,
       "JPN",
       {{C::rgExportTarget, -1, true, true}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const TSettingsForm& form = Show(c.ini, c.palm, c.language);
    for (const TExpect& e : c.expect) {
      SCOPED_TRACE(static_cast<int>(e.control));
      const TControlState& state = form.State(e.control);
      if (e.text != nullptr) {
        EXPECT_EQ(state.text, std::string(e.text) == "<dir>" ? dir() : "");
      } else if (e.control != C::stSelectUser && e.control != C::stSavePath &&
                 e.control != C::btnBrwsFolder) {
        EXPECT_EQ(state.value, e.value);
      }
      EXPECT_EQ(state.visible, e.visible);
      EXPECT_EQ(state.enabled, e.enabled);
    }
  }
}

TEST_F(SettingsFormTest, HotSyncSwitchesTheEnabledControlsAtOnce) {
  TSettingsForm& form = Show("", TPalm::kThreeUsers, "JPN");
  for (const bool hotsync : {false, true, false}) {
    SCOPED_TRACE(hotsync);
    form.SetValue(C::chAutoInstall, hotsync ? 1 : 0);
    for (const C c : {C::stSavePath, C::edSavePath, C::btnBrwsFolder}) {
      EXPECT_EQ(form.State(c).enabled, !hotsync);
    }
    for (const C c : {C::stSelectUser, C::cbUsers}) EXPECT_EQ(form.State(c).enabled, hotsync);
  }
  // A disabled control ignores a change.
  form.SetValue(C::cbUsers, 0);
  EXPECT_EQ(form.State(C::cbUsers).value, 1);
  form.SetValue(C::chAutoInstall, 1);
  form.SetText(C::edSavePath, "typed");
  EXPECT_EQ(form.State(C::edSavePath).text, "");
}

// The keys of a settings file in file order.
std::vector<std::string> KeysInOrder(const std::string& text) {
  std::vector<std::string> keys;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(start, end - start);
    if (const std::size_t eq = line.find('='); eq != std::string::npos) {
      keys.push_back(line.substr(0, eq));
    }
    start = end + 1;
  }
  return keys;
}

TEST_F(SettingsFormTest, ApplyWritesEveryKeyInOrder) {
  struct TCase {
    const char* name;
    const char* ini;
    const char* language;
    std::vector<std::string> keys;
  };
  const TCase cases[] = {
      {"Japanese: every key",
       "",
       "JPN",
       {"UserIndex", "AutoInstall", "SaveMedoc", "MarkAsRead", "DelSpace", "DelDBSpace", "DelCRLF",
        "SavePath", "ZentoHan", "ZentoHanKana", "Date", "Time", "Target", "MenuFlag"}},
      {"English: DelDBSpace left out",
       "",
       "ENU",
       {"UserIndex", "AutoInstall", "SaveMedoc", "MarkAsRead", "DelSpace", "DelCRLF", "SavePath",
        "ZentoHan", "ZentoHanKana", "Date", "Time", "Target", "MenuFlag"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TSettingsForm& form = Show(c.ini, TPalm::kNone, c.language);
    form.btnOKClick();
    // Sections appear in the order of their first key: UserIndex, AutoInstall, Target.
    EXPECT_EQ(KeysInOrder(platform::ReadWholeFile(path_)), c.keys);
  }
}

TEST_F(SettingsFormTest, ApplyStoresWhatTheControlsShow) {
  struct TCase {
    const char* name;
    const char* ini;
    TPalm palm;
    const char* language;
    void (*change)(TSettingsForm& form);
    bool apply;
    std::vector<std::vector<const char*>> stored;  // section, key, value
  };
  const TCase cases[] = {
      {"defaults untouched: MenuFlag stored off, the last user",
       "",
       TPalm::kThreeUsers,
       "JPN",
       [](TSettingsForm&) {},
       true,
       {{"Settings", "MenuFlag", "0"},
        {"Settings", "Target", "0"},
        {"HotSync", "UserIndex", "1"},
        {"Options", "AutoInstall", "1"},
        {"Options", "SavePath", ""},
        {"Options", "SaveMeDoc", "1"}}},
      {"a user outside the list is stored as -1",
       "[HotSync]\r\nUserIndex=5\r\n",
       TPalm::kThreeUsers,
       "JPN",
       [](TSettingsForm&) {},
       true,
       {{"HotSync", "UserIndex", "-1"}}},
      {"English: ZentoHan false, DelDBSpace kept",
       "[Options]\r\nDelDBSpace=1\r\nZentoHan=1\r\nZentoHanKana=1\r\n",
       TPalm::kNone,
       "ENU",
       [](TSettingsForm&) {},
       true,
       {{"Options", "DelDBSpace", "1"},
        {"Options", "ZentoHan", "0"},
        {"Options", "ZentoHanKana", "0"},
        {"Options", "AutoInstall", "0"}}},
      {"every change is stored",
       "",
       TPalm::kThreeUsers,
       "JPN",
       [](TSettingsForm& f) {
         f.SetValue(C::rgExportTarget, 1);
         f.SetValue(C::cbUsers, 2);
         f.SetValue(C::chAutoInstall, 0);
         f.SetText(C::edSavePath, "typed, not checked");
         for (const C c : {C::chMenuFlag, C::chDelSpace, C::chDelDBSpace, C::chDelCRLF,
                           C::chZentoHan, C::chZentoHanKana, C::chTime}) {
           f.SetValue(c, 1);
         }
         for (const C c : {C::chSaveMedoc, C::chMarkAsRead, C::chDate}) f.SetValue(c, 0);
       },
       true,
       {{"Settings", "Target", "1"},
        {"HotSync", "UserIndex", "2"},
        {"Options", "AutoInstall", "0"},
        {"Options", "SavePath", "typed, not checked"},
        {"Settings", "MenuFlag", "1"},
        {"Options", "DelSpace", "1"},
        {"Options", "DelDBSpace", "1"},
        {"Options", "DelCRLF", "1"},
        {"Options", "ZentoHan", "1"},
        {"Options", "ZentoHanKana", "1"},
        {"Options", "Time", "1"},
        {"Options", "SaveMedoc", "0"},
        {"Options", "MarkAsRead", "0"},
        {"Options", "Date", "0"}}},
      {"Cancel writes nothing",
       "[Settings]\r\nTarget=2\r\n",
       TPalm::kNone,
       "JPN",
       [](TSettingsForm& f) {
         f.SetValue(C::rgExportTarget, 0);
         f.Cancel();
       },
       false,
       {{"Settings", "Target", "2"}, {"Settings", "MenuFlag", "(missing)"}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TSettingsForm& form = Show(c.ini, c.palm, c.language);
    c.change(form);
    if (c.apply) form.btnOKClick();
    for (const auto& s : c.stored) {
      SCOPED_TRACE(s[1]);
      EXPECT_EQ(Stored(s[0], s[1]), s[2]);
    }
  }
}

TEST_F(SettingsFormTest, AFailedWriteThrowsAndKeepsTheForm) {
  platform::MakeDirectory(folder_ / "Vesko.ini");  // a folder where the file should be
  TSettingsForm form(folder_ / "Vesko.ini", "JPN");
  form.FormCreate();
  form.FormShow();
  form.SetValue(C::chTime, 1);
  EXPECT_THROW(form.btnOKClick(), EVeskoError);
  EXPECT_EQ(form.State(C::chTime).value, 1);
  EXPECT_TRUE(platform::DirectoryExists(folder_ / "Vesko.ini"));
}

}  // namespace
}  // namespace vesko
