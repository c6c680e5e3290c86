#include "host/Settings.h"

#include <gtest/gtest.h>

#include <iterator>
#include <stdexcept>

#include "platform/environment.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/registry.h"
#include "tests/support/ScratchFolder.h"

namespace vesko {
namespace {

// Each key: its text in a file without it (the export's default) and a stored line that
// changes it.
struct TKeyCase {
  const char* key;
  const char* fallback;
  const char* stored;    // a file holding another value
  const char* expected;  // the value read from it
};

const TKeyCase kKeys[] = {
    {"UserIndex", "-1", "[HotSync]\r\nUserIndex=2\r\n", "2"},
    {"AutoInstall", "1", "[Options]\r\nAutoInstall=0\r\n", "0"},
    {"Target", "0", "[Settings]\r\nTarget=3\r\n", "3"},  // kept: such a value takes no mail
    {"MenuFlag", "1", "[Settings]\r\nMenuFlag=0\r\n", "0"},
    {"SaveMedoc", "1", "[Options]\r\nSaveMeDoc=0\r\n", "0"},  // the export's spelling
    {"MarkAsRead", "1", "[Options]\r\nMarkAsRead=0\r\n", "0"},
    {"DelSpace", "0", "[Options]\r\nDelSpace=1\r\n", "1"},
    {"DelDBSpace", "0", "[Options]\r\nDelDBSpace=7\r\n", "1"},  // non-zero is true
    {"DelCRLF", "0", "[Options]\r\nDelCRLF=1\r\n", "1"},
    {"SavePath", "<folder>", "[Options]\r\nSavePath=\r\n", ""},  // present but empty
    {"ZentoHan", "0", "[Options]\r\nZentoHan= 1\r\n", "1"},
    {"ZentoHanKana", "0", "[Options]\r\nZentoHanKana=1x\r\n", "1"},
    {"Date", "1", "[Options]\r\nDate=0\r\n", "0"},
    {"Time", "0", "[Options]\r\nTime=1\r\n", "1"},
    {"DecodeTransfer", "1", "[Options]\r\nDecodeTransfer=0\r\n", "0"},
    {"HtmlToText", "1", "[Options]\r\nHtmlToText=0\r\n", "0"},
    {"MoreCharsets", "1", "[Options]\r\nMoreCharsets=0\r\n", "0"},
    {"Forwarded", "1", "[Options]\r\nForwarded=0\r\n", "0"},
    {"KeepUndecoded", "1", "[Options]\r\nKeepUndecoded=0\r\n", "0"},
    {"FileName", "{folder}-{date}", "[Options]\r\nFileName=\r\n", ""},  // empty: kept so
    {"Title", "", "[Options]\r\nTitle=Mine\r\n", "Mine"},
    {"DocBookmarks", "0", "[Options]\r\nDocBookmarks=1\r\n", "1"},
    {"Utf8Text", "0", "[Options]\r\nutf8text=1\r\n", "1"},  // key names ignore case
    {"MaxMails", "0", "[Options]\r\nMaxMails=100\r\n", "100"},
    {"Threads", "0", "[Options]\r\nThreads=2\r\n", "2"},
};

const TSettingKey& KeyNamed(const char* name) {
  for (const TSettingKey& k : kSettingKeys) {
    if (std::string(k.key) == name) return k;
  }
  throw std::logic_error(name);
}

TEST(Settings, EveryKeyHasItsDefaultAndReadsTheFile) {
  ASSERT_EQ(std::size(kKeys), std::size(kSettingKeys));
  test::TScratchFolder folder;
  int n = 0;
  for (const auto& c : kKeys) {
    SCOPED_TRACE(c.key);
    const TSettingKey& k = KeyNamed(c.key);
    const std::string path = folder / ("k" + std::to_string(n++) + ".ini");
    const std::string fallback = c.fallback == std::string("<folder>") ? folder / "" : c.fallback;
    EXPECT_EQ(SettingText(k, TSettings::Load(path)), fallback);  // no file yet
    platform::WriteWholeFile(path, c.stored);
    const TSettings stored = TSettings::Load(path);
    EXPECT_EQ(SettingText(k, stored), c.expected);
    // Every other key keeps its default.
    for (const TSettingKey& other : kSettingKeys) {
      if (&other != &k) {
        EXPECT_EQ(SettingText(other, stored), SettingText(other, TSettings::Defaults(path)))
            << other.key;
      }
    }
  }
}

TEST(Settings, MissingKeysTakeTheGivenDefaults) {
  test::TScratchFolder folder;
  const std::string path = folder / "Vesko.ini";
  platform::WriteWholeFile(path, "[Settings]\r\nTarget=2\r\n");
  TSettings defaults = TSettings::Defaults(path);
  defaults.MenuFlag = false;
  defaults.SavePath = "";
  defaults.UserIndex = 4;
  const TSettings s = TSettings::Load(path, defaults);
  EXPECT_EQ(s.Target, 2);
  EXPECT_FALSE(s.MenuFlag);
  EXPECT_EQ(s.SavePath, "");
  EXPECT_EQ(s.UserIndex, 4);
}

TEST(Settings, SaveWritesEveryFormKeyAndLoadReadsItBack) {
  test::TScratchFolder folder;
  const std::string path = folder / "Vesko.ini";
  platform::WriteWholeFile(path, "[Options]\r\nDelDBSpace=1\r\n[Other]\r\nKeep=yes\r\n");
  TSettings s = TSettings::Defaults(path);
  for (const TSettingKey& k : kSettingKeys) {  // every value away from its default
    if (k.flag != nullptr) s.*k.flag = !(s.*k.flag);
  }
  s.Target = 2;
  s.UserIndex = 1;
  s.SavePath = "C:\\\x83\x5C\\";
  s.DelDBSpace = false;
  s.Save(path, "deldbspace");  // the skipped key keeps the stored 1
  const TSettings back = TSettings::Load(path);
  for (const TSettingKey& k : kSettingKeys) {
    SCOPED_TRACE(k.key);
    if (k.flag == &TSettings::DelDBSpace) {
      EXPECT_TRUE(back.DelDBSpace);
    } else if (!k.in_form) {  // not the form's: the file's value (none: the default) stays
      EXPECT_EQ(SettingText(k, back), SettingText(k, TSettings::Defaults(path)));
    } else {
      EXPECT_EQ(SettingText(k, back), SettingText(k, s));
    }
  }
  const std::string text = platform::ReadWholeFile(path);
  EXPECT_NE(text.find("Keep=yes"), std::string::npos);
  EXPECT_NE(text.find("SaveMedoc=0"), std::string::npos);  // the form's spelling
}

TEST(Settings, TypedValuesAreCheckedAgainstTheKey) {
  struct TCase {
    const char* key;
    const char* value;
    const char* stored;  // nullptr: refused
  };
  const TCase cases[] = {
      {"DelSpace", "1", "1"},      {"DelSpace", "0", "0"},      {"DelSpace", "Yes", "1"},
      {"DelSpace", "off", "0"},    {"DelSpace", "2", nullptr},  {"DelSpace", "", nullptr},
      {"DelSpace", "-1", nullptr}, {"Target", "0", "0"},        {"Target", "2", "2"},
      {"Target", "3", nullptr},    {"Target", "-1", nullptr},   {"Target", " 1", nullptr},
      {"Target", "1x", nullptr},   {"Target", "", nullptr},     {"Target", "0x1", nullptr},
      {"UserIndex", "-1", "-1"},   {"UserIndex", "254", "254"}, {"UserIndex", "-2", nullptr},
      {"UserIndex", "255", nullptr}, {"UserIndex", "99999999999", nullptr},
      {"SavePath", "", ""},          {"SavePath", " any text ", nullptr},
      {"MaxMails", "0", "0"},      {"MaxMails", "2147483647", "2147483647"},
      {"MaxMails", "-1", nullptr},
      {"Threads", "4", "4"},       {"Threads", "5", nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.key) + "=" + c.value);
    std::string problem;
    const auto stored = CheckSettingValue(KeyNamed(c.key), c.value, &problem);
    if (c.stored == nullptr) {
      EXPECT_FALSE(stored.has_value());
      EXPECT_NE(problem.find(c.key), std::string::npos) << problem;
    } else {
      EXPECT_EQ(stored.value_or("(refused)"), c.stored);
    }
  }
  // SavePath: an existing folder, stored with its final delimiter.
  test::TScratchFolder folder;
  platform::WriteWholeFile(folder / "file", "x");
  std::string problem;
  EXPECT_EQ(CheckSettingValue(KeyNamed("SavePath"), folder.path(), &problem),
            IncludeTrailingDelimiter(folder.path()));
  EXPECT_EQ(CheckSettingValue(KeyNamed("SavePath"), folder / "file", &problem), std::nullopt);
  EXPECT_NE(problem.find("is a file"), std::string::npos) << problem;
}

// The README's table of settings is the table of the code, row for row.
TEST(Settings, TheReadmeTableIsTheKeyTable) {
  std::string rows = "| Key | Section | Default | What it does |\n|---|---|---|---|\n";
  for (const TSettingKey& k : kSettingKeys) {
    std::string fallback = std::to_string(k.fallback);
    if (k.type == TSettingType::kString) {
      fallback = k.text_fallback == nullptr ? "the plug-in's folder"
                 : *k.text_fallback == '\0' ? "empty"
                                            : "`" + std::string(k.text_fallback) + "`";
    }
    rows += "| `" + std::string(k.key) + "` | " + k.section + " | " + fallback + " | " + k.about +
            " |\n";
  }
  const std::string readme = platform::ReadWholeFile(VESKO_SOURCE_DIR "/README.md");
  EXPECT_NE(readme.find(rows), std::string::npos) << "The README's table should read:\n" << rows;
}

TEST(Settings, KeysAreFoundIgnoringCase) {
  EXPECT_EQ(FindSettingKey("options", "SAVEMEDOC"), &KeyNamed("SaveMedoc"));
  EXPECT_EQ(FindSettingKey("Settings", "SaveMedoc"), nullptr);  // another section
}

TEST(Settings, FolderIniHideHead) {
  test::TScratchFolder folder;
  const std::string path = folder / "Folder.ini";
  EXPECT_FALSE(ReadHideHead(path));
  platform::WriteWholeFile(path, "[Settings]\r\nHideHead=1\r\n");
  EXPECT_TRUE(ReadHideHead(path));
}

TEST(Settings, ListAddrFmtFromTheHostsRegistry) {
  test::TScratchFolder folder;
  const auto saved = platform::GetEnvironment("VESKO_HOME");
  platform::SetEnvironment("VESKO_HOME", folder.path());
  const std::string key = "Software\\RimArts\\B2\\Settings";
  const bool existed = platform::RegKeyExists("Software\\RimArts");
  if (!existed) {
    EXPECT_EQ(ReadListAddrFmt(), 0);
    ASSERT_TRUE(platform::RegCreateKey(key));
    EXPECT_TRUE(platform::RegWriteDword(key, "ListAddrFmt", 3));
    EXPECT_EQ(ReadListAddrFmt(), 3);
    // A text is read as the profile reader reads an integer.
    const struct {
      const char* text;
      int value;
    } texts[] = {{"2", 2}, {" 3", 3}, {"3x", 3}, {"", 0}, {"0x10", 16}, {"x", 0}};
    for (const auto& t : texts) {
      SCOPED_TRACE(t.text);
      EXPECT_TRUE(platform::RegWriteString(key, "ListAddrFmt", t.text));
      EXPECT_EQ(ReadListAddrFmt(), t.value);
    }
    platform::RegDeleteKey("Software\\RimArts");
  }
  platform::SetEnvironment("VESKO_HOME", saved.value_or(""));
}

}  // namespace
}  // namespace vesko
