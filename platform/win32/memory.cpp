#include "platform/memory.h"

#include <windows.h>

#include <cstdint>
#include <new>
#include <utility>

#include "platform/errors.h"

namespace vesko::platform {

// Committed pages of the system, zeroed when first touched; large pages would need a
// privilege that users don't have.
char* TByteBlock::Map(std::size_t size, void*& base, std::size_t& reserved) {
  base = ::VirtualAlloc(nullptr, size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
  if (base == nullptr) throw std::bad_alloc();
  reserved = size;
  return static_cast<char*>(base);
}

void TByteBlock::Unmap(void* base, std::size_t) noexcept { ::VirtualFree(base, 0, MEM_RELEASE); }

// The system's heap grows on its own terms; large pages need a privilege users lack.
void PrepareLargeHeap(std::size_t) {}

namespace {

// Files from this size on are mapped by TFileView.
constexpr std::uint64_t kMapFrom = std::uint64_t{1} << 20;

// Closes a file handle when it goes out of scope.
struct TClose {
  HANDLE h;
  ~TClose() { ::CloseHandle(h); }
};

HANDLE OpenForReading(const std::string& path) {
  const HANDLE h = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN,
                                 nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    throw EOSError("opening " + path, static_cast<int>(::GetLastError()));
  }
  return h;
}

// The rest of the open file h in a block: its size and one byte more, so that the read
// that finds the end needs no growing; a file that grows is read into ever larger blocks.
TByteBlock ReadBlock(HANDLE h, const std::string& path) {
  LARGE_INTEGER size{};
  const bool sized = ::GetFileSizeEx(h, &size) && size.QuadPart > 0;
  TByteBlock block(sized ? static_cast<std::size_t>(size.QuadPart) + 1 : std::size_t{1} << 16);
  std::size_t used = 0;
  for (;;) {
    if (used == block.capacity()) block.Grow(used);
    const std::size_t room = block.capacity() - used;
    const DWORD chunk = room > (1u << 30) ? (1u << 30) : static_cast<DWORD>(room);
    DWORD n = 0;
    if (!::ReadFile(h, block.data() + used, chunk, &n, nullptr)) {
      throw EOSError("reading " + path, static_cast<int>(::GetLastError()));
    }
    if (n == 0) break;
    used += n;
  }
  block.SetSize(used);
  return block;
}

}  // namespace

TFileView::TFileView(const std::string& path) {
  const TClose file{OpenForReading(path)};
  LARGE_INTEGER size{};
  if (::GetFileSizeEx(file.h, &size) && static_cast<std::uint64_t>(size.QuadPart) >= kMapFrom &&
      static_cast<std::uint64_t>(size.QuadPart) <= SIZE_MAX) {
    // The view keeps the file and the mapping alive once both handles are closed.
    if (const HANDLE mapping =
            ::CreateFileMappingA(file.h, nullptr, PAGE_READONLY, 0, 0, nullptr)) {
      if (const void* view = ::MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0)) {
        mapped_ = static_cast<const char*>(view);
        mapped_size_ = static_cast<std::size_t>(size.QuadPart);
      }
      ::CloseHandle(mapping);
    }
  }
  if (mapped_ == nullptr) block_ = ReadBlock(file.h, path);
}

TFileView::~TFileView() {
  if (mapped_ != nullptr) ::UnmapViewOfFile(mapped_);
}

TByteBlock ReadFileBlock(const std::string& path) {
  const TClose file{OpenForReading(path)};
  return ReadBlock(file.h, path);
}

}  // namespace vesko::platform
