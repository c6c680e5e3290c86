// The nearest known name to a word the user mistyped, for messages such as
// "unknown command "lsit"; did you mean "list"?".
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vesko::tools {

// Edits (insertions, deletions, replacements, ASCII case ignored) that turn a into b.
std::size_t EditDistance(std::string_view a, std::string_view b);

// The name of names nearest to word, when it is near enough to be a likely typo (at most
// a third of the word's length in edits, at least two); empty otherwise. The first wins a tie.
std::string NearestName(std::string_view word, const std::vector<std::string>& names);

// "; did you mean "name"?" for the nearest name, or "" when there is none.
std::string SuggestionText(std::string_view word, const std::vector<std::string>& names);

}  // namespace vesko::tools
