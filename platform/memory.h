// TByteBlock is a block of memory for whole files and other large byte arrays. It is not
// zeroed, and the system may back it with large pages, so that filling megabytes of it
// costs a few page faults instead of one per 4 KB page. Move-only; throws std::bad_alloc
// when the system gives no memory.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vesko::platform {

class TByteBlock {
 public:
  TByteBlock() = default;
  explicit TByteBlock(std::size_t size);
  ~TByteBlock();
  TByteBlock(TByteBlock&& other) noexcept;
  TByteBlock& operator=(TByteBlock&& other) noexcept;
  TByteBlock(const TByteBlock&) = delete;
  TByteBlock& operator=(const TByteBlock&) = delete;

  char* data() { return data_; }
  const char* data() const { return data_; }
  // The bytes in use: at most the size the block was made with.
  std::size_t size() const { return size_; }
  void SetSize(std::size_t size) { size_ = size < capacity_ ? size : capacity_; }
  std::size_t capacity() const { return capacity_; }
  std::string_view view() const { return {data_, size_}; }
  // Moves the first `keep` bytes into a block of twice the capacity.
  void Grow(std::size_t keep);

 private:
  void Release() noexcept;
  // The system's side: maps a block of at least size bytes and returns where its bytes
  // start (base and reserved receive what Unmap takes back); throws std::bad_alloc.
  static char* Map(std::size_t size, void*& base, std::size_t& reserved);
  static void Unmap(void* base, std::size_t reserved) noexcept;

  char* data_ = nullptr;
  std::size_t size_ = 0, capacity_ = 0;
  void* base_ = nullptr;       // what the system handed out
  std::size_t reserved_ = 0;   // and its length
};

// For a program that holds tens of megabytes at once (a whole folder's mails): asks the
// system to back the first `size` bytes of the program's heap with large pages, so that
// filling them costs a few page faults instead of one per 4 KB page, and keeps blocks of
// up to 32 MB in that heap. Call it once, before the heap has grown; a system that can't
// do it is left as it is.
void PrepareLargeHeap(std::size_t size);

// A whole file's bytes, read-only. A large regular file is mapped from the system's file
// cache: no copy is made and no fresh memory is filled, which costs a large file a few
// milliseconds instead of a read into new pages. Such a file must not be shortened while
// the view lives. Other files are read (ReadFileBlock). Throws EOSError when the file can't
// be opened or read.
class TFileView {
 public:
  explicit TFileView(const std::string& path);
  ~TFileView();
  TFileView(const TFileView&) = delete;
  TFileView& operator=(const TFileView&) = delete;

  std::string_view view() const {
    return mapped_ != nullptr ? std::string_view(mapped_, mapped_size_) : block_.view();
  }

 private:
  TByteBlock block_;                // the bytes when read
  const char* mapped_ = nullptr;    // or the mapping
  std::size_t mapped_size_ = 0;
};

// The whole file in a block. Throws EOSError when it can't be opened or read.
TByteBlock ReadFileBlock(const std::string& path);

}  // namespace vesko::platform
