#include "platform/memory.h"

#include <algorithm>
#include <utility>

namespace vesko::platform {

TByteBlock::TByteBlock(std::size_t size) : size_(size), capacity_(size) {
  if (size > 0) data_ = Map(size, base_, reserved_);
}

TByteBlock::~TByteBlock() { Release(); }

TByteBlock::TByteBlock(TByteBlock&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)),
      size_(std::exchange(other.size_, 0)),
      capacity_(std::exchange(other.capacity_, 0)),
      base_(std::exchange(other.base_, nullptr)),
      reserved_(std::exchange(other.reserved_, 0)) {}

TByteBlock& TByteBlock::operator=(TByteBlock&& other) noexcept {
  if (this != &other) {
    Release();
    data_ = std::exchange(other.data_, nullptr);
    size_ = std::exchange(other.size_, 0);
    capacity_ = std::exchange(other.capacity_, 0);
    base_ = std::exchange(other.base_, nullptr);
    reserved_ = std::exchange(other.reserved_, 0);
  }
  return *this;
}

void TByteBlock::Grow(std::size_t keep) {
  TByteBlock bigger(capacity_ * 2);
  std::copy(data_, data_ + std::min(keep, capacity_), bigger.data());
  *this = std::move(bigger);
}

void TByteBlock::Release() noexcept {
  if (base_ != nullptr) Unmap(base_, reserved_);
  base_ = nullptr;
  data_ = nullptr;
  size_ = capacity_ = reserved_ = 0;
}

}  // namespace vesko::platform
