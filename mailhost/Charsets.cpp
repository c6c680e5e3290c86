// The converters run through ICU: text to UTF-16, then UTF-16 to windows-31j, with every
// failure replaced by the geta mark. ISO-2022-JP has a decoder of its own, since senders
// put characters into it that a strict decoder refuses.
#include "mailhost/Charsets.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>
#include <unicode/ucnv_err.h>

#include <algorithm>
#include <bitset>
#include <map>
#include <memory>
#include <vector>

namespace vesko::mailhost {
namespace {

constexpr UChar kGetaChar = 0x3013;

struct TConverterCloser {
  void operator()(UConverter* converter) const { ucnv_close(converter); }
};
using TConverter = std::unique_ptr<UConverter, TConverterCloser>;

std::string Lower(std::string_view text) {
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) {
    return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  });
  return out;
}

// Bytes that don't decode become the geta mark.
void GetaToUnicode(const void*, UConverterToUnicodeArgs* args, const char*, int32_t,
                   UConverterCallbackReason reason, UErrorCode* error) {
  if (reason > UCNV_IRREGULAR) return;  // reset, close, clone: nothing to write
  *error = U_ZERO_ERROR;
  ucnv_cbToUWriteUChars(args, &kGetaChar, 1, 0, error);
}

// The converters in use, opened once each; null for a name ICU doesn't know.
UConverter* Converter(const std::string& name) {
  static std::map<std::string, TConverter> cache;
  auto found = cache.find(name);
  if (found == cache.end()) {
    UErrorCode error = U_ZERO_ERROR;
    TConverter converter(ucnv_open(name.c_str(), &error));
    if (U_FAILURE(error)) converter.reset();
    if (converter) {
      ucnv_setToUCallBack(converter.get(), GetaToUnicode, nullptr, nullptr, nullptr, &error);
    }
    found = cache.emplace(name, std::move(converter)).first;
  }
  if (found->second) ucnv_reset(found->second.get());
  return found->second.get();
}

UConverter* Cp932Converter() {
  static UConverter* converter = [] {
    UConverter* c = Converter("windows-31j");
    UErrorCode error = U_ZERO_ERROR;
    ucnv_setSubstChars(c, kGeta, 2, &error);
    return c;
  }();
  ucnv_reset(converter);
  return converter;
}

std::u16string ToUnicode(UConverter* converter, std::string_view text) {
  std::u16string out(text.size() * 2 + 16, u'\0');
  UErrorCode error = U_ZERO_ERROR;
  int32_t length = ucnv_toUChars(converter, reinterpret_cast<UChar*>(out.data()),
                                 static_cast<int32_t>(out.size()), text.data(),
                                 static_cast<int32_t>(text.size()), &error);
  if (error == U_BUFFER_OVERFLOW_ERROR) {
    out.resize(static_cast<std::size_t>(length) + 1);
    error = U_ZERO_ERROR;
    ucnv_reset(converter);
    length = ucnv_toUChars(converter, reinterpret_cast<UChar*>(out.data()),
                           static_cast<int32_t>(out.size()), text.data(),
                           static_cast<int32_t>(text.size()), &error);
  }
  out.resize(U_SUCCESS(error) ? static_cast<std::size_t>(length) : 0);
  return out;
}

std::string FromUnicode(UConverter* converter, std::u16string_view text) {
  std::string out(text.size() * 4 + 16, '\0');
  UErrorCode error = U_ZERO_ERROR;
  int32_t length =
      ucnv_fromUChars(converter, out.data(), static_cast<int32_t>(out.size()),
                      reinterpret_cast<const UChar*>(text.data()),
                      static_cast<int32_t>(text.size()), &error);
  if (error == U_BUFFER_OVERFLOW_ERROR) {
    out.resize(static_cast<std::size_t>(length) + 1);
    error = U_ZERO_ERROR;
    ucnv_reset(converter);
    length = ucnv_fromUChars(converter, out.data(), static_cast<int32_t>(out.size()),
                             reinterpret_cast<const UChar*>(text.data()),
                             static_cast<int32_t>(text.size()), &error);
  }
  out.resize(U_SUCCESS(error) ? static_cast<std::size_t>(length) : 0);
  return out;
}

