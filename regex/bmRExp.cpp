#include "regex/bmRExp.h"

#include <cstring>
#include <optional>
#include <utility>
#include <vector>

#include "platform/locale.h"

namespace vesko {

TbmRExp::TbmRExp() : char_code_(bmccCodePage2CharCode(platform::AnsiCodePage())) {}

const TbmREDFATable& TbmRExp::GetDFA() {
  if (!compiled_) {
    TbmREScanner scanner;
    scanner.SetCharCode(char_code_);
    scanner.SetPattern(pattern_);
    scanner.set_regexp_mode(regexp_syntax_);
    const TbmRETree tree(FilterTokens(scanner.Tokenize()));
    dfa_.Build(tree);
    compiled_ = true;
  }
  return dfa_;
}

void TbmRExp::SetCharCode(std::uint8_t code) {
  if (code == char_code_) return;
  char_code_ = code;
  compiled_ = false;
}

TbmRETokens TbmRExp::FilterTokens(TbmRETokens tokens) {
  if (!ignore_case_) return tokens;
  return bmIgnoreCase(tokens);
}

void TbmRExp::SetPattern(std::string_view pattern) {
  if (pattern == pattern_) return;
  pattern_.assign(pattern);
  compiled_ = false;
}

void TbmRExp::SetOption(int index, bool value) {
  bool* option = index == 0 ? &regexp_syntax_ : index == 1 ? &ignore_case_ : nullptr;
  if (option == nullptr || *option == value) return;
  *option = value;
  compiled_ = false;
}

namespace {

template <typename Codec>
bool IsLF(const std::uint8_t* p, const std::uint8_t* end) {
  return p < end && Codec::Code(p, Codec::Size(p, end)) == kbmLF;
}

// The longest match that starts at p, or -1. State 0 runs, and beside it the line-start
// state when p begins a line; a line tail matches before LF, CR or the end of the text.
template <typename Codec>
std::ptrdiff_t MatchAt(const TbmREDFATable& dfa, const std::uint8_t* p, const std::uint8_t* end,
                       bool line_start) {
  const bool tail = dfa.has_line_tail();
  int s0 = 0;
  int s1 = line_start ? dfa.line_start_state() : -1;
  std::ptrdiff_t best = -1;
  const std::uint8_t* q = p;
  for (;;) {
    if ((s0 >= 0 && dfa.Accepting(s0)) || (s1 >= 0 && dfa.Accepting(s1))) best = q - p;
    const bool at_end = q >= end;
    const int size = at_end ? 0 : Codec::Size(q, end);
    const int code = at_end ? kbmEndOfText : Codec::Code(q, size);
    if (tail && (at_end || code == kbmLF || code == kbmCR) &&
        ((s0 >= 0 && dfa.HasTail(s0)) || (s1 >= 0 && dfa.HasTail(s1)))) {
      best = q - p;
    }
    if (at_end) return best;
    s0 = s0 >= 0 ? dfa.Next(s0, code) : -1;
    s1 = s1 >= 0 ? dfa.Next(s1, code) : -1;
    q += size;
    if (s0 < 0 && s1 < 0) return best;
  }
}

// Finds matches in one text. Walks from the start offset one character at a time and
// tries a match at each position. Positions where no match can begin are passed over
// without entering the matcher: by a byte scan when every byte that can begin a match
// always begins a character (memchr when there is one such byte), else character by
// character.
template <typename Codec>
class TSearcher {
 public:
  TSearcher(const TbmREDFATable& dfa, std::string_view text)
      : dfa_(dfa),
        base_(reinterpret_cast<const std::uint8_t*>(text.data())),
        end_(base_ + text.size()),
        head_(dfa.has_line_head()),
        tail_at_start_(dfa.has_line_tail() && dfa.HasTail(0)),
        start_accepting_(dfa.Accepting(0)) {
    if constexpr (Codec::kUnit == 1) {
      byte_scan_ = !head_;
      int alive = 0;
      for (int b = 0; b < 256; ++b) {
        if (dfa.StartDead(static_cast<std::uint8_t>(b))) continue;
        ++alive;
        single_ = b;
        if (Codec::IsTrail(static_cast<std::uint8_t>(b))) byte_scan_ = false;
      }
      if (alive != 1) single_ = -1;
    }
  }

  TbmREMatch Find(std::size_t start) const {
    if (start > static_cast<std::size_t>(end_ - base_)) return {};
    bool line_start = false;
    if (head_) {
      if (start < Codec::kUnit) {
        line_start = true;
      } else {
        const int code = Codec::Code(base_ + start - Codec::kUnit, Codec::kUnit);
        line_start = code == kbmLF || (code == kbmCR && !IsLF<Codec>(base_ + start, end_));
      }
    }
    const std::uint8_t* p = base_ + start;
    for (;;) {
      if (!line_start) p = SkipDead(p);
      int size = 0, code = kbmEndOfText;
      if (p < end_) {
        size = Codec::Size(p, end_);
        code = Codec::Code(p, size);
        if (!line_start && !start_accepting_ && dfa_.Next(0, code) < 0 &&
            !(tail_at_start_ && (code == kbmLF || code == kbmCR))) {
          if (head_) line_start = code == kbmLF || (code == kbmCR && !IsLF<Codec>(p + size, end_));
          p += size;
          continue;
        }
      }
      const std::ptrdiff_t length = MatchAt<Codec>(dfa_, p, end_, line_start);
      if (length >= 0) return {p - base_, static_cast<std::size_t>(length)};
      if (p >= end_) return {};
      line_start = head_ && (code == kbmLF || (code == kbmCR && !IsLF<Codec>(p + size, end_)));
      p += size;
    }
  }

