// TDateTime: a moment as days since 1899-12-30 00:00 with the time of day as the fraction,
// in local time unless said otherwise. Calendar arithmetic only; no time zones here.
#pragma once

#include <cstdint>

namespace vesko {

using TDateTime = double;

struct TCalendarTime {
  int year = 1899, month = 12, day = 30;  // proleptic Gregorian calendar
  int hour = 0, minute = 0, second = 0, millisecond = 0;
};

// False when a field is out of range (month 1..12, day within the month, year 1..9999,
// hour < 24, minute < 60, second < 60, millisecond < 1000).
bool TryEncodeDateTime(const TCalendarTime& t, TDateTime& result);
// Splits a date-time into calendar fields; the time part is rounded to the millisecond.
TCalendarTime DecodeDateTime(TDateTime value);
// Days from 0001-01-01 to 1899-12-30, for converting other day counts.
inline constexpr std::int64_t kDaysTo1899 = 693594;

}  // namespace vesko
