// The host's character-set converters and header decoder, all producing CP932
// (windows-31j), the plug-in's code page. They never fail: bytes that don't decode and
// characters that CP932 lacks become the geta mark "\x81\xAC" (U+3013).
#pragma once

#include <string>
#include <string_view>

namespace vesko::mailhost {

inline constexpr const char* kGeta = "\x81\xAC";

// Text in charset (any name ICU knows) to CP932. An unknown charset gives the text
// unchanged. ISO-2022-JP goes through Iso2022JpToCp932.
std::string ToCp932(std::string_view text, std::string_view charset);
// CP932 text to charset; characters it lacks become '?'. An unknown charset gives the
// text unchanged.
std::string FromCp932(std::string_view text, std::string_view charset);

// ISO-2022-JP read leniently: JIS X 0208 rows 1..94 as CP932 maps them (so the NEC and
// IBM extensions senders use come through), half-width katakana by ESC ( I, SO/SI or as
// raw 8-bit bytes, raw Shift JIS passed on, and a line end returning to ASCII.
std::string Iso2022JpToCp932(std::string_view text);

// Decodes the RFC 2047 encoded words (B and Q, any charset ICU knows) of a header
// value into CP932. Adjacent words in one charset are joined before their charset is
// decoded, so a character split between them comes out whole. Folded lines are
// unfolded; other text, 8-bit bytes included, is taken as Shift JIS and kept.
std::string DecodeMimeHeader(std::string_view value);

// A CP932 header value for sending: unchanged when it is plain ASCII, else one
// ISO-2022-JP encoded word in base64.
std::string EncodeMimeHeader(std::string_view value);

// The longest head of a CP932 text that has at most max_bytes bytes and does not end
// inside a double-byte character.
std::string_view CutCp932(std::string_view text, std::size_t max_bytes);

// Copies text into a caller's buffer of size bytes (its terminating zero included), cut
// by CutCp932. Nothing is written when buffer is null or size is not positive.
void CopyCp932(std::string_view text, char* buffer, int size);

// CP932 text as UTF-8, for the terminal.
std::string Cp932ToUtf8(std::string_view text);
std::string Utf8ToCp932(std::string_view text);

}  // namespace vesko::mailhost
