// With the body decodings on, no exported body of the bundled sample or of Python's own
// email test mails still holds base64 or quoted-printable text.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "export/MailItem.h"
#include "export/MeDocItemList.h"
#include "platform/files.h"
#include "mail/TextUtil.h"
#include "tests/support/FakeHost.h"
#include "tests/support/ScratchFolder.h"

namespace vesko {
namespace {

namespace fs = std::filesystem;

bool IsHex(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); }
bool IsBase64(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
         c == '+' || c == '/' || c == '=';
}

// What is left of an encoding in a line: a soft line break, an escaped "=", blank or
// 8-bit byte, or a line of 40 or more base64 characters. Empty when there is none.
std::string Residue(const std::string& line) {
  if (line.size() >= 2 && line.back() == '=' && line[line.size() - 2] != '=' &&
      line[line.size() - 2] != ' ') {
    return "soft line break";
  }
  for (std::size_t i = 0; i + 2 < line.size(); ++i) {
    if (line[i] == '=' && IsHex(line[i + 1]) && IsHex(line[i + 2]) &&
        (line[i + 1] >= '8' || line.compare(i, 3, "=3D") == 0 || line.compare(i, 3, "=20") == 0)) {
      return "quoted-printable escape";
    }
  }
  bool all_base64 = line.size() >= 40;
  for (const char c : line) all_base64 = all_base64 && IsBase64(c);
  return all_base64 ? "base64 line" : "";
}

std::vector<std::string> MailFiles() {
  std::vector<std::string> files;
  for (const char* folder : {VESKO_SOURCE_DIR "/samples/Maildir/cur", VESKO_SOURCE_DIR "/samples/Maildir/new"}) {
    for (const auto& entry : fs::directory_iterator(folder)) files.push_back(entry.path().string());
  }
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(
      popen("python3 -c 'import email, os; "
            "print(os.path.dirname(os.path.dirname(email.__file__)))' 2>/dev/null",
            "r"),
      pclose);
  char line[4096] = {};
  if (pipe && std::fgets(line, sizeof line, pipe.get()) != nullptr) {
    std::string lib(line);
    while (!lib.empty() && (lib.back() == '\n' || lib.back() == '\r')) lib.pop_back();
    const fs::path data = fs::path(lib) / "test" / "test_email" / "data";
    if (fs::is_directory(data)) {
      for (const auto& entry : fs::directory_iterator(data)) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with("msg_") && name.ends_with(".txt")) files.push_back(entry.path().string());
      }
    }
  }
  return files;
}

TEST(EncodingResidue, NoneInTheSampleAndPythonsTestMails) {
  const std::vector<std::string> files = MailFiles();
  ASSERT_GE(files.size(), 20u);
  test::TScratchFolder root;
  fake::TFakeHost host(root.path());
  host.AddMail("1", "");
  TTextOptions options;
  options.Decoding = {true, true, true, true, true};
  const TMeDocItemList list(options);
  int python_mails = 0;
  for (const std::string& file : files) {
    SCOPED_TRACE(file);
    python_mails += fs::path(file).filename().string().starts_with("msg_");
    host.mails[0].source = WithCrLf(platform::ReadWholeFile(file));
    const std::string body = TMailItem("1", list).Body();
    std::size_t start = 0;
    for (std::size_t end; start < body.size(); start = end + 2) {
      end = std::min(body.find("\r\n", start), body.size());
      const std::string line = body.substr(start, end - start);
      EXPECT_EQ(Residue(line), "") << line;
    }
  }
  if (python_mails == 0) GTEST_SKIP() << "Python's email test mails are not on this machine";
  EXPECT_EQ(python_mails, 48);
}

}  // namespace
}  // namespace vesko
