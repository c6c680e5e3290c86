#include "palm/DocCompress.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

#include "palm/PalmDatabase.h"

namespace vesko {
namespace {

constexpr std::uint32_t kNone = 0xFFFFFFFFu;
constexpr std::size_t kWindow = 2047;
constexpr std::size_t kMinCopy = 3, kMaxCopy = 10;
// Bytes after the piece in the working copy, so that comparisons may load whole words.
constexpr std::size_t kPadding = 16;

std::uint64_t Load64(const std::uint8_t* p) {
  std::uint64_t w;
  std::memcpy(&w, p, 8);
  return w;
}

// How many of the first bytes two little-endian-loaded words share.
std::size_t SharedBytes(std::uint64_t diff) {
  const int bits = std::endian::native == std::endian::little ? std::countr_zero(diff)
                                                               : std::countl_zero(diff);
  return static_cast<std::size_t>(bits) / 8;
}

}  // namespace

// The plain scan grows a candidate at P one byte at a time, each search starting at the
// previous hit. Since a string that matches at S also matches there with any shorter
// length, the hit for every length is simply the first window position holding that many
// bytes of P, and what the scan does at P comes down to this: when some window position
// shares at least 3 bytes with P and P + 4 <= the piece end, it copies
//   length = min(longest shared run, 10, bytes left after P - 1)
// from the first (farthest back) position that shares `length` bytes; otherwise P is a
// literal. The candidate length it carries from one position to the next never changes
// that outcome.
//
// So the finder links, per piece, every position to the nearest earlier one whose first
// three bytes hash alike. A walk from P goes back through the window, nearest first; a
// position replaces the current best when it shares at least as many bytes (counted up to
// the cap), so the farthest of the longest wins. Most positions have no earlier one in
// their window and cost one look at their link.
//
// The links hold position + a base that grows from piece to piece, so the hash table's
// entries from earlier pieces read as before the window without clearing it per piece.
class TDocMatchFinder {
 public:
  void Reset(std::string_view piece) {
    n_ = piece.size();
    if (text_.size() < n_ + kPadding) text_.resize(n_ + kPadding);
    std::memcpy(text_.data(), piece.data(), n_);
    std::memset(text_.data() + n_, 0, kPadding);
    if (prev_.size() < n_) prev_.resize(n_);
    if (base_ > std::numeric_limits<std::uint32_t>::max() - n_ - 1) {
      std::memset(last_, 0, sizeof last_);  // every entry reads as "none" again
      base_ = 1;
    }
    const std::uint8_t* b = text_.data();
    const std::size_t ends = n_ >= kMinCopy ? n_ - kMinCopy + 1 : 0;
    for (std::size_t i = 0; i < ends; ++i) {
      std::uint32_t& last = last_[Hash(b + i)];
      prev_[i] = last;
      last = base_ + static_cast<std::uint32_t>(i);
    }
    piece_base_ = base_;
    base_ += static_cast<std::uint32_t>(n_) + 1;
  }

  const std::uint8_t* text() const { return text_.data(); }

  // The longest run of at most `cap` bytes (cap >= 3) from p that starts in [window, p)
  // too, and the first position where it does; a length below 3 means none.
  std::size_t Longest(std::size_t p, std::size_t window, std::size_t cap,
                      std::uint32_t& hit) const {
    const std::uint8_t* b = text_.data();
    const std::uint32_t floor = piece_base_ + static_cast<std::uint32_t>(window);
    std::uint32_t linked = prev_[p];
    std::size_t best = 0;
    if (linked < floor) return best;
    const std::uint64_t x0 = Load64(b + p), x1 = Load64(b + p + 8);
    do {
      const std::size_t s = linked - piece_base_;
      std::size_t len;
      if (const std::uint64_t diff = Load64(b + s) ^ x0; diff != 0) {
        len = SharedBytes(diff);
      } else if (const std::uint64_t diff1 = Load64(b + s + 8) ^ x1; diff1 != 0) {
        len = 8 + SharedBytes(diff1);
      } else {
        len = 16;
      }
      len = std::min(len, cap);
      if (len >= best) {
        hit = static_cast<std::uint32_t>(s);
        best = len;
      }
      linked = prev_[s];
    } while (linked >= floor);
    return best;
  }

 private:
  static constexpr int kHashBits = 14;

  static std::uint32_t Hash(const std::uint8_t* p) {
    std::uint32_t key = 0;
    std::memcpy(&key, p, 4);
    if constexpr (std::endian::native == std::endian::little) {
      key &= 0xFFFFFF;
    } else {
      key >>= 8;
    }
    return (key * 0x9E3779B1u) >> (32 - kHashBits);
  }

