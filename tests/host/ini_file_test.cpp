// These cases run in both builds: under wine they check the system's own profile
// functions, on Linux the reader and writer that stand in for them, so both must agree.
#include <gtest/gtest.h>

#include <string>

#include "host/IniFile.h"
#include "platform/IniText.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "tests/support/ScratchFolder.h"

namespace vesko {
namespace {

struct TReadCase {
  const char* name;
  std::string text;  // file contents; "-" for no file at all
  const char* section;
  const char* key;
  std::string expected;  // ReadString with fallback "fb"
  int expected_int;      // ReadInteger with fallback 7
};

const TReadCase kReadCases[] = {
    {"plain value", "[Settings]\r\nTarget=2\r\n", "Settings", "Target", "2", 2},
    {"names ignore case", "[OPTIONS]\r\nsavemedoc=0\r\n", "Options", "SaveMeDoc", "0", 0},
    {"missing key", "[Settings]\r\nTarget=2\r\n", "Settings", "MenuFlag", "fb", 7},
    {"missing section", "[Settings]\r\nTarget=2\r\n", "Options", "Target", "fb", 7},
    {"no file", "-", "Settings", "Target", "fb", 7},
    {"empty file", "", "Settings", "Target", "fb", 7},
    {"present but empty", "[Options]\r\nSavePath=\r\n", "Options", "SavePath", "", 7},
    {"blanks around name and value", "[S]\r\n  Key  =  a value \t\r\n", "S", "Key", "a value", 0},
    {"blanks around section line", "  [S]  \r\nKey=1\r\n", "S", "Key", "1", 1},
    {"double quotes dropped", "[S]\r\nKey=\"a b \"\r\n", "S", "Key", "a b ", 0},
    {"single quotes dropped", "[S]\r\nKey='x'\r\n", "S", "Key", "x", 0},
    {"mismatched quotes kept", "[S]\r\nKey='x\"\r\n", "S", "Key", "'x\"", 0},
    {"a lone quote kept", "[S]\r\nKey=\"\r\n", "S", "Key", "\"", 0},
    {"value holding =", "[S]\r\nKey=a=b\r\n", "S", "Key", "a=b", 0},
    {"negative number", "[HotSync]\r\nUserIndex=-1\r\n", "HotSync", "UserIndex", "-1", -1},
    {"plus sign", "[S]\r\nKey=+12\r\n", "S", "Key", "+12", 12},
    {"digits then text", "[S]\r\nKey=12ab\r\n", "S", "Key", "12ab", 12},
    {"text only", "[S]\r\nKey=ab\r\n", "S", "Key", "ab", 0},
    {"blank before digits", "[S]\r\nKey= 3\r\n", "S", "Key", "3", 3},
    {"quoted blank before digits", "[S]\r\nKey=\" 3\"\r\n", "S", "Key", " 3", 3},
    {"tab before digits", "[S]\r\nKey=\"\t3\"\r\n", "S", "Key", "\t3", 3},
    {"digit then letter", "[S]\r\nKey=3x\r\n", "S", "Key", "3x", 3},
    {"hex prefix", "[S]\r\nKey=0x1f\r\n", "S", "Key", "0x1f", 31},
    {"octal prefix", "[S]\r\nKey=0o17\r\n", "S", "Key", "0o17", 15},
    {"binary prefix stops at 2", "[S]\r\nKey=0b1012\r\n", "S", "Key", "0b1012", 5},
    {"upper-case X is no prefix", "[S]\r\nKey=0X10\r\n", "S", "Key", "0X10", 0},
    {"sign before the prefix", "[S]\r\nKey=-0x10\r\n", "S", "Key", "-0x10", -16},
    {"sign then blank", "[S]\r\nKey=- 3\r\n", "S", "Key", "- 3", 0},
    {"quoted empty value", "[S]\r\nKey=\"\"\r\n", "S", "Key", "", 7},
    {"eleven digits wrap at 32 bits", "[S]\r\nKey=99999999999\r\n", "S", "Key", "99999999999",
     1215752191},
    {"2^31 wraps to the lowest", "[S]\r\nKey=2147483648\r\n", "S", "Key", "2147483648",
     -2147483647 - 1},
    {"2^32-1 is -1", "[S]\r\nKey=4294967295\r\n", "S", "Key", "4294967295", -1},
    {"sign only", "[S]\r\nKey=-\r\n", "S", "Key", "-", 0},
    {"LF line ends", "[S]\nA=1\nB=2\n", "S", "B", "2", 2},
    {"no final line end", "[S]\r\nKey=5", "S", "Key", "5", 5},
    {"first of two keys wins", "[S]\r\nKey=1\r\nKEY=2\r\n", "S", "Key", "1", 1},
    {"key line without =", "[S]\r\nKey\r\n", "S", "Key", "fb", 7},
    {"comment line is no key", "[S]\r\n;Key=1\r\nKey=2\r\n", "S", "Key", "2", 2},
    {"keys before any section", "Key=1\r\n[S]\r\nOther=2\r\n", "S", "Key", "fb", 7},
    {"key of another section", "[A]\r\nKey=1\r\n[B]\r\nOther=2\r\n", "B", "Key", "fb", 7},
    {"Shift JIS value kept", "[S]\r\nKey=\x83\x5C\x95\x5C\r\n", "S", "Key", "\x83\x5C\x95\x5C", 0},
    {"Shift JIS names", "[\x83\x41]\r\n\x95\x5C=3\r\n", "\x83\x41", "\x95\x5C", "3", 3},
    // 0x83 0x61 is another katakana, not a case variant of 0x83 0x41.
    {"double-byte names don't fold case", "[\x83\x41]\r\nKey=3\r\n", "\x83\x61", "Key", "fb", 7},
};

TEST(IniFile, ReadsLikeTheSystemProfileFunctions) {
  test::TScratchFolder folder;
  int n = 0;
  for (const auto& c : kReadCases) {
    SCOPED_TRACE(c.name);
    // A fresh file for each case, so no cached copy of an earlier one can answer.
    const std::string path = folder / ("case" + std::to_string(n++) + ".ini");
    if (c.text != "-") platform::WriteWholeFile(path, c.text);
    const TIniFile ini(path);
    EXPECT_EQ(ini.ReadString(c.section, c.key, "fb"), c.expected);
    EXPECT_EQ(ini.ReadInteger(c.section, c.key, 7), c.expected_int);
    EXPECT_EQ(ini.ReadBool(c.section, c.key, true), c.expected_int != 0);
  }
}

TEST(IniFile, FallbackLosesTrailingSpaces) {
  test::TScratchFolder folder;
  const TIniFile ini(folder / "none.ini");
  EXPECT_EQ(ini.ReadString("S", "K", "dir/  "), "dir/");
  EXPECT_EQ(ini.ReadString("S", "K", " "), " ");
  EXPECT_EQ(ini.ReadString("S", "K", ""), "");
}

const char kSample[] =
    "; Vesko settings\r\n"
    "[Settings]\r\n"
    "Target=1\r\n"
    "MenuFlag=0\r\n"
    "\r\n"
    "[Options]\r\n"
    "SavePath=C:\\Doc\\\r\n"
    "\r\n"
    "[Other]\r\n"
    "Keep=yes\r\n";

TEST(IniFile, WritesKeepEveryOtherValue) {
  struct TCase {
    const char* name;
    const char* section;
    const char* key;
    std::string value;
  };
  const TCase cases[] = {
      {"replace a value", "Settings", "Target", "2"},
      {"replace under other case", "SETTINGS", "menuflag", "1"},
      {"add a key to a section", "Options", "SaveMedoc", "1"},
      {"add a key to the last section", "Other", "New", "v"},
      {"add a section", "HotSync", "UserIndex", "-1"},
      {"write an empty value", "Options", "SavePath", ""},
      {"Shift JIS value", "Options", "SavePath", "C:\\\x83\x5C\\"},
  };
  test::TScratchFolder folder;
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = folder / ("write" + std::to_string(n++) + ".ini");
    platform::WriteWholeFile(path, kSample);
    TIniFile ini(path);
    ini.WriteString(c.section, c.key, c.value);
    EXPECT_EQ(ini.ReadString(c.section, c.key, "fb"), c.value);
    const struct {
      const char* section;
      const char* key;
      const char* value;
    } others[] = {{"Settings", "Target", "1"},
                  {"Settings", "MenuFlag", "0"},
                  {"Options", "SavePath", "C:\\Doc\\"},
                  {"Other", "Keep", "yes"}};
    for (const auto& o : others) {
      if (!platform::SameTextNoCase(o.key, c.key)) {
        EXPECT_EQ(ini.ReadString(o.section, o.key, "fb"), o.value) << o.key;
      }
    }
  }
}

TEST(IniFile, WritesTypedValues) {
  test::TScratchFolder folder;
  TIniFile ini(folder / "typed.ini");  // no file yet: the first write creates it
  ini.WriteBool("Options", "DelSpace", true);
  ini.WriteBool("Options", "DelCRLF", false);
  ini.WriteInteger("HotSync", "UserIndex", -1);
  EXPECT_EQ(ini.ReadString("Options", "DelSpace", ""), "1");
  EXPECT_EQ(ini.ReadString("Options", "DelCRLF", ""), "0");
  EXPECT_TRUE(ini.ReadBool("Options", "DelSpace", false));
  EXPECT_FALSE(ini.ReadBool("Options", "DelCRLF", true));
  EXPECT_EQ(ini.ReadInteger("HotSync", "UserIndex", 5), -1);
  // Written again: replaced, not added a second time.
  ini.WriteInteger("HotSync", "UserIndex", 3);
  EXPECT_EQ(ini.ReadInteger("HotSync", "UserIndex", 5), 3);
}

TEST(IniFile, RefusesWhatWouldBreakTheFile) {
  test::TScratchFolder folder;
  TIniFile ini(folder / "bad.ini");
  ini.WriteString("S", "Key", "1");
  EXPECT_THROW(ini.WriteString("S", "Key", "1\r\nTarget=3"), EVeskoError);
  EXPECT_THROW(ini.WriteString("S", "A\nB", "1"), EVeskoError);
  EXPECT_THROW(ini.WriteString("S", "A=B", "1"), EVeskoError);
  EXPECT_THROW(ini.WriteString("S]x", "A", "1"), EVeskoError);
  EXPECT_THROW(ini.WriteString("S", "", "1"), EVeskoError);
  EXPECT_EQ(ini.ReadString("S", "Key", "fb"), "1");
  EXPECT_EQ(ini.ReadString("S", "Target", "fb"), "fb");
}

TEST(IniFile, WriteIntoAMissingFolderThrows) {
  test::TScratchFolder folder;
  TIniFile ini(JoinPath(folder / "no-such-folder", "x.ini"));
  EXPECT_THROW(ini.WriteString("S", "K", "v"), EOSError);
}

}  // namespace
}  // namespace vesko
