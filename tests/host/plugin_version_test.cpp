// The plug-in's settings path and version texts.
#include <gtest/gtest.h>

#include <string>

#include "host/SettingsPath.h"
#include "host/Version.h"
#include "platform/errors.h"
#include "platform/files.h"

namespace vesko {
namespace {

TEST(PlugInSettingsPath, ReplacesOnlyTheFileNamesExtension) {
  const char d = platform::PathDelimiter();
  auto path = [d](std::string text) {
    for (char& c : text) {
      if (c == '/') c = d;
    }
    return text;
  };
  const struct {
    const char* name;
    std::string library, settings;
  } cases[] = {
      {"extension replaced", path("/p/PlugIns/Vesko.dll"), path("/p/PlugIns/Vesko.ini")},
      {"the last dot counts", path("/p/Vesko.x.so"), path("/p/Vesko.x.ini")},
      {"no dot: .ini appended", path("/p/Vesko"), path("/p/Vesko.ini")},
      {"a dot in a folder is no extension", path("/home/u/.local/Vesko"),
       path("/home/u/.local/Vesko.ini")},
      {"empty stays empty", "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(SettingsPathFor(c.library), c.settings);
  }
}

TEST(PlugInVersion, OutOfRangeIndexGivesNothing) {
  EXPECT_EQ(GetVersionText(-1), "");
  EXPECT_EQ(GetVersionText(kVersionTextCount), "");
}

}  // namespace
}  // namespace vesko
