#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "hotsync/AutoInst.h"

namespace vesko {
namespace {

const std::vector<TPalmUser> kThreeUsers = {
    {1234, "John Smith", "SmithJ"},
    {0xBEEF, "\x8E\x52\x93\x63 \x91\xBE\x98\x59", "Yamada"},  // Shift JIS name
    {7, "Last", "L"},
};

std::string Bytes(std::initializer_list<int> bytes) {
  std::string s;
  for (const int b : bytes) s += static_cast<char>(b);
  return s;
}

TEST(UsersDat, ReadsWhatItWrites) {
  struct TCase {
    const char* name;
    std::vector<TPalmUser> users;
    std::string last_user;
    int last_index;
  };
  const TCase cases[] = {
      {"no users", {}, "", 0},
      {"one user, the last one", {{1, "Ann", "AnnF"}}, "Ann", 0},
      {"three users, the middle one last", kThreeUsers, kThreeUsers[1].name, 1},
      {"three users, the last one last", kThreeUsers, "Last", 2},
      {"last user not found", kThreeUsers, "Nobody", 0},
      {"last user matched exactly, not by case", kThreeUsers, "last", 0},
      {"longest name and folder",
       {{2, std::string(31, 'n'), std::string(31, 'f')}, {3, "", ""}},
       std::string(31, 'n'),
       0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const TUsersDat read = ParseUsersDat(BuildUsersDat(c.users), c.last_user);
    ASSERT_EQ(read.users.size(), c.users.size());
    for (std::size_t i = 0; i < c.users.size(); ++i) {
      EXPECT_EQ(read.users[i].id, c.users[i].id);
      EXPECT_EQ(read.users[i].name, c.users[i].name);
      EXPECT_EQ(read.users[i].folder, c.users[i].folder);
    }
    EXPECT_EQ(read.last_user_index, c.last_index);
  }
}

TEST(UsersDat, ReadsTheLayoutByteForByte) {
  // Two users; the first entry ends in bytes up to the marker, among them a lone 0x01.
  const std::string data = Bytes({2, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9}) +  //
                           Bytes({0xD2, 0x04, 0xAA, 0xBB, 2}) + "Al" + Bytes({1}) + "A" +
                           Bytes({0xCC, 0x00, 0x01, 0x7F, 0x80, 0x01, 0x80}) +
                           Bytes({0x02, 0x01, 0, 0, 3}) + "Bea" + Bytes({2}) + "Be" + Bytes({0});
  const TUsersDat read = ParseUsersDat(data, "Bea");
  ASSERT_EQ(read.users.size(), 2u);
  EXPECT_EQ(read.users[0].id, 1234);
  EXPECT_EQ(read.users[0].name, "Al");
  EXPECT_EQ(read.users[0].folder, "A");
  EXPECT_EQ(read.users[1].id, 0x0102);
  EXPECT_EQ(read.users[1].folder, "Be");
  EXPECT_EQ(read.last_user_index, 1);
  // Bytes after the last entry are never read.
  EXPECT_EQ(ParseUsersDat(data + "junk", "").users.size(), 2u);
}

TEST(UsersDat, ADoubledMarkerLeadIsPassedOver) {
  // 0x01 0x01 0x80: the second 0x01 is taken as the byte after the first, so the scan goes
  // on to the next marker.
  const std::string data = std::string(1, 2) + std::string(12, '\0') +                     //
                           Bytes({1, 0, 0, 0, 1}) + "A" + Bytes({1}) + "a" + Bytes({0}) +  //
                           Bytes({0x01, 0x01, 0x80, 0x01, 0x80}) +                         //
                           Bytes({2, 0, 0, 0, 1}) + "B" + Bytes({1}) + "b" + Bytes({0});
  const TUsersDat read = ParseUsersDat(data, "");
  ASSERT_EQ(read.users.size(), 2u);
  EXPECT_EQ(read.users[1].name, "B");
}

TEST(UsersDat, EveryTruncationOfAGoodFileIsAnError) {
  const std::string good = BuildUsersDat(kThreeUsers);
  ASSERT_EQ(ParseUsersDat(good, "").users.size(), 3u);
  for (std::size_t length = 0; length < good.size(); ++length) {
    SCOPED_TRACE(length);
    EXPECT_THROW(ParseUsersDat(good.substr(0, length), ""), EPalmDesktopError);
  }
}

TEST(UsersDat, DamagedFilesAreErrors) {
  const std::string good = BuildUsersDat(kThreeUsers);
  struct TCase {
    const char* name;
    std::size_t offset;  // byte to change
    char value;
  };
  const TCase cases[] = {
      {"name over 31 bytes", 17, 32},
      {"name length 255", 17, '\xFF'},
      {"folder over 31 bytes", 18 + 10, 40},
      {"more users than entries", 0, 4},
      {"marker missing", good.find("\x01\x80"), 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::string damaged = good;
    damaged[c.offset] = c.value;
    EXPECT_THROW(ParseUsersDat(damaged, ""), EPalmDesktopError);
  }
  // The second marker missing too: the scan must stop at the end of the data.
  std::string no_markers = good;
  for (std::size_t at; (at = no_markers.find("\x01\x80")) != std::string::npos;) {
    no_markers[at] = 0;
  }
  EXPECT_THROW(ParseUsersDat(no_markers, ""), EPalmDesktopError);
}

TEST(UsersDat, WriterRefusesWhatTheFileCantHold) {
  EXPECT_THROW(BuildUsersDat({{1, std::string(32, 'x'), "f"}}), EPalmDesktopError);
  EXPECT_THROW(BuildUsersDat({{1, "n", std::string(32, 'x')}}), EPalmDesktopError);
  EXPECT_THROW(BuildUsersDat(std::vector<TPalmUser>(256, {1, "n", "f"})), EPalmDesktopError);
}

}  // namespace
}  // namespace vesko
