// The vesko program as a user runs it: its words, its answers on stdout and stderr, its exit
// codes. One table per command; each row is one command line.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "host/VersionTexts.h"
#include "palm/DocFile.h"
#include "platform/files.h"
#include "tests/support/ScratchFolder.h"

namespace vesko::tools {
namespace {

struct TRun {
  int exit_code = -1;
  std::string out, err;
};

const std::string& Program() {
  static const std::string program = std::string(VESKO_BINARY_DIR) + "/vesko";
  return program;
}

std::vector<char*> Argv(std::vector<std::string>& args) {
  std::vector<char*> argv{const_cast<char*>(Program().c_str())};
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  return argv;
}

int ExitCode(pid_t child) {
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Runs vesko with args, stdout and stderr into files of scratch.
TRun RunVesko(const test::TScratchFolder& scratch, std::vector<std::string> args) {
  const std::string out = scratch / "stdout", err = scratch / "stderr";
  const pid_t child = ::fork();
  if (child == 0) {
    ::setenv("LC_ALL", "ja_JP.UTF-8", 1);
    ::setenv("VESKO_HOME", (scratch / "data").c_str(), 1);
    ::dup2(::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 1);
    ::dup2(::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 2);
    ::execv(Program().c_str(), Argv(args).data());
    ::_exit(127);
  }
  TRun run;
  run.exit_code = ExitCode(child);
  run.out = platform::ReadWholeFile(out);
  run.err = platform::ReadWholeFile(err);
  return run;
}

// Runs vesko with stdout (and stderr) on a pseudo-terminal.
TRun RunOnTerminal(std::vector<std::string> args) {
  int master = -1;
  const pid_t child = ::forkpty(&master, nullptr, nullptr, nullptr);
  if (child == 0) {
    ::setenv("LC_ALL", "ja_JP.UTF-8", 1);
    ::execv(Program().c_str(), Argv(args).data());
    ::_exit(127);
  }
  TRun run;
  char buffer[4096];
  for (;;) {
    pollfd p{master, POLLIN, 0};
    if (::poll(&p, 1, 10000) <= 0) break;
    const ssize_t n = ::read(master, buffer, sizeof buffer);
    if (n <= 0) break;
    run.out.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(master);
  run.exit_code = ExitCode(child);
  return run;
}

bool Has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

struct TCase {
  const char* name;
  std::vector<std::string> args;
  int exit_code;
  std::string out_has, err_has;  // parts the output must hold; "" checks nothing
};

void Check(const test::TScratchFolder& scratch, const TCase& c) {
  SCOPED_TRACE(c.name);
  const TRun run = RunVesko(scratch, c.args);
  EXPECT_EQ(run.exit_code, c.exit_code) << run.err;
  EXPECT_TRUE(Has(run.out, c.out_has)) << run.out;
  EXPECT_TRUE(Has(run.err, c.err_has)) << run.err;
}

TEST(VeskoCommandLine, NamesWhatItDoesNotKnow) {
  test::TScratchFolder scratch;
  platform::MakeDirectory(scratch / "folders");
  platform::MakeDirectory(scratch / "folders/Inbox.sbd");
  const TCase cases[] = {
      {"alone: the help", {}, 0, "Usage:", ""},
      {"version", {"--version"}, 0, "vesko " VESKO_PRODUCT_VERSION, ""},
      {"help", {"--help"}, 0, "--version", ""},
      {"help: exit codes", {"--help"}, 0, "Exit codes: 0 done, 1 failed, 2 bad arguments", ""},
      {"doc write help", {"doc", "write", "--help"}, 0, "--from utf-8|sjis", ""},
      {"doc read help", {"doc", "read", "--help"}, 0, "--encoding utf-8|sjis", ""},
      {"unknown command", {"bogus"}, 2, "", "unknown command \"bogus\""},
      {"mistyped command", {"lsit"}, 2, "", "\"lsit\"; did you mean \"list\"?"},
      {"unknown option", {"--bogus"}, 2, "", "unknown option \"--bogus\""},
      {"mistyped option", {"--verison"}, 2, "", "did you mean \"--version\"?"},
      {"mistyped sub-command",
       {"doc", "raed", "x.pdb"}, 2, "", "unknown command \"raed\" of \"doc\"; did you mean \"read\"?"},
      {"option of a sub-command",
       {"doc", "read", "--encodng", "utf-8", "x"}, 2, "", "did you mean \"--encoding\"?"},
      {"option value is no option", {"--data", "--x", "doc", "--help"}, 0, "write", ""},
      {"doc alone: its help", {"doc"}, 0, "Usage: doc [OPTIONS] SUBCOMMAND", ""},
      {"config alone: its help", {"config"}, 0, "Usage: config [OPTIONS] SUBCOMMAND", ""},
      {"hotsync alone: its help", {"hotsync"}, 0, "Usage: hotsync [OPTIONS] SUBCOMMAND", ""},
      {"debug alone: its help", {"debug"}, 0, "Usage: debug [OPTIONS] SUBCOMMAND", ""},
      {"a command without its argument", {"doc", "read"}, 2, "", "INPUT is required"},
      {"a folder that holds no mail store", {"list", "--store", VESKO_SOURCE_DIR "/samples"}, 2, "",
       "is no mail store: it holds no Maildir (cur/ or new/), no mbox file and no .eml file; "
       "found "},
      {"mbox folders without an mbox", {"list", "--store", scratch / "folders"}, 2, "",
       "holds no mail folder"},
  };
  for (const TCase& c : cases) Check(scratch, c);
}

// vesko config list: every key with what it does, then the file's keys that are not Vesko's.
TEST(VeskoConfig, ListSaysWhatEachKeyDoes) {
  test::TScratchFolder scratch;
  const std::string plugins = scratch / "data/PlugIns";
  ASSERT_EQ(RunVesko(scratch, {"config", "set", "Options", "DelSpace", "1"}).exit_code, 0);
  platform::WriteWholeFile(plugins + "/Vesko.ini", platform::ReadWholeFile(plugins + "/Vesko.ini") +
                                                       "[Mine]\r\nColour=blue\r\n");
  const TRun run = RunVesko(scratch, {"config", "list"});
  EXPECT_EQ(run.exit_code, 0) << run.err;
  for (const char* line : {
           "Options.DelSpace=1                # collapse runs of blanks into one\n",
           "Settings.Target=0                 # (default) which mails an export takes: 0 the "
           "unread ones, 1 all, 2 the selected ones\n",
           "Mine.Colour=blue                  # not Vesko's: the plug-in ignores it\n",
       }) {
    EXPECT_TRUE(Has(run.out, line)) << run.out;
  }
}

// "日本語" in both encodings.
const std::string kUtf8Text = "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\n";
const std::string kSjisText = "\x93\xFA\x96\x7B\x8C\xEA\n";

TEST(VeskoDocWrite, ReadsUtf8AndShiftJisAndSaysWhatItGuessed) {
  test::TScratchFolder scratch;
  platform::WriteWholeFile(scratch / "utf8.txt", kUtf8Text);
  platform::WriteWholeFile(scratch / "sjis.txt", kSjisText);
  platform::WriteWholeFile(scratch / "ascii.txt", "plain\n");
  struct TWriteCase {
    const char* name;
    std::vector<std::string> options;
    const char* input;
    std::string said;  // on stderr; "" for nothing
  } cases[] = {
      {"UTF-8 guessed", {}, "utf8.txt", "read as UTF-8"},
      {"Shift JIS guessed", {}, "sjis.txt", "read as Shift JIS"},
      {"UTF-8 named", {"--from", "utf-8"}, "utf8.txt", ""},
      {"Shift JIS named", {"--from", "sjis"}, "sjis.txt", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::string> args{"doc", "write"};
    args.insert(args.end(), c.options.begin(), c.options.end());
    args.insert(args.end(), {"Title", scratch / c.input, scratch / "out.pdb"});
    const TRun write = RunVesko(scratch, args);
    ASSERT_EQ(write.exit_code, 0) << write.err;
    if (c.said.empty()) {
      EXPECT_EQ(write.err, "");
    } else {
      EXPECT_TRUE(Has(write.err, c.said)) << write.err;
    }
    const TRun read = RunVesko(scratch, {"doc", "read", scratch / "out.pdb"});
    EXPECT_EQ(read.out, kSjisText);
  }
  const TRun ascii = RunVesko(scratch, {"doc", "write", "T", scratch / "ascii.txt", scratch / "a.pdb"});
  EXPECT_EQ(ascii.exit_code, 0);
  EXPECT_TRUE(Has(ascii.err, "read as Shift JIS")) << ascii.err;
  EXPECT_EQ(RunVesko(scratch, {"doc", "read", scratch / "a.pdb"}).out, "plain\n");
}

TEST(VeskoDocWrite, WarnsWhatALongTitleKeeps) {
  test::TScratchFolder scratch;
  platform::WriteWholeFile(scratch / "t.txt", "text");
  const struct {
    const char* name;
    std::string title;
    std::string kept;  // "" when no warning is due
  } cases[] = {
      {"31 bytes", std::string(31, 'a'), ""},
      {"32 bytes", std::string(32, 'b'), std::string(31, 'b')},
      // 15 double-byte characters are 30 bytes; the 16th would split at byte 31.
      {"double-byte at the cut", "日本語日本語日本語日本語日本語日本", "日本語日本語日本語日本語日本語"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const TRun run =
        RunVesko(scratch, {"doc", "write", "--from", "sjis", c.title, scratch / "t.txt", scratch / "t.pdb"});
    ASSERT_EQ(run.exit_code, 0) << run.err;
    if (c.kept.empty()) {
      EXPECT_EQ(run.err, "");
    } else {
      EXPECT_TRUE(Has(run.err, "kept \"" + c.kept + "\"\n")) << run.err;
    }
  }
}

TEST(VeskoDocRead, WritesUtf8ToATerminalAndBytesElsewhere) {
  test::TScratchFolder scratch;
  platform::WriteWholeFile(scratch / "in.txt", kSjisText);
  ASSERT_EQ(RunVesko(scratch, {"doc", "write", "--from", "sjis", "T", scratch / "in.txt",
                          scratch / "d.pdb"}).exit_code, 0);
  const std::string pdb = scratch / "d.pdb";
  const struct {
    const char* name;
    std::vector<std::string> args;
    bool terminal;
    std::string text;
  } cases[] = {
      {"pipe: bytes", {"doc", "read", pdb}, false, kSjisText},
      {"pipe, asked for UTF-8", {"doc", "read", "--encoding", "utf-8", pdb}, false, kUtf8Text},
      {"terminal: UTF-8", {"doc", "read", pdb}, true, kUtf8Text},
      {"terminal, asked for bytes", {"doc", "read", "--encoding", "sjis", pdb}, true, kSjisText},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const TRun run = c.terminal ? RunOnTerminal(c.args) : RunVesko(scratch, c.args);
    EXPECT_EQ(run.exit_code, 0) << run.out << run.err;
    // The terminal turns LF into CR LF on the way out.
    std::string text = c.text;
    if (c.terminal) text.insert(text.size() - 1, "\r");
    EXPECT_EQ(run.out, text);
  }
}

// An e-book in UTF-8 is known by its bytes: read gives its bytes or Shift JIS as asked,
// and info names the encoding and lists the bookmarks with their titles on the terminal.
TEST(VeskoDoc, KnowsAUtf8EBookAndListsBookmarks) {
  test::TScratchFolder scratch;
  const std::string sjis = scratch / "sjis.pdb", utf8 = scratch / "utf8.pdb";
  {
    TDocFile doc(sjis, "\x93\xFA\x96\x7B", true);  // 日本
    doc.AddBookmark("\x93\xFA\x96\x7B", 2);
    doc.WriteText(kSjisText);
  }
  {
    TDocFile doc(utf8, "\xE6\x97\xA5\xE6\x9C\xAC", true, TDocEncoding::kUtf8);
    doc.AddBookmark("\xE6\x97\xA5\xE6\x9C\xAC", 3);
    doc.WriteText(kUtf8Text);
  }
  const TCase cases[] = {
      {"read UTF-8: its bytes", {"doc", "read", utf8}, 0, kUtf8Text, ""},
      {"read UTF-8 as Shift JIS", {"doc", "read", "--encoding", "sjis", utf8}, 0, kSjisText, ""},
      {"info UTF-8: encoding", {"doc", "info", utf8}, 0, "text encoding:     UTF-8\n", ""},
      {"info UTF-8: name", {"doc", "info", utf8}, 0, "name:              日本\n", ""},
      {"info UTF-8: bookmark", {"doc", "info", utf8}, 0, "bookmark \"日本\" at 3\n", ""},
      {"info Shift JIS: encoding", {"doc", "info", sjis}, 0, "text encoding:     Shift JIS\n", ""},
      {"info Shift JIS: bookmarks", {"doc", "info", sjis}, 0, "bookmarks:         1\n", ""},
      {"info Shift JIS: bookmark", {"doc", "info", sjis}, 0, "bookmark \"日本\" at 2\n", ""},
  };
  for (const TCase& c : cases) Check(scratch, c);
  // The bookmark records are no part of the text.
  EXPECT_EQ(RunVesko(scratch, {"doc", "read", sjis}).out, kSjisText);
}

TEST(VeskoDoc, TellsAMissingAnUnreadableAndAWrongFileApart) {
  test::TScratchFolder scratch;
  platform::WriteWholeFile(scratch / "text.txt", "not an e-book, just text long enough......"
                                                 "..............................................");
  platform::WriteWholeFile(scratch / "locked.pdb", "x");
  ::chmod((scratch / "locked.pdb").c_str(), 0);
  // Root reads any file, but not this one.
  const std::string unreadable = ::geteuid() == 0 ? "/proc/self/mem" : scratch / "locked.pdb";
  const std::string missing = scratch / "missing.pdb";
  const TCase cases[] = {
      {"read: missing", {"doc", "read", missing}, 2, "", "missing.pdb: no such file"},
      {"info: missing", {"doc", "info", missing}, 2, "", "missing.pdb: no such file"},
      {"write: missing", {"doc", "write", "T", missing, scratch / "o.pdb"}, 2, "", ": no such file"},
      {"read: a folder", {"doc", "read", scratch.path()}, 2, "", "is a folder, not a file"},
      {"read: not a Doc", {"doc", "read", scratch / "text.txt"}, 2, "",
       "text.txt: not a Palm Doc e-book ("},
      {"info: not a Doc", {"doc", "info", scratch / "text.txt"}, 2, "", "not a Palm Doc e-book ("},
  };
  for (const TCase& c : cases) Check(scratch, c);
  Check(scratch, {"read: unreadable", {"doc", "read", unreadable}, 2, "",
                  unreadable + ": can't be read ("});
  Check(scratch, {"write: unreadable", {"doc", "write", "T", unreadable, scratch / "o.pdb"}, 2,
                  "", unreadable + ": can't be read ("});
}

}  // namespace
}  // namespace vesko::tools
