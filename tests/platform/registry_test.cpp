// The registry calls, against the real registry under wine and the stand-in file on Linux.
#include "platform/registry.h"

#include <gtest/gtest.h>

#include <random>

#include "platform/environment.h"
#include "tests/support/ScratchFolder.h"

namespace vesko::platform {
namespace {

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_home_ = GetEnvironment("VESKO_HOME");
    SetEnvironment("VESKO_HOME", folder_.path());  // the stand-in goes into the scratch folder
    root_ = "Software\\VeskoTest" + std::to_string(std::random_device()());
  }
  void TearDown() override {
    RegDeleteKey(root_);
    SetEnvironment("VESKO_HOME", saved_home_.value_or(""));
  }

  test::TScratchFolder folder_;
  std::optional<std::string> saved_home_;
  std::string root_;
};

TEST_F(RegistryTest, WritesAndReadsValues) {
  const std::string key = root_ + "\\Pilot Desktop\\Core";
  EXPECT_FALSE(RegKeyExists(key));
  EXPECT_FALSE(RegWriteString(key, "Path", "x"));  // the key must exist first
  ASSERT_TRUE(RegCreateKey(key));
  EXPECT_TRUE(RegKeyExists(key));
  EXPECT_TRUE(RegKeyExists(root_ + "\\Pilot Desktop"));  // parents made too
  EXPECT_TRUE(RegCreateKey(key));                        // an existing key is fine

  struct TCase {
    const char* name;
    std::string text;
  };
  const TCase texts[] = {{"Path", "C:\\Program Files\\Palm\\"},
                         {"Quoted", "a \"b\" c"},
                         {"Empty", ""},
                         {"LastUserName", "\x83\x5C\x95\x5C \x83\x41"}};
  for (const auto& c : texts) {
    SCOPED_TRACE(c.name);
    EXPECT_TRUE(RegWriteString(key, c.name, c.text));
  }
  EXPECT_TRUE(RegWriteDword(key, "Install1234", 1));
  EXPECT_TRUE(RegWriteDword(key, "Big", 0xFFFFFFFFu));
  for (const auto& c : texts) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(RegReadString(key, c.name), c.text);
    EXPECT_EQ(RegReadDword(key, c.name), std::nullopt);  // a text is no number
  }
  EXPECT_EQ(RegReadDword(key, "install1234"), 1u);
  EXPECT_EQ(RegReadDword(key, "Big"), 0xFFFFFFFFu);
  EXPECT_EQ(RegReadString(key, "Big"), std::nullopt);
  EXPECT_EQ(RegReadString(key, "Missing"), std::nullopt);
  EXPECT_EQ(RegReadString(root_ + "\\PILOT DESKTOP\\core", "path"), "C:\\Program Files\\Palm\\");

  // Rewriting one value keeps the others.
  EXPECT_TRUE(RegWriteDword(key, "Install1234", 0));
  EXPECT_EQ(RegReadDword(key, "Install1234"), 0u);
  EXPECT_EQ(RegReadString(key, "Quoted"), "a \"b\" c");

  EXPECT_TRUE(RegDeleteKey(root_ + "\\Pilot Desktop"));
  EXPECT_FALSE(RegKeyExists(key));
  EXPECT_TRUE(RegKeyExists(root_));
  EXPECT_FALSE(RegDeleteKey(root_ + "\\Pilot Desktop"));
}

}  // namespace
}  // namespace vesko::platform
