// Calendar fields as the SYSTEMTIME that the Win32 time and date calls take.
#pragma once

#include <windows.h>

#include "platform/datetime.h"

namespace vesko::platform {

// False when a field doesn't fit the 16 bits that SYSTEMTIME gives it.
inline bool ToSystemTime(const TCalendarTime& t, SYSTEMTIME& st) {
  const auto fits = [](int v) { return v >= 0 && v <= 0xFFFF; };
  if (!fits(t.year) || !fits(t.month) || !fits(t.day) || !fits(t.hour) || !fits(t.minute) ||
      !fits(t.second) || !fits(t.millisecond)) {
    return false;
  }
  st = SYSTEMTIME{};
  st.wYear = static_cast<WORD>(t.year);
  st.wMonth = static_cast<WORD>(t.month);
  st.wDay = static_cast<WORD>(t.day);
  st.wHour = static_cast<WORD>(t.hour);
  st.wMinute = static_cast<WORD>(t.minute);
  st.wSecond = static_cast<WORD>(t.second);
  st.wMilliseconds = static_cast<WORD>(t.millisecond);
  return true;
}

}  // namespace vesko::platform
