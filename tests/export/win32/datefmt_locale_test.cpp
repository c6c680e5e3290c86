#include <gtest/gtest.h>

#include "platform/datefmt.h"
#include "platform/locale.h"

namespace vesko {
namespace {

// The tests run under wine with a Japanese user locale.
TEST(DateText, UsesTheJapaneseUserLocale) {
  if (platform::AnsiCodePage() != 932) GTEST_SKIP() << "needs a Japanese user locale";
  const TCalendarTime t{2026, 12, 7, 21, 5, 9};
  // Year first with "/" (wine leaves the day without its leading zero).
  EXPECT_EQ(platform::ShortDateText(t).substr(0, 8), "2026/12/");
  EXPECT_EQ(platform::LongTimeText(t), "21:05:09");
  EXPECT_EQ(platform::ShortTimeText(t), "21:05");
  EXPECT_EQ(platform::ShortDateText(TCalendarTime{}), "1899/12/30");  // refused by the system
}

}  // namespace
}  // namespace vesko
