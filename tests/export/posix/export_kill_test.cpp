// The export killed (SIGKILL) at random moments, on mbox, Maildir and .eml stores: after
// each kill the next export must succeed and mark read what it delivered, and the store
// must hold every mail it held. VESKO_KILL_ROUNDS sets the kills per store (default 2).
#include <gtest/gtest.h>
#include <signal.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <utime.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "platform/files.h"
#include "tests/support/ScratchFolder.h"

namespace vesko {
namespace {

namespace fs = std::filesystem;

constexpr int kMailsPerRound = 40;

int Rounds() {
  const char* rounds = std::getenv("VESKO_KILL_ROUNDS");
  return rounds != nullptr && std::atoi(rounds) > 0 ? std::atoi(rounds) : 2;
}

class TKilledExports {
 public:
  explicit TKilledExports(const std::string& kind) : kind_(kind) {
    if (kind == "mbox") {
      platform::WriteWholeFile(store(), "");
    } else if (kind == "maildir") {
      fs::create_directories(store() + "/new");
      fs::create_directories(store() + "/cur");
    } else {
      fs::create_directories(store());
    }
  }
  std::string store() const { return root_ / "store"; }

  void AddMails() {
    std::string mbox;
    for (int i = 0; i < kMailsPerRound; ++i, ++added_) {
      const std::string mail = "From: a@example.jp\nSubject: mail " + std::to_string(added_) +
                               "\n\n" + std::string(2000, 'x') + "\n";
      const std::string name = std::to_string(1700000000 + added_) + ".M" +
                               std::to_string(added_);
      if (kind_ == "mbox") {
        mbox += "From a@example.jp Mon Dec  7 09:00:00 2026\n" + mail + "\n";
      } else if (kind_ == "maildir") {
        platform::WriteWholeFile(store() + "/new/" + name, mail);
      } else {
        platform::WriteWholeFile(store() + "/" + name + ".eml", mail);
      }
    }
    if (kind_ == "mbox") platform::WriteWholeFile(store(), platform::ReadWholeFile(store()) + mbox);
  }

  std::string data() const { return root_ / "data"; }

  // Starts an export with the given options and returns its process.
  pid_t Start(std::vector<std::string> options = {}) const {
    std::vector<std::string> args{"vesko", "--data", data(), "export", "--store", store()};
    args.insert(args.end(), options.begin(), options.end());
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
      const int null = ::open("/dev/null", O_WRONLY);
      ::dup2(null, 1);
      ::dup2(null, 2);
      ::execv(VESKO_BINARY_DIR "/vesko", argv.data());
      ::_exit(127);
    }
    return pid;
  }
  static int Wait(pid_t pid) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  // The mails the store lists, and how many of them are unread.
  std::pair<int, int> Count() const {
    const std::string command = "'" VESKO_BINARY_DIR "/vesko' --data '" + (root_ / "data") +
                                "' list --store '" + store() + "' 2>/dev/null";
    int mails = 0, unread = 0;
    if (std::FILE* pipe = ::popen(command.c_str(), "r")) {
      char line[4096];
      while (std::fgets(line, sizeof line, pipe) != nullptr) {
        const std::string text = line;  // ID, tab, R or -, tab, ...; the folder line has no tab
        mails += text.find('\t') != std::string::npos;
        unread += text.find("\t-\t") != std::string::npos;
      }
      ::pclose(pipe);
    }
    return {mails, unread};
  }
  int added() const { return added_; }

 private:
  std::string kind_;
  test::TScratchFolder root_;
  int added_ = 0;
};

TEST(ExportKill, TheNextExportSucceedsAndMarksWhatItDelivered) {
  std::mt19937 random(20261209);
  for (const char* kind : {"mbox", "maildir", "eml"}) {
    SCOPED_TRACE(kind);
    TKilledExports exports(kind);
    // One whole export tells how long one takes, so the kills fall inside one.
    exports.AddMails();
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(TKilledExports::Wait(exports.Start()), 0);
    const auto whole = std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::steady_clock::now() - start);
    for (int round = 0; round < Rounds(); ++round) {
      SCOPED_TRACE(round);
      exports.AddMails();
      const pid_t pid = exports.Start();
      std::this_thread::sleep_for(std::chrono::microseconds(
          std::uniform_int_distribution<long>(0, whole.count())(random)));
      ::kill(pid, SIGKILL);
      TKilledExports::Wait(pid);
      const int code = TKilledExports::Wait(exports.Start());
      // 3: the killed export had finished its work.
      EXPECT_TRUE(code == 0 || code == 3) << code;
      const auto [mails, unread] = exports.Count();
      EXPECT_EQ(mails, exports.added());
      EXPECT_EQ(unread, 0);
    }
  }
}

// An export with choices of its own, killed at random moments: the stored settings file
// stays byte for byte, and the folder that a killed export left goes once it is old.
TEST(ExportKill, ChoicesLeaveTheStoredSettingsAsTheyWere) {
  std::mt19937 random(20261210);
  TKilledExports exports("maildir");
  exports.AddMails();
  const std::string ini = exports.data() + "/PlugIns/Vesko.ini", out = exports.data() + "/out";
  fs::create_directories(exports.data() + "/PlugIns");
  fs::create_directories(out);
  const std::string stored = "[Options]\r\nDelSpace=1\r\nTitle=Stored\r\n[Mine]\r\nKey=1\r\n";
  platform::WriteWholeFile(ini, stored);
  const std::vector<std::string> choices{"--target", "all", "--no-mark-read", "--title", "Run",
                                         "--output", out};
  const auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(TKilledExports::Wait(exports.Start(choices)), 0);
  const auto whole = std::chrono::duration_cast<std::chrono::microseconds>(
      std::chrono::steady_clock::now() - start);
  for (int round = 0; round < Rounds(); ++round) {
    SCOPED_TRACE(round);
    const pid_t pid = exports.Start(choices);
    std::this_thread::sleep_for(std::chrono::microseconds(
        std::uniform_int_distribution<long>(0, whole.count())(random)));
    ::kill(pid, SIGKILL);
    TKilledExports::Wait(pid);
    EXPECT_EQ(platform::ReadWholeFile(ini), stored);
  }
  // What the killed exports left in the temporary folder, an hour later.
  const std::string temp = exports.data() + "/Temp";
  for (const auto& entry : fs::directory_iterator(temp)) {
    const utimbuf old{::time(nullptr) - 7200, ::time(nullptr) - 7200};
    ::utime(entry.path().c_str(), &old);
  }
  ASSERT_EQ(TKilledExports::Wait(exports.Start(choices)), 0);
  EXPECT_TRUE(fs::is_empty(temp));
  EXPECT_EQ(platform::ReadWholeFile(ini), stored);
}

}  // namespace
}  // namespace vesko
