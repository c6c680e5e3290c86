// GetVersionText on Windows reads the real version resource of the built Vesko.dll.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "host/Version.h"
#include "platform/errors.h"

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

// The resource's numeric versions, which Explorer shows, say what its texts say.
TEST(PlugInVersionResource, NumbersAgreeWithTheTexts) {
  const std::string dll = BuiltFile("Vesko.dll");
  DWORD handle = 0;
  const DWORD size = ::GetFileVersionInfoSizeA(dll.c_str(), &handle);
  ASSERT_GT(size, 0u);
  std::vector<char> block(size);
  ASSERT_TRUE(::GetFileVersionInfoA(dll.c_str(), 0, size, block.data()));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(::VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
  auto dotted = [](DWORD high, DWORD low) {
    char text[64];
    std::snprintf(text, sizeof text, "%lu.%lu.%lu.%lu", high >> 16, high & 0xFFFF, low >> 16,
                  low & 0xFFFF);
    return std::string(text);
  };
  EXPECT_EQ(dotted(fixed->dwFileVersionMS, fixed->dwFileVersionLS),
            GetVersionText(kFileVersionIndex, dll));
  EXPECT_EQ(dotted(fixed->dwProductVersionMS, fixed->dwProductVersionLS).rfind(
                GetVersionText(10, dll) + ".", 0),
            0u);
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_DLL));
}

TEST(PlugInVersionResource, AFileWithoutResourceGivesNothing) {
  EXPECT_EQ(GetVersionText(3, BuiltFile("no-such-file.dll")), "");
}

TEST(PlugInVersionResource, AResourceWithoutTranslationIsAnError) {
  const std::string dll = BuiltFile("libno_translation.dll");
  try {
    GetVersionText(3, dll);
    ADD_FAILURE() << "no error for " << dll;
  } catch (const EVeskoError& e) {
    // "情報の取得に失敗しました"
    EXPECT_STREQ(e.what(), "\x8f\xee\x95\xf1\x82\xcc\x8e\xe6\x93\xbe\x82\xc9\x8e\xb8\x94\x73"
                           "\x82\xb5\x82\xdc\x82\xb5\x82\xbd");
  }
}

}  // namespace
}  // namespace vesko
