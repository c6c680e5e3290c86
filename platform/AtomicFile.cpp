#include <span>
#include <string>
#include <string_view>

#include "platform/files.h"

namespace vesko::platform {
namespace {

// Appended bytes gather up to this many before they go to the system in one write.
constexpr std::size_t kBatchSize = std::size_t{256} << 10;

}  // namespace

void TAtomicFile::Append(std::string_view bytes) {
  if (batch_.size() + bytes.size() > kBatchSize) Flush();
  if (bytes.size() >= kBatchSize) {
    Put(size_, bytes, durable_);
  } else {
    if (batch_.capacity() < kBatchSize) batch_.reserve(kBatchSize);
    batch_.append(bytes);
  }
  size_ += bytes.size();
}

void TAtomicFile::WriteAt(std::uint64_t offset, std::string_view bytes) {
  Flush();
  Put(offset, bytes, false);
}

void TAtomicFile::Flush() {
  if (batch_.empty()) return;
  Put(size_ - batch_.size(), batch_, durable_);
  batch_.clear();
}

void WriteFileAtomic(const std::string& path, std::string_view data) {
  WriteFileAtomic(path, std::span<const std::string_view>(&data, 1));
}

void WriteFileAtomic(const std::string& path, std::span<const std::string_view> parts) {
  TAtomicFile file(path);
  for (const std::string_view part : parts) file.Append(part);
  file.Commit();
}

}  // namespace vesko::platform
