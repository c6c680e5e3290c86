// Parses any bytes as a mail and reads the tree as the mail item does.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "mail/MIMEItem.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view mail(reinterpret_cast<const char*>(data), size);
  vesko::TMIMEItem root;
  root.Parse(mail);
  root.GetHeader("Date");
  root.GetHeader("From");
  if (const vesko::TMIMEItem* part = root.FindPart("text", "plain")) {
    const std::string type = part->GetHeader("Content-Type");
    vesko::TMIMEItem::GetParameter(type, "charset");
    part->GetHeader("Content-Transfer-Encoding");
    vesko::JoinLines(part->body());
  }
  vesko::TMIMEItem::GetParameter(mail, "boundary");
  // Parsing never adds bytes: every body line came from the mail.
  std::size_t bytes = 0;
  for (const std::string& line : root.body()) bytes += line.size();
  if (bytes > size) __builtin_trap();
  return 0;
}
