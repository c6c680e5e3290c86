// The store readers on any bytes: the mbox splitter and its Status rewrite, and Maildir
// file names. Mails must lie inside the text in order, IDs must be unique and survive
// marking, and marking every mail read must leave them all read.
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>

#include "mailhost/MailStore.h"

using namespace vesko::mailhost;

namespace {

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

void CheckMbox(std::string_view text) {
  const auto mails = ParseMbox(text);
  std::set<std::string> ids;
  std::size_t last_end = 0;
  for (const TMboxMail& mail : mails) {
    Check(mail.begin >= last_end && mail.begin <= mail.end && mail.end <= text.size());
    Check(!mail.id.empty() && mail.id.size() <= kMaxMailIdLength);
    Check(ids.insert(mail.id).second);
    last_end = mail.end;
  }
  std::vector<std::string> all(ids.begin(), ids.end());
  const std::string marked = MarkMboxRead(text, all);
  const auto after = ParseMbox(marked);
  Check(after.size() == mails.size());
  for (std::size_t i = 0; i < after.size(); ++i) {
    Check(after[i].id == mails[i].id);
    Check(after[i].read);
  }
  Check(MarkMboxRead(marked, all) == marked);  // marking again changes nothing
}

void CheckMaildirName(std::string_view name) {
  const TMaildirName parsed = ParseMaildirName(name);
  const std::string seen = MaildirSeenName(parsed);
  const TMaildirName again = ParseMaildirName(seen);
  Check(again.unique == parsed.unique || parsed.has_info);
  Check(again.has_info && again.flags.find('S') != std::string::npos);
  Check(MaildirSeenName(again) == seen);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  CheckMbox(text);
  CheckMaildirName(text.substr(0, text.find('\n')));
  // Every line end comes out as CR LF, and a text that had only those comes out as it was.
  const std::string crlf = ToCrLf(std::string(text));
  bool only_crlf = true;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const bool lone_cr = text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n');
    const bool lone_lf = text[i] == '\n' && (i == 0 || text[i - 1] != '\r');
    if (lone_cr || lone_lf) only_crlf = false;
  }
  if (only_crlf) Check(crlf == text);
  for (std::size_t i = 0; i < crlf.size(); ++i) {
    if (crlf[i] == '\r') Check(i + 1 < crlf.size() && crlf[i + 1] == '\n');
    if (crlf[i] == '\n') Check(i > 0 && crlf[i - 1] == '\r');
  }
  return 0;
}
