#include <gtest/gtest.h>

#include <string>

#include "platform/RegText.h"

namespace vesko::platform {
namespace {

const char kExport[] =
    "Windows Registry Editor Version 5.00\r\n"
    "\r\n"
    "[HKEY_CURRENT_USER\\Software\\Palm Computing]\r\n"
    "\r\n"
    "[HKEY_CURRENT_USER\\Software\\Palm Computing\\Pilot Desktop\\Core]\r\n"
    "\"Path\"=\"C:\\\\Program Files\\\\Palm\"\r\n"
    "\"Quote\"=\"say \\\"hi\\\"\"\r\n"
    "\"Count\"=dword:0000001f\r\n"
    "\"Binary\"=hex:01,02,\\\r\n"
    "  03,04\r\n"
    "@=\"default\"\r\n"
    "\r\n"
    "[HKEY_CURRENT_USER\\Software\\Palm Computing\\Pilot Desktop\\Preferences]\r\n"
    // Escapes work on bytes: the second byte of a double-byte character is escaped too.
    "\"LastUserName\"=\"\x83\x5C\x5C\x95\x5C\x5C\"\r\n";

TEST(RegText, ReadsAnExport) {
  const TRegText reg = TRegText::Parse(kExport);
  struct TCase {
    const char* key;
    const char* name;
    std::optional<std::string> text;
    std::optional<std::uint32_t> dword;
  };
  const TCase cases[] = {
      {"Software\\Palm Computing\\Pilot Desktop\\Core", "Path", "C:\\Program Files\\Palm", {}},
      {"software\\PALM computing\\pilot desktop\\core", "PATH", "C:\\Program Files\\Palm", {}},
      {"\\Software\\Palm Computing\\Pilot Desktop\\Core\\", "Quote", "say \"hi\"", {}},
      {"Software\\Palm Computing\\Pilot Desktop\\Core", "Count", {}, 31},
      {"Software\\Palm Computing\\Pilot Desktop\\Core", "Binary", {}, {}},
      {"Software\\Palm Computing\\Pilot Desktop\\Core", "", "default", {}},
      {"Software\\Palm Computing\\Pilot Desktop\\Core", "Missing", {}, {}},
      {"Software\\Palm Computing\\Pilot Desktop\\Preferences",
       "LastUserName",
       "\x83\x5C\x95\x5C",
       {}},
      {"Software\\Palm Computing\\Pilot Desktop", "Path", {}, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.key) + " " + c.name);
    EXPECT_EQ(reg.ReadString(c.key, c.name), c.text);
    EXPECT_EQ(reg.ReadDword(c.key, c.name), c.dword);
  }
  EXPECT_TRUE(reg.KeyExists("Software\\Palm Computing"));
  EXPECT_TRUE(reg.KeyExists("SOFTWARE"));  // known through its sub-keys
  EXPECT_TRUE(reg.KeyExists(""));
  EXPECT_FALSE(reg.KeyExists("Software\\Palm"));  // a prefix of a name is no key
  EXPECT_FALSE(reg.KeyExists("Software\\U.S. Robotics"));
}

TEST(RegText, RoundTripKeepsEverything) {
  TRegText reg = TRegText::Parse(kExport);
  const std::string core = "Software\\Palm Computing\\Pilot Desktop\\Core";
  EXPECT_TRUE(reg.WriteDword(core, "count", 2));         // replaced under another case
  EXPECT_TRUE(reg.WriteString(core, "New", "a\\b\"c"));  // added
  EXPECT_TRUE(reg.CreateKey("Software\\Palm Computing\\Pilot Desktop\\HotSync Manager"));
  EXPECT_TRUE(
      reg.WriteDword("Software\\Palm Computing\\Pilot Desktop\\HotSync Manager", "Install1234", 1));
  const std::string text = reg.Serialize();
  const TRegText again = TRegText::Parse(text);
  EXPECT_EQ(again.Serialize(), text);
  EXPECT_EQ(again.ReadDword(core, "Count"), 2u);
  EXPECT_EQ(again.ReadString(core, "New"), "a\\b\"c");
  EXPECT_EQ(again.ReadString(core, "Path"), "C:\\Program Files\\Palm");
  EXPECT_EQ(again.ReadString(core, "Quote"), "say \"hi\"");
  EXPECT_EQ(again.ReadString(core, ""), "default");
  EXPECT_EQ(
      again.ReadDword("Software\\Palm Computing\\Pilot Desktop\\HotSync Manager", "Install1234"),
      1u);
  EXPECT_NE(text.find("\"Binary\"=hex:01,02,\\\r\n  03,04\r\n"), std::string::npos);
  EXPECT_NE(text.find("\"Install1234\"=dword:00000001\r\n"), std::string::npos);
  EXPECT_NE(text.find("\"New\"=\"a\\\\b\\\"c\"\r\n"), std::string::npos);
  // The replaced value keeps its place: one Count line, before Binary.
  EXPECT_LT(text.find("\"count\"=dword:00000002"), text.find("\"Binary\""));
  EXPECT_EQ(text.find("\"Count\""), std::string::npos);
}

TEST(RegText, RefusesWhatItCantStore) {
  TRegText reg;
  EXPECT_FALSE(reg.WriteString("Software\\X", "A", "1"));  // no such key
  EXPECT_FALSE(reg.WriteDword("Software\\X", "A", 1));
  ASSERT_TRUE(reg.CreateKey("Software\\X"));
  EXPECT_FALSE(reg.WriteString("Software\\X", "A", "line\r\nend"));
  EXPECT_FALSE(reg.WriteString("Software\\X", "A\n", "1"));
  EXPECT_FALSE(reg.CreateKey("Software\\Y]"));
  EXPECT_FALSE(reg.ReadString("Software\\X", "A"));
  EXPECT_THROW(TRegText::Parse(""), ERegistryFormat);
  EXPECT_THROW(TRegText::Parse("[HKEY_CURRENT_USER\\Software]\r\n"), ERegistryFormat);
}

TEST(RegText, DeleteKeyTakesItsSubKeys) {
  TRegText reg = TRegText::Parse(kExport);
  ASSERT_TRUE(reg.CreateKey("Software\\Palm Computing2"));
  EXPECT_TRUE(reg.DeleteKey("software\\palm computing"));
  EXPECT_FALSE(reg.KeyExists("Software\\Palm Computing\\Pilot Desktop\\Core"));
  EXPECT_FALSE(reg.KeyExists("Software\\Palm Computing"));
  EXPECT_TRUE(reg.KeyExists("Software\\Palm Computing2"));  // a sibling, not a sub-key
  EXPECT_FALSE(reg.DeleteKey("Software\\Palm Computing"));
  EXPECT_FALSE(reg.DeleteKey(""));
}

}  // namespace
}  // namespace vesko::platform
