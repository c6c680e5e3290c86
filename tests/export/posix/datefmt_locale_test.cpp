#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/datefmt.h"

namespace vesko {
namespace {

// Sets LC_ALL for one test and restores it afterwards.
class TScopedLocale {
 public:
  explicit TScopedLocale(const char* name) {
    if (const char* old = std::getenv("LC_ALL")) old_ = old, had_ = true;
    ::setenv("LC_ALL", name, 1);
  }
  ~TScopedLocale() {
    if (had_) {
      ::setenv("LC_ALL", old_.c_str(), 1);
    } else {
      ::unsetenv("LC_ALL");
    }
  }

 private:
  std::string old_;
  bool had_ = false;
};

struct TLocaleCase {
  const char* locale;
  std::string short_date, short_time, long_time;
};

TEST(DateText, FollowsTheLocaleOfTheEnvironment) {
  const TCalendarTime t{2026, 12, 7, 21, 5, 9};
  const TLocaleCase cases[] = {
      {"ja_JP.UTF-8", "2026/12/07", "21:05", "21:05:09"},
      {"ja_JP.eucJP", "2026/12/07", "21:05", "21:05:09"},
      {"en_US.UTF-8", "12/7/2026", "9:05 PM", "9:05:09 PM"},
      {"de_DE.UTF-8", "07.12.2026", "21:05", "21:05:09"},
      {"C", "12/07/26", "21:05", "21:05:09"},  // the C library's own formats
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.locale);
    TScopedLocale locale(c.locale);
    EXPECT_EQ(platform::ShortDateText(t), c.short_date);
    EXPECT_EQ(platform::ShortTimeText(t), c.short_time);
    EXPECT_EQ(platform::LongTimeText(t), c.long_time);
  }
}

}  // namespace
}  // namespace vesko
