#include "platform/charset.h"

#include <windows.h>

#include <vector>

namespace vesko::platform {
namespace {

constexpr UINT kShiftJis = 932;

void AppendUtf16(std::wstring& out, char32_t c) {
  if (c >= 0x10000 && c <= 0x10FFFF) {
    c -= 0x10000;
    out += static_cast<wchar_t>(0xD800 + (c >> 10));
    out += static_cast<wchar_t>(0xDC00 + (c & 0x3FF));
  } else {
    out += static_cast<wchar_t>(c > 0xFFFF ? 0xFFFD : c);
  }
}

// The Shift JIS form of wide text; false when some character has none.
bool ToShiftJis(const std::wstring& wide, std::string& out) {
  if (wide.empty()) return true;
  BOOL used_default = FALSE;
  const int size = ::WideCharToMultiByte(kShiftJis, WC_NO_BEST_FIT_CHARS, wide.data(),
                                         static_cast<int>(wide.size()), nullptr, 0, nullptr,
                                         &used_default);
  if (size <= 0 || used_default) return false;
  std::string bytes(static_cast<std::size_t>(size), '\0');
  ::WideCharToMultiByte(kShiftJis, WC_NO_BEST_FIT_CHARS, wide.data(),
                        static_cast<int>(wide.size()), bytes.data(), size, nullptr, nullptr);
  out += bytes;
  return true;
}

}  // namespace

std::optional<std::u32string> DecodeCodePage(unsigned code_page, std::string_view text) {
  if (!::IsValidCodePage(code_page)) return std::nullopt;
  std::u32string out;
  if (text.empty()) return out;
  const int size = ::MultiByteToWideChar(code_page, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0);
  if (size <= 0) return std::nullopt;
  std::vector<wchar_t> wide(static_cast<std::size_t>(size));
  ::MultiByteToWideChar(code_page, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                        size);
  out.reserve(wide.size());
  for (std::size_t i = 0; i < wide.size(); ++i) {
    const char32_t c = wide[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 &&
        wide[i + 1] <= 0xDFFF) {
      out += 0x10000 + ((c - 0xD800) << 10) + (wide[++i] - 0xDC00);
    } else {
      out += c;
    }
  }
  return out;
}

std::size_t EncodeShiftJis(std::u32string_view text, std::string& out) {
  std::wstring wide;
  wide.reserve(text.size());
  for (const char32_t c : text) AppendUtf16(wide, c);
  if (ToShiftJis(wide, out)) return text.size();
  // Some character has no Shift JIS form: write the ones before it.
  std::size_t done = 0;
  for (; done < text.size(); ++done) {
    wide.clear();
    AppendUtf16(wide, text[done]);
    if (!ToShiftJis(wide, out)) break;
  }
  return done;
}

}  // namespace vesko::platform
