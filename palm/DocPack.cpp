#include "palm/DocPack.h"

#include <algorithm>
#include <atomic>
#include <cassert>
#include <condition_variable>
#include <cstring>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

#include "palm/DocCompress.h"

namespace vesko {
namespace {

std::atomic<int> default_threads{0};

// The first CR in text[from, to), or to.
std::size_t NextCr(std::string_view text, std::size_t from, std::size_t to) {
  const void* found = std::memchr(text.data() + from, '\r', to - from);
  return found != nullptr ? static_cast<std::size_t>(static_cast<const char*>(found) - text.data())
                          : to;
}

// The pieces of one text and the packed results. Pieces are claimed in order from one
// counter by whoever is free; a result is published under the lock and taken out by the
// calling thread only.
class TPackJob {
 public:
  explicit TPackJob(const TDocPieces& pieces)
      : text_(pieces), pieces_(pieces.Count()), packed_(pieces_), ready_(pieces_, 0) {}

  // Claims the next unclaimed piece; false when none is left or the job stops.
  bool Claim(std::size_t& index) {
    index = next_.fetch_add(1, std::memory_order_relaxed);
    return index < pieces_;
  }

  // Packs piece index and publishes it.
  void Pack(TDocCompressor& compressor, std::string& piece, std::size_t index) {
    text_.Piece(index, piece);
    std::string packed = compressor.Compress(piece);
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      packed_[index] = std::move(packed);
      ready_[index] = 1;
    }
    done_.notify_one();
  }

  // A worker's loop: packs claimed pieces until none is left; a failure stops the job and
  // is kept for the calling thread.
  void Work() noexcept {
    try {
      TDocCompressor compressor;
      std::string piece;
      for (std::size_t index; Claim(index);) Pack(compressor, piece, index);
    } catch (...) {
      {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (!error_) error_ = std::current_exception();
      }
      Stop();
      done_.notify_one();
    }
  }

  // Makes every later Claim fail, so that the workers end after their current piece.
  void Stop() { next_.store(pieces_, std::memory_order_relaxed); }

  // The packed piece index, taken out of the job. While it isn't ready the calling thread
  // packs unclaimed pieces itself, and waits only when every piece is claimed. Rethrows a
  // worker's failure.
  std::string Take(TDocCompressor& compressor, std::string& piece, std::size_t index) {
    for (;;) {
      {
        std::unique_lock<std::mutex> lock(mutex_);
        if (error_) std::rethrow_exception(error_);
        if (ready_[index]) return std::move(packed_[index]);
      }
      std::size_t claimed;
      if (Claim(claimed)) {
        Pack(compressor, piece, claimed);
        continue;
      }
      std::unique_lock<std::mutex> lock(mutex_);
      done_.wait(lock, [&] { return ready_[index] != 0 || error_ != nullptr; });
    }
  }

 private:
  const TDocPieces& text_;
  const std::size_t pieces_;
  std::atomic<std::size_t> next_{0};
  std::mutex mutex_;
  std::condition_variable done_;
  std::vector<std::string> packed_;  // guarded by mutex_
  std::vector<char> ready_;          // guarded by mutex_
  std::exception_ptr error_;         // guarded by mutex_
};

// The worker threads of one job; stops the job and joins them however the caller leaves.
class TWorkers {
 public:
  TWorkers(TPackJob& job, int count) : job_(job) {
    for (int i = 0; i < count; ++i) {
      try {
        threads_.emplace_back([&job] { job.Work(); });
      } catch (...) {
        // No thread (or no memory for one): those already running and the caller share
        // the work. Nothing may escape here, or the running threads would go unjoined.
        break;
      }
    }
  }
  ~TWorkers() {
    job_.Stop();
    for (std::thread& thread : threads_) thread.join();
  }
  TWorkers(const TWorkers&) = delete;
  TWorkers& operator=(const TWorkers&) = delete;

 private:
  TPackJob& job_;
  std::vector<std::thread> threads_;
};

}  // namespace

TDocPieces::TDocPieces(std::string_view text) : text_(text) {
  const std::size_t n = text.size();
  // Byte r of the text lands at r - dropped up to the next CR; piece k starts where
  // k * kDocRecordSize lands, or at the CR whose kept byte lands there.
  std::size_t dropped = 0, boundary = 0;
  for (std::size_t r = 0;;) {
    const std::size_t cr = NextCr(text, r, n);
    for (; boundary + dropped <= cr && boundary + dropped < n; boundary += kDocRecordSize) {
      starts_.push_back(boundary + dropped);
    }
    if (cr == n) break;
    ++dropped;
    r = std::min(cr + 2, n);  // the byte after the CR stays, even another CR
  }
  length_ = n - dropped;
  // A piece found at a CR at the very end would be empty.
  starts_.resize((length_ + kDocRecordSize - 1) / kDocRecordSize);
  starts_.push_back(n);
}

void TDocPieces::Piece(std::size_t index, std::string& out) const {
  const std::size_t end = starts_[index + 1];
  out.clear();
  for (std::size_t r = starts_[index]; r < end;) {
    const std::size_t cr = NextCr(text_, r, end);
    out.append(text_.data() + r, cr - r);
    if (cr + 1 < end) out += text_[cr + 1];
    r = std::min(cr + 2, end);
  }
  assert(out.size() == std::min<std::size_t>(kDocRecordSize, length_ - index * kDocRecordSize));
}

std::int64_t TDocPieces::Adjusted(std::int64_t position) const {
  if (position <= 0) return position;
  const std::size_t n = text_.size();
  if (static_cast<std::uint64_t>(position) >= n) {
    return position - static_cast<std::int64_t>(n - length_);
  }
  const auto at = static_cast<std::size_t>(position);
  // The last piece that starts at or before position; none when no piece is left.
  std::size_t r = 0, dropped = 0;
  if (Count() > 0) {
    const std::size_t k = static_cast<std::size_t>(
        std::upper_bound(starts_.begin(), starts_.end() - 1, at) - starts_.begin() - 1);
    r = starts_[k];
    dropped = r - k * kDocRecordSize;
  }
  for (std::size_t cr; (cr = NextCr(text_, r, at)) < at; r = std::min(cr + 2, at)) ++dropped;
  return position - static_cast<std::int64_t>(dropped);
}

void PackDocPieces(const TDocPieces& pieces, int threads,
                   const std::function<void(std::size_t index, std::string packed)>& take) {
  const std::size_t count = pieces.Count();
  TDocCompressor compressor;
  std::string piece;
  const std::size_t workers =
      std::min(static_cast<std::size_t>(std::max(threads, 1) - 1), count > 0 ? count - 1 : 0);
  if (workers == 0) {
    for (std::size_t k = 0; k < count; ++k) {
      pieces.Piece(k, piece);
      take(k, compressor.Compress(piece));
    }
    return;
  }
  TPackJob job(pieces);
  const TWorkers running(job, static_cast<int>(workers));
  for (std::size_t k = 0; k < count; ++k) take(k, job.Take(compressor, piece, k));
}

int DefaultDocThreads() {
  if (const int chosen = default_threads.load(std::memory_order_relaxed); chosen > 0) {
    return chosen;
  }
  const unsigned hardware = std::thread::hardware_concurrency();
  return std::clamp(static_cast<int>(hardware), 1, kMaxDocThreads);
}

void SetDefaultDocThreads(int threads) {
  default_threads.store(std::clamp(threads, 0, kMaxDocThreads), std::memory_order_relaxed);
}

}  // namespace vesko
