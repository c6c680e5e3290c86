#include "palm/DocCompress.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "palm/PalmDatabase.h"

namespace vesko {
namespace {

constexpr std::uint32_t kNone = 0xFFFFFFFFu;
constexpr std::size_t kWindow = 2047;
constexpr std::size_t kMaxCandidate = 11;  // a candidate grows to 11 bytes; 10 are copied

// The scan picks, for every candidate length, the farthest-back position in the window
// whose bytes equal the candidate. Instead of scanning the window, the compressor keeps
// chains of the positions whose first two, three and four bytes hash alike, in increasing
// order, and lets each chain's head follow the window start. The first chain entry whose
// bytes match is then the first hit of the plain scan.
//
// The tables are small enough to stay in the first-level cache and are never cleared:
// entries hold base_ + index, and an entry below the current piece's base_ is stale and
// reads as "none" (it wraps to a huge local index).
class TMatchFinder {
 public:
  // Indexes a new piece.
  void Reset(std::string_view piece) {
    b_ = reinterpret_cast<const std::uint8_t*>(piece.data());
    n_ = piece.size();
    if (next_base_ > 0xF0000000u - n_) {  // the stamps would run out: start again
      std::memset(head_, 0, sizeof head_);
      next_base_ = 1;
    }
    base_ = next_base_;
    next_base_ = base_ + static_cast<std::uint32_t>(n_) + 1;
    for (int chain = 0; chain < 3; ++chain) {
      next_[chain].resize(n_);
      hash_[chain].resize(n_);
    }
    std::uint32_t word = 0;  // the four bytes from i, most significant first
    std::size_t i = n_;
    // The last three positions start fewer than four bytes.
    for (; i > 0 && i + 3 > n_; --i) {
      word = word >> 8 | static_cast<std::uint32_t>(b_[i - 1]) << 24;
      for (int chain = 0; chain < 3; ++chain) {
        if (i - 1 + chain + 2 <= n_) Link(chain, word, i - 1);
      }
    }
    for (; i-- > 0;) {
      word = word >> 8 | static_cast<std::uint32_t>(b_[i]) << 24;
      Link(2, word, i);
      Link(1, word, i);
      Link(0, word, i);
    }
  }

  // Grows the candidate of len bytes at p as the plain scan does: while it is shorter than
  // limit bytes and matches somewhere in [window, p), it takes one more byte, and the next
  // search starts at that hit. Returns the final length; hit is where the candidate minus
  // its last byte matched (kNone when it never grew). The window start must not decrease
  // between calls.
  std::size_t Grow(std::size_t p, std::size_t len, std::size_t window, std::size_t limit,
                   std::uint32_t& hit) {
    hit = kNone;
    if (len >= limit) return len;
    std::uint32_t s = kNone;
    if (len == 1) {
      const void* found = std::memchr(b_ + window, b_[p], p - window);
      if (found == nullptr) return len;
      s = static_cast<std::uint32_t>(static_cast<const std::uint8_t*>(found) - b_);
    } else {
      s = NextMatch(FirstInWindow(ChainFor(len), p, window), ChainFor(len), p, len, limit);
    }
    while (s != kNone) {
      // The first hit for len bytes is also the first for every length it matches.
      const std::size_t common = CommonPrefix(s, p, limit);
      hit = s;
      len = std::min(common, limit - 1) + 1;
      if (len >= limit) break;
      // The next hit lies after s, on the chain of len bytes (four at most). s is on it
      // when it shares that many bytes with p.
      const int chain = ChainFor(len);
      const std::uint32_t from = common >= static_cast<std::size_t>(chain) + 2
                                     ? Local(next_[chain][s])
                                     : FirstInWindow(chain, p, window);
      s = NextMatch(from, chain, p, len, limit);
    }
    return len;
  }

 private:
  static constexpr int kHashBits = 12;

