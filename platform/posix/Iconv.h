// Converting text between character sets with the C library's iconv, for the POSIX side's
// talk with the terminal and the C library's locales.
#pragma once

#include <string>

namespace vesko::platform {

// text in the character set from, converted to the set to (iconv names such as "CP932",
// "UTF-8"). A character that can't be converted becomes '?'; when iconv knows neither
// set, the text comes back as it is.
std::string ConvertCharset(const std::string& text, const char* from, const char* to);

}  // namespace vesko::platform
