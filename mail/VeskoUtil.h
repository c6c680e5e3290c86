// Text helpers for mail: quoted-printable and base64 decoding of a body, guessing the
// Japanese code of an undeclared body, reading the "Date" field, unfolding header values,
// and splitting a "From" value into address and display name. Encoded words are left to
// the host's decoder.
// None of these throws on any input.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/datetime.h"

namespace vesko {

// Decodes quoted-printable text. Only upper-case hex pairs make a byte; "=" with any two
// other characters (a soft line break "=" CR LF, a lower-case pair) is dropped with them.
// A final lone "=" gives CR; "=" plus one character drops both. Control characters other
// than CR are cut from the end of the result.
std::string QuotedPrintableDecode(std::string_view text);

// Decodes base64 text. Characters outside the alphabet (line ends, blanks, damage) are
// skipped; "=" ends a group of four, so joined encodings decode too; a cut-off tail gives
// the whole bytes it holds.
std::string Base64Decode(std::string_view text);

// A header value unfolded: each CR LF that a blank or a tab follows is removed.
std::string UnfoldHeader(std::string_view value);
// Each run of CR and LF in text becomes one space, so a value stays on one line.
std::string OnOneLine(std::string_view text);

// The 1-based position of needle in text at or after the 1-based start, or 0 (also for a
// start below 1 or past the text, and for an empty needle).
std::size_t FindFrom(std::string_view needle, std::string_view text, std::size_t start);

// Answers of DetectCode.
enum TDetectedCode : int {
  kCodeAscii = 0,       // plain ASCII or unknown
  kCodeBinary = 1,      // a byte 0x00..0x07 or 0xFF
  kCodeJisNew = 2,      // JIS with ESC $ B
  kCodeJisOld = 3,      // JIS with ESC $ @
  kCodeEucJp = 4,
  kCodeShiftJis = 5,
  kCodeEucOrSjis = 6,   // EUC-JP or Shift JIS, undecided
};
// How many leading bytes DetectCode checks for binary bytes before it looks at codes.
inline constexpr std::size_t kBinaryCheckLength = 1024;
// Guesses the Japanese code of a text; one of TDetectedCode.
int DetectCode(std::string_view text);

// Reads a "Date" field value such as "Mon, 07 Dec 2026 12:34:56 +0900" as written; only
// the zone "GMT" is applied (it adds 9 hours). 0 when the text cannot be read.
TDateTime ParseMailDate(std::string_view text);
// A parsed date as "YYYY-MM-DD HH:MM:SS", or "0" for the value 0 (a date that could not
// be read), for logs and the debug commands.
std::string MailDateText(TDateTime value);

// The mail address of a "From" value ("Taro <taro@example.jp>" gives the address); the
// whole value when none can be picked out.
std::string MailAddress(std::string_view from);
// The display name of a "From" value: the comment in parentheses, the quoted text, or the
// text before "<", whichever comes first; empty when there is none.
std::string DisplayName(std::string_view from);

}  // namespace vesko
