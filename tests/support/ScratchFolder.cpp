#include "tests/support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <system_error>

#include "platform/paths.h"

namespace vesko::test {

TScratchFolder::TScratchFolder() {
  std::random_device random;
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  const std::string name = std::string("vesko-") + (info != nullptr ? info->name() : "test") + "-" +
                           std::to_string(random());
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / name;
  std::filesystem::create_directories(folder);
  path_ = folder.string();
}

TScratchFolder::~TScratchFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(std::filesystem::path(path_), ignored);
}

std::string TScratchFolder::operator/(const std::string& name) const {
  return JoinPath(path_, name);
}

}  // namespace vesko::test
