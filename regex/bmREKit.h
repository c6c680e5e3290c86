// The stages that compile a pattern into a DFA, each with one entry point:
//   TbmREScanner   pattern bytes -> tokens (bmREKit_Scanner.cpp)
//   bmIgnoreCase   ASCII letters -> (x|X) (bmREKit_Tokens.cpp)
//   TbmRETree      tokens -> syntax tree with positions, firstpos, lastpos, followpos and
//                  resolved anchors; the range partition of its alphabet (bmREKit_Tree.cpp)
//   TbmREDFATable  tree -> states with sorted transition lists, plus the flat tables the
//                  search reads (bmREKit_DFA.cpp)
// Everything is owned by value; nothing is shared between compilations, so any number of
// patterns may compile at once. Pattern errors throw EbmREToken, whose message names the
// offending token's kind; internal failures throw EVeskoError.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/errors.h"
#include "regex/bmUtils.h"

namespace vesko {

enum class TbmRETokenKind : std::uint8_t {
  kCharacter,
  kUnion,
  kLeftParenthesis,
  kRightParenthesis,
  kAsterisk,
  kPlus,
  kQuestionMark,
  kLeftBracket,
  kNegateLeftBracket,
  kRightBracket,
  kDot,
  kLineHead,
  kLineTail,
  kEnd,
  // Error kinds: the scanner or the parser gives these to an offending token.
  kNeedRightBracket,
  kInvalidCharacterClass,
  kInvalidEscapeSequence,
  kInvalidCharacter,
  kNeedRightParenthesis,
  kNeedNormalCharOrLeftParenthesis,
};

// The kind's name as the library spells it, also the message of its error.
const char* bmTokenKindName(TbmRETokenKind kind);

// One token: a character token inside a bracket expression may stand for a range.
struct TbmREToken {
  TbmRETokenKind kind = TbmRETokenKind::kEnd;
  int low = 0;           // the character, or the range's first character
  int high = 0;          // the range's last character (low for a single character)
  std::size_t start = 0;  // byte offsets of the token in the pattern, end exclusive
  std::size_t end = 0;
};

using TbmRETokens = std::vector<TbmREToken>;

// A pattern error; what() is the kind's name, token() the offending token.
class EbmREToken : public EVeskoError {
 public:
  explicit EbmREToken(const TbmREToken& token);
  const TbmREToken& token() const { return token_; }

 private:
  TbmREToken token_;
};

// Cuts a pattern into tokens. In regular-expression mode meta characters and escapes
// are read; otherwise every character is a character token.
class TbmREScanner {
 public:
  // Throws EVeskoError "TbmREScanner.SetCharCode: can't create reader" for a code
  // without a reader.
  void SetCharCode(std::uint8_t char_code);
  // The pattern must outlive the scan. Throws for an odd UTF-16 length.
  void SetPattern(std::string_view pattern);
  void set_regexp_mode(bool on) { regexp_mode_ = on; }
  // The next token; error kinds come back as tokens, the end as kEnd (repeatedly).
  TbmREToken NextToken();
  // Every token up to and including the end. Throws EbmREToken for an error token.
  TbmRETokens Tokenize();

 private:
  TbmREToken BracketItem();
  TbmREToken Make(TbmRETokenKind kind, int low, int high, std::size_t start) const;

  std::unique_ptr<TbmCharReader> reader_;
  TbmEscapeLimits limits_{};
  bool regexp_mode_ = true;
  bool in_bracket_ = false;
  bool bracket_first_ = false;
};

// Replaces every character token outside bracket expressions whose character is an
// ASCII letter by the tokens ( letter | other-case-letter ); the rest is copied.
TbmRETokens bmIgnoreCase(const TbmRETokens& tokens);

// A set of leaf positions, as a bit set.
class TbmRELeafNodeSet {
 public:
  explicit TbmRELeafNodeSet(std::size_t size = 0) : bits_((size + 63) / 64) {}
  void Add(std::size_t position) { bits_[position / 64] |= std::uint64_t{1} << (position % 64); }
  bool Contains(std::size_t position) const {
    return bits_[position / 64] >> (position % 64) & 1;
  }
  // Adds every member of other. Throws EVeskoError when other is this very set.
  void AddSet(const TbmRELeafNodeSet& other);
  bool Empty() const;
  void Clear() { std::fill(bits_.begin(), bits_.end(), 0); }
  bool operator==(const TbmRELeafNodeSet& other) const { return bits_ == other.bits_; }
  std::size_t Hash() const;
  template <typename F>
  void ForEach(F&& f) const {
    for (std::size_t w = 0; w < bits_.size(); ++w) {
      for (std::uint64_t word = bits_[w]; word != 0; word &= word - 1) {
        f(w * 64 + static_cast<std::size_t>(__builtin_ctzll(word)));
      }
    }
  }

