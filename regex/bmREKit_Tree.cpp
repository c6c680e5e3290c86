// The syntax tree: parsing, positions with firstpos/lastpos/followpos, anchors, and the
// range partition of the alphabet.
#include <algorithm>

#include "regex/bmREKit.h"

namespace vesko {

void TbmRELeafNodeSet::AddSet(const TbmRELeafNodeSet& other) {
  if (&other == this) throw EVeskoError("TbmRELeafNodeSet.AddSet: Internal Error");
  for (std::size_t i = 0; i < bits_.size(); ++i) bits_[i] |= other.bits_[i];
}

bool TbmRELeafNodeSet::Empty() const {
  return std::all_of(bits_.begin(), bits_.end(), [](std::uint64_t w) { return w == 0; });
}

std::size_t TbmRELeafNodeSet::Hash() const {
  std::size_t h = 0x9E3779B97F4A7C15ull & ~std::size_t{0};
  for (std::uint64_t w : bits_) h = (h ^ static_cast<std::size_t>(w ^ (w >> 32))) * 0x100000001B3ull;
  return h;
}

// What a subtree contributes to its parent. Followpos goes straight into the leaves.
struct TbmRETree::TNode {
  bool nullable;
  TbmRELeafNodeSet firstpos;
  TbmRELeafNodeSet lastpos;
};

// Recursive descent over the tokens, lowest precedence first:
//   alternatives := branch ("|" branch)*
//   branch       := piece* (empty before "|", ")" or the end)
//   piece        := atom ("*" | "+" | "?")?
//   atom         := character | "(" alternatives ")" | bracket expression | "." | "^" | "$"
class TbmRETree::TParser {
 public:
  TParser(TbmRETree& tree, const TbmRETokens& tokens, std::size_t positions)
      : tree_(tree), tokens_(tokens), positions_(positions) {}

  TNode Parse() {
    TNode root = Alternatives();
    if (Peek().kind != TbmRETokenKind::kEnd) Fail(TbmRETokenKind::kInvalidCharacter);
    return root;
  }

  // A fresh leaf; returns its subtree.
  TNode Leaf(int symbol, std::vector<std::pair<int, int>> ranges) {
    const std::size_t position = tree_.leaves_.size();
    tree_.leaves_.push_back({symbol, std::move(ranges), {}, TbmRELeafNodeSet(positions_)});
    TNode node{false, TbmRELeafNodeSet(positions_), TbmRELeafNodeSet(positions_)};
    node.firstpos.Add(position);
    node.lastpos.Add(position);
    return node;
  }

  TNode Empty() const {
    return TNode{true, TbmRELeafNodeSet(positions_), TbmRELeafNodeSet(positions_)};
  }

  TNode Concat(TNode left, const TNode& right) {
    AddFollow(left.lastpos, right.firstpos);
    if (left.nullable) left.firstpos.AddSet(right.firstpos);
    TbmRELeafNodeSet lastpos = right.lastpos;
    if (right.nullable) lastpos.AddSet(left.lastpos);
    return TNode{left.nullable && right.nullable, std::move(left.firstpos), std::move(lastpos)};
  }

 private:
  const TbmREToken& Peek() const { return tokens_[next_]; }
  void Advance() {
    if (next_ + 1 < tokens_.size()) ++next_;
  }
  [[noreturn]] void Fail(TbmRETokenKind kind) const {
    TbmREToken token = Peek();
    token.kind = kind;
    throw EbmREToken(token);
  }

  void AddFollow(const TbmRELeafNodeSet& from, const TbmRELeafNodeSet& to) {
    from.ForEach([&](std::size_t p) { tree_.leaves_[p].followpos.AddSet(to); });
  }

  TNode Alternatives() {
    TNode node = Branch();
    while (Peek().kind == TbmRETokenKind::kUnion) {
      Advance();
      TNode right = Branch();
      node.nullable = node.nullable || right.nullable;
      node.firstpos.AddSet(right.firstpos);
      node.lastpos.AddSet(right.lastpos);
      tree_.simple_ = false;
    }
    return node;
  }

  static bool EndsBranch(TbmRETokenKind kind) {
    return kind == TbmRETokenKind::kUnion || kind == TbmRETokenKind::kRightParenthesis ||
           kind == TbmRETokenKind::kEnd;
  }

  TNode Branch() {
    if (EndsBranch(Peek().kind)) return Empty();
    TNode node = Piece();
    while (!EndsBranch(Peek().kind)) node = Concat(std::move(node), Piece());
    return node;
  }

  TNode Piece() {
    TNode node = Atom();
    switch (Peek().kind) {
      case TbmRETokenKind::kAsterisk:
        AddFollow(node.lastpos, node.firstpos);
        node.nullable = true;
        break;
      case TbmRETokenKind::kPlus:  // the atom, then its closure over the same positions
        AddFollow(node.lastpos, node.firstpos);
        break;
      case TbmRETokenKind::kQuestionMark:  // the atom or empty
        node.nullable = true;
        break;
      default:
        return node;
    }
    tree_.simple_ = false;
    Advance();
    return node;
  }

