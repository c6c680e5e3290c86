// For a test that sets up a Palm Desktop in the registry: while the object lives, the
// registry is the stand-in file in home (VESKO_HOME; wine's real registry on Windows), and
// the Palm Desktop's registry roots are removed when it is made and when it goes.
#pragma once

#include <optional>
#include <string>

namespace vesko::test {

class TPalmDesktopScope {
 public:
  explicit TPalmDesktopScope(const std::string& home);
  ~TPalmDesktopScope();
  TPalmDesktopScope(const TPalmDesktopScope&) = delete;
  TPalmDesktopScope& operator=(const TPalmDesktopScope&) = delete;

  static void RemoveRoots();  // both registry roots of a Palm Desktop

 private:
  std::optional<std::string> saved_home_;
};

}  // namespace vesko::test
