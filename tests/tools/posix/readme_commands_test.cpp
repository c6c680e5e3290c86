// Every command line that the README shows, run as a new user would type it: the lines of
// its indented code blocks that begin with "vesko ", in the README's order, in one fresh
// home folder with the bundled sample store. Lines added to the README are picked up
// without a change here. The words a reader fills in are replaced by the rules of
// kPlaceholders; a line that can't succeed on its own is listed in kExpectedCodes.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "platform/files.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/posix/ChildProcess.h"

namespace vesko::tools {
namespace {

namespace fs = std::filesystem;

const std::string kVesko = VESKO_BINARY_DIR "/vesko";

// The words the README leaves to the reader, and what stands in for them. "{home}",
// "{work}" and "{mail}" are the test's home folder, working folder and a mail ID of the
// sample store. Besides, "/home/me/" and "~" are the test's home folder, which has a
// folder "palm".
const std::pair<const char*, const char*> kPlaceholders[] = {
    {"TITLE", "Title"},
    {"INPUT.pdb", "{work}/book.pdb"},           // written by the `doc write` line before it
    {"INPUT", VESKO_SOURCE_DIR "/samples/sample.txt"},
    {"OUTPUT.pdb", "{work}/book.pdb"},
    {"OUTPUT", "{work}/book.txt"},
    {"FILE", "{work}/mail.eml"},
    {"ID", "{mail}"},
    {"TEXT", "'Mon, 7 Dec 2026 10:00:00 +0900'"},  // a date, and a From value too
    {"PATTERN", "a"},
    {"TEMPLATE", "b"},
    {"K", "2"},
    {"M", "3"},
};

// Lines (after the placeholders) that end with another code than 0, each with the reason:
// {"vesko export --folder Empty", 3},  // nothing to export there
const std::vector<std::pair<std::string, int>> kExpectedCodes = {
    // The README's first "vesko export" has marked every mail of the sample read by then.
    {"vesko export --target unread", 3},
};

struct TRun {
  int exit_code = -1;
  std::string output;
};

// The README's command lines, as written there, without their comments.
std::vector<std::string> ReadmeCommandLines() {
  std::istringstream readme(platform::ReadWholeFile(VESKO_SOURCE_DIR "/README.md"));
  std::vector<std::string> lines;
  const std::regex command("^    +(vesko .*?)(\\s+#.*)?$");
  for (std::string line; std::getline(readme, line);) {
    std::smatch match;
    if (std::regex_match(line, match, command)) lines.push_back(match[1]);
  }
  return lines;
}

// One README line as the command lines to run: optional parts ("[--store PATH]") left
// out, one line per alternative ("vesko menus | info": "vesko menus", "vesko info"), the
// placeholders filled in.
std::vector<std::string> Runnable(const std::string& line, const std::string& home,
                                  const std::string& work, const std::string& mail) {
  std::string text = std::regex_replace(line, std::regex("\\s*\\[[^\\]]*\\]"), "");
  std::vector<std::string> lines;
  const std::size_t bar = text.find(" | ");
  if (bar == std::string::npos) {
    lines.push_back(text);
  } else {
    const std::string head = text.substr(0, text.rfind(' ', bar - 1) + 1);
    lines.push_back(text.substr(0, bar));
    std::istringstream rest(text.substr(bar + 3));
    for (std::string word; std::getline(rest, word, '|');) {
      lines.push_back(head + std::regex_replace(word, std::regex("^\\s+|\\s+$"), ""));
    }
  }
  for (std::string& runnable : lines) {
    std::istringstream words(runnable);
    runnable.clear();
    for (std::string word; words >> word;) {
      for (const auto& [placeholder, value] : kPlaceholders) {
        if (word == placeholder) word = value;
      }
      runnable += (runnable.empty() ? "" : " ") + word;
    }
    runnable = std::regex_replace(runnable, std::regex("/home/me/"), home + "/");
    runnable = std::regex_replace(runnable, std::regex("\\{home\\}"), home);
    runnable = std::regex_replace(runnable, std::regex("\\{work\\}"), work);
    runnable = std::regex_replace(runnable, std::regex("\\{mail\\}"), mail);
  }
  return lines;
}

// Runs a command line in the shell, in work, with a fresh home folder, the sample text on
// stdin, and vesko being the program just built.
TRun RunLine(const std::string& line, const std::string& home, const std::string& work) {
  const std::string output = work + "/.output";
  TRun run;
  run.exit_code = test::RunInChild([&] {
    ::setenv("HOME", home.c_str(), 1);
    ::unsetenv("VESKO_HOME");
    ::unsetenv("XDG_DATA_HOME");
    ::setenv("LC_ALL", "ja_JP.UTF-8", 1);
    if (::chdir(work.c_str()) != 0) return 98;
    ::dup2(::open(VESKO_SOURCE_DIR "/samples/sample.txt", O_RDONLY), 0);
    ::dup2(::open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 1);
    ::dup2(1, 2);
    const std::string command = "vesko() { timeout 60 '" + kVesko + "' \"$@\"; }; " + line;
    ::execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
    return 127;
  });
  run.output = platform::ReadWholeFile(output);
  return run;
}

int ExpectedCode(const std::string& line) {
  for (const auto& [start, code] : kExpectedCodes) {
    if (line.starts_with(start)) return code;
  }
  return 0;
}

TEST(ReadmeCommands, EveryDocumentedLineRuns) {
  test::TScratchFolder scratch;
  const std::string home = scratch / "home", work = scratch / "work";
  fs::create_directories(home + "/palm");
  fs::create_directories(work);
  // A mail of the sample store by its ID (the first field of the listing's lines), and
  // one as a file.
  const TRun list = RunLine("vesko list", home, work);
  ASSERT_EQ(list.exit_code, 0) << list.output;
  std::smatch first;
  ASSERT_TRUE(std::regex_search(list.output, first, std::regex("(^|\n)([^\t\n]+)\t")));
  const std::string mail = first[2];
  fs::copy_file(fs::directory_iterator(VESKO_SOURCE_DIR "/samples/Maildir/cur")->path(),
                work + "/mail.eml");

  const std::vector<std::string> lines = ReadmeCommandLines();
  EXPECT_GE(lines.size(), 25u) << "the README's command lines were not found";
  for (const std::string& line : lines) {
    for (const std::string& runnable : Runnable(line, home, work, mail)) {
      SCOPED_TRACE(runnable);
      const TRun run = RunLine(runnable, home, work);
      EXPECT_EQ(run.exit_code, ExpectedCode(runnable)) << run.output;
    }
  }
}

// The names under "Subcommands:" in a help text.
std::vector<std::string> Subcommands(const std::string& help) {
  std::vector<std::string> names;
  const std::size_t at = help.find("Subcommands:\n");
  if (at == std::string::npos) return names;
  std::istringstream lines(help.substr(at + 13));
  const std::regex entry("^  ([a-z][a-z0-9-]*)\\b.*");
  for (std::string line; std::getline(lines, line);) {
    std::smatch match;
    if (!std::regex_match(line, match, entry)) break;
    names.push_back(match[1]);
  }
  return names;
}

TEST(ReadmeCommands, EveryCommandHasHelp) {
  test::TScratchFolder scratch;
  fs::create_directories(scratch / "home");
  std::vector<std::string> commands{""}, seen;
  while (!commands.empty()) {
    const std::string command = commands.back();
    commands.pop_back();
    SCOPED_TRACE("vesko" + command + " --help");
    const TRun run = RunLine("vesko" + command + " --help", scratch / "home", scratch.path());
    EXPECT_EQ(run.exit_code, 0) << run.output;
    EXPECT_NE(run.output.find("Usage: vesko" + command + " "), std::string::npos) << run.output;
    for (const std::string& name : Subcommands(run.output)) {
      commands.push_back(command + " " + name);
    }
    seen.push_back(command);
  }
  EXPECT_GE(seen.size(), 20u);
}

}  // namespace
}  // namespace vesko::tools