  std::size_t n_ = 0;
  std::vector<std::uint8_t> text_;   // the piece and kPadding zero bytes
  std::vector<std::uint32_t> prev_;  // per position: the nearest earlier one of its hash
  std::uint32_t last_[1 << kHashBits] = {};  // per hash: its latest position; 0 is none
  std::uint32_t base_ = 1;        // what the next piece's positions are stored with
  std::uint32_t piece_base_ = 1;  // and this piece's
};

// Writes the tokens into a buffer kept between pieces. Runs of single escaped literals are
// merged as they are written: an escaped byte right after an open count below 8 raises
// that count instead.
class TTokenWriter {
 public:
  TTokenWriter(std::vector<std::uint8_t>& buffer, std::size_t n) : buffer_(buffer) {
    if (buffer_.size() < 2 * n + 2) buffer_.resize(2 * n + 2);
    out_ = buffer_.data();
  }

  void Literal(std::uint8_t c) {
    if (space_pending_) {
      space_pending_ = false;
      if (c >= 0x40 && c <= 0x7F) {
        Put(c ^ 0x80);
        return;
      }
      Put(' ');
    } else if (c == ' ') {
      space_pending_ = true;
      return;
    }
    if (c == 0x00 || (c >= 0x09 && c <= 0x7F)) {
      Put(c);
    } else if (group_ != kNone && out_[group_] < 8) {
      ++out_[group_];
      out_[size_++] = c;
    } else {
      group_ = static_cast<std::uint32_t>(size_);
      out_[size_++] = 1;
      out_[size_++] = c;
    }
  }

  void Copy(std::size_t distance, std::size_t length) {
    if (space_pending_) {
      space_pending_ = false;
      Put(' ');
    }
    Put(0x80 + (distance >> 5));
    out_[size_++] = static_cast<std::uint8_t>(((distance << 3) & 0xFF) + (length - 3));
  }

  std::string Finish() {
    if (space_pending_) Put(' ');
    return std::string(reinterpret_cast<const char*>(out_), size_);
  }

 private:
  void Put(std::size_t c) {
    group_ = kNone;
    out_[size_++] = static_cast<std::uint8_t>(c);
  }

  std::vector<std::uint8_t>& buffer_;
  std::uint8_t* out_;
  std::size_t size_ = 0;
  std::uint32_t group_ = kNone;
  bool space_pending_ = false;
};

TDocCompressor::TDocCompressor() : finder_(std::make_unique<TDocMatchFinder>()) {}
TDocCompressor::~TDocCompressor() = default;

std::string DocCompress(std::string_view piece) { return TDocCompressor().Compress(piece); }

std::string TDocCompressor::Compress(std::string_view piece) {
  const std::size_t n = piece.size();
  TDocMatchFinder& finder = *finder_;
  finder.Reset(piece);
  const std::uint8_t* b = finder.text();
  TTokenWriter writer(output_, n);
  std::size_t p = 0;
  // A copy needs 3 bytes and one more after them: the scan never lets a match reach the end.
  for (; p + kMinCopy < n;) {
    const std::size_t window = p > kWindow ? p - kWindow : 0;
    std::uint32_t hit = kNone;
    const std::size_t len = finder.Longest(p, window, std::min(kMaxCopy, n - p - 1), hit);
    if (len >= kMinCopy) {
      writer.Copy(p - hit, len);
      p += len;
    } else {
      writer.Literal(b[p]);
      ++p;
    }
  }
  for (; p < n; ++p) writer.Literal(b[p]);
  return writer.Finish();
}

std::string DocDecompress(std::string_view packed) {
  std::string out;
  out.reserve(packed.size() * 2);
  const auto* b = reinterpret_cast<const std::uint8_t*>(packed.data());
  const std::size_t n = packed.size();
  for (std::size_t i = 0; i < n;) {
    const std::uint8_t c = b[i++];
    if (c >= 0x01 && c <= 0x08) {
      if (n - i < c) throw EInvalidPalmDatabase("compressed text ends inside a literal run");
      out.append(packed.substr(i, c));
      i += c;
    } else if (c < 0x80) {
      out.push_back(static_cast<char>(c));
    } else if (c >= 0xC0) {
      out.push_back(' ');
      out.push_back(static_cast<char>(c ^ 0x80));
    } else {
      if (i == n) throw EInvalidPalmDatabase("compressed text ends inside a back-reference");
      const unsigned pair = (c << 8 | b[i++]) & 0x3FFF;
      const std::size_t distance = pair >> 3, length = (pair & 7) + 3;
      if (distance == 0 || distance > out.size()) {
        throw EInvalidPalmDatabase("compressed text refers to bytes before its start");
      }
      // The copy may overlap the bytes it writes, so it goes one byte at a time.
      for (std::size_t k = 0; k < length; ++k) out.push_back(out[out.size() - distance]);
    }
  }
  return out;
}

}  // namespace vesko