bool IsCp932Lead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }
bool IsCp932Trail(unsigned char c) { return c >= 0x40 && c <= 0xFC && c != 0x7F; }
bool IsHalfWidthKana(unsigned char c) { return c >= 0xA1 && c <= 0xDF; }

// Whether a double-byte code has a character in CP932, asked of ICU once per code.
bool IsCp932Pair(unsigned char lead, unsigned char trail) {
  static const std::vector<bool> valid = [] {
    std::vector<bool> table(65536, false);
    UErrorCode error = U_ZERO_ERROR;
    TConverter strict(ucnv_open("windows-31j", &error));
    ucnv_setToUCallBack(strict.get(), UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr,
                        &error);
    for (int l = 0x81; l <= 0xFC; ++l) {
      for (int t = 0x40; t <= 0xFC; ++t) {
        if (!IsCp932Lead(static_cast<unsigned char>(l))) continue;
        const char pair[2] = {static_cast<char>(l), static_cast<char>(t)};
        UChar out[4];
        error = U_ZERO_ERROR;
        ucnv_reset(strict.get());
        const int32_t n = ucnv_toUChars(strict.get(), out, 4, pair, 2, &error);
        table[l << 8 | t] = U_SUCCESS(error) && n == 1;
      }
    }
    return table;
  }();
  return valid[lead << 8 | trail];
}

// Appends one double-byte CP932 character, or the geta mark when CP932 has none there.
void AppendPair(std::string& out, unsigned char lead, unsigned char trail) {
  if (IsCp932Pair(lead, trail)) {
    out += static_cast<char>(lead);
    out += static_cast<char>(trail);
  } else {
    out += kGeta;
  }
}

// Appends raw bytes at text[i] taken as Shift JIS; returns how many were used.
std::size_t AppendShiftJis(std::string& out, std::string_view text, std::size_t i) {
  const auto c = static_cast<unsigned char>(text[i]);
  if (c < 0x80 || IsHalfWidthKana(c)) {
    out += static_cast<char>(c);
    return 1;
  }
  if (IsCp932Lead(c) && i + 1 < text.size() &&
      IsCp932Trail(static_cast<unsigned char>(text[i + 1]))) {
    AppendPair(out, c, static_cast<unsigned char>(text[i + 1]));
    return 2;
  }
  out += kGeta;
  return 1;
}

bool IsIso2022Jp(const std::string& charset) {
  return charset == "iso-2022-jp" || charset == "csiso2022jp" || charset == "iso-2022-jp-1" ||
         charset == "iso-2022-jp-2" || charset == "iso-2022-jp-3" || charset == "iso-2022-jp-ms";
}

}  // namespace

