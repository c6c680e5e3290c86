#include "palm/DocCompress.h"

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
constexpr int kHash3Bits = 13;

// The scan picks, for every candidate length, the farthest-back position in the window
// whose bytes equal the candidate. Instead of scanning the window, the compressor keeps
// chains of the positions that start with the same two bytes (exact) and with the same
// three bytes (hashed), in increasing order, and lets each chain's head follow the window
// start. The first chain entry that matches is then the first hit of the plain scan.
class TMatchFinder {
 public:
  // Indexes a new piece; the tables are reused from piece to piece.
  void Reset(std::string_view piece) {
    b_ = reinterpret_cast<const std::uint8_t*>(piece.data());
    n_ = piece.size();
    next2_.resize(n_);
    next3_.resize(n_);
    for (std::size_t i = 0; i + 1 < n_; ++i) head2_[Key2(i)] = kNone;
    for (std::size_t i = 0; i + 2 < n_; ++i) head3_[Key3(i)] = kNone;
    for (std::size_t i = n_; i-- > 0;) {
      if (i + 1 < n_) {
        next2_[i] = head2_[Key2(i)];
        head2_[Key2(i)] = static_cast<std::uint32_t>(i);
      }
      if (i + 2 < n_) {
        next3_[i] = head3_[Key3(i)];
        head3_[Key3(i)] = static_cast<std::uint32_t>(i);
      }
    }
  }

  // The first position s in [window, p) whose len bytes equal those at p, or kNone.
  // previous is the hit for len - 1 bytes (kNone if there was none); the window start
  // must not decrease between calls.
  std::uint32_t FirstMatch(std::size_t p, std::size_t len, std::size_t window,
                           std::uint32_t previous) {
    if (len == 1) {
      const void* hit = std::memchr(b_ + window, b_[p], p - window);
      return hit == nullptr ? kNone
                            : static_cast<std::uint32_t>(static_cast<const std::uint8_t*>(hit) - b_);
    }
    if (len == 2) {
      const std::uint32_t s = Advance(head2_[Key2(p)], next2_, window);
      return s < p ? s : kNone;
    }
    // Positions before the previous hit don't even match len - 1 bytes; from four bytes on
    // the previous hit lies in this position's 3-byte chain.
    std::uint32_t s = len == 3 || previous == kNone ? Advance(head3_[Key3(p)], next3_, window)
                                                    : previous;
    for (; s < p; s = next3_[s]) {
      if (std::memcmp(b_ + s, b_ + p, len) == 0) return s;
    }
    return kNone;
  }

 private:
  std::uint32_t Key2(std::size_t i) const { return b_[i] << 8 | b_[i + 1]; }
  std::uint32_t Key3(std::size_t i) const {
    const std::uint32_t v = b_[i] << 16 | b_[i + 1] << 8 | b_[i + 2];
    return (v * 2654435761u) >> (32 - kHash3Bits);
  }
  // Moves a chain head past the positions that fell out of the window.
  static std::uint32_t Advance(std::uint32_t& head, const std::vector<std::uint32_t>& next,
                               std::size_t window) {
    while (head != kNone && head < window) head = next[head];
    return head;
  }

  const std::uint8_t* b_ = nullptr;
  std::size_t n_ = 0;
  std::vector<std::uint32_t> next2_, next3_;
  std::uint32_t head2_[1 << 16];
  std::uint32_t head3_[1 << kHash3Bits];
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
  // The chain heads take 288 KB: too much for the stack, too much to clear for each piece.
  thread_local std::unique_ptr<TMatchFinder> finder_storage;
  if (!finder_storage) finder_storage = std::make_unique<TMatchFinder>();
  TMatchFinder& finder = *finder_storage;
  finder.Reset(piece);
  TTokenWriter writer(n);
  std::size_t p = 0, len = 1;  // the candidate is the len bytes from p
  while (p < n) {
    const std::size_t window = p > kWindow ? p - kWindow : 0;
    std::uint32_t hit = kNone;  // where the candidate minus its last byte matched
    while (len < kMaxCandidate && p + len != n) {
      const std::uint32_t s = finder.FirstMatch(p, len, window, hit);
      if (s == kNone) break;
      hit = s;
      ++len;
    }
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
