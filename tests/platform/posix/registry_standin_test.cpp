// The Linux registry stand-in file itself.
#include <gtest/gtest.h>

#include "platform/environment.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "tests/support/ScratchFolder.h"

namespace vesko::platform {
namespace {

class RegistryStandInTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_home_ = GetEnvironment("VESKO_HOME");
    SetEnvironment("VESKO_HOME", folder_.path());
  }
  void TearDown() override { SetEnvironment("VESKO_HOME", saved_home_.value_or("")); }

  test::TScratchFolder folder_;
  std::optional<std::string> saved_home_;
};

TEST_F(RegistryStandInTest, IsARegExportInTheDataFolder) {
  ASSERT_TRUE(RegCreateKey("Software\\Palm Computing\\Pilot Desktop\\Core"));
  ASSERT_TRUE(RegWriteString("Software\\Palm Computing\\Pilot Desktop\\Core", "Path", "/p\\q"));
  EXPECT_EQ(ReadWholeFile(folder_ / "registry.reg"),
            "Windows Registry Editor Version 5.00\r\n\r\n"
            "[HKEY_CURRENT_USER\\Software]\r\n\r\n"
            "[HKEY_CURRENT_USER\\Software\\Palm Computing]\r\n\r\n"
            "[HKEY_CURRENT_USER\\Software\\Palm Computing\\Pilot Desktop]\r\n\r\n"
            "[HKEY_CURRENT_USER\\Software\\Palm Computing\\Pilot Desktop\\Core]\r\n"
            "\"Path\"=\"/p\\\\q\"\r\n\r\n");
}

TEST_F(RegistryStandInTest, NeverOverwritesAFileItCantRead) {
  const std::string junk = "not a registry file\n[HKEY_CURRENT_USER\\Software]\n";
  WriteWholeFile(folder_ / "registry.reg", junk);
  EXPECT_FALSE(RegKeyExists("Software"));
  EXPECT_FALSE(RegCreateKey("Software\\X"));
  EXPECT_FALSE(RegWriteDword("Software", "A", 1));
  EXPECT_EQ(ReadWholeFile(folder_ / "registry.reg"), junk);
}

TEST_F(RegistryStandInTest, SeesChangesMadeByOthers) {
  ASSERT_TRUE(RegCreateKey("Software\\A"));
  WriteWholeFile(folder_ / "registry.reg",
                 "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\B]\n"
                 "\"V\"=dword:00000007\n");
  EXPECT_FALSE(RegKeyExists("Software\\A"));
  EXPECT_EQ(RegReadDword("Software\\B", "v"), 7u);
}

}  // namespace
}  // namespace vesko::platform
