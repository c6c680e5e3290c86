// The mail stores under faults: stale and unmakeable locks, deliveries still writing,
// links, owners, Maildir name collisions, many identical mails and what is no store.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utime.h>

#include <chrono>
#include <filesystem>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/files.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/posix/ChildProcess.h"
#include "mailhost/MailStore.h"

namespace vesko::mailhost {
namespace {

namespace fs = std::filesystem;
using platform::ReadWholeFile;
using platform::WriteWholeFile;

const std::string kTwoMails =
    "From a Mon\nSubject: one\n\nbody one\n\nFrom b Mon\nSubject: two\n\nbody two\n";

bool AllRead(TMailStore& store) {
  for (const TStoredMail& mail : store.List("Inbox")) {
    if (!mail.read) return false;
  }
  return true;
}

std::vector<std::string> Ids(TMailStore& store) {
  std::vector<std::string> ids;
  for (const TStoredMail& mail : store.List("Inbox")) ids.push_back(mail.id);
  return ids;
}

TEST(MboxFaults, StaleLocksAreBrokenLiveOnesRespected) {
  const int dead = test::StartChild([] { return 0; });
  test::WaitChild(dead);
  struct {
    const char* name;
    std::string content;
    int age;
    bool marks;
  } const cases[] = {
      {"older than a few minutes", "", 600, true},
      {"naming a dead process", std::to_string(dead) + "\n", 0, true},
      {"naming a running process", std::to_string(::getppid()) + "\n", 0, false},
      {"fresh and empty: a delivery starting", "", 0, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    test::TScratchFolder scratch;
    const std::string path = scratch / "mbox";
    WriteWholeFile(path, kTwoMails);
    auto store = OpenMailStore(path);
    const auto ids = Ids(*store);
    WriteWholeFile(path + ".lock", c.content);
    const utimbuf times{::time(nullptr) - c.age, ::time(nullptr) - c.age};
    ::utime((path + ".lock").c_str(), &times);
    if (c.marks) {
      store->CheckCanMark("Inbox");
      EXPECT_TRUE(store->MarkRead("Inbox", ids).empty());
      EXPECT_TRUE(AllRead(*store));
      EXPECT_FALSE(fs::exists(path + ".lock"));
    } else {
      EXPECT_THROW(store->CheckCanMark("Inbox"), EMailStoreError);
      EXPECT_EQ(ReadWholeFile(path), kTwoMails);
      EXPECT_EQ(ReadWholeFile(path + ".lock"), c.content) << "another program's lock stays";
    }
  }
}

TEST(MboxFaults, ALockThatCantBeMadeSaysWhy) {
  test::TScratchFolder scratch;
  const std::string path = scratch / std::string(252, 'm');  // + ".lock" is too long a name
  WriteWholeFile(path, kTwoMails);
  auto store = OpenMailStore(path);
  EXPECT_EQ(store->List("Inbox").size(), 2u) << "listing works without a lock";
  try {
    store->CheckCanMark("Inbox");
    FAIL() << "no error";
  } catch (const EMailStoreError& e) {
    const std::string said = e.what();
    EXPECT_NE(said.find("can't be created (File name too long)"), std::string::npos) << said;
    EXPECT_EQ(said.find("locked by another program"), std::string::npos) << said;
  }
}

TEST(MboxFaults, AMailStillBeingDeliveredIsNeitherCutNorMarked) {
  test::TScratchFolder scratch;
  const std::string path = scratch / "mbox";
  const std::string half = "From a Mon\nSubject: one\n\nfirst half\n";
  const std::string rest = "second half\n";
  // A delivery agent holds the lock while it writes: the listing waits for it.
  WriteWholeFile(path, half);
  WriteWholeFile(path + ".lock", std::to_string(::getpid()) + "\n");
  auto store = OpenMailStore(path);
  std::thread delivery([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    WriteWholeFile(path, half + rest);
    platform::RemoveFile(path + ".lock");
  });
  const auto list = store->List("Inbox");
  delivery.join();
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(store->Read("Inbox", list[0].id), "Subject: one\n\nfirst half\nsecond half\n");

  // An agent that ignores the lock: the mail read before it was whole stays unread.
  const std::string more = "third part\n";
  WriteWholeFile(path, half + rest + more);
  const auto skipped = store->MarkRead("Inbox", {list[0].id});
  ASSERT_EQ(skipped.size(), 1u);
  EXPECT_EQ(skipped[0].id, list[0].id);
  EXPECT_EQ(ReadWholeFile(path), half + rest + more);
}

TEST(MboxFaults, ASymlinkedMboxHasItsTargetRewritten) {
  test::TScratchFolder scratch;
  fs::create_directory(scratch / "spool");
  const std::string target = scratch / "spool/user";
  WriteWholeFile(target, kTwoMails);
  fs::create_symlink(target, scratch / "mbox");
  auto store = OpenMailStore(scratch / "mbox");
  EXPECT_TRUE(store->MarkRead("Inbox", Ids(*store)).empty());
  EXPECT_TRUE(fs::is_symlink(scratch / "mbox"));
  EXPECT_NE(ReadWholeFile(target).find("Status: R"), std::string::npos);
  EXPECT_TRUE(AllRead(*OpenMailStore(target)));
  EXPECT_FALSE(fs::exists(scratch / "mbox.lock"));
  EXPECT_FALSE(fs::exists(target + ".lock"));
}

TEST(MboxFaults, TheRewriteKeepsOwnerGroupAndMode) {
  if (::geteuid() != 0) GTEST_SKIP() << "giving a file to another user takes root";
  test::TScratchFolder scratch;
  const std::string path = scratch / "mbox";
  WriteWholeFile(path, kTwoMails);
  ASSERT_EQ(::chown(path.c_str(), 65534, 65534), 0);
  ASSERT_EQ(::chmod(path.c_str(), 0660), 0);
  auto store = OpenMailStore(path);
  EXPECT_TRUE(store->MarkRead("Inbox", Ids(*store)).empty());
  struct stat info {};
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_uid, 65534u);
  EXPECT_EQ(info.st_gid, 65534u);
  EXPECT_EQ(info.st_mode & 07777, 0660u);
  EXPECT_TRUE(AllRead(*store));
}

TEST(MboxFaults, LeftoversOfADeadRewriteGo) {
  const int dead = test::StartChild([] { return 0; });
  test::WaitChild(dead);
  test::TScratchFolder scratch;
  const std::string path = scratch / "mbox";
  WriteWholeFile(path, kTwoMails);
  const std::string old = path + ".vesko-" + std::to_string(dead) + "-Ab12Cd";
  const std::string fresh = path + ".vesko-" + std::to_string(dead) + "-Ef34Gh";
  WriteWholeFile(old, kTwoMails);
  WriteWholeFile(fresh, kTwoMails);
  const utimbuf times{::time(nullptr) - 7200, ::time(nullptr) - 7200};
  ::utime(old.c_str(), &times);
  auto store = OpenMailStore(path);
  store->MarkRead("Inbox", Ids(*store));
  EXPECT_FALSE(fs::exists(old));
  EXPECT_TRUE(fs::exists(fresh)) << "it may still be written";
}

TEST(MboxFaults, ListingManyIdenticalMailsIsLinear) {
  const std::string mail = "From a Mon\nSubject: same\n\nbody\n\n";
  std::string text;
  for (int i = 0; i < 20000; ++i) text += mail;
  text += "From a Mon\nSubject: same-2\n\nbody\n";
  const auto start = std::chrono::steady_clock::now();
  const auto mails = ParseMbox(text);
  const auto seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  ASSERT_EQ(mails.size(), 20001u);
  std::set<std::string> ids;
  for (const TMboxMail& m : mails) ids.insert(m.id);
  EXPECT_EQ(ids.size(), mails.size());
  // A search per copy took minutes here; one pass takes well under a second.
  EXPECT_LT(seconds, 10.0);
}

TEST(MaildirFaults, ANameCollisionIsResolvedAndTheOthersMarked) {
  struct {
    const char* name;
    void (*make_seen_copy)(const std::string& from, const std::string& to);
    bool resolved;
  } const cases[] = {
      {"one file under both names, as a cut-short rename leaves it",
       [](const std::string& from, const std::string& to) { fs::create_hard_link(from, to); },
       true},
      {"the same bytes twice",
       [](const std::string& from, const std::string& to) { fs::copy_file(from, to); }, true},
      {"another mail under the seen name",
       [](const std::string&, const std::string& to) { WriteWholeFile(to, "Subject: other\n\n"); },
       false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    test::TScratchFolder scratch;
    const std::string root = scratch / "md";
    fs::create_directories(root + "/new");
    fs::create_directories(root + "/cur");
    WriteWholeFile(root + "/new/1.a", "Subject: a\n\n");
    WriteWholeFile(root + "/new/2.b", "Subject: b\n\n");
    WriteWholeFile(root + "/new/3.c", "Subject: c\n\n");
    c.make_seen_copy(root + "/new/2.b", root + "/cur/2.b:2,S");
    auto store = OpenMailStore(root);
    std::vector<std::string> unread;
    for (const TStoredMail& mail : store->List("Inbox")) {
      if (!mail.read) unread.push_back(mail.id);
    }
    const auto skipped = store->MarkRead("Inbox", unread);
    EXPECT_TRUE(fs::exists(root + "/cur/1.a:2,S"));
    EXPECT_TRUE(fs::exists(root + "/cur/3.c:2,S"));
    EXPECT_EQ(fs::exists(root + "/new/2.b"), !c.resolved);
    if (c.resolved) {
      EXPECT_TRUE(skipped.empty());
      EXPECT_TRUE(AllRead(*store));
    } else {
      ASSERT_EQ(skipped.size(), 1u);
      EXPECT_EQ(skipped[0].id, "2.b");
      EXPECT_NE(skipped[0].reason.find("cur/2.b:2,S"), std::string::npos) << skipped[0].reason;
      EXPECT_EQ(ReadWholeFile(root + "/new/2.b"), "Subject: b\n\n");
    }
  }
}

TEST(MailStoreFaults, WhatIsNeitherFileNorFolderIsNoStore) {
  test::TScratchFolder scratch;
  ASSERT_EQ(::mkfifo((scratch / "fifo").c_str(), 0600), 0);
  for (const std::string path : {scratch / "fifo", std::string("/dev/null")}) {
    SCOPED_TRACE(path);
    EXPECT_THROW(OpenMailStore(path), EMailStoreError);
  }
}

}  // namespace
}  // namespace vesko::mailhost
