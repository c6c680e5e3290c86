#include "platform/memory.h"

#include <fcntl.h>
#include <malloc.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <utility>

#include "platform/errors.h"
#include "platform/posix/ReadToEnd.h"

namespace vesko::platform {
namespace {

// Blocks from this size on are aligned to the 2 MB of a large page and asked for in large
// pages; smaller ones gain nothing from them.
constexpr std::size_t kLargePage = std::size_t{2} << 20;
// Files from this size on are mapped by TFileView.
constexpr std::size_t kMapFrom = std::size_t{1} << 20;

}  // namespace

char* TByteBlock::Map(std::size_t size, void*& base, std::size_t& reserved) {
  const bool large = size >= kLargePage;
  reserved = large ? size + kLargePage : size;
  base = ::mmap(nullptr, reserved, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (base == MAP_FAILED) {
    base = nullptr;
    throw std::bad_alloc();
  }
  auto start = reinterpret_cast<std::uintptr_t>(base);
  if (large) {
    start = (start + kLargePage - 1) & ~(kLargePage - 1);
    ::madvise(reinterpret_cast<void*>(start), size, MADV_HUGEPAGE);  // only a hint
  }
  return reinterpret_cast<char*>(start);
}

void TByteBlock::Unmap(void* base, std::size_t reserved) noexcept { ::munmap(base, reserved); }

void PrepareLargeHeap(std::size_t size) {
  // Blocks up to 32 MB come from the heap instead of mappings of their own, and the heap
  // is neither grown by less nor given back in smaller steps than size.
  constexpr int kHeapBlocks = 32 << 20;
  if (::mallopt(M_MMAP_THRESHOLD, kHeapBlocks) == 0) return;
  ::mallopt(M_TOP_PAD, static_cast<int>(size));
  ::mallopt(M_TRIM_THRESHOLD, static_cast<int>(2 * size));
  // A block larger than the heap's free room grows it by size at once; the new part is
  // advised as one range and stays in the heap when the block is freed.
  const auto before = reinterpret_cast<std::uintptr_t>(::sbrk(0));
  void* grow = std::malloc(std::size_t{1} << 20);
  const auto after = reinterpret_cast<std::uintptr_t>(::sbrk(0));
  const std::uintptr_t start = (before + kLargePage - 1) & ~(kLargePage - 1);
  if (grow != nullptr && after > start) {
    ::madvise(reinterpret_cast<void*>(start), after - start, MADV_HUGEPAGE);  // only a hint
  }
  std::free(grow);
}

namespace {

// The rest of the open file fd in a block.
TByteBlock ReadBlock(int fd, const std::string& path) {
  bool regular = false;
  TByteBlock block(FirstRoom(fd, &regular));
  block.SetSize(ReadToEnd(fd, path, regular, block, [&](std::size_t used) { block.Grow(used); }));
  return block;
}

// Closes a descriptor when it goes out of scope.
struct TClose {
  int fd;
  ~TClose() { ::close(fd); }
};

int OpenForReading(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) throw EOSError("opening " + path, errno);
  return fd;
}

}  // namespace

TFileView::TFileView(const std::string& path) {
  const TClose file{OpenForReading(path)};
  struct stat st {};
  if (::fstat(file.fd, &st) == 0 && S_ISREG(st.st_mode) &&
      static_cast<std::uint64_t>(st.st_size) >= kMapFrom) {
    // Read-only, so that populating it maps the cached pages themselves.
    const auto size = static_cast<std::size_t>(st.st_size);
    void* mapped = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, file.fd, 0);
    if (mapped != MAP_FAILED) {
      mapped_ = static_cast<const char*>(mapped);
      mapped_size_ = size;
      return;
    }
  }
  block_ = ReadBlock(file.fd, path);
}

TFileView::~TFileView() {
  if (mapped_ != nullptr) ::munmap(const_cast<char*>(mapped_), mapped_size_);
}

TByteBlock ReadFileBlock(const std::string& path) {
  const TClose file{OpenForReading(path)};
  return ReadBlock(file.fd, path);
}

}  // namespace vesko::platform
