// The pattern scanner: pattern bytes to tokens.
#include <utility>

#include "regex/bmREKit.h"

namespace vesko {

const char* bmTokenKindName(TbmRETokenKind kind) {
  switch (kind) {
    case TbmRETokenKind::kCharacter:
      return "character";
    case TbmRETokenKind::kUnion:
      return "union";
    case TbmRETokenKind::kLeftParenthesis:
      return "left parenthesis";
    case TbmRETokenKind::kRightParenthesis:
      return "right parenthesis";
    case TbmRETokenKind::kAsterisk:
      return "asterisk";
    case TbmRETokenKind::kPlus:
      return "plus";
    case TbmRETokenKind::kQuestionMark:
      return "question mark";
    case TbmRETokenKind::kLeftBracket:
      return "left bracket";
    case TbmRETokenKind::kNegateLeftBracket:
      return "negate left bracket";
    case TbmRETokenKind::kRightBracket:
      return "right bracket";
    case TbmRETokenKind::kDot:
      return "dot";
    case TbmRETokenKind::kLineHead:
      return "line head";
    case TbmRETokenKind::kLineTail:
      return "line tail";
    case TbmRETokenKind::kEnd:
      return "end";
    case TbmRETokenKind::kNeedRightBracket:
      return "need right bracket \"]\" ";
    case TbmRETokenKind::kInvalidCharacterClass:
      return "invalid character class";
    case TbmRETokenKind::kInvalidEscapeSequence:
      return "invalid escape sequence";
    case TbmRETokenKind::kInvalidCharacter:
      return "invalid character";
    case TbmRETokenKind::kNeedRightParenthesis:
      return "need right parenthesis";
    case TbmRETokenKind::kNeedNormalCharOrLeftParenthesis:
      return "need normal char or left parenthesis";
  }
  return "unknown token";
}

EbmREToken::EbmREToken(const TbmREToken& token)
    : EVeskoError(bmTokenKindName(token.kind)), token_(token) {}

void TbmREScanner::SetCharCode(std::uint8_t char_code) {
  reader_ = bmCreateReader(char_code);
  if (!reader_) throw EVeskoError("TbmREScanner.SetCharCode: can't create reader");
  limits_ = bmEscapeLimits(char_code);
}

void TbmREScanner::SetPattern(std::string_view pattern) {
  reader_->SetTextBuff(pattern);
  in_bracket_ = false;
  bracket_first_ = false;
}

TbmREToken TbmREScanner::Make(TbmRETokenKind kind, int low, int high, std::size_t start) const {
  return TbmREToken{kind, low, high, start, reader_->offset()};
}

TbmREToken TbmREScanner::NextToken() {
  using K = TbmRETokenKind;
  const std::size_t start = reader_->offset();
  if (in_bracket_) return BracketItem();
  const int c = reader_->ReadChar();
  if (c == kbmEndOfText) return Make(K::kEnd, c, c, start);
  if (!regexp_mode_) return Make(K::kCharacter, c, c, start);
  // The one-character meta tokens.
  static constexpr std::pair<char, TbmRETokenKind> kMeta[] = {
      {'|', K::kUnion},    {'(', K::kLeftParenthesis}, {')', K::kRightParenthesis},
      {'*', K::kAsterisk}, {'+', K::kPlus},            {'?', K::kQuestionMark},
      {'.', K::kDot},      {'^', K::kLineHead},        {'$', K::kLineTail},
  };
  for (const auto& [meta, kind] : kMeta) {
    if (c == meta) return Make(kind, c, c, start);
  }
  switch (c) {
    case '[':
      in_bracket_ = true;
      bracket_first_ = true;
      if (reader_->PeekChar() == '^') {
        reader_->ReadChar();
        return Make(K::kNegateLeftBracket, c, c, start);
      }
      return Make(K::kLeftBracket, c, c, start);
    case '\\': {
      const auto code = bmReadEscape(*reader_, limits_);
      if (!code) return Make(K::kInvalidEscapeSequence, c, c, start);
      return Make(K::kCharacter, *code, *code, start);
    }
    default:
      return Make(K::kCharacter, c, c, start);
  }
}

// One item of a bracket expression: a character, a range, or the closing bracket.
TbmREToken TbmREScanner::BracketItem() {
  using K = TbmRETokenKind;
  const std::size_t start = reader_->offset();
  const bool first = bracket_first_;
  bracket_first_ = false;
  // Reads one item character (an escape included); false for an invalid escape.
  auto read_item = [&](int& code) {
    code = reader_->ReadChar();
    if (code != '\\') return true;
    const auto escaped = bmReadEscape(*reader_, limits_);
    if (!escaped) return false;
    code = *escaped;
    return true;
  };
  if (reader_->AtEnd()) return Make(K::kNeedRightBracket, kbmEndOfText, kbmEndOfText, start);
  if (!first && reader_->PeekChar() == ']') {
    reader_->ReadChar();
    in_bracket_ = false;
    return Make(K::kRightBracket, ']', ']', start);
  }
  int low = 0;
  if (!read_item(low)) return Make(K::kInvalidEscapeSequence, '\\', '\\', start);
  // "-" makes a range unless it comes last, before the closing bracket or the end.
  const std::size_t after_low = reader_->offset();
  if (reader_->PeekChar() == '-') {
    reader_->ReadChar();
    const int next = reader_->PeekChar();
    if (next != ']' && next != kbmEndOfText) {
      int high = 0;
      if (!read_item(high)) return Make(K::kInvalidEscapeSequence, '\\', '\\', start);
      if (high < low) return Make(K::kInvalidCharacterClass, low, high, start);
      return Make(K::kCharacter, low, high, start);
    }
    reader_->set_offset(after_low);
  }
  return Make(K::kCharacter, low, low, start);
}

TbmRETokens TbmREScanner::Tokenize() {
  TbmRETokens tokens;
  for (;;) {
    const TbmREToken token = NextToken();
    if (token.kind > TbmRETokenKind::kEnd) throw EbmREToken(token);
    tokens.push_back(token);
    if (token.kind == TbmRETokenKind::kEnd) return tokens;
  }
}

}  // namespace vesko
