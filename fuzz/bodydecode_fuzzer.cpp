// The body decodings of any bytes: base64, HTML to text and the charset conversions. The
// first byte picks the charset; the rest is the text. Checks that base64 round-trips and
// never grows, and that HTML to text and conversion from ASCII-based charsets keep every
// line end a CR LF pair or leave line ends as they were, so the e-book's lines stay counted.
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>

#include "mail/Charsets.h"
#include "mail/HtmlText.h"
#include "mail/VeskoUtil.h"

namespace {

std::string Base64Encode(std::string_view bytes) {
  static const char kAlphabet[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    unsigned group = static_cast<unsigned char>(bytes[i]) << 16;
    if (i + 1 < bytes.size()) group |= static_cast<unsigned char>(bytes[i + 1]) << 8;
    if (i + 2 < bytes.size()) group |= static_cast<unsigned char>(bytes[i + 2]);
    out += kAlphabet[group >> 18 & 63];
    out += kAlphabet[group >> 12 & 63];
    out += i + 1 < bytes.size() ? kAlphabet[group >> 6 & 63] : '=';
    out += i + 2 < bytes.size() ? kAlphabet[group & 63] : '=';
    if (out.size() % 78 == 76) out += "\r\n";
  }
  return out;
}

bool OnlyCrLfPairs(std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n')) return false;
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) return false;
  }
  return true;
}

std::size_t LineEnds(std::string_view text) {
  std::size_t n = 0;
  for (const char c : text) n += c == '\r' || c == '\n';
  return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  static const char* const kCharsets[] = {"utf-8",  "iso-8859-1", "windows-1252", "gbk",
                                          "big5",   "koi8-r",     "utf-16",       "shift_jis",
                                          "x-none", "iso-8859-5", "windows-1250"};
  const char* charset = kCharsets[data[0] % std::size(kCharsets)];
  const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);

  const std::string decoded = vesko::Base64Decode(text);
  if (decoded.size() > text.size() * 3 / 4 + 2) __builtin_trap();
  if (vesko::Base64Decode(Base64Encode(text)) != text) __builtin_trap();

  if (!OnlyCrLfPairs(vesko::HtmlToText(text))) __builtin_trap();

  const std::optional<std::string> converted = vesko::ConvertToShiftJis(charset, text);
  const std::string_view name = charset;
  const bool ascii_based = name != "utf-16" && name != "x-none";
  if (ascii_based && (!converted || LineEnds(*converted) != LineEnds(text))) __builtin_trap();
  return 0;
}
