// A fresh, empty folder for one test, removed with everything in it when the object goes.
#pragma once

#include <string>

namespace vesko::test {

class TScratchFolder {
 public:
  TScratchFolder();
  ~TScratchFolder();
  TScratchFolder(const TScratchFolder&) = delete;
  TScratchFolder& operator=(const TScratchFolder&) = delete;

  // The folder, without a trailing delimiter.
  const std::string& path() const { return path_; }
  // path() joined with name.
  std::string operator/(const std::string& name) const;

 private:
  std::string path_;
};

}  // namespace vesko::test
