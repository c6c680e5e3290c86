// TbmRExp is the regular expression object: it holds a pattern, a character code and
// two options, compiles them into a DFA on demand, and replaces every match in a text.
// Matching is leftmost-longest; each object owns its compiled DFA and makes its own
// readers, so objects may be used on different threads at once (one object per thread).
// Pattern errors throw EbmREToken (regex/bmREKit.h); a character code without a reader,
// an odd UTF-16 byte length and an unknown system code page throw EVeskoError.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "regex/bmREKit.h"

namespace vesko {

class TbmRExpABC {
 public:
  virtual ~TbmRExpABC() = default;
  virtual std::uint8_t GetCharCode() const = 0;
  virtual const TbmREDFATable& GetDFA() = 0;
};

// A match: start byte offset (or -1 for none) and byte length.
struct TbmREMatch {
  std::ptrdiff_t start = -1;
  std::size_t length = 0;
};

class TbmRExp : public TbmRExpABC {
 public:
  // The character code follows the system's ANSI code page (bmccCodePage2CharCode, which
  // throws for a page it does not know); syntax on, ignore case off, empty pattern.
  TbmRExp();

  std::uint8_t GetCharCode() const override { return char_code_; }
  // The compiled DFA; compiles first when anything changed since the last compile.
  const TbmREDFATable& GetDFA() override;
  virtual void SetCharCode(std::uint8_t code);
  // The hook between scanning and parsing: applies the ignore-case option.
  virtual TbmRETokens FilterTokens(TbmRETokens tokens);
  virtual void SetPattern(std::string_view pattern);
  // Index 0: regular-expression syntax (off: the pattern is a literal string);
  // index 1: ignore ASCII case. Other indexes do nothing.
  virtual void SetOption(int index, bool value);

  // Replaces every match in text by the expanded template and returns the number of
  // replacements. Searching restarts after each match; an empty match keeps the
  // character after it, so the template goes before every character of the text.
  // In the template "&" is the whole match and a backslash starts an escape as in
  // patterns; an invalid escape ends the template.
  int Replace(std::string_view tmpl, std::string& text);

  // The leftmost-longest match that starts at or after the byte offset start.
  TbmREMatch Search(std::string_view text, std::size_t start);

  const std::string& pattern() const { return pattern_; }
  bool regexp_syntax() const { return regexp_syntax_; }
  bool ignore_case() const { return ignore_case_; }

 private:
  std::uint8_t char_code_;
  std::string pattern_;
  TbmREDFATable dfa_;
  bool compiled_ = false;
  bool regexp_syntax_ = true;
  bool ignore_case_ = false;
};

}  // namespace vesko
