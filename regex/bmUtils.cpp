#include "regex/bmUtils.h"

#include "platform/errors.h"

namespace vesko {

std::uint8_t bmccCodePage2CharCode(unsigned code_page) {
  switch (code_page) {
    case 932:
      return kbmccShiftJIS;
    case 1252:
      return kbmccWestern;
    case 1200:
      return kbmccUniCode;
    default:
      throw EVeskoError("bmccCodePage2CharCode: unknown code page");
  }
}

void TbmCharReader::SetTextBuff(std::string_view text) {
  text_ = text;
  offset_ = 0;
}

int TbmCharReader::ReadChar() {
  if (AtEnd()) return kbmEndOfText;
  const int size = CharSize();
  const int code = CodeAt(offset_, size);
  offset_ += size;
  return code;
}

int TbmCharReader::PeekChar() const {
  if (AtEnd()) return kbmEndOfText;
  return CodeAt(offset_, CharSize());
}

void TbmCharReader::WriteChar(int code, std::string& out) const {
  if (code > 0xFF) out.push_back(static_cast<char>(code >> 8));
  out.push_back(static_cast<char>(code & 0xFF));
}

namespace {

template <typename Codec>
class TbmCodecReader : public TbmCharReader {
 public:
  int CharSize() const override {
    if (AtEnd()) return Codec::kUnit;
    const auto* p = reinterpret_cast<const std::uint8_t*>(text_.data());
    return Codec::Size(p + offset_, p + text_.size());
  }

 protected:
  int CodeAt(std::size_t offset, int size) const override {
    return Codec::Code(reinterpret_cast<const std::uint8_t*>(text_.data()) + offset, size);
  }
};

class TbmUniCodeReader : public TbmCodecReader<TbmUniCodeCodec> {
 public:
  void SetTextBuff(std::string_view text) override {
    if (text.size() % 2 != 0) {
      throw EVeskoError("TbmUniCodeReader.SetTextBuff: ByteLength must be even.");
    }
    TbmCharReader::SetTextBuff(text);
  }
  void WriteChar(int code, std::string& out) const override {
    out.push_back(static_cast<char>(code & 0xFF));
    out.push_back(static_cast<char>((code >> 8) & 0xFF));
  }
};

int HexValue(int c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::unique_ptr<TbmCharReader> bmCreateReader(std::uint8_t char_code) {
  switch (char_code) {
    case kbmccShiftJIS:
      return std::make_unique<TbmCodecReader<TbmSJISCodec>>();
    case kbmccEUC:
      return std::make_unique<TbmCodecReader<TbmEUCCodec>>();
    case kbmccWestern:
      return std::make_unique<TbmCodecReader<TbmWesternCodec>>();
    case kbmccUniCode:
      return std::make_unique<TbmUniCodeReader>();
    default:
      return nullptr;
  }
}

TbmEscapeLimits bmEscapeLimits(std::uint8_t char_code) {
  if (char_code == kbmccWestern) return {2, 3, 0xFF};
  return {4, 6, 0xFFFF};
}

std::optional<int> bmReadEscape(TbmCharReader& reader, const TbmEscapeLimits& limits) {
  const int c = reader.ReadChar();
  switch (c) {
    case kbmEndOfText:
      return std::nullopt;
    case 'a':
      return 7;
    case 'b':
      return 8;
    case 'f':
      return 12;
    case 'n':
      return 10;
    case 'r':
      return 13;
    case 't':
      return 9;
    case 'v':
      return 11;
    case 'x': {
      int value = 0, digits = 0;
      for (; digits < limits.max_hex; ++digits) {
        const int digit = HexValue(reader.PeekChar());
        if (digit < 0) break;
        reader.ReadChar();
        value = value * 16 + digit;
      }
      if (digits == 0) return std::nullopt;
      return value;
    }
    default:
      break;
  }
  if (c >= '0' && c <= '7') {
    int value = c - '0';
    for (int digits = 1; digits < limits.max_octal; ++digits) {
      const int next = reader.PeekChar();
      if (next < '0' || next > '7' || value * 8 + (next - '0') > limits.max_value) break;
      reader.ReadChar();
      value = value * 8 + (next - '0');
    }
    return value;
  }
  return c;
}

}  // namespace vesko
