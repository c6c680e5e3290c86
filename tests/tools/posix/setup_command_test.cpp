// vesko setup: the mail host calls BKC_OnPlugInSetup, and the plug-in shows its settings
// form in the terminal. The form is driven through a pseudo-terminal, as a user would type;
// without a terminal on stdin it says so and changes nothing.
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/files.h"
#include "tests/support/ScratchFolder.h"

namespace vesko::tools {
namespace {

struct TSession {
  int exit_code = -1;
  std::string screen;  // everything the form printed
};

// Runs `vesko --data DATA setup` on a pseudo-terminal, typing each line once the form
// asks for input ("> "), then the end of input. Gives up after ten seconds.
TSession RunOnTerminal(const std::string& data, const std::vector<std::string>& lines,
                       const char* language = "ja_JP.UTF-8") {
  TSession session;
  int master = -1;
  const pid_t child = ::forkpty(&master, nullptr, nullptr, nullptr);
  if (child == 0) {
    ::setenv("LC_ALL", language, 1);
    const std::string program = std::string(VESKO_BINARY_DIR) + "/vesko";
    ::execl(program.c_str(), program.c_str(), "--data", data.c_str(), "setup", nullptr);
    ::_exit(127);
  }
  std::size_t next = 0;
  std::size_t prompts_seen = 0;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (std::chrono::steady_clock::now() < deadline) {
    pollfd p{master, POLLIN, 0};
    if (::poll(&p, 1, 100) > 0) {
      char buffer[4096];
      const ssize_t n = ::read(master, buffer, sizeof buffer);
      if (n <= 0) break;
      session.screen.append(buffer, static_cast<std::size_t>(n));
    }
    std::size_t prompts = 0;
    for (std::size_t at = 0; (at = session.screen.find("\n> ", at)) != std::string::npos; ++at) {
      ++prompts;
    }
    if (prompts > prompts_seen) {
      prompts_seen = prompts;
      // Past the last line: the end of input (Ctrl-D at the start of a line).
      const std::string line = next < lines.size() ? lines[next++] + "\n" : "\x04";
      if (::write(master, line.data(), line.size()) < 0) break;
    }
  }
  ::close(master);
  int status = 0;
  ::waitpid(child, &status, 0);
  session.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return session;
}

std::string Settings(const test::TScratchFolder& scratch) {
  const std::string path = scratch / "data/PlugIns/Vesko.ini";
  return platform::FileExists(path) ? platform::ReadWholeFile(path) : "(no file)";
}

TEST(SetupCommand, TheTerminalFormAppliesWhatWasTyped) {
  struct TCase {
    const char* name;
    std::vector<std::string> lines;
    std::vector<std::string> stored;  // lines the settings file must hold
    std::vector<std::string> shown;   // texts the form must have shown
  };
  const TCase cases[] = {
      {"apply at once: the dialog's defaults",
       {"y"},
       {"MenuFlag=0", "Target=0", "UserIndex=-1", "AutoInstall=0", "SaveMedoc=1", "Date=1"},
       {"Vesko Settings", "エクスポートの対象", "(*) 未読のみ(U)", "[x] MeDOC形式で保存(M)",
        "[ ] HotSync予約(H)  (disabled)", "ユーザー選択: -  (disabled)", "Appl[y]", "[C]ancel",
        "2バイト仮名変換(V)"}},
      {"letters toggle and choose",
       {"a", "d", "v2", "o", "t", "e", "y"},
       {"Target=1", "DelSpace=1", "ZentoHan=0", "ZentoHanKana=1", "MenuFlag=1", "Time=1", "Date=0"},
       {"(*) 全てのメール(A)"}},
      {"the save folder as typed, and what a disabled control says",
       {"path /some where/", "h", "x", "y"},
       {"SavePath=/some where/", "AutoInstall=0"},
       {"HotSync予約(H) is disabled.", "No control has that letter."}},
      {"cancel writes nothing", {"d", "c"}, {}, {}},
      {"the end of input cancels", {"d"}, {}, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    test::TScratchFolder scratch;
    const TSession session = RunOnTerminal(scratch / "data", c.lines);
    EXPECT_EQ(session.exit_code, 0) << session.screen;
    const std::string stored = Settings(scratch);
    if (c.stored.empty()) {
      EXPECT_EQ(stored, "(no file)");
    }
    for (const std::string& line : c.stored) {
      EXPECT_NE(stored.find(line + "\r\n"), std::string::npos) << line << "\n" << stored;
    }
    for (const std::string& text : c.shown) {
      EXPECT_NE(session.screen.find(text), std::string::npos) << text << "\n" << session.screen;
    }
  }
}

TEST(SetupCommand, InEnglishTheDoubleByteOptionsAreNotShown) {
  test::TScratchFolder scratch;
  const TSession session = RunOnTerminal(scratch / "data", {"y"}, "C.UTF-8");
  EXPECT_EQ(session.exit_code, 0);
  EXPECT_EQ(session.screen.find("2バイト"), std::string::npos) << session.screen;
  const std::string stored = Settings(scratch);
  EXPECT_NE(stored.find("ZentoHan=0"), std::string::npos);
  EXPECT_EQ(stored.find("DelDBSpace"), std::string::npos);
}

TEST(SetupCommand, WithoutATerminalSaysSoAndChangesNothing) {
  test::TScratchFolder scratch;
  const std::string err = scratch / "err.txt";
  const std::string command = std::string(VESKO_BINARY_DIR) + "/vesko --data '" +
                              (scratch / "data") + "' setup </dev/null >/dev/null 2>'" + err + "'";
  const int status = std::system(command.c_str());
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  const std::string said = platform::ReadWholeFile(err);
  EXPECT_EQ(said, "Vesko Settings: standard input is not a terminal; nothing changed.\n");
  EXPECT_EQ(Settings(scratch), "(no file)");
}

}  // namespace
}  // namespace vesko::tools
