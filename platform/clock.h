// The system clock and time zone as the Palm database dates need them. File times count
// 100-nanosecond intervals since 1601-01-01 00:00:00 UTC; "local" file times count the same
// from local midnight of that day. Like Windows, the local/UTC conversions apply the
// *current* offset from UTC (with the current daylight-saving state) to every file time,
// whatever the date it stands for. The conversions report failure as false; their caller
// decides the message.
#pragma once

#include <cstdint>

#include "platform/datetime.h"

namespace vesko::platform {

using TFileTime = std::uint64_t;

// UTC file time -> local file time (FileTimeToLocalFileTime).
bool UtcToLocalFileTime(TFileTime utc, TFileTime& local);
// Local file time -> UTC file time (LocalFileTimeToFileTime).
bool LocalToUtcFileTime(TFileTime local, TFileTime& utc);
// File time -> calendar fields, sub-millisecond part dropped (FileTimeToSystemTime).
// False for file times of 2^63 and above.
bool FileTimeToCalendar(TFileTime time, TCalendarTime& calendar);
// Calendar fields -> file time (SystemTimeToFileTime). False when a field is out of range
// or the year is outside 1601..30827.
bool CalendarToFileTime(const TCalendarTime& calendar, TFileTime& time);

// The current local time.
TDateTime NowLocal();

}  // namespace vesko::platform
