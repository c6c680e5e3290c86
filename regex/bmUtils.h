// Character codes of the regular expression library and the readers that walk a byte
// text one character at a time. A double-byte Shift JIS or EUC character is one
// character whose code is lead byte * 256 + trail byte; a UTF-16LE unit is one character
// whose code is the 16-bit value. Codes are 0..0xFFFF; -1 stands for the end of the text.
// Readers never own the text they walk. The UTF-16 reader throws EVeskoError for a text
// of odd byte length; bmccCodePage2CharCode throws EVeskoError for an unknown code page.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace vesko {

// Character codes as the library numbers them.
inline constexpr std::uint8_t kbmccShiftJIS = 0;
inline constexpr std::uint8_t kbmccEUC = 1;
inline constexpr std::uint8_t kbmccWestern = 2;  // Windows-1252, one byte per character
inline constexpr std::uint8_t kbmccUniCode = 3;  // UTF-16LE
inline constexpr std::uint8_t kbmccJIS = 4;      // known, but without a reader

// Pseudo characters of the automaton's alphabet.
inline constexpr int kbmEndOfText = -1;
inline constexpr int kbmLineHead = -2;
inline constexpr int kbmLineTail = -3;
inline constexpr int kbmMaxChar = 0xFFFF;

inline constexpr int kbmLF = 10;
inline constexpr int kbmCR = 13;

// Maps a Windows ANSI code page to the library's character code: 932 -> Shift JIS,
// 1252 -> Western, 1200 -> UniCode. Throws EVeskoError for any other page.
std::uint8_t bmccCodePage2CharCode(unsigned code_page);

// How each code cuts bytes into characters. Size() is the byte length of the character
// at p (1 or 2, never past end; p < end), Code() its code. Both are inline, for the
// search's inner loop. IsTrail() tells whether a byte can be the second byte of a
// character, so that a byte that can't always begins one.
struct TbmSJISCodec {
  static bool IsLead(std::uint8_t b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
  static bool IsTrail(std::uint8_t b) { return b >= 0x40 && b <= 0xFC && b != 0x7F; }
  static int Size(const std::uint8_t* p, const std::uint8_t* end) {
    return IsLead(p[0]) && end - p >= 2 && IsTrail(p[1]) ? 2 : 1;
  }
  static int Code(const std::uint8_t* p, int size) { return size == 2 ? p[0] << 8 | p[1] : p[0]; }
  static constexpr int kUnit = 1;
};

struct TbmEUCCodec {
  static bool IsLead(std::uint8_t b) { return b == 0x8E || (b >= 0xA1 && b <= 0xFE); }
  static bool IsTrail(std::uint8_t b) { return b >= 0xA1 && b <= 0xFE; }
  static int Size(const std::uint8_t* p, const std::uint8_t* end) {
    return IsLead(p[0]) && end - p >= 2 && IsTrail(p[1]) ? 2 : 1;
  }
  static int Code(const std::uint8_t* p, int size) { return size == 2 ? p[0] << 8 | p[1] : p[0]; }
  static constexpr int kUnit = 1;
};

struct TbmWesternCodec {
  static bool IsLead(std::uint8_t) { return false; }
  static bool IsTrail(std::uint8_t) { return false; }
  static int Size(const std::uint8_t*, const std::uint8_t*) { return 1; }
  static int Code(const std::uint8_t* p, int) { return p[0]; }
  static constexpr int kUnit = 1;
};

// The text's byte length is even (the reader checks), so a unit is always whole.
struct TbmUniCodeCodec {
  static bool IsTrail(std::uint8_t) { return true; }
  static int Size(const std::uint8_t*, const std::uint8_t*) { return 2; }
  static int Code(const std::uint8_t* p, int) { return p[0] | p[1] << 8; }
  static constexpr int kUnit = 2;
};

// Walks a byte text one character at a time.
class TbmCharReader {
 public:
  virtual ~TbmCharReader() = default;
  // Sets the text to walk and moves to its start. The text must outlive the reader's use.
  virtual void SetTextBuff(std::string_view text);
  // The next character's code, or kbmEndOfText; moves past it.
  int ReadChar();
  // The next character's code without moving, or kbmEndOfText.
  int PeekChar() const;
  // Byte length of the next character; at the end, the step a character of this code takes.
  virtual int CharSize() const = 0;
  std::size_t offset() const { return offset_; }
  void set_offset(std::size_t offset) { offset_ = offset; }
  std::string_view text() const { return text_; }
  bool AtEnd() const { return offset_ >= text_.size(); }
  // Appends the bytes of a character code: for byte codes, codes above 0xFF as two bytes
  // high then low, others as one byte; for UTF-16LE two bytes, low first.
  virtual void WriteChar(int code, std::string& out) const;

 protected:
  virtual int CodeAt(std::size_t offset, int size) const = 0;

  std::string_view text_;
  std::size_t offset_ = 0;
};

// The reader for a character code, or nullptr when the code has none (JIS and above).
std::unique_ptr<TbmCharReader> bmCreateReader(std::uint8_t char_code);

// Reads the escape after a backslash (the reader stands just past the backslash):
// \a 7, \b 8, \f 12, \n 10, \r 13, \t 9, \v 11, \x with hex digits, octal digits, and any
// other character for itself. \x takes up to max_hex digits, an octal escape up to
// max_octal digits while the value stays within max_value. Returns nothing for an invalid
// escape (the end of the text, or \x without a hex digit).
struct TbmEscapeLimits {
  int max_hex;
  int max_octal;
  int max_value;
};
TbmEscapeLimits bmEscapeLimits(std::uint8_t char_code);
std::optional<int> bmReadEscape(TbmCharReader& reader, const TbmEscapeLimits& limits);

}  // namespace vesko