  TNode Atom() {
    const TbmREToken token = Peek();
    switch (token.kind) {
      case TbmRETokenKind::kCharacter:
        Advance();
        return Leaf(0, {{token.low, token.high}});
      case TbmRETokenKind::kDot:
        Advance();
        return Leaf(0, {{0, kbmLF - 1}, {kbmLF + 1, kbmCR - 1}, {kbmCR + 1, kbmMaxChar}});
      case TbmRETokenKind::kLineHead:
        Advance();
        return Leaf(kbmLineHead, {});
      case TbmRETokenKind::kLineTail:
        Advance();
        return Leaf(kbmLineTail, {});
      case TbmRETokenKind::kLeftBracket:
      case TbmRETokenKind::kNegateLeftBracket:
        return Bracket(token.kind == TbmRETokenKind::kNegateLeftBracket);
      case TbmRETokenKind::kLeftParenthesis: {
        Advance();
        TNode node = Alternatives();
        if (Peek().kind != TbmRETokenKind::kRightParenthesis) {
          Fail(TbmRETokenKind::kNeedRightParenthesis);
        }
        Advance();
        return node;
      }
      default:
        Fail(TbmRETokenKind::kNeedNormalCharOrLeftParenthesis);
    }
  }

  // A bracket expression as one leaf; a negated one never matches LF or CR.
  TNode Bracket(bool negate) {
    Advance();
    std::vector<std::pair<int, int>> items;
    while (Peek().kind == TbmRETokenKind::kCharacter) {
      items.emplace_back(Peek().low, Peek().high);
      Advance();
    }
    if (Peek().kind != TbmRETokenKind::kRightBracket) {
      throw EVeskoError(negate ? "TbmRETokens.Standardize Internal Error(2)"
                               : "TbmRETokens.Standardize Internal Error(3)");
    }
    Advance();
    if (!negate) return Leaf(0, std::move(items));
    items.emplace_back(kbmLF, kbmLF);
    items.emplace_back(kbmCR, kbmCR);
    std::sort(items.begin(), items.end());
    std::vector<std::pair<int, int>> complement;
    int next = 0;
    for (const auto& [low, high] : items) {
      if (low > next) complement.emplace_back(next, low - 1);
      next = std::max(next, high + 1);
    }
    if (next <= kbmMaxChar) complement.emplace_back(next, kbmMaxChar);
    return Leaf(0, std::move(complement));
  }

  TbmRETree& tree_;
  const TbmRETokens& tokens_;
  std::size_t positions_;
  std::size_t next_ = 0;
};

TbmRETree::TbmRETree(const TbmRETokens& tokens) {
  using K = TbmRETokenKind;
  if (tokens.empty()) throw EVeskoError("TbmRETokens.Standardize Internal Error(1)");
  // One position per leaf token, plus the end marker.
  std::size_t positions = 1;
  bool in_bracket = false;
  for (const TbmREToken& token : tokens) {
    switch (token.kind) {
      case K::kLeftBracket:
      case K::kNegateLeftBracket:
        in_bracket = true;
        ++positions;
        break;
      case K::kRightBracket:
        in_bracket = false;
        break;
      case K::kCharacter:
      case K::kDot:
      case K::kLineHead:
      case K::kLineTail:
        if (!in_bracket) ++positions;
        break;
      default:
        break;
    }
  }
  leaves_.reserve(positions);
  TParser parser(*this, tokens, positions);
  TNode pattern = parser.Parse();
  const TNode root = parser.Concat(std::move(pattern), parser.Leaf(kbmEndOfText, {}));
  root_firstpos_ = root.firstpos;
  ResolveAnchors();
  Partition();
}

// A line head counts only where a match can begin, a line tail only where a match can
// end; anywhere else they are the literal characters "^" and "$".
void TbmRETree::ResolveAnchors() {
  TbmRELeafNodeSet just_end(leaves_.size());
  just_end.Add(end_position());
  for (std::size_t p = 0; p < leaves_.size(); ++p) {
    TLeaf& leaf = leaves_[p];
    if (leaf.symbol == kbmLineHead) {
      if (root_firstpos_.Contains(p)) {
        has_line_head_ = true;
      } else {
        leaf.symbol = 0;
        leaf.ranges = {{'^', '^'}};
      }
    } else if (leaf.symbol == kbmLineTail) {
      if (leaf.followpos == just_end) {
        has_line_tail_ = true;
      } else {
        leaf.symbol = 0;
        leaf.ranges = {{'$', '$'}};
      }
    }
  }
  if (has_line_head_ || has_line_tail_) simple_ = false;
}

// Cuts 0..0xFFFF at every range edge of the pattern (anchors count as their literal
// characters), so each leaf covers whole classes.
void TbmRETree::Partition() {
  std::vector<int> edges = {0, kbmMaxChar + 1, '^', '^' + 1, '$', '$' + 1};
  for (const TLeaf& leaf : leaves_) {
    for (const auto& [low, high] : leaf.ranges) {
      edges.push_back(low);
      edges.push_back(high + 1);
    }
  }
  std::sort(edges.begin(), edges.end());
  edges.erase(std::unique(edges.begin(), edges.end()), edges.end());
  class_starts_ = std::move(edges);
  auto index_of = [&](int c) {
    return static_cast<int>(std::lower_bound(class_starts_.begin(), class_starts_.end(), c) -
                            class_starts_.begin());
  };
  for (TLeaf& leaf : leaves_) {
    for (const auto& [low, high] : leaf.ranges) {
      leaf.classes.emplace_back(index_of(low), index_of(high + 1) - 1);
    }
  }
}

}  // namespace vesko