  // Chain c holds positions by their first c + 2 bytes, taken from the top of word.
  static std::uint16_t Hash(int chain, std::uint32_t word) {
    static constexpr std::uint32_t kFactors[3] = {0xC2B2AE3Du, 0x85EBCA77u, 0x9E3779B1u};
    const std::uint32_t key = word >> (8 * (2 - chain));
    return static_cast<std::uint16_t>((key * kFactors[chain]) >> (32 - kHashBits));
  }
  std::uint32_t Local(std::uint32_t stamp) const { return stamp - base_; }
  void Link(int chain, std::uint32_t word, std::size_t i) {
    const std::uint16_t hash = Hash(chain, word);
    hash_[chain][i] = hash;
    next_[chain][i] = head_[chain][hash];
    head_[chain][hash] = base_ + static_cast<std::uint32_t>(i);
  }
  // The chain's first position at or after the window start; the head moves along.
  std::uint32_t FirstInWindow(int chain, std::size_t p, std::size_t window) {
    std::uint32_t& head = head_[chain][hash_[chain][p]];
    while (Local(head) < window) head = next_[chain][Local(head)];
    return Local(head);
  }
  static int ChainFor(std::size_t len) { return static_cast<int>(std::min<std::size_t>(len, 4)) - 2; }
  // The first position from s on along the chain that matches at least len bytes.
  std::uint32_t NextMatch(std::uint32_t s, int chain, std::size_t p, std::size_t len,
                          std::size_t limit) const {
    for (; s < p; s = Local(next_[chain][s])) {
      if (b_[s + len - 1] == b_[p + len - 1] && CommonPrefix(s, p, limit) >= len) return s;
    }
    return kNone;
  }
  // How many bytes from a equal those from b (a < b), up to limit; b + limit <= n.
  std::size_t CommonPrefix(std::size_t a, std::size_t b, std::size_t limit) const {
    std::size_t k = 0;
    if (b + 8 <= n_) {
      std::uint64_t x, y;
      std::memcpy(&x, b_ + a, 8);
      std::memcpy(&y, b_ + b, 8);
      if (x != y) {
        const std::uint64_t diff = x ^ y;
        const int bits = std::endian::native == std::endian::little ? std::countr_zero(diff)
                                                                     : std::countl_zero(diff);
        return std::min<std::size_t>(static_cast<std::size_t>(bits) / 8, limit);
      }
      k = 8;
    }
    while (k < limit && b_[a + k] == b_[b + k]) ++k;
    return std::min(k, limit);
  }

  const std::uint8_t* b_ = nullptr;
  std::size_t n_ = 0;
  std::uint32_t base_ = 1, next_base_ = 1;
  // Chains by the first 2, 3 and 4 bytes.
  std::vector<std::uint32_t> next_[3];
  std::vector<std::uint16_t> hash_[3];
  std::uint32_t head_[3][1 << kHashBits] = {};
};

// Writes the tokens. Runs of single escaped literals are merged as they are written: a
// 0x01 right after an open count byte below 8 raises that count instead.
class TTokenWriter {
 public:
  explicit TTokenWriter(std::size_t n) { out_.resize(2 * n + 2); }

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
      out_[size_++] = static_cast<char>(c);
    } else {
      group_ = static_cast<std::uint32_t>(size_);
      out_[size_++] = 1;
      out_[size_++] = static_cast<char>(c);
    }
  }

  void Copy(std::size_t distance, std::size_t length) {
    if (space_pending_) {
      space_pending_ = false;
      Put(' ');
    }
    Put(0x80 + (distance >> 5));
    out_[size_++] = static_cast<char>(((distance << 3) & 0xFF) + (length - 3));
  }

  std::string Finish() {
    if (space_pending_) Put(' ');
    out_.resize(size_);
    return std::move(out_);
  }

 private:
  void Put(std::size_t c) {
    group_ = kNone;
    out_[size_++] = static_cast<char>(c);
  }

  std::string out_;
  std::size_t size_ = 0;
  std::uint32_t group_ = kNone;
  bool space_pending_ = false;
};

}  // namespace

std::string DocCompress(std::string_view piece) {
  const auto* b = reinterpret_cast<const std::uint8_t*>(piece.data());
  const std::size_t n = piece.size();
  // The tables are reused: cheaper than allocating them for every piece.
  thread_local std::unique_ptr<TMatchFinder> finder_storage;
  if (!finder_storage) finder_storage = std::make_unique<TMatchFinder>();
  TMatchFinder& finder = *finder_storage;
  finder.Reset(piece);
  TTokenWriter writer(n);
  std::size_t p = 0, len = 1;  // the candidate is the len bytes from p
  while (p < n) {
    const std::size_t window = p > kWindow ? p - kWindow : 0;
    std::uint32_t hit = kNone;  // where the candidate minus its last byte matched
    len = finder.Grow(p, len, window, std::min(kMaxCandidate, n - p), hit);
    if (len < 4) {
      writer.Literal(b[p]);
      if (p + len == n) --len;
      ++p;
    } else {
      writer.Copy(p - hit, len - 1);
      const bool at_end = p + len == n;
      p += len - 1;
      len = at_end ? 1 : 2;
    }
  }
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
