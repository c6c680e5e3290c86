#include "platform/clock.h"

#include <time.h>

#include <cstdint>

namespace vesko::platform {
namespace {

constexpr std::int64_t kTicksPerMillisecond = 10000;
constexpr std::int64_t kTicksPerSecond = 10000000;
constexpr std::int64_t kTicksPerDay = 864000000000;

// The current offset of local time from UTC, in file-time ticks (positive east of UTC).
std::int64_t CurrentBias() {
  const time_t now = ::time(nullptr);
  struct tm local {};
  if (::localtime_r(&now, &local) == nullptr) return 0;
  return static_cast<std::int64_t>(local.tm_gmtoff) * kTicksPerSecond;
}

// Days from 1601-01-01 to the TDateTime epoch 1899-12-30.
constexpr std::int64_t kDays1601To1899 = 109205;
// The calendar repeats every 400 years, which have 146,097 days.
constexpr int kCycleYears = 400;
constexpr std::int64_t kCycleDays = 146097;

}  // namespace

// Windows adds the bias in 64-bit two's complement and never fails here; a result that
// wraps is caught later, when it is split into calendar fields.
bool UtcToLocalFileTime(TFileTime utc, TFileTime& local) {
  local = utc + static_cast<TFileTime>(CurrentBias());
  return true;
}

bool LocalToUtcFileTime(TFileTime local, TFileTime& utc) {
  utc = local - static_cast<TFileTime>(CurrentBias());
  return true;
}

bool FileTimeToCalendar(TFileTime time, TCalendarTime& calendar) {
  if (time >= (TFileTime{1} << 63)) return false;
  const auto ticks = static_cast<std::int64_t>(time);
  // A whole day number converts exactly, whatever the year.
  const TCalendarTime date =
      DecodeDateTime(static_cast<double>(ticks / kTicksPerDay - kDays1601To1899));
  const std::int64_t ms = ticks % kTicksPerDay / kTicksPerMillisecond;
  calendar = {date.year,
              date.month,
              date.day,
              static_cast<int>(ms / 3600000),
              static_cast<int>(ms / 60000 % 60),
              static_cast<int>(ms / 1000 % 60),
              static_cast<int>(ms % 1000)};
  return true;
}

bool CalendarToFileTime(const TCalendarTime& c, TFileTime& time) {
  if (c.year < 1601 || c.year > 30827) return false;
  // Years past 9999 (beyond TDateTime) map onto an earlier year of the same 400-year cycle.
  TCalendarTime shifted = c;
  std::int64_t extra_days = 0;
  while (shifted.year > 9999) {
    shifted.year -= kCycleYears;
    extra_days += kCycleDays;
  }
  const int ms = ((c.hour * 60 + c.minute) * 60 + c.second) * 1000 + c.millisecond;
  shifted.hour = shifted.minute = shifted.second = shifted.millisecond = 0;
  TDateTime day = 0;
  if (!TryEncodeDateTime(shifted, day) || c.hour < 0 || c.hour > 23 || c.minute < 0 ||
      c.minute > 59 || c.second < 0 || c.second > 59 || c.millisecond < 0 ||
      c.millisecond > 999) {
    return false;
  }
  const std::int64_t days = static_cast<std::int64_t>(day) + kDays1601To1899 + extra_days;
  time = static_cast<TFileTime>(days * kTicksPerDay + ms * kTicksPerMillisecond);
  return true;
}

TDateTime NowLocal() {
  struct timespec now {};
  ::clock_gettime(CLOCK_REALTIME, &now);
  struct tm local {};
  ::localtime_r(&now.tv_sec, &local);
  TDateTime result = 0;
  TryEncodeDateTime({local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                     local.tm_min, local.tm_sec > 59 ? 59 : local.tm_sec,
                     static_cast<int>(now.tv_nsec / 1000000)},
                    result);
  return result;
}

}  // namespace vesko::platform
