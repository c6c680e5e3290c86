#include "host/Settings.h"

#include <gtest/gtest.h>

#include <functional>

#include "platform/environment.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "tests/support/ScratchFolder.h"

namespace vesko {
namespace {

struct TFlagCase {
  const char* name;
  std::function<bool(const std::string&)> read;
  bool fallback;
  const char* stored;  // a file line that flips it
};

const TFlagCase kFlags[] = {
    {"MenuFlag", ReadMenuFlag, true, "[Settings]\r\nMenuFlag=0\r\n"},
    {"SaveMeDoc (the dialog's spelling)", ReadSaveMeDoc, true, "[Options]\r\nSaveMedoc=0\r\n"},
    {"AutoInstall", ReadAutoInstall, true, "[Options]\r\nAutoInstall=0\r\n"},
    {"MarkAsRead", ReadMarkAsRead, true, "[Options]\r\nMarkAsRead=0\r\n"},
    {"DelSpace", ReadDelSpace, false, "[Options]\r\nDelSpace=1\r\n"},
    {"DelDBSpace", ReadDelDBSpace, false, "[Options]\r\nDelDBSpace=1\r\n"},
    {"DelCRLF", ReadDelCRLF, false, "[Options]\r\nDelCRLF=1\r\n"},
    {"ZentoHan", ReadZentoHan, false, "[Options]\r\nZentoHan=1\r\n"},
    {"ZentoHanKana", ReadZentoHanKana, false, "[Options]\r\nZentoHanKana=1\r\n"},
    {"Date", ReadDateInTitle, true, "[Options]\r\nDate=0\r\n"},
    {"Time", ReadTimeInTitle, false, "[Options]\r\nTime=1\r\n"},
};

TEST(Settings, FlagsHaveTheirDefaultsAndReadTheFile) {
  test::TScratchFolder folder;
  int n = 0;
  for (const auto& c : kFlags) {
    SCOPED_TRACE(c.name);
    const std::string path = folder / ("f" + std::to_string(n++) + ".ini");
    EXPECT_EQ(c.read(path), c.fallback);  // no file yet
    platform::WriteWholeFile(path, c.stored);
    EXPECT_EQ(c.read(path), !c.fallback);
  }
}

TEST(Settings, ValuesWithoutAFileAndWithOne) {
  test::TScratchFolder folder;
  const std::string path = folder / "Vesko.ini";
  EXPECT_EQ(ReadTarget(path), kTargetUnread);
  EXPECT_EQ(ReadUserIndex(path), -1);
  EXPECT_EQ(ReadSavePath(path), folder / "");  // the settings file's folder
  platform::WriteWholeFile(path,
                           "[Settings]\r\nTarget=3\r\n[Options]\r\nSavePath=\r\n"
                           "[HotSync]\r\nUserIndex=2\r\n");
  EXPECT_EQ(ReadTarget(path), 3);  // passed on as it is: such a value takes no mail
  EXPECT_EQ(ReadUserIndex(path), 2);
  EXPECT_EQ(ReadSavePath(path), "");  // present but empty is not the default
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
    EXPECT_TRUE(platform::RegWriteString(key, "ListAddrFmt", "2"));
    EXPECT_EQ(ReadListAddrFmt(), 2);
    platform::RegDeleteKey("Software\\RimArts");
  }
  platform::SetEnvironment("VESKO_HOME", saved.value_or(""));
}

}  // namespace
}  // namespace vesko
