#include "palm/PalmDatabase.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "palm/timet.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "tests/palm/palm_test_util.h"

namespace vesko {
namespace {

using testing::Hex;
using testing::TScratchFile;
using testing::ToHex;

TEST(PalmPDB, GoldenBytesOfATinyDatabase) {
  TPalmPDB db("unused.pdb", false);
  db.Header().Name = "0123456789012345678901234567890";  // 31 bytes
  db.Header().ReadOnly = true;
  db.Header().Backup = true;
  db.Header().CopyPrevention = true;
  db.SetRecord(0, "0123456789ABCDEF");
  db.SetRecordAttributes(1, 4, {0x6F, 0xA0, 0x01});
  const std::string expected =
      std::string("0123456789012345678901234567890") +
      Hex("00  00 4A  00 00  12 34 56 78  01 02 03 04  00 00 00 00  00 00 00 00"
          "00 00 00 00  00 00 00 00") +
      "TEXtREAd" + Hex("00 00 00 00  00 00 00 00  00 01") +
      Hex("00 00 00 56  40  6F A0 01") + "0123456789ABCDEF";
  EXPECT_EQ(ToHex(db.Serialize(0x12345678, 0x01020304)), ToHex(expected));
}

TEST(PalmPDB, LaysRecordsOutBackToBack) {
  struct TCase {
    const char* name;
    std::vector<std::size_t> sizes;
    std::vector<std::int32_t> offsets;
    std::size_t length;
  };
  const TCase cases[] = {
      {"one 16-byte record", {16}, {86}, 102},
      {"three records", {16, 100, 50}, {102, 118, 218}, 268},
      {"empty records share an offset", {0, 0, 5}, {102, 102, 102}, 107},
      {"no records", {}, {}, 78},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TPalmPDB db("unused.pdb", false);
    for (std::size_t size : c.sizes) db.SetRecord(0, std::string(size, 'x'));
    ASSERT_EQ(db.RecordCount(), static_cast<int>(c.offsets.size()));
    for (std::size_t i = 0; i < c.offsets.size(); ++i) {
      EXPECT_EQ(db.Record(static_cast<int>(i) + 1).Offset, c.offsets[i]);
    }
    const std::string bytes = db.Serialize(0, 0);
    EXPECT_EQ(bytes.size(), c.length);
    for (std::size_t i = 0; i < c.offsets.size(); ++i) {
      EXPECT_EQ(ToHex(bytes.substr(78 + 8 * i, 4)),
                ToHex(Hex("00 00 00") + static_cast<char>(c.offsets[i])));
    }
  }
}

TEST(PalmPDB, SetRecordFillsGapsAndAttributesIgnoreMissingRecords) {
  TPalmPDB db("unused.pdb", false);
  db.SetRecord(3, "abc");
  ASSERT_EQ(db.RecordCount(), 3);
  EXPECT_EQ(db.Record(1).Size, 0);
  EXPECT_EQ(db.Record(2).Size, 0);
  EXPECT_EQ(db.Record(3).Size, 3);
  EXPECT_EQ(db.Record(1).Offset, db.Record(3).Offset);
  db.SetRecordAttributes(4, 0x0F, {1, 2, 3});
  db.SetRecordAttributes(2, 0x0B, {1, 2, 3});
  EXPECT_EQ(db.RecordCount(), 3);
  const std::string bytes = db.Serialize(0, 0);
  EXPECT_EQ(ToHex(bytes.substr(78 + 8 + 4, 4)), "B0 01 02 03");  // bits 0,1,3 -> 0x10|0x20|0x80
  EXPECT_EQ(ToHex(bytes.substr(78 + 16 + 4, 4)), "00 00 00 00");
  db.SetRecord(1, "z");
  EXPECT_EQ(db.Record(3).Offset, 78 + 24 + 1);
}

TEST(PalmPDB, SavesLoadsAndReleasesData) {
  TScratchFile file("saved.pdb");
  const std::uint32_t before = DateTimeToUnix(platform::NowLocal());
  {
    TPalmPDB db(file.path(), false);
    db.Header().Name = "Saved";
    db.Header().Backup = true;
    db.SetRecord(0, std::string(16, 'a'));
    db.SetRecord(0, std::string(100, 'b'));
    db.Save();
    EXPECT_EQ(db.FileSize(), 78 + 16 + 16 + 100);
    EXPECT_EQ(platform::FileSizeOf(file.path()), db.FileSize());
    for (const auto& r : db.Records()) EXPECT_FALSE(r.Data.has_value());
    // Saving again can't write the data: it fails and leaves the file as it was.
    EXPECT_THROW(db.Save(), EVeskoError);
    EXPECT_EQ(platform::FileSizeOf(file.path()), db.FileSize());
  }
  TPalmPDB loaded(file.path(), true);
  const TPDBHeader& h = loaded.Header();
  EXPECT_EQ(h.Name, "Saved");
  EXPECT_TRUE(h.Backup);
  EXPECT_FALSE(h.ReadOnly);
  EXPECT_EQ(h.DBType, "TEXt");
  EXPECT_EQ(h.Creator, "REAd");
  EXPECT_EQ(h.NumRecords, 2);
  EXPECT_GE(DateTimeToUnix(h.CreationDate), before);
  EXPECT_LE(DateTimeToUnix(h.ModificationDate), before + 60);
  EXPECT_NEAR(h.BackupDate, UnixToDateTime(0), 1e-9);  // a zero date is 1970 UTC
  ASSERT_EQ(loaded.RecordCount(), 2);
  EXPECT_EQ(loaded.Record(1).Offset, 94);
  EXPECT_EQ(loaded.Record(1).Size, 16);
  EXPECT_EQ(loaded.Record(2).Offset, 110);
  EXPECT_EQ(loaded.Record(2).Size, 100);
  EXPECT_EQ(loaded.FileSize(), 210);
}

// A streamed database is the file Save writes of the same records, once committed; until
// then, and when the count is wrong, the old file stays and no other file is left.
TEST(PDBStreamWriter, CommitsTheFileSaveWritesAndNothingElse) {
  struct TCase {
    const char* name;
    int announced, added;
    bool commit;
    bool replaced;  // else Add or Commit throws, or the writer is dropped
    bool durable = true;
  };
  const TCase cases[] = {
      {"all records, committed", 3, 3, true, true},
      {"all records, committed without waiting for the disk", 3, 3, true, true, false},
      {"no records, committed", 0, 0, true, true},
      {"dropped before Commit", 3, 3, false, false},
      {"dropped before Commit, not durable", 3, 3, false, false, false},
      {"fewer records than announced", 3, 2, true, false},
      {"more records than announced", 2, 3, true, false},
  };
  const std::string records[] = {"first", "", "third record"};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string folder = platform::CreateUniqueFolder(::testing::TempDir(), "vesko_stream");
    const std::string path = folder + "streamed.pdb";
    platform::WriteWholeFile(path, "old");
    TPalmPDB db(path, false);
    db.Header().Name = "Streamed";
    db.SetRecord(0, "left from before");
    bool threw = false;
    try {
      TPDBStreamWriter out(db, c.announced, c.durable);
      for (int i = 0; i < c.added; ++i) {
        out.Add(records[i], 4, {0, 0, static_cast<std::uint8_t>(i)});
      }
      if (c.commit) out.Commit();
    } catch (const EVeskoError&) {
      threw = true;
    }
    EXPECT_EQ(threw, c.commit && !c.replaced);
    const std::string bytes = platform::ReadWholeFile(path);
    if (c.replaced) {
      TPalmPDB saved("unused.pdb", false);
      saved.Header().Name = "Streamed";
      for (int i = 0; i < c.added; ++i) {
        saved.SetRecord(0, records[i]);
        saved.SetRecordAttributes(i + 1, 4, {0, 0, static_cast<std::uint8_t>(i)});
      }
      // Both dates are now; the rest is byte for byte what Save writes.
      const std::string dates = bytes.substr(36, 8);
      EXPECT_EQ(ToHex(bytes), ToHex(saved.Serialize(0, 0).replace(36, 8, dates)));
      EXPECT_EQ(db.FileSize(), static_cast<std::int64_t>(bytes.size()));
      ASSERT_EQ(db.RecordCount(), c.added);
      for (int i = 0; i < c.added; ++i) {
        EXPECT_EQ(db.Record(i + 1).Size, static_cast<std::int32_t>(records[i].size()));
        EXPECT_FALSE(db.Record(i + 1).Data.has_value());
      }
      if (c.added > 0) {
        EXPECT_THROW(db.Save(), EVeskoError);  // the bytes are in the file only
      }
    } else {
      EXPECT_EQ(bytes, "old");
    }
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
      EXPECT_EQ(entry.path().filename().string(), "streamed.pdb");
      ++files;
    }
    EXPECT_EQ(files, 1);
    std::filesystem::remove_all(folder);
  }
}

