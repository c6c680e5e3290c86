#include "platform/datefmt.h"

#include <windows.h>

namespace vesko::platform {
namespace {

SYSTEMTIME ToSystemTime(const TCalendarTime& t) {
  SYSTEMTIME st{};
  st.wYear = static_cast<WORD>(t.year);
  st.wMonth = static_cast<WORD>(t.month);
  st.wDay = static_cast<WORD>(t.day);
  st.wHour = static_cast<WORD>(t.hour);
  st.wMinute = static_cast<WORD>(t.minute);
  st.wSecond = static_cast<WORD>(t.second);
  return st;
}

std::string LocaleText(LCTYPE type, const char* fallback) {
  char buffer[100];
  const int n = ::GetLocaleInfoA(LOCALE_USER_DEFAULT, type, buffer, sizeof buffer);
  return n > 1 ? std::string(buffer, static_cast<std::size_t>(n - 1)) : fallback;
}

// The system refuses dates before 1601, such as the zero date 1899-12-30; those are
// formatted here by the locale's own picture.
std::string FormatDate(const TCalendarTime& t) {
  const SYSTEMTIME st = ToSystemTime(t);
  char buffer[100];
  const int n =
      ::GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, buffer, sizeof buffer);
  if (n > 1) return std::string(buffer, static_cast<std::size_t>(n - 1));
  return FormatByPicture(LocaleText(LOCALE_SSHORTDATE, "yyyy/MM/dd"), t);
}

std::string FormatTime(const TCalendarTime& t, DWORD flags) {
  TCalendarTime day = t;  // the time alone matters; give the system a date it accepts
  day.year = 2000;
  day.month = 1;
  day.day = 1;
  const SYSTEMTIME st = ToSystemTime(day);
  char buffer[100];
  const int n = ::GetTimeFormatA(LOCALE_USER_DEFAULT, flags, &st, nullptr, buffer, sizeof buffer);
  if (n > 1) return std::string(buffer, static_cast<std::size_t>(n - 1));
  return FormatByPicture((flags & TIME_NOSECONDS) != 0 ? "H:mm" : "H:mm:ss", t);
}

}  // namespace

std::string ShortDateText(const TCalendarTime& t) { return FormatDate(t); }
std::string ShortTimeText(const TCalendarTime& t) { return FormatTime(t, TIME_NOSECONDS); }
std::string LongTimeText(const TCalendarTime& t) { return FormatTime(t, 0); }

}  // namespace vesko::platform
