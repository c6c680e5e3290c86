// Conversions between the three ways the Palm database header meets a moment: the local
// day-based TDateTime of the application, the Windows file time (UTC, 100-ns intervals
// since 1601-01-01) and Unix seconds (UTC, unsigned 32 bits). Local and UTC differ by the
// machine's current offset, as Windows applies it to file times. Every failure throws
// EConvertError with a fixed message; nothing is returned on failure.
#pragma once

#include <cstdint>

#include "platform/clock.h"
#include "platform/datetime.h"

namespace vesko {

using TFileTime = platform::TFileTime;

// The file time of 1970-01-01 00:00:00 UTC.
inline constexpr TFileTime kUnixEpochAsFileTime = 116444736000000000ULL;

TFileTime UnixToFileTime(std::uint32_t seconds);
// Throws "before 1970/01/01" for file times before the epoch (and for those of 2^63 and
// above, which no valid file time reaches), and "after 2106/02/07" when the seconds do not
// fit 32 bits.
std::uint32_t FileTimeToUnix(TFileTime time);
// UTC file time -> local date-time. Throws "ERR:value=0", "ERR:FileTimeToLocalFileTime",
// "ERR:FileTimeToSystemTime".
TDateTime FileTimeToDateTime(TFileTime time);
// Local date-time -> UTC file time. Throws "ERR:TDateTime<=0.0", "ERR:SystemTimeToFileTime",
// "ERR:LocalTimeToFileTime".
TFileTime DateTimeToFileTime(TDateTime value);
TDateTime UnixToDateTime(std::uint32_t seconds);
std::uint32_t DateTimeToUnix(TDateTime value);

}  // namespace vesko
