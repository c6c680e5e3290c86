#include "platform/clock.h"

#include <time.h>

#include <cstdint>

namespace vesko::platform {
namespace {

constexpr std::int64_t kTicksPerMillisecond = 10000;
constexpr std::int64_t kTicksPerSecond = 10000000;
constexpr std::int64_t kTicksPerDay = 864000000000;
// Days from 1601-01-01 to 1970-01-01.
constexpr std::int64_t kDays1601To1970 = 134774;

// The current offset of local time from UTC, in file-time ticks (positive east of UTC).
std::int64_t CurrentBias() {
  const time_t now = ::time(nullptr);
  struct tm local {};
  if (::localtime_r(&now, &local) == nullptr) return 0;
  return static_cast<std::int64_t>(local.tm_gmtoff) * kTicksPerSecond;
}

bool IsLeapYear(std::int64_t y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(std::int64_t y, int m) {
  static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeapYear(y) ? 29 : kDays[m - 1];
}

// Days since 1970-01-01 of a civil date, and back (proleptic Gregorian calendar).
std::int64_t DaysFromCivil(std::int64_t y, int m, int d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const std::int64_t yoe = y - era * 400;
  const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(std::int64_t z, std::int64_t& y, int& m, int& d) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const std::int64_t doe = z - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = yoe + era * 400 + (m <= 2);
}

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
  std::int64_t year = 0;
  CivilFromDays(ticks / kTicksPerDay - kDays1601To1970, year, calendar.month, calendar.day);
  calendar.year = static_cast<int>(year);
  const std::int64_t ms = ticks % kTicksPerDay / kTicksPerMillisecond;
  calendar.hour = static_cast<int>(ms / 3600000);
  calendar.minute = static_cast<int>(ms / 60000 % 60);
  calendar.second = static_cast<int>(ms / 1000 % 60);
  calendar.millisecond = static_cast<int>(ms % 1000);
  return true;
}

bool CalendarToFileTime(const TCalendarTime& c, TFileTime& time) {
  if (c.year < 1601 || c.year > 30827 || c.month < 1 || c.month > 12 || c.day < 1 ||
      c.day > DaysInMonth(c.year, c.month) || c.hour < 0 || c.hour > 23 || c.minute < 0 ||
      c.minute > 59 || c.second < 0 || c.second > 59 || c.millisecond < 0 ||
      c.millisecond > 999) {
    return false;
  }
  const std::int64_t days = DaysFromCivil(c.year, c.month, c.day) + kDays1601To1970;
  const std::int64_t ms = ((c.hour * 60LL + c.minute) * 60 + c.second) * 1000 + c.millisecond;
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
