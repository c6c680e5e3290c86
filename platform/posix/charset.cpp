#include "platform/charset.h"

#include <errno.h>
#include <iconv.h>

#include <array>
#include <memory>
#include <bit>

namespace vesko::platform {
namespace {

// iconv's name for each code page a mail may be declared in.
const char* IconvName(unsigned code_page) {
  struct TName {
    unsigned code_page;
    const char* name;
  };
  static constexpr TName kNames[] = {
      {874, "CP874"},         {932, "CP932"},         {936, "GBK"},
      {949, "CP949"},         {950, "BIG5"},          {1250, "CP1250"},
      {1251, "CP1251"},       {1252, "CP1252"},       {1253, "CP1253"},
      {1254, "CP1254"},       {1255, "CP1255"},       {1256, "CP1256"},
      {1257, "CP1257"},       {1258, "CP1258"},       {20866, "KOI8-R"},
      {21866, "KOI8-U"},      {28591, "ISO-8859-1"},  {28592, "ISO-8859-2"},
      {28593, "ISO-8859-3"},  {28594, "ISO-8859-4"},  {28595, "ISO-8859-5"},
      {28596, "ISO-8859-6"},  {28597, "ISO-8859-7"},  {28598, "ISO-8859-8"},
      {28599, "ISO-8859-9"},  {28600, "ISO-8859-10"}, {28601, "ISO-8859-11"},
      {28603, "ISO-8859-13"}, {28604, "ISO-8859-14"}, {28605, "ISO-8859-15"},
      {28606, "ISO-8859-16"}, {51949, "EUC-KR"},
  };
  for (const TName& n : kNames) {
    if (n.code_page == code_page) return n.name;
  }
  return nullptr;
}

constexpr const char* kUtf32 = std::endian::native == std::endian::little ? "UTF-32LE" : "UTF-32BE";

// One iconv descriptor, opened on first use and kept for the thread; reset before use.
class TConverter {
 public:
  TConverter(const char* to, const char* from) : cd_(::iconv_open(to, from)) {}
  ~TConverter() {
    if (ok()) ::iconv_close(cd_);
  }
  TConverter(const TConverter&) = delete;
  TConverter& operator=(const TConverter&) = delete;
  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
  iconv_t get() const {
    ::iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    return cd_;
  }

 private:
  iconv_t cd_;
};

TConverter* DecoderFor(unsigned code_page) {
  // A few descriptors suffice: an export meets few code pages, most of them often.
  struct TSlot {
    unsigned code_page = 0;
    std::unique_ptr<TConverter> converter;
  };
  thread_local std::array<TSlot, 8> slots;
  thread_local std::size_t next = 0;
  for (TSlot& slot : slots) {
    if (slot.converter && slot.code_page == code_page) return slot.converter.get();
  }
  const char* name = IconvName(code_page);
  if (name == nullptr) return nullptr;
  auto converter = std::make_unique<TConverter>(kUtf32, name);
  if (!converter->ok()) return nullptr;
  TSlot& slot = slots[next++ % slots.size()];
  slot = {code_page, std::move(converter)};
  return slot.converter.get();
}

}  // namespace

std::optional<std::u32string> DecodeCodePage(unsigned code_page, std::string_view text) {
  TConverter* converter = DecoderFor(code_page);
  if (converter == nullptr) return std::nullopt;
  const iconv_t cd = converter->get();
  std::u32string out;
  out.reserve(text.size());
  char* in = const_cast<char*>(text.data());
  std::size_t in_left = text.size();
  char32_t buffer[1024];
  while (in_left > 0) {
    char* dest = reinterpret_cast<char*>(buffer);
    std::size_t dest_left = sizeof buffer;
    const std::size_t done = ::iconv(cd, &in, &in_left, &dest, &dest_left);
    const int error = errno;
    out.append(buffer, (sizeof buffer - dest_left) / sizeof(char32_t));
    if (done != static_cast<std::size_t>(-1)) break;
    if (error == E2BIG) continue;
    // A byte that starts no character, or a character cut off at the end.
    out += U'\uFFFD';
    ++in, --in_left;
    ::iconv(cd, nullptr, nullptr, nullptr, nullptr);
  }
  return out;
}

std::size_t EncodeShiftJis(std::u32string_view text, std::string& out) {
  thread_local TConverter encoder("CP932", kUtf32);
  if (!encoder.ok() || text.empty()) return 0;
  const iconv_t cd = encoder.get();
  char* in = reinterpret_cast<char*>(const_cast<char32_t*>(text.data()));
  std::size_t in_left = text.size() * sizeof(char32_t);
  char buffer[4096];
  while (in_left > 0) {
    char* dest = buffer;
    std::size_t dest_left = sizeof buffer;
    const std::size_t done = ::iconv(cd, &in, &in_left, &dest, &dest_left);
    const int error = errno;
    out.append(buffer, sizeof buffer - dest_left);
    if (done == static_cast<std::size_t>(-1) && error != E2BIG) break;
  }
  return text.size() - in_left / sizeof(char32_t);
}

}  // namespace vesko::platform
