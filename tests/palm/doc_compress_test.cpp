#include "palm/DocCompress.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <random>
#include <utility>
#include <string>

#include "palm/PalmDatabase.h"
#include "platform/files.h"
#include "tests/palm/palm_test_util.h"
#include "tests/support/DocCompressReference.h"

namespace vesko {
namespace {

using testing::DocCompressReference;
using testing::Hex;
using testing::ToHex;

struct TPackCase {
  const char* name;
  std::string text, packed;
};

TEST(DocCompress, PacksKnownPieces) {
  const TPackCase cases[] = {
      {"a match reaching the end stops one byte short", "abcabcabcabc", Hex("61 62 63 80 1D 63")},
      {"space then 0x40..0x7F is one byte", " x", Hex("F8")},
      {"two spaces: the second is not pending", "  x", Hex("20 20 78")},
      {"three spaces", "   x", Hex("20 20 F8")},
      {"trailing space", "ab ", Hex("61 62 20")},
      {"space before a high byte", std::string(" \x82"), Hex("20 01 82")},
      {"nine escaped bytes become 8 + 1", Hex("81 82 83 84 85 86 87 88 89"),
       Hex("08 81 82 83 84 85 86 87 88 01 89")},
      {"escaped runs break at other tokens", Hex("81 82 41 83"), Hex("02 81 82 41 01 83")},
      {"0x01..0x08 are escaped", Hex("01 08 09"), Hex("02 01 08 09")},
      {"zero bytes are ordinary literals", std::string("a\0b\0", 4), std::string("a\0b\0", 4)},
      {"pending space goes out before a back-reference", "ab ab ab", Hex("61 62 20 80 19 62")},
      {"the second copy reaches farthest back", "aaaaaaaaaaaaaaaa", Hex("61 80 0F 80 59 61")},
      {"single byte", "a", "a"},
      {"single space", " ", " "},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ToHex(DocCompress(c.text)), ToHex(c.packed));
    EXPECT_EQ(ToHex(DocCompressReference(c.text)), ToHex(c.packed));
    EXPECT_EQ(DocDecompress(c.packed), c.text);
  }
}

TEST(DocDecompress, DecodesEachTokenKind) {
  const TPackCase cases[] = {
      {"0x09..0x7F stand for themselves", "abc", "abc"},
      {"0x01..0x08 copy that many raw bytes", std::string("\x00\xFF", 2), Hex("02 00 FF")},
      {"0xC0..0xFF is a space plus byte^0x80", " A", "\xC1"},
      {"0x80 pair copies from 3 back", "abcabc", Hex("61 62 63 80 18")},
      {"overlapping copy", "aaaaaaaaaaa", Hex("61 80 0F")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(DocDecompress(c.packed), c.text);
  }
}

TEST(DocDecompress, RejectsDamagedInput) {
  const TPackCase cases[] = {
      {"pair before the start", "", Hex("80 18")},
      {"pair one byte too far back", "", Hex("61 62 80 18")},
      {"distance zero", "", Hex("61 80 00")},
      {"truncated pair", "", Hex("61 62 63 80")},
      {"truncated literal run", "", Hex("03 81 82")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_THROW(DocDecompress(c.packed), EInvalidPalmDatabase);
  }
}

// Pieces in the shape of the export text: Shift JIS words, ASCII words, CR LF lines.
std::string ProseLike(std::mt19937& rng, std::size_t size) {
  static const char* const kWords[] = {
      "\x83\x70\x81\x5B\x83\x80",  // パーム
      "\x83\x81\x81\x5B\x83\x8B",  // メール
      "\x82\xCC", "\x82\xF0", "\x82\xC9", "\x82\xCD",  // の を に は
      "\x8F\x91\x82\xAB\x8F\x6F\x82\xB5",  // 書き出し
      "\x81\x40", "\x81\x42", "\x81\x41",  // full-width space, 。、
      "Vesko", "Palm", "Doc", "the ", "e-book ", " ", "  ", "\r\n", "\r\n\r\n", "From: ",
      "Subject: ", "2024/05/01 ", "\xB1\xB2\xB3",  // half-width katakana
  };
  std::uniform_int_distribution<std::size_t> pick(0, std::size(kWords) - 1);
  std::string out;
  while (out.size() < size) out += kWords[pick(rng)];
  out.resize(size);
  return out;
}

std::string RandomBytes(std::mt19937& rng, std::size_t size, int alphabet) {
  std::uniform_int_distribution<int> byte(0, alphabet - 1);
  std::string out(size, '\0');
  for (char& c : out) c = static_cast<char>(byte(rng));
  return out;
}

// Repeats of one random chunk, with a byte changed now and then: long back-references and
// near misses at every distance up to the window's end.
std::string Repeats(std::mt19937& rng, std::size_t size) {
  std::uniform_int_distribution<std::size_t> chunk_size(1, 2100);
  std::string chunk = RandomBytes(rng, chunk_size(rng), 256);
  std::string out;
  while (out.size() < size) {
    out += chunk;
    if (!chunk.empty()) chunk[rng() % chunk.size()] = static_cast<char>(rng());
  }
  out.resize(size);
  return out;
}

void ExpectSameAsReference(const std::string& piece) {
  // One compressor for every piece of the test: what an earlier piece left in its tables
  // must not leak into a later one.
  static TDocCompressor shared;
  const std::string fast = DocCompress(piece);
  const std::string reference = DocCompressReference(piece);
  ASSERT_EQ(fast, reference) << "piece of " << piece.size() << " bytes";
  ASSERT_EQ(shared.Compress(piece), reference) << "reused, piece of " << piece.size() << " bytes";
  ASSERT_EQ(DocDecompress(fast), piece);
}

TEST(DocCompress, MatchesThePlainScanOnManyPieces) {
  std::mt19937 rng(20240501);
  std::uniform_int_distribution<std::size_t> size(1, kDocRecordSize);
  for (int round = 0; round < 60; ++round) {
    SCOPED_TRACE(round);
    const std::size_t n = round < 8 ? static_cast<std::size_t>(1) << (round + 5) : size(rng);
    const std::size_t m = std::min<std::size_t>(n, kDocRecordSize);
    ExpectSameAsReference(RandomBytes(rng, m, 256));
    ExpectSameAsReference(RandomBytes(rng, m, 4));  // few symbols: many short matches
    ExpectSameAsReference(ProseLike(rng, m));
    ExpectSameAsReference(Repeats(rng, m));
    ExpectSameAsReference(std::string(m, ' '));
    ExpectSameAsReference(std::string(m, '\x82'));
    std::string spaces = ProseLike(rng, m);
    for (std::size_t i = 0; i < spaces.size(); i += 1 + rng() % 5) spaces[i] = ' ';
    ExpectSameAsReference(spaces);
  }
}

TEST(DocCompress, MatchesThePlainScanOnPiecesLongerThanARecord) {
  std::mt19937 rng(5);
  ExpectSameAsReference(ProseLike(rng, 10000));
  ExpectSameAsReference(Repeats(rng, 9000));
}

TEST(DocCompress, MatchesThePlainScanOnSmallPieces) {
  std::mt19937 rng(7);
  for (std::size_t n = 1; n <= 40; ++n) {
    for (int k = 0; k < 50; ++k) {
      ExpectSameAsReference(RandomBytes(rng, n, 3));
      std::string spaced = RandomBytes(rng, n, 3);
      for (char& c : spaced) c = c == 0 ? ' ' : c == 1 ? 'a' : '\x90';
      ExpectSameAsReference(spaced);
    }
  }
}

// Text where no three bytes repeat within any window: every byte is a literal, so the
// strings placed into it are the only matches.
std::string NoRepeats(std::size_t size) {
  std::string out;
  for (std::size_t i = 0; out.size() < size; ++i) {
    out.push_back(static_cast<char>('A' + i % 26));
    out.push_back(static_cast<char>('a' + i / 26 % 26));
    out.push_back(static_cast<char>('0' + i / 676 % 10));
  }
  out.resize(size);
  return out;
}

std::string Placed(std::size_t size, std::initializer_list<std::pair<std::size_t, std::string>> at) {
  std::string out = NoRepeats(size);
  for (const auto& [offset, text] : at) out.replace(offset, text.size(), text);
  return out;
}

struct TShapeCase {
  const char* name;
  std::string piece;
};

TEST(DocCompress, MatchesThePlainScanOnEdgeShapes) {
  const std::string k = "\x88\x89\x8A\x8B\x8C\x8D\x8E\x8F\x90\x91\x92\x93";  // 12 bytes
  const TShapeCase cases[] = {
      {"source exactly 2047 back", Placed(3000, {{100, k}, {2147, k}})},
      {"source 2048 back is out of the window", Placed(3000, {{100, k}, {2148, k}})},
      {"older longer source just left the window", Placed(3000, {{99, k}, {1000, k.substr(0, 5)},
                                                             {2147, k}})},
      {"sources at 2047 and 2046 back", Placed(3000, {{100, k}, {101, k}, {2147, k}})},
      {"first of two equally long sources", Placed(600, {{10, k.substr(0, 6) + "x"},
                                                       {100, k.substr(0, 6) + "y"},
                                                       {300, k.substr(0, 6) + "z"}})},
      {"a later source is longer", Placed(600, {{10, k.substr(0, 4) + "x"},
                                                {100, k.substr(0, 9) + "y"},
                                                {200, k.substr(0, 7) + "y"},
                                                {300, k.substr(0, 11) + "z"}})},
      {"shared runs of 7, 8 and 9 bytes around the word size",
       Placed(600, {{10, k.substr(0, 7)}, {50, k.substr(0, 8)}, {90, k.substr(0, 9)},
                    {130, k}})},
      {"two bytes shared, third differs", Placed(400, {{10, "\x88\x89x"}, {100, "\x88\x89y"},
                                                      {200, "\x88\x89x"}})},
      {"a match of ten running into the next one",
       Placed(400, {{10, k}, {100, k.substr(0, 10) + k.substr(0, 10)}})},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ExpectSameAsReference(c.piece);
  }
}

// A repeat that runs to the end of the piece, with 0..12 bytes of it left at the end: the
// copy must stop one byte short, and the last bytes must become literals.
TEST(DocCompress, MatchesThePlainScanWhenThePieceEndsInAMatch) {
  const std::string k = "abcdefghijklm";
  for (std::size_t tail = 0; tail <= k.size(); ++tail) {
    SCOPED_TRACE(tail);
    ExpectSameAsReference(Placed(50, {{5, k}}) + k.substr(0, tail));
    ExpectSameAsReference(k + k.substr(0, tail));
    ExpectSameAsReference(std::string(tail + 1, 'z'));
  }
}

// Pieces of falling sizes through one compressor: tables and buffers sized by a longer
// piece must not leak into a shorter one.
TEST(DocCompress, MatchesThePlainScanOnShrinkingPieces) {
  std::mt19937 rng(11);
  const std::string text = ProseLike(rng, kDocRecordSize);
  TDocCompressor compressor;
  for (std::size_t n = kDocRecordSize; n > 0; n = n * 3 / 4) {
    SCOPED_TRACE(n);
    const std::string piece = text.substr(text.size() - n);
    ASSERT_EQ(compressor.Compress(piece), DocCompressReference(piece));
  }
}

TEST(DocCompress, MatchesThePlainScanOnTheSampleText) {
  const std::string text = platform::ReadWholeFile(VESKO_SOURCE_DIR "/samples/sample.txt");
  ASSERT_GT(text.size(), 2000u);
  for (std::size_t offset = 0; offset < text.size(); offset += 1000) {
    ExpectSameAsReference(text.substr(offset, kDocRecordSize));
  }
}

}  // namespace
}  // namespace vesko
