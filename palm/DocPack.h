// Packs the text records of a Doc e-book on several threads. The 4,096-byte pieces of a
// text pack independently, so a small pool of worker threads, made for one text and joined
// before PackDocPieces returns, packs them while the calling thread packs too and hands the
// packed pieces on strictly in order. Everything that reaches the outside (the `take`
// callback, and with it the writer's message pumping and progress) runs on the calling
// thread; the workers touch nothing but the text and their own results. The output is
// byte for byte what one thread makes.
//
// An exception from `take` or from packing (memory) stops the workers, waits for them and
// propagates. When a worker thread can't be started the remaining threads do its share.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vesko {

// A text as a Doc e-book's records hold it: every CR dropped and the byte after each CR
// kept whatever it is (CR LF -> LF, CR CR LF -> CR LF), cut into pieces of kDocRecordSize
// bytes (the last one shorter). It refers to the text, which must outlive it and stay
// unchanged. One scan on construction finds where each piece starts; a piece's CRs are
// dropped when it is taken, so the text is never copied whole.
class TDocPieces {
 public:
  explicit TDocPieces(std::string_view text);

  // The length after dropping CRs, and the number of pieces.
  std::size_t Length() const { return length_; }
  std::size_t Count() const { return starts_.size() - 1; }
  // Piece index with its CRs dropped, into out (its earlier content replaced).
  void Piece(std::size_t index, std::string& out) const;
  // Where the byte at position of the text lands: position less the CRs dropped before it.
  // Positions before the start stay, positions past the end move by all dropped CRs.
  std::int64_t Adjusted(std::int64_t position) const;

 private:
  std::string_view text_;
  std::size_t length_ = 0;
  // Where piece k starts in the text, and one more entry: the text's end. A piece that
  // starts right after a dropped CR starts at that CR, so that taking it alone drops it.
  std::vector<std::size_t> starts_;
};

// Hands each packed piece (pieces.Piece(index) compressed) to take(index, packed), index 0
// first, on the calling thread. threads counts the calling thread; values below 1 count
// as 1, and no more threads are used than there are pieces.
void PackDocPieces(const TDocPieces& pieces, int threads,
                   const std::function<void(std::size_t index, std::string packed)>& take);

// The number of threads a Doc writer packs with unless told otherwise: the processor's
// hardware threads, at least 1 and at most kMaxDocThreads, or what SetDefaultDocThreads set.
inline constexpr int kMaxDocThreads = 4;
int DefaultDocThreads();
// Sets the default for the whole process (benchmarks and tests choose 1 or 2 this way);
// 0 goes back to the processor's count. Clamped to 0..kMaxDocThreads.
void SetDefaultDocThreads(int threads);

}  // namespace vesko
