#include "regex/bmRExp.h"

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

// Walks the text from start, one character at a time, and tries a match at each
// position. Positions where state 0 has no move on the first character, and no line
// start or line tail can help, are passed over without entering the matcher.
template <typename Codec>
TbmREMatch SearchIn(const TbmREDFATable& dfa, std::string_view text, std::size_t start) {
  if (start > text.size()) return {};
  const auto* base = reinterpret_cast<const std::uint8_t*>(text.data());
  const std::uint8_t* end = base + text.size();
  const bool head = dfa.has_line_head();
  const bool tail_at_start = dfa.has_line_tail() && dfa.HasTail(0);
  const bool start_accepting = dfa.Accepting(0);

  bool line_start = false;
  if (head) {
    if (start < Codec::kUnit) {
      line_start = true;
    } else {
      const std::uint8_t* before = base + start - Codec::kUnit;
      const int code = Codec::Code(before, Codec::kUnit);
      line_start = code == kbmLF || (code == kbmCR && !IsLF<Codec>(base + start, end));
    }
  }
  const std::uint8_t* p = base + start;
  for (;;) {
    int size = 0, code = kbmEndOfText;
    if (p < end) {
      size = Codec::Size(p, end);
      code = Codec::Code(p, size);
      if (!line_start && !start_accepting && dfa.Next(0, code) < 0 &&
          !(tail_at_start && (code == kbmLF || code == kbmCR))) {
        if (head) line_start = code == kbmLF || (code == kbmCR && !IsLF<Codec>(p + size, end));
        p += size;
        continue;
      }
    }
    const std::ptrdiff_t length = MatchAt<Codec>(dfa, p, end, line_start);
    if (length >= 0) return {p - base, static_cast<std::size_t>(length)};
    if (p >= end) return {};
    line_start = head && (code == kbmLF || (code == kbmCR && !IsLF<Codec>(p + size, end)));
    p += size;
  }
}

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

}  // namespace

TbmREMatch TbmRExp::Search(std::string_view text, std::size_t start) {
  const TbmREDFATable& dfa = GetDFA();
  switch (char_code_) {
    case kbmccShiftJIS:
      return SearchIn<TbmSJISCodec>(dfa, text, start);
    case kbmccEUC:
      return SearchIn<TbmEUCCodec>(dfa, text, start);
    case kbmccWestern:
      return SearchIn<TbmWesternCodec>(dfa, text, start);
    default:
      if (text.size() % 2 != 0 || start % 2 != 0) return {};
      return SearchIn<TbmUniCodeCodec>(dfa, text, start);
  }
}

int TbmRExp::Replace(std::string_view tmpl, std::string& text) {
  GetDFA();
  const auto walker = bmCreateReader(char_code_);
  walker->SetTextBuff(text);
  std::optional<std::vector<TTemplatePiece>> pieces;
  std::string output;
  output.reserve(text.size());
  const std::string_view input(text);
  int count = 0;
  std::size_t from = 0;
  do {
    const TbmREMatch match = Search(input, from);
    if (match.start < 0) {
      output.append(input.substr(from));
      break;
    }
    const auto m = static_cast<std::size_t>(match.start);
    std::size_t n = match.length;
    ++count;
    output.append(input.substr(from, m - from));
    if (!pieces) pieces = ParseTemplate(char_code_, tmpl);
    for (const TTemplatePiece& piece : *pieces) {
      output.append(piece.match ? input.substr(m, n) : std::string_view(piece.bytes));
    }
    if (n == 0) {
      // An empty match keeps the character after it and moves on by that character.
      walker->set_offset(m);
      n = static_cast<std::size_t>(walker->CharSize());
      if (!walker->AtEnd()) output.append(input.substr(m, n));
    }
    from = m + n;
  } while (from < input.size());
  text = std::move(output);
  return count;
}

}  // namespace vesko
