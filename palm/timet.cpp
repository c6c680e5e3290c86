#include "palm/timet.h"

#include "platform/errors.h"

namespace vesko {
namespace {

constexpr TFileTime kTicksPerSecond = 10000000;
// 10000-01-01, the first day a TDateTime can't hold.
constexpr TDateTime kEndOfDateTime = 2958466.0;

}  // namespace

TFileTime UnixToFileTime(std::uint32_t seconds) {
  return static_cast<TFileTime>(seconds) * kTicksPerSecond + kUnixEpochAsFileTime;
}

std::uint32_t FileTimeToUnix(TFileTime time) {
  // File times compare as signed 64-bit numbers: a local-to-UTC shift that wrapped below
  // 1601 must read as "too early", not as a date far in the future.
  if (static_cast<std::int64_t>(time) < static_cast<std::int64_t>(kUnixEpochAsFileTime)) {
    throw EConvertError("before 1970/01/01");
  }
  const TFileTime seconds = (time - kUnixEpochAsFileTime) / kTicksPerSecond;
  if (seconds > 0xFFFFFFFFULL) throw EConvertError("after 2106/02/07");
  return static_cast<std::uint32_t>(seconds);
}

TDateTime FileTimeToDateTime(TFileTime time) {
  if (time == 0) throw EConvertError("ERR:value=0");
  TFileTime local = 0;
  if (!platform::UtcToLocalFileTime(time, local)) {
    throw EConvertError("ERR:FileTimeToLocalFileTime");
  }
  TCalendarTime calendar;
  TDateTime result = 0;
  if (!platform::FileTimeToCalendar(local, calendar) || !TryEncodeDateTime(calendar, result)) {
    throw EConvertError("ERR:FileTimeToSystemTime");
  }
  return result;
}

TFileTime DateTimeToFileTime(TDateTime value) {
  if (!(value > 0.0)) throw EConvertError("ERR:TDateTime<=0.0");
  if (value >= kEndOfDateTime) throw EConvertError("ERR:SystemTimeToFileTime");
  const TCalendarTime calendar = DecodeDateTime(value);
  TFileTime local = 0;
  if (!platform::CalendarToFileTime(calendar, local)) {
    throw EConvertError("ERR:SystemTimeToFileTime");
  }
  TFileTime utc = 0;
  if (!platform::LocalToUtcFileTime(local, utc)) throw EConvertError("ERR:LocalTimeToFileTime");
  return utc;
}

TDateTime UnixToDateTime(std::uint32_t seconds) {
  return FileTimeToDateTime(UnixToFileTime(seconds));
}

std::uint32_t DateTimeToUnix(TDateTime value) { return FileTimeToUnix(DateTimeToFileTime(value)); }

}  // namespace vesko