std::string Iso2022JpToCp932(std::string_view text) {
  enum class TMode { kAscii, kKanji, kKana, kOtherDouble };
  TMode mode = TMode::kAscii;
  TMode before_shift = TMode::kAscii;  // the mode that SI returns to
  std::string out;
  out.reserve(text.size());
  auto at = [&](std::size_t i) { return i < text.size() ? text[i] : '\0'; };
  for (std::size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == 0x1B) {
      const std::string_view rest = text.substr(i + 1, 3);
      std::size_t length = 0;
      if (rest.starts_with("(B") || rest.starts_with("(J") || rest.starts_with("(H")) {
        mode = TMode::kAscii, length = 3;
      } else if (rest.starts_with("(I")) {
        mode = TMode::kKana, length = 3;
      } else if (rest.starts_with("$@") || rest.starts_with("$B")) {
        mode = TMode::kKanji, length = 3;
      } else if (rest.starts_with("$(B") || rest.starts_with("$(Q") || rest.starts_with("$(O")) {
        mode = TMode::kKanji, length = 4;
      } else if (rest.starts_with("$A")) {
        mode = TMode::kOtherDouble, length = 3;
      } else if (rest.starts_with("$(")) {
        mode = TMode::kOtherDouble, length = rest.size() == 3 ? 4 : 3;
      } else if (rest.starts_with("&@") || rest.starts_with(".A") || rest.starts_with(".F")) {
        length = 3;
      } else {
        length = 1;  // an escape we don't know: drop the ESC, keep what follows
      }
      i += std::min(length, text.size() - i);
      continue;
    }
    if (c == 0x0E) {  // SO: half-width katakana until SI
      if (mode != TMode::kKana) before_shift = mode;
      mode = TMode::kKana;
      ++i;
      continue;
    }
    if (c == 0x0F) {
      mode = before_shift;
      ++i;
      continue;
    }
    if (c == '\r' || c == '\n') {  // a line end always returns to ASCII
      mode = before_shift = TMode::kAscii;
      out += static_cast<char>(c);
      ++i;
      continue;
    }
    if (c >= 0x80) {  // raw 8-bit bytes: Shift JIS or half-width katakana
      i += AppendShiftJis(out, text, i);
      continue;
    }
    if (mode == TMode::kKana && c >= 0x21 && c <= 0x5F) {
      out += static_cast<char>(c + 0x80);
      ++i;
      continue;
    }
    if ((mode == TMode::kKanji || mode == TMode::kOtherDouble) && c >= 0x21 && c <= 0x7E) {
      const auto c2 = static_cast<unsigned char>(at(i + 1));
      if (c2 < 0x21 || c2 > 0x7E || mode == TMode::kOtherDouble) {
        out += kGeta;
        i += (c2 >= 0x21 && c2 <= 0x7E) ? 2 : 1;
        continue;
      }
      // JIS row and cell to Shift JIS, for all 94 rows, as CP932 lays them out.
      const auto lead = static_cast<unsigned char>(((c + 1) >> 1) + (c <= 0x5E ? 0x70 : 0xB0));
      const auto trail =
          static_cast<unsigned char>(c2 + ((c & 1) ? (c2 >= 0x60 ? 0x20 : 0x1F) : 0x7E));
      AppendPair(out, lead, trail);
      i += 2;
      continue;
    }
    out += static_cast<char>(c);
    ++i;
  }
  return out;
}

std::string ToCp932(std::string_view text, std::string_view charset) {
  const std::string name = Lower(charset);
  if (IsIso2022Jp(name)) return Iso2022JpToCp932(text);
  UConverter* source = Converter(name);
  if (source == nullptr) return std::string(text);
  return FromUnicode(Cp932Converter(), ToUnicode(source, text));
}

std::string FromCp932(std::string_view text, std::string_view charset) {
  UConverter* target = Converter(Lower(charset));
  if (target == nullptr) return std::string(text);
  const std::u16string unicode = ToUnicode(Cp932Converter(), text);
  UErrorCode error = U_ZERO_ERROR;
  ucnv_setSubstChars(target, "?", 1, &error);
  return FromUnicode(target, unicode);
}

std::string_view CutCp932(std::string_view text, std::size_t max_bytes) {
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t length = IsCp932Lead(static_cast<unsigned char>(text[i])) ? 2 : 1;
    if (i + length > max_bytes) break;
    i += length;
  }
  return text.substr(0, std::min(i, text.size()));
}

void CopyCp932(std::string_view text, char* buffer, int size) {
  if (buffer == nullptr || size <= 0) return;
  const std::string_view cut = CutCp932(text, static_cast<std::size_t>(size) - 1);
  std::copy(cut.begin(), cut.end(), buffer);
  buffer[cut.size()] = '\0';
}

std::string Cp932ToUtf8(std::string_view text) {
  UConverter* utf8 = Converter("utf-8");
  return FromUnicode(utf8, ToUnicode(Cp932Converter(), text));
}

std::string Utf8ToCp932(std::string_view text) { return ToCp932(text, "utf-8"); }

