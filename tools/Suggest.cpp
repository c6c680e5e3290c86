#include "tools/Suggest.h"

#include <algorithm>
#include <numeric>

namespace vesko::tools {
namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

std::size_t EditDistance(std::string_view a, std::string_view b) {
  std::vector<std::size_t> row(b.size() + 1);
  std::iota(row.begin(), row.end(), std::size_t{0});
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      const std::size_t replace = diagonal + (Lower(a[i - 1]) == Lower(b[j - 1]) ? 0 : 1);
      row[j] = std::min({above + 1, row[j - 1] + 1, replace});
      diagonal = above;
    }
  }
  return row[b.size()];
}

std::string NearestName(std::string_view word, const std::vector<std::string>& names) {
  const std::size_t limit = std::max<std::size_t>(2, word.size() / 3);
  std::string best;
  std::size_t best_distance = limit + 1;
  for (const std::string& name : names) {
    const std::size_t distance = EditDistance(word, name);
    if (distance < best_distance) {
      best = name;
      best_distance = distance;
    }
  }
  return best;
}

std::string SuggestionText(std::string_view word, const std::vector<std::string>& names) {
  const std::string nearest = NearestName(word, names);
  return nearest.empty() ? std::string() : "; did you mean \"" + nearest + "\"?";
}

}  // namespace vesko::tools
