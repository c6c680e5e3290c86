// Helpers for the Palm tests: scratch files and byte strings written as hex.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <string>

#include "platform/files.h"

namespace vesko::testing {

// A path in the test's scratch folder, removed when the object goes.
class TScratchFile {
 public:
  explicit TScratchFile(const std::string& name) {
    static std::atomic<int> counter{0};
    path_ = ::testing::TempDir() + "vesko_palm_" + std::to_string(counter++) + "_" + name;
    platform::RemoveFile(path_);
  }
  ~TScratchFile() { platform::RemoveFile(path_); }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// "61 62 0A" -> "ab\n"; spaces are ignored.
inline std::string Hex(const std::string& hex) {
  std::string out;
  int high = -1;
  for (char c : hex) {
    int v;
    if (c >= '0' && c <= '9') v = c - '0';
    else if (c >= 'A' && c <= 'F') v = c - 'A' + 10;
    else if (c >= 'a' && c <= 'f') v = c - 'a' + 10;
    else continue;
    if (high < 0) {
      high = v;
    } else {
      out.push_back(static_cast<char>(high << 4 | v));
      high = -1;
    }
  }
  return out;
}

inline std::string ToHex(const std::string& bytes) {
  std::string out;
  char buffer[4];
  for (unsigned char c : bytes) {
    std::snprintf(buffer, sizeof buffer, "%02X ", c);
    out += buffer;
  }
  if (!out.empty()) out.pop_back();
  return out;
}

}  // namespace vesko::testing
