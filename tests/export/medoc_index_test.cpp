#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "export/MeDocItemList.h"
#include "host/IniFile.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "tests/support/FakeHost.h"
#include "tests/support/ScratchFolder.h"

namespace vesko {
namespace {

void AddItem(TMeDocItemList& list, const std::string& subject, const std::string& body) {
  list.Add(std::make_unique<TMailItem>(list, "a@example.jp", subject, 0.0, body));
}

TEST(MeDocItemList, IndexPointsAtEachFromLine) {
  struct TIndexCase {
    const char* name;
    std::string first_body;
    std::string lines;
  };
  const TIndexCase cases[] = {
      // block of 3 lines; mail 1 at 4: 3 header lines + 5 body lines; mail 2 at 4 + 6 + 2
      {"body ending in a line end", "1\r\n2\r\n3\r\n4\r\n5\r\n", "4:first\r\n12:second\r\n"},
      // the last body line is shared with the next "From:"
      {"body without a final line end", "1\r\n2", "4:first\r\n8:second\r\n"},
      {"empty body", "", "4:first\r\n7:second\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TMeDocItemList list{TTextOptions{}};
    AddItem(list, "first", c.first_body);
    AddItem(list, "second", "x\r\n");
    EXPECT_EQ(list.IndexHeader(), "#!Medoc index 2\r\n");
    EXPECT_EQ(list.IndexLines(), c.lines);
  }
}

// The index of a part of the list is that of a document holding only those items.
TEST(MeDocItemList, IndexOfAPartCountsFromItsFirstItem) {
  TMeDocItemList list{TTextOptions{}};
  AddItem(list, "first", "1\r\n2\r\n");
  AddItem(list, "second", "1\r\n2\r\n3\r\n4\r\n5\r\n");
  AddItem(list, "third", "x");
  EXPECT_EQ(list.IndexHeader(1, 3), "#!Medoc index 2\r\n");
  EXPECT_EQ(list.IndexLines(1, 3), "4:second\r\n12:third\r\n");
  EXPECT_EQ(list.IndexLines(2, 3), "3:third\r\n");
  EXPECT_EQ(list.IndexLines(), "5:first\r\n10:second\r\n18:third\r\n");
}

TEST(MeDocItemList, EmptyListHasHeaderOnly) {
  const TMeDocItemList list{TTextOptions{}};
  EXPECT_EQ(list.IndexHeader(), "#!Medoc index 0\r\n");
  EXPECT_EQ(list.IndexLines(), "");
}

TEST(MeDocItemList, ShortTitleFitsTheEntryNumber) {
  const std::string forty(40, 'a');
  // 29 single bytes, then a double-byte character whose first byte is the 30th.
  const std::string split = std::string(29, 'b') + "\x82\xa0\x82\xa0";
  // 28 single bytes, then a double-byte character filling bytes 29 and 30.
  const std::string whole = std::string(28, 'c') + "\x82\xa0" + "zz";
  struct TTitleCase {
    const char* name;
    std::string subject;
    int k;
    std::string title;
  } const cases[] = {
      {"entries 1..9 keep 30 bytes", forty, 1, std::string(30, 'a')},
      {"entries 10..99 keep 29", forty, 10, std::string(29, 'a')},
      {"entries 100..999 keep 28", forty, 100, std::string(28, 'a')},
      {"a character is not cut in two", split, 1, std::string(29, 'b')},
      {"a character ending at the limit stays", whole, 1, std::string(28, 'c') + "\x82\xa0"},
      {"a trailing lead byte at the limit goes", std::string(29, 'd') + "\x82", 1,
       std::string(29, 'd')},
      {"blanks and controls trimmed", " \t title \x01", 1, "title"},
      {"short subject whole", "hi", 7, "hi"},
      {"empty subject", "", 1, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(TMeDocItemList::ShortTitle(c.subject, c.k), c.title);
  }
}

}  // namespace
}  // namespace vesko

namespace vesko {
namespace {

TEST(ReadTextOptions, ReadsFolderSettingsAndHostRegistry) {
  test::TScratchFolder root;
  fake::TFakeHost host(root.path());
  const TTextOptions defaults = ReadTextOptions();
  EXPECT_FALSE(defaults.HideHead || defaults.DelSpace || defaults.DelDBSpace || defaults.DelCRLF ||
               defaults.ZentoHan || defaults.ZentoHanKana);
  EXPECT_EQ(defaults.ListAddrFmt, 0);

  // The folder's settings file: data folder + folder ID + "Folder.ini".
  const std::string folder = host.data_folder + host.current_folder;
  ASSERT_TRUE(platform::MakeDirectory(host.data_folder + "box"));
  ASSERT_TRUE(platform::MakeDirectory(folder));
  TIniFile(folder + "Folder.ini").WriteBool("Settings", "HideHead", true);
  host.SetOption("Options", "DelCRLF", "1");
  host.SetOption("Options", "ZentoHanKana", "1");
  const std::string key = "Software\\RimArts\\B2\\Settings";
  ASSERT_TRUE(platform::RegCreateKey(key));
  ASSERT_TRUE(platform::RegWriteDword(key, "ListAddrFmt", 3));
  const TTextOptions options = ReadTextOptions();
  platform::RegDeleteKey("Software\\RimArts");
  EXPECT_TRUE(options.HideHead);
  EXPECT_TRUE(options.DelCRLF);
  EXPECT_TRUE(options.ZentoHanKana);
  EXPECT_FALSE(options.DelSpace);
  EXPECT_EQ(options.ListAddrFmt, 3);
}

}  // namespace
}  // namespace vesko
