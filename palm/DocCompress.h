// The Doc compression of Palm Doc e-books, one text record (a piece of at most 4,096
// bytes) at a time. Packed tokens:
//   0x00, 0x09..0x7F  the byte itself
//   0x01..0x08        that many raw bytes follow
//   0x80..0xBF + 1    copy 3..10 bytes from 1..2047 bytes back (11-bit distance, 3-bit length)
//   0xC0..0xFF        a space, then the byte XOR 0x80 (0x40..0x7F)
// DocCompress produces, byte for byte, what the classic plain window scan produces; it
// only finds the matches faster. Zero bytes are ordinary data. DocDecompress checks every
// token against the input and the output so far, and throws EInvalidPalmDatabase.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vesko {

inline constexpr int kDocRecordSize = 4096;

class TDocMatchFinder;

// Packs piece after piece, reusing its match tables and buffers (about 60 KB for 4,096-byte
// pieces) between them; a writer keeps one for all the records of a text.
class TDocCompressor {
 public:
  TDocCompressor();
  ~TDocCompressor();
  TDocCompressor(const TDocCompressor&) = delete;
  TDocCompressor& operator=(const TDocCompressor&) = delete;

  // Packs one piece. Pieces of any length work; the text records use at most 4,096 bytes.
  std::string Compress(std::string_view piece);

 private:
  std::unique_ptr<TDocMatchFinder> finder_;
  std::vector<std::uint8_t> output_;  // the tokens of the piece being packed
};

// Packs one piece with tables of its own; for many pieces a TDocCompressor is quicker.
std::string DocCompress(std::string_view piece);

// Unpacks one record.
std::string DocDecompress(std::string_view packed);

}  // namespace vesko
