#include "platform/datefmt.h"

#include <gtest/gtest.h>

#include "export/Progress.h"

namespace vesko {
namespace {

struct TPictureCase {
  const char* name;
  const char* picture;
  TCalendarTime time;
  std::string text;
};

TEST(FormatByPicture, WritesEachFieldKind) {
  const TCalendarTime morning{2026, 12, 7, 9, 5, 3};
  const TCalendarTime evening{2026, 1, 17, 21, 45, 0};
  const TCalendarTime midnight{2026, 1, 17, 0, 0, 0};
  const TPictureCase cases[] = {
      {"Japanese short date", "yyyy/MM/dd", morning, "2026/12/07"},
      {"US short date has no leading zeros", "M/d/yyyy", morning, "12/7/2026"},
      {"two-digit year", "dd.MM.yy", evening, "17.01.26"},
      {"24-hour long time", "H:mm:ss", morning, "9:05:03"},
      {"24-hour with zeros", "HH:mm", morning, "09:05"},
      {"12-hour evening", "h:mm:ss tt", evening, "9:45:00 PM"},
      {"12-hour midnight is 12 AM", "h:mm tt", midnight, "12:00 AM"},
      {"one-letter designator", "hh:mmt", evening, "09:45P"},
      {"quoted text is literal", "yyyy'y'M'm'", evening, "2026y1m"},
      {"doubled quote inside quotes", "'o''clock' H", evening, "o'clock 21"},
      {"the zero date", "yyyy/MM/dd", TCalendarTime{}, "1899/12/30"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(platform::FormatByPicture(c.picture, c.time), c.text);
  }
}

TEST(PercentOf, RoundsHalvesToEven) {
  struct {
    int done, total, percent;
  } const cases[] = {
      {1, 8, 12},  // 12.5 goes down to the even 12
      {3, 8, 38},  // 37.5 goes up to the even 38
      {1, 3, 33}, {2, 3, 67}, {3, 3, 100}, {0, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.done) + "/" + std::to_string(c.total));
    EXPECT_EQ(PercentOf(c.done, c.total), c.percent);
  }
}

}  // namespace
}  // namespace vesko
