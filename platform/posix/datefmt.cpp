#include "platform/datefmt.h"

#include <langinfo.h>
#include <locale.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "platform/locale.h"
#include "platform/posix/Iconv.h"

namespace vesko::platform {
namespace {

// The pictures that Windows uses by default for the usual locales, so that a title made on
// Linux reads as it would on the user's Windows machine.
struct TLocalePictures {
  const char* locale;  // language_TERRITORY
  const char* short_date;
  const char* long_time;
  const char* short_time;
};

const TLocalePictures kPictures[] = {
    {"ja_JP", "yyyy/MM/dd", "H:mm:ss", "H:mm"},   {"en_US", "M/d/yyyy", "h:mm:ss tt", "h:mm tt"},
    {"en_GB", "dd/MM/yyyy", "HH:mm:ss", "HH:mm"}, {"en_AU", "d/MM/yyyy", "h:mm:ss tt", "h:mm tt"},
    {"de_DE", "dd.MM.yyyy", "HH:mm:ss", "HH:mm"}, {"fr_FR", "dd/MM/yyyy", "HH:mm:ss", "HH:mm"},
    {"it_IT", "dd/MM/yyyy", "HH:mm:ss", "HH:mm"}, {"es_ES", "dd/MM/yyyy", "H:mm:ss", "H:mm"},
    {"nl_NL", "d-M-yyyy", "HH:mm:ss", "HH:mm"},   {"zh_CN", "yyyy/M/d", "H:mm:ss", "H:mm"},
};

// The locale that governs dates, as the C library would choose it from the environment.
std::string TimeLocaleName() {
  for (const char* name : {"LC_ALL", "LC_TIME", "LANG"}) {
    if (const char* value = std::getenv(name); value != nullptr && *value != '\0') return value;
  }
  return "C";
}

const TLocalePictures* FindPictures(const std::string& locale) {
  const std::string base = locale.substr(0, locale.find_first_of(".@"));
  for (const auto& p : kPictures) {
    if (base == p.locale) return &p;
  }
  return nullptr;
}

// Converts the C library's text from the locale's character set into the ANSI code page;
// characters that the code page lacks become '?'.
std::string ToAnsi(const std::string& text, const char* codeset) {
  return ConvertCharset(text, codeset, ("CP" + std::to_string(AnsiCodePage())).c_str());
}

enum class TWhat { kShortDate, kLongTime, kShortTime };

// A locale of the C library with its formats, opened once per locale name: an export
// formats a date for every mail.
struct TLibraryLocale {
  std::string name;
  locale_t locale = nullptr;
  std::string date_format, time_format, codeset;
};

const TLibraryLocale& LibraryLocale(const std::string& name) {
  static TLibraryLocale cached;
  if (cached.locale != nullptr && cached.name == name) return cached;
  if (cached.locale != nullptr) ::freelocale(cached.locale);
  locale_t loc = ::newlocale(LC_TIME_MASK | LC_CTYPE_MASK, name.c_str(), nullptr);
  if (loc == nullptr) loc = ::newlocale(LC_TIME_MASK | LC_CTYPE_MASK, "C", nullptr);
  cached = {name, loc, ::nl_langinfo_l(D_FMT, loc), ::nl_langinfo_l(T_FMT, loc),
            ::nl_langinfo_l(CODESET, loc)};
  return cached;
}

// The C library's own format of the locale, for locales outside the table.
std::string FormatByLibrary(const std::string& name, const TCalendarTime& t, TWhat what) {
  const TLibraryLocale& loc = LibraryLocale(name);
  std::string format = what == TWhat::kShortDate ? loc.date_format : loc.time_format;
  if (what == TWhat::kShortTime) {
    if (const auto p = format.find(":%S"); p != std::string::npos) format.erase(p, 3);
  }
  std::tm tm{};
  tm.tm_year = t.year - 1900;
  tm.tm_mon = t.month - 1;
  tm.tm_mday = t.day;
  tm.tm_hour = t.hour;
  tm.tm_min = t.minute;
  tm.tm_sec = t.second;
  char buffer[128];
  const std::size_t n = ::strftime_l(buffer, sizeof buffer, format.c_str(), &tm, loc.locale);
  std::string text(buffer, n);
  for (const char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return ToAnsi(text, loc.codeset.c_str());
  }
  return text;  // ASCII reads the same in every code page
}

std::string Format(const TCalendarTime& t, TWhat what) {
  const std::string locale = TimeLocaleName();
  if (const TLocalePictures* p = FindPictures(locale)) {
    const char* picture = what == TWhat::kShortDate  ? p->short_date
                          : what == TWhat::kLongTime ? p->long_time
                                                     : p->short_time;
    return FormatByPicture(picture, t);
  }
  return FormatByLibrary(locale, t, what);
}

}  // namespace

std::string ShortDateText(const TCalendarTime& t) { return Format(t, TWhat::kShortDate); }
std::string ShortTimeText(const TCalendarTime& t) { return Format(t, TWhat::kShortTime); }
std::string LongTimeText(const TCalendarTime& t) { return Format(t, TWhat::kLongTime); }

}  // namespace vesko::platform
