#include "palm/timet.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>

#include "platform/clock.h"
#include "platform/errors.h"

namespace vesko {
namespace {

// The machine's current offset from UTC as the file-time conversions apply it.
std::int64_t BiasSeconds() {
  TFileTime local = 0;
  EXPECT_TRUE(platform::UtcToLocalFileTime(kUnixEpochAsFileTime, local));
  return (static_cast<std::int64_t>(local) - static_cast<std::int64_t>(kUnixEpochAsFileTime)) /
         10000000;
}

TDateTime Date(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
  TDateTime result = 0;
  EXPECT_TRUE(TryEncodeDateTime({y, mo, d, h, mi, s, 0}, result));
  return result;
}

TEST(Timet, UnixSecondsAndFileTimes) {
  EXPECT_EQ(UnixToFileTime(0), 116444736000000000ULL);
  EXPECT_EQ(UnixToFileTime(0xFFFFFFFFu), 116444736000000000ULL + 42949672950000000ULL);
  EXPECT_EQ(FileTimeToUnix(116444736000000000ULL), 0u);
  EXPECT_EQ(FileTimeToUnix(116444736000000000ULL + 15000000), 1u);  // truncated
  EXPECT_EQ(FileTimeToUnix(UnixToFileTime(0xFFFFFFFFu) + 9999999), 0xFFFFFFFFu);
}

struct TFailCase {
  const char* name;
  std::function<void()> call;
  const char* message;
};

TEST(Timet, FailuresCarryTheirMessages) {
  const TFailCase cases[] = {
      {"one tick before the epoch", [] { FileTimeToUnix(116444736000000000ULL - 1); },
       "before 1970/01/01"},
      {"a wrapped file time", [] { FileTimeToUnix(~0ULL); }, "before 1970/01/01"},
      {"past 32-bit seconds", [] { FileTimeToUnix(UnixToFileTime(0xFFFFFFFFu) + 10000000); },
       "after 2106/02/07"},
      {"file time zero", [] { FileTimeToDateTime(0); }, "ERR:value=0"},
      {"file time with the top bit", [] { FileTimeToDateTime(1ULL << 63 | 1ULL << 40); },
       "ERR:FileTimeToSystemTime"},
      {"date-time zero", [] { DateTimeToFileTime(0.0); }, "ERR:TDateTime<=0.0"},
      {"negative date-time", [] { DateTimeToFileTime(-1.5); }, "ERR:TDateTime<=0.0"},
      {"not a number", [] { DateTimeToFileTime(std::nan("")); }, "ERR:TDateTime<=0.0"},
      {"beyond year 9999", [] { DateTimeToFileTime(1e12); }, "ERR:SystemTimeToFileTime"},
      {"local 1899 to Unix", [] { DateTimeToUnix(1.0); }, "before 1970/01/01"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    try {
      c.call();
      ADD_FAILURE() << "no exception";
    } catch (const EConvertError& e) {
      EXPECT_STREQ(e.what(), c.message);
    }
  }
}

TEST(Timet, UnixZeroIsMidnightUtcInLocalTime) {
  const TDateTime expected = Date(1970, 1, 1) + BiasSeconds() / 86400.0;
  EXPECT_NEAR(UnixToDateTime(0), expected, 1e-9);
}

TEST(Timet, TokyoIsNineHoursAhead) {
  if (BiasSeconds() != 9 * 3600) GTEST_SKIP() << "runs in Asia/Tokyo only";
  EXPECT_NEAR(UnixToDateTime(0), Date(1970, 1, 1, 9), 1e-9);
  EXPECT_EQ(DateTimeToUnix(Date(2024, 5, 1, 12, 34, 56)), 1714534496u);
  // Local midnight of 1970-01-01 is still 1969 in UTC.
  try {
    DateTimeToUnix(Date(1970, 1, 1, 8, 59, 59));
    ADD_FAILURE() << "no exception";
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "before 1970/01/01");
  }
  EXPECT_EQ(DateTimeToUnix(Date(1970, 1, 1, 9)), 0u);
}

TEST(Timet, RoundTripsWholeSeconds) {
  for (std::uint32_t seconds : {0u, 1u, 86399u, 951782400u /* 2000-02-29 */, 1714534496u,
                                0x7FFFFFFFu, 0xFFFFFFF0u}) {
    SCOPED_TRACE(seconds);
    EXPECT_EQ(DateTimeToUnix(UnixToDateTime(seconds)), seconds);
  }
}

TEST(Timet, CalendarSplitDropsSubMilliseconds) {
  platform::TFileTime t = 0;
  ASSERT_TRUE(platform::CalendarToFileTime({2000, 2, 29, 23, 59, 59, 999}, t));
  TCalendarTime c;
  ASSERT_TRUE(platform::FileTimeToCalendar(t + 9999, c));
  EXPECT_EQ(c.year, 2000);
  EXPECT_EQ(c.month, 2);
  EXPECT_EQ(c.day, 29);
  EXPECT_EQ(c.hour * 3600 + c.minute * 60 + c.second, 86399);
  EXPECT_EQ(c.millisecond, 999);
  EXPECT_FALSE(platform::CalendarToFileTime({1600, 12, 31, 0, 0, 0, 0}, t));
  EXPECT_TRUE(platform::CalendarToFileTime({1601, 1, 1, 0, 0, 0, 0}, t));
  EXPECT_EQ(t, 0u);
}

TEST(Timet, NowIsInThisCentury) {
  const std::uint32_t now = DateTimeToUnix(platform::NowLocal());
  EXPECT_GT(now, 1700000000u);
  EXPECT_LT(now, 0x7FFFFFFFu);
}

}  // namespace
}  // namespace vesko
