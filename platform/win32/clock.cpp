#include "platform/clock.h"

#include <windows.h>

#include "platform/win32/SystemTime.h"

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
  SYSTEMTIME st;
  if (!ToSystemTime(calendar, st)) return false;
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
