// DFA construction from the tree's positions, and the flat tables the search reads.
#include <algorithm>
#include <unordered_map>

#include "regex/bmREKit.h"

namespace vesko {

void TbmREDFATable::Clear() {
  *this = TbmREDFATable();
}

// Subset construction: state 0 is the root's firstpos; each state's move on a class is the
// union of the followpos of its leaves that cover the class. States are numbered in the
// order they are found, classes tried from the highest to the lowest, then line head and
// line tail, so the transition lists come out sorted by ascending range.
void TbmREDFATable::Build(const TbmRETree& tree) {
  Clear();
  const auto& leaves = tree.leaves();
  const auto& starts = tree.class_starts();
  const std::size_t class_count = tree.class_count();
  const std::size_t positions = leaves.size();
  has_line_head_ = tree.has_line_head();
  has_line_tail_ = tree.has_line_tail();
  simple_ = tree.simple();
  class_count_ = class_count;

  std::vector<TbmRELeafNodeSet> sets;
  std::unordered_multimap<std::size_t, int> by_hash;
  std::vector<int> head_next;
  auto state_of = [&](const TbmRELeafNodeSet& set) {
    const std::size_t hash = set.Hash();
    for (auto [it, end] = by_hash.equal_range(hash); it != end; ++it) {
      if (sets[it->second] == set) return it->second;
    }
    // Each position can be in or out of a state, so a few patterns would need more
    // states than any text is worth; they are refused instead of exhausting memory.
    if (sets.size() >= kMaxStates) throw EVeskoError("regular expression too complex");
    const int state = static_cast<int>(sets.size());
    sets.push_back(set);
    by_hash.emplace(hash, state);
    states_.emplace_back();
    return state;
  };
  state_of(tree.root_firstpos());

  std::vector<TbmRELeafNodeSet> targets(class_count, TbmRELeafNodeSet(positions));
  std::vector<char> touched(class_count);
  TbmRELeafNodeSet head_target(positions), tail_target(positions);
  std::vector<TbmREState::TTransition> reversed;
  for (std::size_t s = 0; s < sets.size(); ++s) {
    bool accepting = false;
    sets[s].ForEach([&](std::size_t p) {
      const TbmRETree::TLeaf& leaf = leaves[p];
      switch (leaf.symbol) {
        case kbmEndOfText:
          accepting = true;
          break;
        case kbmLineHead:
          head_target.AddSet(leaf.followpos);
          break;
        case kbmLineTail:
          tail_target.AddSet(leaf.followpos);
          break;
        default:
          for (const auto& [first, last] : leaf.classes) {
            for (int c = first; c <= last; ++c) {
              targets[c].AddSet(leaf.followpos);
              touched[c] = 1;
            }
          }
      }
    });
    states_[s].accepting = accepting;
    class_next_.resize((s + 1) * class_count, -1);
    reversed.clear();
    auto prepend = [&](int low, int high, int target) {
      if (!reversed.empty() && reversed.back().low == high + 1 && reversed.back().target == target) {
        reversed.back().low = low;
      } else {
        reversed.push_back({low, high, target});
      }
    };
    for (std::size_t c = class_count; c-- > 0;) {
      if (!touched[c]) continue;
      touched[c] = 0;
      if (!targets[c].Empty()) {
        const int target = state_of(targets[c]);
        class_next_[s * class_count + c] = target;
        prepend(starts[c], starts[c + 1] - 1, target);
      }
      targets[c].Clear();
    }
    head_next.push_back(-1);
    if (!head_target.Empty()) {
      head_next[s] = state_of(head_target);
      prepend(kbmLineHead, kbmLineHead, head_next[s]);
      head_target.Clear();
    }
    tail_.push_back(false);
    if (!tail_target.Empty()) {
      tail_[s] = true;
      prepend(kbmLineTail, kbmLineTail, state_of(tail_target));
      tail_target.Clear();
    }
    states_[s].transitions.assign(reversed.rbegin(), reversed.rend());
  }

  // The flags derived from state 0.
  auto move = [&](int state, int symbol) {
    if (state < 0) return -1;
    for (const auto& t : states_[state].transitions) {
      if (t.low <= symbol && symbol <= t.high) return t.target;
    }
    return -1;
  };
  auto accepts = [&](int state) { return state >= 0 && states_[state].accepting; };
  line_start_state_ = head_next[0];
  start_accepting_ = accepts(0);
  head_accepting_ = accepts(line_start_state_);
  tail_accepting_ = accepts(move(0, kbmLineTail));
  head_tail_accepting_ = accepts(move(line_start_state_, kbmLineTail));
  BuildTables(tree);
}

void TbmREDFATable::BuildTables(const TbmRETree& tree) {
  const auto& starts = tree.class_starts();
  auto class_at = [&](int code) {
    return static_cast<int>(std::upper_bound(starts.begin(), starts.end(), code) - starts.begin()) -
           1;
  };
  blocks_.clear();
  for (int page = 0; page < 256; ++page) {
    const int first = class_at(page * 256);
    if (first == class_at(page * 256 + 255)) {
      page_[page] = first;
      continue;
    }
    page_[page] = -static_cast<int>(blocks_.size() / 256) - 1;
    for (int low = 0; low < 256; ++low) {
      blocks_.push_back(class_at(page * 256 + low));
    }
  }
  const std::size_t count = states_.size();
  byte_next_.resize(count * 256);
  accepting_.resize(count);
  for (std::size_t s = 0; s < count; ++s) {
    accepting_[s] = states_[s].accepting;
    for (int b = 0; b < 256; ++b) {
      byte_next_[s * 256 + b] = class_next_[s * class_count_ + ClassOf(b)];
    }
  }
  // A byte is dead at a match start when neither the one-byte character nor any
  // double-byte character it may lead has a move from state 0.
  const bool tail_at_start = !tail_.empty() && tail_[0];
  for (int b = 0; b < 256; ++b) {
    bool dead = !accepting_[0] && byte_next_[b] < 0 &&
                !(tail_at_start && (b == kbmLF || b == kbmCR));
    if (dead && b > 0 && page_[b] >= 0) {
      dead = class_next_[page_[b]] < 0;
    } else {
      for (int low = 0; dead && b > 0 && low < 256; ++low) dead = Next(0, b << 8 | low) < 0;
    }
    start_dead_[b] = dead;
  }
}

}  // namespace vesko
