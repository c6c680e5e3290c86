// The real plug-in library loaded by the real vesko program: binding, the refused load
// when a host function is missing, the menus before and after BKC_OnMenuInit, the
// plug-in information and the menu-state callback with "MenuFlag" on and off.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/files.h"
#include "tests/support/ScratchFolder.h"

namespace vesko::tools {
namespace {

namespace fs = std::filesystem;

struct TRun {
  int exit_code = -1;
  std::string out, err;
};

// Runs a vesko program of the build with --data folder and the arguments.
TRun RunVesko(const test::TScratchFolder& scratch, const std::string& args,
         const std::string& program = "vesko") {
  const std::string err_file = scratch / "stderr.txt";
  const std::string command = std::string(VESKO_BINARY_DIR) + "/" + program + " --data '" +
                              (scratch / "data") + "' " + args + " 2>'" + err_file + "'";
  TRun run;
  std::FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  char buffer[4096];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, n);
  const int status = ::pclose(pipe);
  run.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.err = platform::FileExists(err_file) ? platform::ReadWholeFile(err_file) : "";
  return run;
}

const char* const kMenuText = "Palm Doc\xe5\xbd\xa2\xe5\xbc\x8f\xe3\x81\xa7\xef\xbd\xb4\xef"
                              "\xbd\xb8\xef\xbd\xbd\xef\xbe\x8e\xef\xbe\x9f\xef\xbd\xb0\xef\xbe"
                              "\x84";  // in UTF-8, as vesko prints it

TEST(PlugInEntry, BindsAndGivesItsInformation) {
  test::TScratchFolder scratch;
  const TRun run = RunVesko(scratch, "info");
  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(run.out,
            "name: Export Doc format Plugin Vesko\n"
            "vendor: Vesko developers <vesko@vesko.example>\n"
            "version: Ver 1.0.2.0\n"
            "description: Export Mail(s) by Palm Doc Format\n");
  // vesko installed its library into the data folder's plug-in folder.
  EXPECT_TRUE(fs::exists(scratch / "data/PlugIns/Vesko.so"));
}

TEST(PlugInEntry, RefusesToLoadWhenAHostFunctionIsMissing) {
  test::TScratchFolder scratch;
  const TRun run = RunVesko(scratch, "menus", "vesko_lacking_connect");
  EXPECT_NE(run.exit_code, 0);
  EXPECT_NE(run.err.find("refused to load"), std::string::npos) << run.err;
  EXPECT_EQ(run.out, "");
}

// A plug-in that crashes ends the run at once with a message and its own exit code.
TEST(PlugInEntry, ACrashingPlugInIsReportedNotHung) {
  test::TScratchFolder scratch;
  fs::copy_file(std::string(VESKO_BINARY_DIR) + "/vesko",
                std::string(VESKO_BINARY_DIR) + "/crashing/vesko",
                fs::copy_options::overwrite_existing);
  for (const char* command : {"info", "menus"}) {
    SCOPED_TRACE(command);
    const TRun run = RunVesko(scratch, command, "crashing/vesko");
    EXPECT_EQ(run.exit_code, 4);
    EXPECT_EQ(run.err, "vesko: crashed: invalid memory access (segmentation fault)\n");
  }
}

TEST(PlugInEntry, ReplacesAnOutdatedLibraryCopy) {
  test::TScratchFolder scratch;
  fs::create_directories(scratch / "data/PlugIns");
  platform::WriteWholeFile(scratch / "data/PlugIns/Vesko.so", "an old, broken copy");
  const TRun run = RunVesko(scratch, "info");
  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(platform::ReadWholeFile(scratch / "data/PlugIns/Vesko.so"),
            platform::ReadWholeFile(std::string(VESKO_BINARY_DIR) + "/Vesko.so"));
}

// The part of the output that shows one menu type.
std::string MenuOf(const std::string& out, int type) {
  const std::string head = "(type " + std::to_string(type) + "):\n";
  const std::size_t start = out.find(head);
  if (start == std::string::npos) return "(missing)";
  const std::size_t body = start + head.size();
  const std::size_t end = out.find("(type ", body);
  std::string menu = out.substr(body, end == std::string::npos ? std::string::npos : end - body);
  if (end != std::string::npos) menu.erase(menu.rfind('\n') + 1);  // the next title line
  return menu;
}

TEST(PlugInEntry, AddsItsCommandToTheMainMenuAndTheFolderPopUp) {
  test::TScratchFolder scratch;
  const std::string all_types = "--type 0 --type 1 --type 2 --type 3";
  const TRun before = RunVesko(scratch, "menus --before " + all_types);
  const TRun after = RunVesko(scratch, "menus " + all_types);
  ASSERT_EQ(before.exit_code, 0) << before.err;
  ASSERT_EQ(after.exit_code, 0) << after.err;

  const std::string item = std::string(" ") + kMenuText + " [disabled]\n";
  struct TMenuCase {
    int type;
    std::string before, after;
  };
  const TMenuCase cases[] = {
      {0,
       "File\n  32771 Save As...\n  32772 Import...\n  ----\n  32774 Print...\n  ----\n"
       "  57665 Exit\n",
       "File\n  32771 Save As...\n  32772 Import...\n  ----\n  40001" + item +
           "  32774 Print...\n  ----\n  57665 Exit\n"},
      {1, "32801 Reply\n32802 Forward\n----\n10511 Mark as Read\n",
       "32801 Reply\n32802 Forward\n----\n10511 Mark as Read\n"},
      {2, "32796 New Folder...\n32797 Rename Folder...\n----\n32798 Properties...\n",
       "32796 New Folder...\n32797 Rename Folder...\n----\n40002" + item + "----\n"
       "32798 Properties...\n"},
      {3, "57634 Copy\n57642 Select All\n", "57634 Copy\n57642 Select All\n"},
  };
  for (const TMenuCase& c : cases) {
    SCOPED_TRACE(c.type);
    // Only the first drop-down of the main menu is compared; the others stay the same.
    auto first_part = [&](const std::string& menu) {
      return c.type == 0 ? menu.substr(0, menu.find("Edit\n")) : menu;
    };
    EXPECT_EQ(first_part(MenuOf(before.out, c.type)), c.before);
    EXPECT_EQ(first_part(MenuOf(after.out, c.type)), c.after);
  }
  EXPECT_EQ(MenuOf(before.out, 0).substr(MenuOf(before.out, 0).find("Edit\n")),
            MenuOf(after.out, 0).substr(MenuOf(after.out, 0).find("Edit\n")));
}

TEST(PlugInEntry, MenuStateFollowsMenuFlag) {
  struct TFlagCase {
    const char* name;
    const char* settings;  // the plug-in's Vesko.ini, or null for none
    const char* mail;      // a mail file in the Maildir (new/ is unread), or null
    bool disabled;
  };
  const TFlagCase cases[] = {
      {"no settings file: MenuFlag counts as on", nullptr, nullptr, true},
      {"MenuFlag on, nothing to export", "[Settings]\r\nMenuFlag=1\r\n", nullptr, true},
      {"MenuFlag on, only a read mail", nullptr, "cur/1.a:2,S", true},
      {"MenuFlag on, an unread mail", nullptr, "new/1.a", false},
      {"MenuFlag off: always enabled", "[Settings]\r\nMenuFlag=0\r\n", nullptr, false},
      {"key names ignore case", "[settings]\r\nmenuflag=0\r\n", nullptr, false},
  };
  for (const TFlagCase& c : cases) {
    SCOPED_TRACE(c.name);
    test::TScratchFolder scratch;
    // A Maildir as the store, empty or with one mail.
    fs::create_directories(scratch / "md/new");
    fs::create_directories(scratch / "md/cur");
    if (c.mail != nullptr) {
      platform::WriteWholeFile(scratch / (std::string("md/") + c.mail), "Subject: s\n\nbody\n");
    }
    if (c.settings != nullptr) {
      fs::create_directories(scratch / "data/PlugIns");
      platform::WriteWholeFile(scratch / "data/PlugIns/Vesko.ini", c.settings);
    }
    const TRun run = RunVesko(scratch, "menus --store '" + (scratch / "md") + "'");
    ASSERT_EQ(run.exit_code, 0) << run.err;
    const std::size_t disabled_count = [&] {
      std::size_t n = 0;
      for (std::size_t at = 0; (at = run.out.find("[disabled]", at)) != std::string::npos; ++at) ++n;
      return n;
    }();
    EXPECT_EQ(disabled_count, c.disabled ? 2u : 0u) << run.out;
  }
}

}  // namespace
}  // namespace vesko::tools
