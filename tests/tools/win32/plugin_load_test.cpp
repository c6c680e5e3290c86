// On Windows the plug-in refuses to load into a program that lacks the host functions:
// its DllMain returns FALSE when the function table can't be bound.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace {

TEST(PlugInLoad, FailsInAProgramWithoutTheHostFunctions) {
  std::string path = std::string("Z:") + VESKO_BINARY_DIR + "/Vesko.dll";
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  ASSERT_NE(::GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES) << path;
  HMODULE library = ::LoadLibraryA(path.c_str());
  EXPECT_EQ(library, nullptr) << "the load must fail";
  if (library != nullptr) ::FreeLibrary(library);
}

}  // namespace