 private:
  const std::uint8_t* SkipDead(const std::uint8_t* p) const {
    if constexpr (Codec::kUnit == 1) {
      if (byte_scan_) {
        if (single_ >= 0) {
          const void* found = std::memchr(p, single_, static_cast<std::size_t>(end_ - p));
          return found != nullptr ? static_cast<const std::uint8_t*>(found) : end_;
        }
        while (p < end_ && dfa_.StartDead(*p)) ++p;
      } else if (!head_) {
        while (p < end_ && dfa_.StartDead(*p)) p += Codec::Size(p, end_);
      }
    }
    return p;
  }

  const TbmREDFATable& dfa_;
  const std::uint8_t* base_;
  const std::uint8_t* end_;
  bool head_;
  bool tail_at_start_;
  bool start_accepting_;
  bool byte_scan_ = false;
  int single_ = -1;
};

// The template cut into literal bytes and references to the match.
struct TTemplatePiece {
  bool match;
  std::string bytes;
};

std::vector<TTemplatePiece> ParseTemplate(std::uint8_t char_code, std::string_view tmpl) {
  auto reader = bmCreateReader(char_code);
  reader->SetTextBuff(tmpl);
  const TbmEscapeLimits limits = bmEscapeLimits(char_code);
  std::vector<TTemplatePiece> pieces;
  auto literal = [&]() -> std::string& {
    if (pieces.empty() || pieces.back().match) pieces.push_back({false, {}});
    return pieces.back().bytes;
  };
  while (!reader->AtEnd()) {
    const std::size_t offset = reader->offset();
    const int c = reader->ReadChar();
    if (c == '&') {
      pieces.push_back({true, {}});
    } else if (c == '\\') {
      const auto code = bmReadEscape(*reader, limits);
      if (!code) break;
      reader->WriteChar(*code, literal());
    } else {
      literal().append(tmpl.substr(offset, reader->offset() - offset));
    }
  }
  return pieces;
}

template <typename Codec>
int ReplaceIn(const TbmREDFATable& dfa, std::uint8_t char_code, std::string_view tmpl,
              std::string& text) {
  const std::string_view input(text);
  const TSearcher<Codec> searcher(dfa, input);
  std::optional<std::vector<TTemplatePiece>> pieces;
  std::string output;
  output.reserve(text.size());
  int count = 0;
  std::size_t from = 0;
  do {
    const TbmREMatch match = searcher.Find(from);
    if (match.start < 0) {
      output.append(input.substr(from));
      break;
    }
    const auto m = static_cast<std::size_t>(match.start);
    std::size_t n = match.length;
    ++count;
    output.append(input.substr(from, m - from));
    if (!pieces) pieces = ParseTemplate(char_code, tmpl);
    for (const TTemplatePiece& piece : *pieces) {
      output.append(piece.match ? input.substr(m, n) : std::string_view(piece.bytes));
    }
    if (n == 0) {
      // An empty match keeps the character after it and moves on by that character.
      if (m < input.size()) {
        n = static_cast<std::size_t>(Codec::Size(
            reinterpret_cast<const std::uint8_t*>(input.data()) + m,
            reinterpret_cast<const std::uint8_t*>(input.data()) + input.size()));
        output.append(input.substr(m, n));
      } else {
        n = Codec::kUnit;
      }
    }
    from = m + n;
  } while (from < input.size());
  text = std::move(output);
  return count;
}

}  // namespace

TbmREMatch TbmRExp::Search(std::string_view text, std::size_t start) {
  const TbmREDFATable& dfa = GetDFA();
  switch (char_code_) {
    case kbmccShiftJIS:
      return TSearcher<TbmSJISCodec>(dfa, text).Find(start);
    case kbmccEUC:
      return TSearcher<TbmEUCCodec>(dfa, text).Find(start);
    case kbmccWestern:
      return TSearcher<TbmWesternCodec>(dfa, text).Find(start);
    default:
      if (text.size() % 2 != 0 || start % 2 != 0) return {};
      return TSearcher<TbmUniCodeCodec>(dfa, text).Find(start);
  }
}

int TbmRExp::Replace(std::string_view tmpl, std::string& text) {
  const TbmREDFATable& dfa = GetDFA();
  switch (char_code_) {
    case kbmccShiftJIS:
      return ReplaceIn<TbmSJISCodec>(dfa, char_code_, tmpl, text);
    case kbmccEUC:
      return ReplaceIn<TbmEUCCodec>(dfa, char_code_, tmpl, text);
    case kbmccWestern:
      return ReplaceIn<TbmWesternCodec>(dfa, char_code_, tmpl, text);
    default:
      bmCreateReader(char_code_)->SetTextBuff(text);  // refuses an odd byte length
      return ReplaceIn<TbmUniCodeCodec>(dfa, char_code_, tmpl, text);
  }
}

}  // namespace vesko