TEST(PDBStreamWriter, RefusesTooManyRecordsBeforeMakingAFile) {
  TScratchFile file("stream_too_many.pdb");
  TPalmPDB db(file.path(), false);
  EXPECT_THROW(TPDBStreamWriter(db, kPDBMaxRecords + 1), EVeskoError);
  EXPECT_FALSE(platform::FileExists(file.path()));
}

TEST(PalmPDB, FailedSaveWritesNothing) {
  TScratchFile folder("no_such_folder");
  TPalmPDB db(folder.path() + "/x.pdb", false);
  db.SetRecord(0, "abc");
  EXPECT_THROW(db.Save(), EOSError);
  EXPECT_FALSE(platform::FileExists(folder.path() + "/x.pdb"));
  EXPECT_TRUE(db.Record(1).Data.has_value());  // kept for another try

  TScratchFile file("too_many.pdb");
  platform::WriteWholeFile(file.path(), "old");
  TPalmPDB big(file.path(), false);
  big.SetRecord(kPDBMaxRecords + 1, "x");
  EXPECT_THROW(big.Save(), EVeskoError);
  EXPECT_EQ(platform::ReadWholeFile(file.path()), "old");
}

// A valid two-record file to damage.
std::string GoodFile() {
  TPalmPDB db("unused.pdb", false);
  db.Header().Name = "Good";
  db.SetRecord(0, std::string(16, 'a'));
  db.SetRecord(0, std::string(20, 'b'));
  return db.Serialize(1714534496, 1714534496);
}