 private:
  std::vector<std::uint64_t> bits_;
};

// The syntax tree of a pattern with the end marker appended, reduced to what the DFA
// construction needs: one entry per leaf position, and the partition of 0..0xFFFF into
// ranges (classes) such that every leaf's characters are a union of whole classes.
class TbmRETree {
 public:
  struct TLeaf {
    int symbol = 0;                               // kbmLineHead/kbmLineTail/kbmEndOfText, else 0
    std::vector<std::pair<int, int>> ranges;      // characters, when symbol is 0
    std::vector<std::pair<int, int>> classes;     // the same as runs of class indices
    TbmRELeafNodeSet followpos;
  };

  // Parses the tokens (ending with kEnd). Throws EbmREToken for syntax errors.
  explicit TbmRETree(const TbmRETokens& tokens);

  const std::vector<TLeaf>& leaves() const { return leaves_; }
  const TbmRELeafNodeSet& root_firstpos() const { return root_firstpos_; }
  std::size_t end_position() const { return leaves_.size() - 1; }
  // Class i covers the characters class_starts()[i] .. class_starts()[i + 1] - 1.
  const std::vector<int>& class_starts() const { return class_starts_; }
  std::size_t class_count() const { return class_starts_.size() - 1; }
  bool has_line_head() const { return has_line_head_; }
  bool has_line_tail() const { return has_line_tail_; }
  bool simple() const { return simple_; }

 private:
  struct TNode;
  class TParser;

  void ResolveAnchors();
  void Partition();

  std::vector<TLeaf> leaves_;
  TbmRELeafNodeSet root_firstpos_;
  std::vector<int> class_starts_;
  bool has_line_head_ = false;
  bool has_line_tail_ = false;
  bool simple_ = true;
};

// One DFA state: accepting or not, and its transitions sorted by ascending range.
struct TbmREState {
  struct TTransition {
    int low;
    int high;
    int target;
  };
  bool accepting = false;
  std::vector<TTransition> transitions;
};

// The compiled automaton. States() keeps the construction's transition lists; the search
// reads the flat tables: Next() is two array lookups for any character.
class TbmREDFATable {
 public:
  // Most states a DFA may have; patterns whose automaton would be bigger throw.
  static constexpr std::size_t kMaxStates = 8192;

  // Builds the DFA of the tree. Throws EVeskoError past kMaxStates.
  void Build(const TbmRETree& tree);
  void Clear();

  const std::vector<TbmREState>& states() const { return states_; }
  bool has_line_head() const { return has_line_head_; }
  bool has_line_tail() const { return has_line_tail_; }
  bool simple() const { return simple_; }
  bool start_accepting() const { return start_accepting_; }
  bool head_accepting() const { return head_accepting_; }
  bool tail_accepting() const { return tail_accepting_; }
  bool head_tail_accepting() const { return head_tail_accepting_; }

  // The hot path. States are indices; -1 is "no state".
  int Next(int state, int code) const {
    if (code < 256) return byte_next_[static_cast<std::size_t>(state) * 256 + code];
    return class_next_[static_cast<std::size_t>(state) * class_count_ + ClassOf(code)];
  }
  bool Accepting(int state) const { return accepting_[state]; }
  bool HasTail(int state) const { return tail_[state]; }
  int line_start_state() const { return line_start_state_; }  // the line-head move of state 0, or -1
  // True when no match can begin at a character whose first byte is b, whatever byte
  // follows (for the byte codes; the line-start state is not considered).
  bool StartDead(std::uint8_t b) const { return start_dead_[b]; }

 private:
  int ClassOf(int code) const {
    const int page = page_[code >> 8];
    return page >= 0 ? page : blocks_[static_cast<std::size_t>(-page - 1) * 256 + (code & 0xFF)];
  }
  void BuildTables(const TbmRETree& tree);

  std::vector<TbmREState> states_;
  bool has_line_head_ = false;
  bool has_line_tail_ = false;
  bool simple_ = false;
  bool start_accepting_ = false;
  bool head_accepting_ = false;
  bool tail_accepting_ = false;
  bool head_tail_accepting_ = false;

  std::size_t class_count_ = 0;
  int page_[256] = {};                // class of a whole 256-code page, or -(block + 1)
  std::vector<int> blocks_;           // 256 classes per mixed page
  std::vector<int> class_next_;       // state * class_count_ + class -> state
  std::vector<int> byte_next_;        // state * 256 + code (< 256) -> state
  std::vector<bool> accepting_;
  std::vector<bool> tail_;
  int line_start_state_ = -1;
  bool start_dead_[256] = {};
};

}  // namespace vesko
