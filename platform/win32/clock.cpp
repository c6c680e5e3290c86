#include "platform/clock.h"

#include <windows.h>

namespace vesko::platform {
namespace {

FILETIME Split(TFileTime time) {
  FILETIME ft;
  ft.dwLowDateTime = static_cast<DWORD>(time);
  ft.dwHighDateTime = static_cast<DWORD>(time >> 32);
  return ft;
}

TFileTime Join(const FILETIME& ft) {
  return (static_cast<TFileTime>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

}  // namespace

bool UtcToLocalFileTime(TFileTime utc, TFileTime& local) {
  const FILETIME in = Split(utc);
  FILETIME out;
  if (!::FileTimeToLocalFileTime(&in, &out)) return false;
  local = Join(out);
  return true;
}

bool LocalToUtcFileTime(TFileTime local, TFileTime& utc) {
  const FILETIME in = Split(local);
  FILETIME out;
  if (!::LocalFileTimeToFileTime(&in, &out)) return false;
  utc = Join(out);
  return true;
}

bool FileTimeToCalendar(TFileTime time, TCalendarTime& calendar) {
  const FILETIME in = Split(time);
  SYSTEMTIME st;
  if (!::FileTimeToSystemTime(&in, &st)) return false;
  calendar = {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds};
  return true;
}

bool CalendarToFileTime(const TCalendarTime& calendar, TFileTime& time) {
  // SYSTEMTIME holds 16-bit fields; anything that doesn't fit is out of range anyway.
  const auto fits = [](int v) { return v >= 0 && v <= 0xFFFF; };
  if (!fits(calendar.year) || !fits(calendar.month) || !fits(calendar.day) ||
      !fits(calendar.hour) || !fits(calendar.minute) || !fits(calendar.second) ||
      !fits(calendar.millisecond)) {
    return false;
  }
  SYSTEMTIME st = {};
  st.wYear = static_cast<WORD>(calendar.year);
  st.wMonth = static_cast<WORD>(calendar.month);
  st.wDay = static_cast<WORD>(calendar.day);
  st.wHour = static_cast<WORD>(calendar.hour);
  st.wMinute = static_cast<WORD>(calendar.minute);
  st.wSecond = static_cast<WORD>(calendar.second);
  st.wMilliseconds = static_cast<WORD>(calendar.millisecond);
  FILETIME out;
  if (!::SystemTimeToFileTime(&st, &out)) return false;
  time = Join(out);
  return true;
}

TDateTime NowLocal() {
  SYSTEMTIME st;
  ::GetLocalTime(&st);
  TDateTime result = 0;
  TryEncodeDateTime({st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond,
                     st.wMilliseconds},
                    result);
  return result;
}

}  // namespace vesko::platform
