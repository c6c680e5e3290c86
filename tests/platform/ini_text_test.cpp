// The settings file writer keeps the file as it was, byte for byte, outside the one line
// it changes or adds.
#include <gtest/gtest.h>

#include <string>

#include "platform/IniText.h"
#include "platform/errors.h"

namespace vesko::platform {
namespace {

TEST(IniText, UpdateChangesOnlyItsLine) {
  struct TCase {
    const char* name;
    std::string text;
    const char* section;
    const char* key;
    const char* value;
    std::string expected;
  };
  const TCase cases[] = {
      {"replace keeps name, spacing and comments", "; c\r\n[S]\r\n  Key = old \r\n;x\r\n", "s",
       "KEY", "new", "; c\r\n[S]\r\n  Key =new\r\n;x\r\n"},
      {"replace without a final line end", "[S]\r\nA=1", "S", "A", "2", "[S]\r\nA=2"},
      {"a key line without = gets one", "[S]\r\nA\r\n", "S", "A", "2", "[S]\r\nA=2\r\n"},
      {"new key after the section's last line, before blank lines",
       "[S]\r\nA=1\r\n\r\n[T]\r\nB=2\r\n", "S", "C", "3",
       "[S]\r\nA=1\r\nC=3\r\n\r\n[T]\r\nB=2\r\n"},
      {"new key in an empty last section", "[S]", "S", "C", "3", "[S]\r\nC=3\r\n"},
      {"new key in the first of two same-named sections", "[S]\nA=1\n[S]\nB=2\n", "S", "B", "3",
       "[S]\nA=1\nB=3\n[S]\nB=2\n"},
      {"new section after a blank line", "[S]\r\nA=1\r\n", "T", "B", "2",
       "[S]\r\nA=1\r\n\r\n[T]\r\nB=2\r\n"},
      {"new section keeps LF line ends", "[S]\nA=1", "T", "B", "2", "[S]\nA=1\n\n[T]\nB=2\n"},
      {"new file", "", "Options", "SavePath", "", "[Options]\r\nSavePath=\r\n"},
      {"keys before any section stay", "A=1\r\n", "S", "A", "2", "A=1\r\n\r\n[S]\r\nA=2\r\n"},
      {"Shift JIS value", "[S]\r\nA=1\r\n", "S", "A", "\x83\x5C", "[S]\r\nA=\x83\x5C\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string updated = IniUpdate(c.text, c.section, c.key, c.value);
    EXPECT_EQ(updated, c.expected);
    EXPECT_EQ(IniLookup(updated, c.section, c.key), c.value);
  }
}

TEST(IniText, EntriesListKeysWithValues) {
  const auto entries = IniEntries("top=0\r\n[S]\r\n;c\r\nA = \"q\" \r\nB\r\n[T]\r\nC=\r\n");
  // The comment and the line without "=" hold no value.
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].section, "");
  EXPECT_EQ(entries[1].key, "A");
  EXPECT_EQ(entries[1].value, "q");
  EXPECT_EQ(entries[2].section, "T");
  EXPECT_EQ(entries[2].value, "");
}

}  // namespace
}  // namespace vesko::platform
