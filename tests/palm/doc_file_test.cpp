#include "palm/DocFile.h"
#include "palm/DocPack.h"

#include <gtest/gtest.h>

#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "palm/DocCompress.h"
#include "palm/DocReader.h"
#include "platform/files.h"
#include "tests/palm/palm_test_util.h"

namespace vesko {
namespace {

using testing::Hex;
using testing::TScratchFile;
using testing::ToHex;

// The file's bytes with the two dates that Save takes from the clock set to zero.
std::string WithoutDates(std::string bytes) {
  if (bytes.size() >= 44) bytes.replace(36, 8, 8, '\0');
  return bytes;
}

TEST(DocFile, GoldenBytesOfASmallEBook) {
  TScratchFile file("golden.pdb");
  TDocFile doc(file.path(), "Test", true);
  doc.WriteText("ab ab ab");
  const std::string expected =
      std::string("Test") + std::string(28, '\0') +
      Hex("00 08  00 00  00 00 00 00  00 00 00 00  00 00 00 00  00 00 00 00  00 00 00 00"
          "00 00 00 00") +
      "TEXtREAd" + Hex("00 00 00 00  00 00 00 00  00 02") +
      Hex("00 00 00 5E  40 6F A0 01   00 00 00 6E  40 6F A0 02") +
      Hex("00 02 00 00  00 00 00 08  00 01  10 00  00 00 00 00") + Hex("61 62 20 80 19 62");
  EXPECT_EQ(ToHex(WithoutDates(platform::ReadWholeFile(file.path()))), ToHex(expected));
}

TEST(DocFile, RoundTripsAtRecordEdges) {
  std::mt19937 rng(3);
  struct TCase {
    std::size_t size;
    int records;
  };
  const TCase cases[] = {{0, 1}, {1, 1}, {4095, 1}, {4096, 1}, {4097, 2}, {8192, 2}, {20000, 5}};
  for (bool compress : {true, false}) {
    for (const auto& c : cases) {
      SCOPED_TRACE(std::to_string(c.size) + (compress ? " packed" : " plain"));
      std::string text(c.size, '\0');
      for (char& ch : text) ch = "ab \x82\xA0\n\0"[rng() % 7];
      TScratchFile file("edge.pdb");
      std::vector<int> progress;
      TDocFile doc(file.path(), "Edges", compress);
      doc.WriteText(text, [&](int percent) { progress.push_back(percent); });

      TDocReader reader(file.path());
      const std::string expected = c.size == 0 ? " " : text;
      EXPECT_EQ(reader.ReadText(), expected);
      EXPECT_EQ(reader.record0().version, compress ? 2 : 1);
      EXPECT_EQ(reader.record0().text_length, expected.size());
      EXPECT_EQ(reader.record0().record_count, c.records);
      EXPECT_EQ(reader.record0().record_size, 4096);
      ASSERT_EQ(reader.entries().size(), static_cast<std::size_t>(c.records) + 1);
      for (std::size_t r = 0; r < reader.entries().size(); ++r) {
        EXPECT_EQ(reader.entries()[r].attributes, 0x40);
        EXPECT_EQ(reader.entries()[r].unique_id, 0x6FA001 + r);
      }
      ASSERT_EQ(progress.size(), static_cast<std::size_t>(c.records));
      EXPECT_EQ(progress.back(), 100);
      for (std::size_t i = 1; i < progress.size(); ++i) EXPECT_LT(progress[i - 1], progress[i]);
    }
  }
}

TEST(DocFile, NormalisesLineEndsAndMovesBookmarks) {
  struct TCase {
    const char* name;
    std::string text, stored;
    std::int32_t position, adjusted;
  };
  const TCase cases[] = {
      {"CR LF becomes LF", "a\r\nb", "a\nb", 3, 2},
      {"CR CR LF keeps the second CR", "\r\r\n", "\r\n", 2, 1},
      {"a lone CR is dropped", "a\rb", "ab", 2, 1},
      {"a final CR is dropped", "ab\r", "ab", 3, 2},
      {"marks before the CR stay", "ab\r\ncd", "ab\ncd", 1, 1},
      {"a mark on the CR stays", "ab\r\ncd", "ab\ncd", 2, 2},
      {"two CRs before the mark", "\r\n\r\nx", "\n\nx", 4, 2},
      {"text without CR", "abc\n", "abc\n", 4, 4},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<TDocBookmark> marks = {{"m", c.position, 0}};
    EXPECT_EQ(NormalizeLineEnds(c.text, marks), c.stored);
    EXPECT_EQ(marks[0].AdjustedPosition, c.adjusted);
    EXPECT_EQ(DocTextSize(c.text), c.stored.size());
  }
}

// The pieces are cut by jumping from CR to CR; a byte-by-byte walk says what they must
// hold together, and where marks anywhere in the text end up. Every piece but the last
// holds exactly one record's bytes, also where a CR, or a CR and its kept byte, meet a
// piece's edge.
TEST(DocFile, NormalisesInPiecesAsAByteWalkDoes) {
  const auto byte_walk = [](const std::string& text, const std::vector<std::int32_t>& marks,
                            std::vector<std::int32_t>& adjusted) {
    adjusted = marks;
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (text[i] != '\r') {
        out.push_back(text[i]);
        continue;
      }
      for (std::size_t k = 0; k < marks.size(); ++k) {
        if (static_cast<std::int64_t>(i) < marks[k]) --adjusted[k];
      }
      if (i + 1 < text.size()) out.push_back(text[++i]);
    }
    return out;
  };
  std::mt19937 rng(17);
  for (const std::string alphabet : {"\r\n", "\r", "ab\r\n", "abcdefgh\r", "abcdefghijklmnopqrstuvw \r\n"}) {
    for (std::size_t size : {0, 1, 2, 3, 17, 4096, 4097, 8193, 70000}) {
      SCOPED_TRACE(testing::ToHex(alphabet) + ", " + std::to_string(size) + " bytes");
      std::string text(size, ' ');
      for (char& c : text) c = alphabet[rng() % alphabet.size()];
      std::vector<std::int32_t> positions = {-1, 0, static_cast<std::int32_t>(size),
                                             static_cast<std::int32_t>(size) + 3};
      for (int k = 0; k < 20 && size > 0; ++k) positions.push_back(static_cast<std::int32_t>(rng() % size));
      std::vector<std::int32_t> adjusted;
      const std::string expected = byte_walk(text, positions, adjusted);
      std::vector<TDocBookmark> marks;
      for (std::int32_t p : positions) marks.push_back({"m", p, 0});
      EXPECT_TRUE(NormalizeLineEnds(text, marks) == expected);
      for (std::size_t k = 0; k < marks.size(); ++k) {
        EXPECT_EQ(marks[k].AdjustedPosition, adjusted[k]) << "mark at " << positions[k];
      }
      const TDocPieces pieces(text);
      EXPECT_EQ(pieces.Length(), expected.size());
      ASSERT_EQ(pieces.Count(), (expected.size() + kDocRecordSize - 1) / kDocRecordSize);
      std::string piece;
      for (std::size_t k = 0; k < pieces.Count(); ++k) {
        pieces.Piece(k, piece);
        ASSERT_TRUE(piece == expected.substr(k * kDocRecordSize, kDocRecordSize)) << "piece " << k;
      }
    }
  }
}

// A write stopped half-way (a cancelling progress callback, or a folder that isn't there)
// leaves no file and no record pointing into the writer's freed buffers; the next write
// starts afresh.
TEST(DocFile, AStoppedWriteLeavesNoRecords) {
  const std::string text(5 * kDocRecordSize, 'x');
  for (const bool compress : {true, false}) {
    SCOPED_TRACE(compress ? "compressed" : "plain");
    TScratchFile file("stopped.pdb");
    TDocFile doc(file.path(), "Stopped", compress);
    EXPECT_THROW(doc.WriteText(text, [](int percent) {
      if (percent > 50) throw std::runtime_error("cancelled");
    }),
                 std::runtime_error);
    EXPECT_EQ(doc.RecordCount(), 0);
    EXPECT_FALSE(platform::FileExists(file.path()));
    doc.WriteText(text);
    EXPECT_EQ(doc.RecordCount(), 6);
    EXPECT_TRUE(TDocReader(file.path()).ReadText() == text);

    TDocFile nowhere(file.path() + ".missing/x.pdb", "Nowhere", compress);
    EXPECT_THROW(nowhere.WriteText(text), EOSError);
    EXPECT_EQ(nowhere.RecordCount(), 0);
  }
}

TEST(DocFile, WritesBookmarkRecordsAfterTheText) {
  TScratchFile file("marks.pdb");
  TDocFile doc(file.path(), "Marks", true);
  doc.AddBookmark("first", 0);
  doc.AddBookmark("a title longer than sixteen bytes", 6);
  doc.WriteText("ab\r\ncd\r\nef");
  TDocReader reader(file.path());
  EXPECT_EQ(reader.ReadText(), "ab\ncd\nef");
  ASSERT_EQ(reader.entries().size(), 4u);
  EXPECT_EQ(ToHex(std::string(reader.RecordBytes(2))),
            ToHex(std::string("first") + std::string(11, '\0') + Hex("00 00 00 00")));
  EXPECT_EQ(ToHex(std::string(reader.RecordBytes(3))),
            ToHex(std::string("a title longer t") + Hex("00 00 00 05")));
  EXPECT_EQ(reader.entries()[2].attributes, 0);
  EXPECT_EQ(reader.entries()[3].unique_id, 0u);
  ASSERT_EQ(reader.Bookmarks().size(), 2u);
  EXPECT_EQ(reader.Bookmarks()[1].title, "a title longer t");
  EXPECT_EQ(reader.Bookmarks()[1].position, 5u);
  EXPECT_FALSE(reader.Bookmark(1));  // the text record
}

const std::string kKanji = "\x8A\xBF";        // 漢 in Shift JIS
const std::string kKanji8 = "\xE6\xBC\xA2";  // 漢 in UTF-8
constexpr TDocEncoding kSjis = TDocEncoding::kShiftJis, kUtf8 = TDocEncoding::kUtf8;

std::string Repeated(const std::string& part, int times) {
  std::string text;
  for (int i = 0; i < times; ++i) text += part;
  return text;
}

// A title in an encoding and how many of its bytes are kept.
struct TCutCase {
  const char* name;
  TDocEncoding encoding;
  std::string title;
  std::size_t kept;
};

// A bookmark's 16 bytes never end inside a character; what is cut is zero-padded.
TEST(DocFile, CutsBookmarkTitlesOnACharacterBoundary) {
  const TCutCase cases[] = {
      {"Shift JIS: byte 16 opens a double-byte character", kSjis, std::string(15, 'a') + kKanji,
       15},
      {"Shift JIS: a double-byte character ends at byte 16", kSjis,
       std::string(14, 'a') + kKanji + "b", 16},
      {"Shift JIS: nine double-byte characters", kSjis, Repeated(kKanji, 9), 16},
      {"Shift JIS: half-width katakana are single bytes", kSjis, std::string(20, '\xB1'), 16},
      {"exactly 16 bytes", kSjis, std::string(16, 'x'), 16},
      {"empty", kSjis, "", 0},
      {"UTF-8: a 3-byte character over byte 16", kUtf8, std::string(14, 'a') + kKanji8, 14},
      {"UTF-8: a 3-byte character ends at byte 16", kUtf8, std::string(13, 'a') + kKanji8 + "b",
       16},
      {"UTF-8: Shift JIS rules would cut elsewhere", kUtf8, "a" + Repeated(kKanji8, 6), 16},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TScratchFile file("cut.pdb");
    TDocFile doc(file.path(), "Cut", false, c.encoding);
    doc.AddBookmark(c.title, 0);
    doc.WriteText("text");
    const std::string record(TDocReader(file.path()).RecordBytes(2));
    const std::string kept = c.title.substr(0, c.kept);
    EXPECT_EQ(ToHex(record), ToHex(kept + std::string(16 - kept.size(), '\0') + Hex("00000000")));
  }
}

TEST(DocFile, CutsTheTitleToThirtyOneBytes) {
  const std::string kAscii30(30, 'a');
  const TCutCase cases[] = {
      {"40 ASCII characters", kSjis, std::string(40, 'x'), 31},
      {"exactly 31 bytes", kSjis, std::string(31, 'x'), 31},
      {"short", kSjis, "Mail", 4},
      {"byte 31 opens a double-byte character", kSjis, kAscii30 + kKanji + "b", 30},
      {"byte 31 closes a double-byte character", kSjis, std::string(29, 'a') + kKanji + "cd", 29},
      {"all double-byte: byte 31 opens one", kSjis, Repeated(kKanji, 20), 30},
      {"half-width katakana are single bytes", kSjis, std::string(35, '\xB1'), 31},
      {"UTF-8: 40 ASCII characters", kUtf8, std::string(40, 'x'), 31},
      {"UTF-8: byte 31 opens a 3-byte character", kUtf8, kAscii30 + kKanji8, 30},
      {"UTF-8: byte 31 is inside a 3-byte character", kUtf8, std::string(29, 'a') + kKanji8, 29},
      {"UTF-8: a 3-byte character ends at byte 31", kUtf8, std::string(28, 'a') + kKanji8 + "b", 31},
      {"UTF-8: all 3-byte characters", kUtf8, Repeated(kKanji8, 11), 30},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(CutDocTitle(c.title, c.encoding), c.title.substr(0, c.kept));
    TDocFile doc("unused.pdb", c.title, true, c.encoding);
    EXPECT_EQ(doc.Header().Name, c.title.substr(0, c.kept));
  }
}

TEST(DocFile, TextRecordsAreCutAtExactly4096Bytes) {
  TScratchFile file("split.pdb");
  std::string text;
  while (text.size() < 9000) text += "\x82\xA0";  // a double-byte character straddles 4096
  text = "x" + text;
  TDocFile(file.path(), "Split", true).WriteText(text);
  TDocReader reader(file.path());
  EXPECT_EQ(reader.TextRecord(1), text.substr(0, 4096));
  EXPECT_EQ(reader.TextRecord(2), text.substr(4096, 4096));
  EXPECT_EQ(reader.TextRecord(3), text.substr(8192));
}

TEST(DocReader, RejectsFilesThatAreNotDocEBooks) {
  TScratchFile source("source.pdb");
  TDocFile(source.path(), "Source", true).WriteText("hello hello hello");
  const std::string good = platform::ReadWholeFile(source.path());
  const std::size_t record0 = 78 + 16, record1 = record0 + 16;
  struct TCase {
    const char* name;
    std::string bytes;
  };
  const auto patched = [&](std::size_t at, const std::string& with) {
    std::string b = good;
    b.replace(at, with.size(), with);
    return b;
  };
  const TCase cases[] = {
      {"another type", patched(60, "BOOK")},
      {"another creator", patched(64, "MOBI")},
      {"version 3", patched(record0, Hex("00 03"))},
      {"more text records than the file holds", patched(record0 + 8, Hex("00 02"))},
      {"record 0 too short", patched(86, Hex("00 00 00 6A"))},
      {"no records", patched(76, Hex("00 00"))},
      {"back-reference before the start", patched(record1, Hex("80 18"))},
      {"header only", good.substr(0, 78)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TScratchFile file("bad.pdb");
    platform::WriteWholeFile(file.path(), c.bytes);
    EXPECT_THROW(TDocReader(file.path()).ReadText(), EInvalidPalmDatabase);
  }
}

}  // namespace
}  // namespace vesko
