#include "palm/DocPack.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

#include "palm/DocCompress.h"

namespace vesko {
namespace {

std::atomic<int> default_threads{0};

// The pieces of one text and the packed results. Pieces are claimed in order from one
// counter by whoever is free; a result is published under the lock and taken out by the
// calling thread only.
class TPackJob {
 public:
  TPackJob(std::string_view text, std::size_t pieces)
      : text_(text), pieces_(pieces), packed_(pieces), ready_(pieces, 0) {}

  // Claims the next unclaimed piece; false when none is left or the job stops.
  bool Claim(std::size_t& index) {
    index = next_.fetch_add(1, std::memory_order_relaxed);
    return index < pieces_;
  }

  // Packs piece index and publishes it.
  void Pack(TDocCompressor& compressor, std::size_t index) {
    std::string packed = compressor.Compress(text_.substr(index * kDocRecordSize, kDocRecordSize));
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
      for (std::size_t index; Claim(index);) Pack(compressor, index);
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
  std::string Take(TDocCompressor& compressor, std::size_t index) {
    for (;;) {
      {
        std::unique_lock<std::mutex> lock(mutex_);
        if (error_) std::rethrow_exception(error_);
        if (ready_[index]) return std::move(packed_[index]);
      }
      std::size_t claimed;
      if (Claim(claimed)) {
        Pack(compressor, claimed);
        continue;
      }
      std::unique_lock<std::mutex> lock(mutex_);
      done_.wait(lock, [&] { return ready_[index] != 0 || error_ != nullptr; });
    }
  }

 private:
  const std::string_view text_;
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

void PackDocPieces(std::string_view text, int threads,
                   const std::function<void(std::size_t index, std::string packed)>& take) {
  const std::size_t pieces = (text.size() + kDocRecordSize - 1) / kDocRecordSize;
  TDocCompressor compressor;
  const std::size_t workers =
      std::min(static_cast<std::size_t>(std::max(threads, 1) - 1), pieces > 0 ? pieces - 1 : 0);
  if (workers == 0) {
    for (std::size_t k = 0; k < pieces; ++k) {
      take(k, compressor.Compress(text.substr(k * kDocRecordSize, kDocRecordSize)));
    }
    return;
  }
  TPackJob job(text, pieces);
  const TWorkers running(job, static_cast<int>(workers));
  for (std::size_t k = 0; k < pieces; ++k) take(k, job.Take(compressor, k));
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
