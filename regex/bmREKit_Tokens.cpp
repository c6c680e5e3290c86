// Token list filters.
#include "regex/bmREKit.h"

namespace vesko {

namespace {

bool IsAsciiLetter(int c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

}  // namespace

TbmRETokens bmIgnoreCase(const TbmRETokens& tokens) {
  using K = TbmRETokenKind;
  TbmRETokens result;
  result.reserve(tokens.size());
  bool in_bracket = false;
  for (const TbmREToken& token : tokens) {
    if (token.kind == K::kLeftBracket || token.kind == K::kNegateLeftBracket) in_bracket = true;
    if (token.kind == K::kRightBracket) in_bracket = false;
    if (in_bracket || token.kind != K::kCharacter || !IsAsciiLetter(token.low)) {
      result.push_back(token);
      continue;
    }
    // Bracket expressions stay as written; a letter outside one becomes (x|X).
    const int other = token.low ^ 0x20;
    auto make = [&](K kind, int c) { return TbmREToken{kind, c, c, token.start, token.end}; };
    result.push_back(make(K::kLeftParenthesis, '('));
    result.push_back(token);
    result.push_back(make(K::kUnion, '|'));
    result.push_back(make(K::kCharacter, other));
    result.push_back(make(K::kRightParenthesis, ')'));
  }
  return result;
}

}  // namespace vesko