// --- Header values ------------------------------------------------------------------

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::string DecodeQ(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '_') {
      out += ' ';
    } else if (text[i] == '=' && i + 2 < text.size() + 0 && HexValue(text[i + 1]) >= 0 &&
               HexValue(text[i + 2]) >= 0) {
      out += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::string DecodeB(std::string_view text) {
  std::string out;
  unsigned bits = 0;
  int count = 0;
  for (char c : text) {
    int value;
    if (c >= 'A' && c <= 'Z') value = c - 'A';
    else if (c >= 'a' && c <= 'z') value = c - 'a' + 26;
    else if (c >= '0' && c <= '9') value = c - '0' + 52;
    else if (c == '+') value = 62;
    else if (c == '/') value = 63;
    else continue;  // padding and stray bytes
    bits = (bits << 6) | static_cast<unsigned>(value);
    count += 6;
    if (count >= 8) {
      count -= 8;
      out += static_cast<char>((bits >> count) & 0xFF);
    }
  }
  return out;
}

struct TEncodedWord {
  std::size_t length = 0;  // of the whole "=?...?=" text
  std::string charset;     // lower case, language suffix removed
  std::string bytes;       // B or Q decoded
};

// Reads an encoded word at the start of text; length 0 when there is none.
TEncodedWord ReadEncodedWord(std::string_view text) {
  TEncodedWord word;
  if (!text.starts_with("=?")) return word;
  const std::size_t q1 = text.find('?', 2);
  if (q1 == std::string_view::npos || q1 == 2 || q1 + 2 >= text.size() || text[q1 + 2] != '?') {
    return word;
  }
  const char encoding = text[q1 + 1];
  const std::size_t end = text.find("?=", q1 + 3);
  if (end == std::string_view::npos) return word;
  const std::string_view payload = text.substr(q1 + 3, end - q1 - 3);
  if (payload.find_first_of(" \t\r\n") != std::string_view::npos) return word;
  std::string charset = Lower(text.substr(2, q1 - 2));
  charset = charset.substr(0, charset.find('*'));
  if (charset.empty() || charset.find_first_of(" \t\r\n") != std::string::npos) return word;
  if (encoding == 'B' || encoding == 'b') {
    word.bytes = DecodeB(payload);
  } else if (encoding == 'Q' || encoding == 'q') {
    word.bytes = DecodeQ(payload);
  } else {
    return word;
  }
  if (!IsIso2022Jp(charset) && Converter(charset) == nullptr) return word;  // unknown
  word.charset = std::move(charset);
  word.length = end + 2;
  return word;
}

}  // namespace

std::string DecodeMimeHeader(std::string_view value) {
  // Unfold: a line end followed by a blank continues the line.
  std::string unfolded;
  unfolded.reserve(value.size());
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (value[i] == '\r' || value[i] == '\n') continue;
    unfolded += value[i];
  }
  std::string out;
  std::string pending_charset, pending_bytes;  // adjacent words not yet decoded
  auto flush = [&] {
    if (!pending_charset.empty()) out += ToCp932(pending_bytes, pending_charset);
    pending_charset.clear();
    pending_bytes.clear();
  };
  std::string_view rest = unfolded;
  while (!rest.empty()) {
    TEncodedWord word = ReadEncodedWord(rest);
    if (word.length > 0) {
      if (word.charset != pending_charset) flush();
      pending_charset = word.charset;
      pending_bytes += word.bytes;
      rest.remove_prefix(word.length);
      continue;
    }
    // Blanks between two encoded words vanish; elsewhere they stay.
    const std::size_t blanks = rest.find_first_not_of(" \t");
    if (blanks > 0 && !pending_charset.empty() && blanks != std::string_view::npos &&
        ReadEncodedWord(rest.substr(blanks)).length > 0) {
      rest.remove_prefix(blanks);
      continue;
    }
    flush();
    const std::size_t next = rest.find("=?", 1);
    const std::size_t take = next == std::string_view::npos ? rest.size() : next;
    // Plain text is Shift JIS already; bytes that aren't become the geta mark, so no
    // lead byte is left without its second byte.
    const std::string_view plain = rest.substr(0, take);
    for (std::size_t i = 0; i < plain.size();) i += AppendShiftJis(out, plain, i);
    rest.remove_prefix(take);
  }
  flush();
  return out;
}

std::string EncodeMimeHeader(std::string_view value) {
  if (std::all_of(value.begin(), value.end(), [](char c) { return (c & 0x80) == 0; })) {
    return std::string(value);
  }
  static const char kDigits[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  const std::string bytes = FromCp932(value, "iso-2022-jp");
  std::string out = "=?ISO-2022-JP?B?";
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    const std::size_t n = std::min<std::size_t>(3, bytes.size() - i);
    unsigned group = 0;
    for (std::size_t k = 0; k < 3; ++k) {
      group = group << 8 | (k < n ? static_cast<unsigned char>(bytes[i + k]) : 0u);
    }
    for (std::size_t k = 0; k < 4; ++k) {
      out += k <= n ? kDigits[(group >> (18 - 6 * k)) & 63] : '=';
    }
  }
  return out + "?=";
}

}  // namespace vesko::mailhost
