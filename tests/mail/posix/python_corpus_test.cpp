// Checks the MIME tree against Python's email package on the mails of Python's own email
// test data: the first text/plain part and its charset must agree, or the table below
// names the rule of Vesko's parser that makes them differ.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "mail/MIMEItem.h"
#include "platform/files.h"
#include "mail/TextUtil.h"

namespace vesko {
namespace {

struct TExpected {
  bool found = false;
  std::string charset, body;  // body: LF line ends, trailing line ends removed
};

std::string FromHex(const std::string& hex) {
  std::string bytes;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
  }
  return bytes;
}

// Runs the Python script; returns the corpus folder and the expected result per file.
std::string RunPython(std::map<std::string, TExpected>& expected) {
  const std::string command =
      "python3 " VESKO_TEST_DATA_DIR "/mail/python_text_parts.py";
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  if (!pipe) return {};
  std::string output;
  char buffer[65536];
  std::size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, pipe.get())) > 0) output.append(buffer, got);
  std::istringstream lines(output);
  std::string folder, line;
  std::getline(lines, folder);
  while (std::getline(lines, line)) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1) {
      fields.push_back(line.substr(start, tab - start));
    }
    fields.push_back(line.substr(start));
    if (fields.size() != 4) continue;
    expected[fields[0]] = {fields[1] == "1", fields[2], FromHex(fields[3])};
  }
  return folder;
}

std::string Normalized(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  while (!text.empty() && text.back() == '\n') text.pop_back();
  return text;
}

// Mails where Vesko's answer differs from Python's, and the parser rule that decides it.
const std::map<std::string, std::string> kDifferences = {
    {"msg_03.txt",
     "no Content-Type field: the entity has no type, so it is no text/plain part (Python assumes text/plain)"},
    {"msg_06.txt",
     "only multipart entities have parts: a message/* entity is one leaf (Python reads the embedded message)"},
    {"msg_11.txt",
     "only multipart entities have parts: a message/* entity is one leaf (Python reads the embedded message)"},
    {"msg_14.txt",
     "'Content-Type: text' without a subtype leaves type and subtype empty"},
    {"msg_19.txt",
     "no Content-Type field: the entity has no type, so it is no text/plain part (Python assumes text/plain)"},
    {"msg_24.txt",
     "no Content-Type field: the entity has no type, so it is no text/plain part (Python assumes text/plain)"},
    {"msg_28.txt",
     "only multipart entities have parts: a message/* entity is one leaf (Python reads the embedded message)"},
    {"msg_30.txt",
     "parts of multipart/digest without Content-Type have no type (Python assumes message/rfc822 and reads inside)"},
    {"msg_32.txt",
     "a parameter name is compared as written: 'charset*' is not 'charset'"},
    {"msg_33.txt",
     "a parameter name is compared as written: 'boundary*' is not 'boundary', so the entity has no parts"},
    {"msg_35.txt",
     "no Content-Type field: the entity has no type, so it is no text/plain part (Python assumes text/plain)"},
    {"msg_36.txt",
     "only multipart entities have parts: a message/* entity is one leaf (Python reads the embedded message)"},
    {"msg_38.txt",
     "only the parent's boundary ends a part, and a boundary line with trailing blanks is body text (Python ends at any enclosing boundary)"},
    {"msg_42.txt",
     "no Content-Type field: the entity has no type, so it is no text/plain part (Python assumes text/plain)"},
    {"msg_46.txt",
     "only multipart entities have parts: a message/* entity is one leaf (Python reads the embedded message)"},
    {"msg_47.txt",
     "the header runs to the first empty line, so the line 'bar' is a header entry and the body is empty"},
};

TEST(PythonEmailCorpus, FirstTextPlainPartAgrees) {
  std::map<std::string, TExpected> expected;
  const std::string folder = RunPython(expected);
  if (expected.empty()) GTEST_SKIP() << "python3 or its email test data is not available";
  EXPECT_EQ(expected.size(), 48u);
  for (const auto& [name, want] : expected) {
    SCOPED_TRACE(name);
    TMIMEItem root;
    const std::string mail = WithCrLf(platform::ReadWholeFile(folder + "/" + name));
    root.Parse(mail);
    const TMIMEItem* part = root.FindPart("text", "plain");
    const bool found = part != nullptr;
    const std::string charset =
        found ? TMIMEItem::GetParameter(part->GetHeader("Content-Type"), "charset") : "";
    const std::string body = found ? Normalized(part->body()) : "";
    const bool agrees = found == want.found && charset == want.charset && body == want.body;
    const auto difference = kDifferences.find(name);
    if (difference == kDifferences.end()) {
      EXPECT_EQ(found, want.found);
      EXPECT_EQ(charset, want.charset);
      EXPECT_EQ(body, want.body);
    } else {
      EXPECT_FALSE(agrees) << "listed as differing, but agrees: " << difference->second;
    }
  }
}

}  // namespace
}  // namespace vesko
