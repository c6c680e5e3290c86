// Differential test: Replace against a replace driven by the C library's POSIX regular
// expressions (REG_EXTENDED, leftmost-longest), on random patterns over Windows-1252 text
// with many line ends. Both sides use the same empty-match rule. The generator keeps to
// the syntax whose meaning both engines share; where they differ by design, the POSIX
// pattern or the text is adjusted, as each place below says.
#include <clocale>
#include <cstdio>
#include <random>
#include <string>

#include <gtest/gtest.h>
#include <regex.h>

#include "regex/bmRExp.h"

namespace vesko {
namespace {

// Characters of patterns and texts: letters, blank, tab, LF, CR and two high bytes.
const char kAlphabet[] = {'a', 'b', 'c', ' ', '\t', '\n', '\r', '\xE9', '\x80'};
// Class items avoid LF and CR, which the POSIX side adds to negated classes itself.
const char kClassItems[] = {'a', 'b', 'c', ' ', '\t', '\xE9', '\x80'};

class TPatternGenerator {
 public:
  explicit TPatternGenerator(std::uint32_t seed) : random_(seed) {}

  // A pattern for this engine and its POSIX counterpart, and whether it holds anchors.
  struct TPair {
    std::string ours, posix;
    bool anchored = false;
  };

  TPair Make() {
    pair_ = TPair{};
    // Anchors only where this engine takes them as anchors: "^" at the start and "$" at
    // the end of a top-level alternative. Elsewhere this engine reads them as the
    // characters "^" and "$", while POSIX keeps them as anchors that never match.
    const int alternatives = 1 + Below(3);
    for (int i = 0; i < alternatives; ++i) {
      if (i > 0) Both("|");
      if (Below(6) == 0) Both("^"), pair_.anchored = true;
      Branch(0);
      if (Below(6) == 0) Both("$"), pair_.anchored = true;
    }
    return pair_;
  }

 private:
  int Below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }
  void Both(const std::string& s) { pair_.ours += s, pair_.posix += s; }

  // Branches are never empty: POSIX leaves an empty alternative or "()" undefined.
  void Branch(int depth) {
    for (int pieces = 1 + Below(3); pieces > 0; --pieces) {
      Atom(depth);
      // One quantifier at most: this engine refuses a doubled one.
      switch (Below(8)) {
        case 0: Both("*"); break;
        case 1: Both("+"); break;
        case 2: Both("?"); break;
        default: break;
      }
    }
  }

  void Atom(int depth) {
    switch (Below(depth < 2 ? 6 : 5)) {
      case 0:
      case 1:
        Both(std::string(1, kAlphabet[Below(sizeof kAlphabet)]));
        break;
      case 2:
        // "." never matches CR or LF here; POSIX with REG_NEWLINE spares only LF.
        pair_.ours += ".";
        pair_.posix += "[^\n\r]";
        break;
      case 3:
      case 4: {
        const bool negate = Below(3) == 0;
        std::string items;
        for (int n = 1 + Below(3); n > 0; --n) {
          char low = kClassItems[Below(sizeof kClassItems)];
          char high = kClassItems[Below(sizeof kClassItems)];
          if (static_cast<unsigned char>(high) < static_cast<unsigned char>(low)) std::swap(low, high);
          items += low;
          if (Below(2) == 0 && high != low) items += std::string("-") + high;
        }
        // A negated class never matches CR or LF here either.
        pair_.ours += (negate ? "[^" : "[") + items + "]";
        pair_.posix += (negate ? "[^" : "[") + items + (negate ? "\n\r]" : "]");
        break;
      }
      default: {
        Both("(");
        const int alternatives = 1 + Below(2);
        for (int i = 0; i < alternatives; ++i) {
          if (i > 0) Both("|");
          Branch(depth + 1);
        }
        Both(")");
      }
    }
  }

  std::mt19937 random_;
  TPair pair_;
};

// Replaces every match by "<match>" with the same rule as Replace: an empty match keeps
// the character after it, and the search goes on after the match or that character.
std::string PosixReplace(const regex_t& re, const std::string& text) {
  std::string out;
  std::size_t from = 0;
  do {
    regmatch_t m[1];
    m[0].rm_so = static_cast<regoff_t>(from);
    m[0].rm_eo = static_cast<regoff_t>(text.size());
    const bool at_line_start = from == 0 || text[from - 1] == '\n';
    const int flags = REG_STARTEND | (at_line_start ? 0 : REG_NOTBOL);
    if (regexec(&re, text.c_str(), 1, m, flags) != 0) {
      out.append(text, from);
      break;
    }
    const auto so = static_cast<std::size_t>(m[0].rm_so);
    std::size_t n = static_cast<std::size_t>(m[0].rm_eo) - so;
    out.append(text, from, so - from);
    out += "<" + text.substr(so, n) + ">";
    if (n == 0) {
      if (so < text.size()) out += text[so];
      n = 1;
    }
    from = so + n;
  } while (from < text.size());
  return out;
}

std::string Escaped(const std::string& bytes) {
  std::string out;
  for (unsigned char c : bytes) {
    char buffer[8];
    if (c >= 0x20 && c < 0x7F && c != '\\') {
      out += static_cast<char>(c);
    } else {
      std::snprintf(buffer, sizeof buffer, "\\x%02X", c);
      out += buffer;
    }
  }
  return out;
}

TEST(TbmRExpDifferential, AgreesWithPosixRegex) {
  std::setlocale(LC_ALL, "C");
  TPatternGenerator generator(20240611);
  std::mt19937 random(7);
  int compared = 0, matched = 0;
  for (int round = 0; round < 10000; ++round) {
    const auto pattern = generator.Make();
    regex_t re;
    ASSERT_EQ(regcomp(&re, pattern.posix.c_str(), REG_EXTENDED | REG_NEWLINE), 0)
        << Escaped(pattern.posix);
    TbmRExp regexp;
    regexp.SetCharCode(kbmccWestern);
    regexp.SetPattern(pattern.ours);
    for (int t = 0; t < 6; ++t) {
      std::string text;
      const int length = std::uniform_int_distribution<int>(0, 30)(random);
      for (int i = 0; i < length; ++i) {
        char c = kAlphabet[std::uniform_int_distribution<int>(0, sizeof kAlphabet - 1)(random)];
        // Here CR is a line end as well as LF ("^" after a lone CR, "$" before any CR);
        // POSIX knows only LF. Texts for anchored patterns therefore end lines with LF.
        if (pattern.anchored && c == '\r') c = '\n';
        text += c;
      }
      const std::string expected = PosixReplace(re, text);
      std::string actual = text;
      const int count = regexp.Replace("<&>", actual);
      ASSERT_EQ(actual, expected) << "pattern " << Escaped(pattern.ours) << "\ntext "
                                  << Escaped(text);
      ++compared;
      matched += count > 0;
    }
    regfree(&re);
  }
  // The generator must keep producing patterns that match something.
  EXPECT_GT(matched, compared / 3);
}

}  // namespace
}  // namespace vesko
