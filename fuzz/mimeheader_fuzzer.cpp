// The header decoder and the converters on any bytes: the result is CP932 with no double-byte
// character cut in half, and the header result never outgrows the caller's buffer.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "mailhost/Charsets.h"

using namespace vesko::mailhost;

namespace {

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

bool IsLead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

void CheckCp932(std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (IsLead(static_cast<unsigned char>(text[i]))) {
      Check(i + 1 < text.size());
      ++i;
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  // The first byte picks the buffer size handed to the header decoder.
  const int buffer_size = data[0];
  const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
  const std::string decoded = DecodeMimeHeader(text);
  CheckCp932(decoded);

  char buffer[300];
  std::memset(buffer, 0x5A, sizeof buffer);
  // As BKA_MIMEHeader hands the result over.
  CopyCp932(DecodeMimeHeader(text.c_str()), buffer, buffer_size);
  if (buffer_size > 0) {
    const std::size_t length = std::strlen(buffer);
    Check(length < static_cast<std::size_t>(buffer_size));
    CheckCp932(std::string_view(buffer, length));
  }
  for (std::size_t i = static_cast<std::size_t>(buffer_size > 0 ? buffer_size : 1);
       i < sizeof buffer; ++i) {
    Check(buffer[i] == 0x5A);
  }
  for (const char* charset : {"iso-2022-jp", "iso-2022-kr", "hz-gb-2312", "iso-8859-2", "euc-jp",
                              "utf-7", "utf-8"}) {
    CheckCp932(ToCp932(text, charset));
  }
  return 0;
}
