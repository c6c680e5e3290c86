#include "platform/memory.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/errors.h"
#include "platform/files.h"
#include "tests/support/ScratchFolder.h"

namespace vesko::platform {
namespace {

// Files are read whole, from empty to past the size where large pages are asked for.
TEST(ByteBlock, ReadsWholeFilesOfEverySize) {
  const test::TScratchFolder folder;
  for (const std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{4097},
                                 (std::size_t{2} << 20) + 3}) {
    SCOPED_TRACE(size);
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i * 131 + i / 7);
    const std::string path = folder / "file.bin";
    WriteWholeFile(path, bytes);
    const TByteBlock block = ReadFileBlock(path);
    EXPECT_EQ(block.size(), size);
    EXPECT_TRUE(block.view() == bytes);
  }
  EXPECT_THROW(ReadFileBlock(folder / "missing"), EOSError);
}

// A view holds the whole file whether it maps it (from 1 MB on) or reads it.
TEST(FileView, HoldsWholeFilesOfEverySize) {
  const test::TScratchFolder folder;
  for (const std::size_t size : {std::size_t{0}, std::size_t{4097}, (std::size_t{1} << 20) - 1,
                                 std::size_t{1} << 20, (std::size_t{2} << 20) + 3}) {
    SCOPED_TRACE(size);
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i * 131 + i / 7);
    const std::string path = folder / "file.bin";
    WriteWholeFile(path, bytes);
    const TFileView file(path);
    EXPECT_TRUE(file.view() == bytes);
  }
  EXPECT_THROW(TFileView(folder / "missing"), EOSError);
}

TEST(ByteBlock, GrowsKeepingItsBytesAndMoves) {
  TByteBlock block(3);
  block.data()[0] = 'a';
  block.data()[1] = 'b';
  block.Grow(2);
  ASSERT_EQ(block.capacity(), 6u);
  EXPECT_EQ(std::string(block.data(), 2), "ab");
  block.SetSize(10);  // no more than the capacity
  EXPECT_EQ(block.size(), 6u);
  TByteBlock moved = std::move(block);
  EXPECT_EQ(std::string(moved.data(), 2), "ab");
  EXPECT_EQ(block.size(), 0u);
  EXPECT_EQ(block.data(), nullptr);
}

}  // namespace
}  // namespace vesko::platform
