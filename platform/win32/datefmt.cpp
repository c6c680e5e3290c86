#include "platform/datefmt.h"

#include <windows.h>

#include "platform/win32/SystemTime.h"

namespace vesko::platform {
namespace {

std::string LocaleText(LCTYPE type, const char* fallback) {
  char buffer[100];
  const int n = ::GetLocaleInfoA(LOCALE_USER_DEFAULT, type, buffer, sizeof buffer);
  return n > 1 ? std::string(buffer, static_cast<std::size_t>(n - 1)) : fallback;
}

// The system refuses dates before 1601, such as the zero date 1899-12-30; those are
// formatted here by the locale's own picture.
std::string FormatDate(const TCalendarTime& t) {
  SYSTEMTIME st;
  ToSystemTime(t, st);
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
  SYSTEMTIME st;
  ToSystemTime(day, st);
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
