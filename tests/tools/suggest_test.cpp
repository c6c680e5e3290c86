#include "tools/Suggest.h"

#include <gtest/gtest.h>

namespace vesko::tools {
namespace {

TEST(Suggest, NamesOnlyANearEnoughName) {
  const std::vector<std::string> names{"list", "export", "show", "--version", "--data"};
  const struct {
    const char* word;
    const char* nearest;  // "" for none
  } cases[] = {
      {"lsit", "list"},           {"exprot", "export"},  {"EXPORT", "export"},
      {"--verison", "--version"}, {"--dat", "--data"},   {"bogus", ""},
      {"", ""},                   {"x", ""},             {"shw", "show"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.word);
    EXPECT_EQ(NearestName(c.word, names), c.nearest);
  }
  EXPECT_EQ(SuggestionText("lsit", names), "; did you mean \"list\"?");
  EXPECT_EQ(SuggestionText("bogus", names), "");
}

TEST(Suggest, CountsEdits) {
  const struct {
    const char* a;
    const char* b;
    std::size_t distance;
  } cases[] = {{"", "", 0}, {"abc", "", 3}, {"", "ab", 2}, {"kitten", "sitting", 3},
               {"Flaw", "lawn", 2}, {"same", "SAME", 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.a) + " / " + c.b);
    EXPECT_EQ(EditDistance(c.a, c.b), c.distance);
    EXPECT_EQ(EditDistance(c.b, c.a), c.distance);
  }
}

}  // namespace
}  // namespace vesko::tools
