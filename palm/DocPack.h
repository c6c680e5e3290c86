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
#include <functional>
#include <string>
#include <string_view>

namespace vesko {

// Hands each packed piece of text (pieces of kDocRecordSize bytes, the last one shorter)
// to take(index, packed), index 0 first, on the calling thread. threads counts the calling
// thread; values below 1 count as 1, and no more threads are used than there are pieces.
void PackDocPieces(std::string_view text, int threads,
                   const std::function<void(std::size_t index, std::string packed)>& take);

// The number of threads a Doc writer packs with unless told otherwise: the processor's
// hardware threads, at least 1 and at most kMaxDocThreads, or what SetDefaultDocThreads set.
inline constexpr int kMaxDocThreads = 4;
int DefaultDocThreads();
// Sets the default for the whole process (benchmarks and tests choose 1 or 2 this way);
// 0 goes back to the processor's count. Clamped to 0..kMaxDocThreads.
void SetDefaultDocThreads(int threads);

}  // namespace vesko
