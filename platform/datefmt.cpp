#include "platform/datefmt.h"

namespace vesko::platform {
namespace {

std::string Number(int value, int width) {
  std::string digits = std::to_string(value < 0 ? -value : value);
  if (static_cast<int>(digits.size()) < width) {
    digits.insert(0, static_cast<std::size_t>(width) - digits.size(), '0');
  }
  return digits;
}

// The length of the run of c starting at picture[i].
std::size_t RunOf(std::string_view picture, std::size_t i) {
  std::size_t n = 1;
  while (i + n < picture.size() && picture[i + n] == picture[i]) ++n;
  return n;
}

}  // namespace

std::string FormatByPicture(std::string_view picture, const TCalendarTime& t, std::string_view am,
                            std::string_view pm) {
  std::string out;
  std::size_t i = 0;
  while (i < picture.size()) {
    const char c = picture[i];
    if (c == '\'') {  // quoted literal; '' inside the quotes is one quote
      std::size_t j = i + 1;
      while (j < picture.size()) {
        if (picture[j] == '\'') {
          if (j + 1 < picture.size() && picture[j + 1] == '\'') {
            out += '\'';
            j += 2;
            continue;
          }
          break;
        }
        out += picture[j++];
      }
      i = j + 1;
      continue;
    }
    const std::size_t n = RunOf(picture, i);
    const int wide = n >= 2 ? 2 : 1;
    switch (c) {
      case 'd':
        out += Number(t.day, wide);
        break;
      case 'M':
        out += Number(t.month, wide);
        break;
      case 'y':
        out += n >= 3 ? Number(t.year, 4) : Number(t.year % 100, n == 1 ? 1 : 2);
        break;
      case 'H':
        out += Number(t.hour, wide);
        break;
      case 'h':
        out += Number(t.hour % 12 == 0 ? 12 : t.hour % 12, wide);
        break;
      case 'm':
        out += Number(t.minute, wide);
        break;
      case 's':
        out += Number(t.second, wide);
        break;
      case 't': {
        const std::string_view designator = t.hour < 12 ? am : pm;
        out += n == 1 ? designator.substr(0, 1) : designator;
        break;
      }
      default:
        out.append(n, c);
        break;
    }
    i += n;
  }
  return out;
}

}  // namespace vesko::platform