std::string Patched(std::string bytes, std::size_t at, const std::string& with) {
  bytes.replace(at, with.size(), with);
  return bytes;
}

TEST(PalmPDB, RejectsDamagedFiles) {
  const std::string good = GoodFile();
  struct TCase {
    const char* name;
    std::string bytes;
    const char* message;
  };
  const char* kRead = "Error reading file";
  const char* kHeader = "Not a Palm database, or header corrupt";
  const char* kRecords = "Invalid Palm database: record headers corrupt";
  const TCase cases[] = {
      {"empty file", "", kRead},
      {"77 bytes", good.substr(0, 77), kRead},
      {"creation date with the top bit", Patched(good, 36, Hex("80 00 00 00")), kHeader},
      {"backup date with the top bit", Patched(good, 44, Hex("FF FF FF FF")), kHeader},
      {"record offset of 2^31", Patched(good, 78, Hex("80 00 00 00")), kRecords},
      {"record list cut short", good.substr(0, 78 + 12), kRecords},
      {"offsets going backwards", Patched(good, 86, Hex("00 00 00 10")), kRecords},
      {"last record past the end", Patched(good, 86, Hex("00 00 10 00")), kRecords},
      {"more records than entries", Patched(good, 76, Hex("FF FF")), kRecords},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TScratchFile file("damaged.pdb");
    platform::WriteWholeFile(file.path(), c.bytes);
    try {
      TPalmPDB db(file.path(), true);
      ADD_FAILURE() << "no exception";
    } catch (const EInvalidPalmDatabase& e) {
      EXPECT_STREQ(e.what(), c.message);
    }
  }
  TScratchFile missing("missing.pdb");
  EXPECT_THROW(TPalmDatabase(missing.path(), true), EInvalidPalmDatabase);
}

TEST(PalmPDB, LoadsAFileWithoutRecords) {
  TScratchFile file("empty.pdb");
  platform::WriteWholeFile(file.path(), TPalmPDB("unused.pdb", false).Serialize(0, 0));
  TPalmPDB db(file.path(), true);
  EXPECT_EQ(db.RecordCount(), 0);
  EXPECT_EQ(db.FileSize(), 78);
}

}  // namespace
}  // namespace vesko
