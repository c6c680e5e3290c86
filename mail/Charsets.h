// Converting mail text from the character sets that senders declare to Shift JIS, beside the
// host's own converters: UTF-8, UTF-16, the Shift JIS family, and the code pages of
// Western, Central and Eastern Europe, Cyrillic and Chinese mail. UTF-8 and UTF-16 are
// decoded here; the code pages through the platform's converters (platform/charset.h).
//
// Characters that Shift JIS lacks get their nearest form: a Japanese variant of the same
// character (U+301C wave dash to the full-width tilde), else the nearest ASCII text
// (é to e, ß to ss, “ to "), else the geta mark (0x81 0xAC). Typographic quotes take
// their ASCII form even though Shift JIS has full-width ones. Joiners, variation selectors
// and byte order marks are dropped, so an emoji with them still becomes one geta mark.
// Nothing here throws.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vesko {

// How a declared charset is read.
enum class TCharsetKind {
  kUnknown,    // not one of the sets below
  kShiftJis,   // shift_jis and its aliases, windows-31j: already the output code
  kUtf8,
  kUtf16,      // "utf-16" takes a byte order mark and defaults to big-endian
  kUtf16Le,
  kUtf16Be,
  kCodePage,   // a code page the platform converts
};
struct TCharset {
  TCharsetKind kind = TCharsetKind::kUnknown;
  unsigned code_page = 0;  // the Windows code page number, for kCodePage
};

// The charset called name (ASCII case ignored); kind kUnknown for any other name.
TCharset LookUpCharset(std::string_view name);

// text, declared in charset name, as Shift JIS. nullopt when the name is unknown or the
// platform can't convert that code page.
std::optional<std::string> ConvertToShiftJis(std::string_view name, std::string_view text);

// Unicode text as Shift JIS, each missing character in its nearest form.
std::string EncodeShiftJis(std::u32string_view text);
// One code point as Shift JIS, in its nearest form when Shift JIS lacks it.
std::string ShiftJisOf(char32_t c);

// UTF-8 to code points; each byte that starts no valid sequence becomes U+FFFD.
std::u32string DecodeUtf8(std::string_view text);
// Whether DecodeUtf8 finds every byte of text in a valid sequence; stops at the first that
// isn't, so text in another code is told quickly.
bool IsValidUtf8(std::string_view text);
// Whether every byte of text is below 0x80.
bool IsAscii(std::string_view text);

// Shift JIS text (code page 932, the plug-in's own code) as UTF-8, through the platform's
// converter; a byte that forms no character becomes U+FFFD. nullopt when the platform
// can't convert code page 932.
std::optional<std::string> ShiftJisToUtf8(std::string_view text);

}  // namespace vesko
