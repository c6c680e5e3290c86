// Dates and times as the user's locale writes them, for the document title and the "Date:"
// line of each exported mail. Texts come back in the ANSI code page (Shift JIS on a Japanese
// system), like every other text of the plug-in.
//
// Windows asks the user's locale (GetDateFormat, GetTimeFormat). Elsewhere the locale named
// by LC_ALL, LC_TIME or LANG chooses: a table of the usual locales gives the same pictures
// that Windows uses for them (ja_JP: 2026/12/07 and 9:05:00), others fall back to the C
// library's own formats. Nothing here throws.
#pragma once

#include <string>
#include <string_view>

#include "platform/datetime.h"

namespace vesko::platform {

std::string ShortDateText(const TCalendarTime& t);  // e.g. 2026/12/07
std::string ShortTimeText(const TCalendarTime& t);  // hours and minutes, e.g. 9:05
std::string LongTimeText(const TCalendarTime& t);   // with seconds, e.g. 9:05:00

// Formats t by a picture written the Windows way: d dd M MM y yy yyyy for the date, h hh
// (12-hour) H HH (24-hour) m mm s ss for the time, t tt for the first letter or the whole
// of the AM/PM designator, and 'quoted' text taken literally. Other characters are copied.
std::string FormatByPicture(std::string_view picture, const TCalendarTime& t,
                            std::string_view am = "AM", std::string_view pm = "PM");

}  // namespace vesko::platform
