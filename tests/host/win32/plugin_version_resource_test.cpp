// GetVersionText on Windows reads the real version resource of the built Vesko.dll.
#include <gtest/gtest.h>

#include <string>

#include "host/Version.h"

namespace vesko {
namespace {

// The build folder as a Windows path on wine's Z: drive.
std::string BuiltFile(const std::string& name) {
  std::string path = std::string("Z:") + VESKO_BINARY_DIR + "/" + name;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

TEST(PlugInVersionResource, ReadsTheLibrarysTexts) {
  const std::string dll = BuiltFile("Vesko.dll");
  const struct {
    int index;
    const char* text;
  } cases[] = {
      {0, ""},
      {1, "Vesko developers <vesko@vesko.example>"},
      {2, "I can export mail(s) to Palm Device."},
      {3, "1.0.2.0"},
      {4, "Vesko"},
      {7, "Vesko.dll"},
      {8, ""},  // PrivateBuild is not in the resource
      {9, "Export Doc Format Vesko"},
      {10, "1.0.2"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(kVersionTextNames[c.index]);
    EXPECT_EQ(GetVersionText(c.index, dll), c.text);
  }
}

TEST(PlugInVersionResource, AFileWithoutResourceGivesNothing) {
  EXPECT_EQ(GetVersionText(3, BuiltFile("no-such-file.dll")), "");
}

}  // namespace
}  // namespace vesko
