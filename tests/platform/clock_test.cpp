// Local time follows the zone TZ names, as an IANA name or a POSIX rule, on
// both systems (Windows' clock reads TZ itself and converts with Windows'
// own zone functions).
#include "platform/clock.h"

#include <gtest/gtest.h>

#include "tests/scoped_env.h"

namespace {

// 2026-07-01 09:00:00 UTC and 2026-01-15 09:00:00 UTC.
constexpr int64_t kSummer = 1782896400;
constexpr int64_t kWinter = 1768467600;

void ExpectHour(int64_t unixSeconds, int hour, int day) {
  const LocalTime local = ToLocalTime(unixSeconds);
  EXPECT_EQ(local.hour, hour) << unixSeconds;
  EXPECT_EQ(local.day, day) << unixSeconds;
  EXPECT_EQ(FromLocalTime(local), unixSeconds);
}

TEST(Clock, ZonesByRuleAndByNameGiveTheSameLocalTimes) {
  for (const char* zone : {"EET-2EEST,M3.5.0/3,M10.5.0/4", "Europe/Bucharest"}) {
    const TimeZoneGuard guard(zone);
    ExpectHour(kSummer, 12, 1);
    ExpectHour(kWinter, 11, 15);
    // The last Sunday of March at 03:00 local, daylight saving starts.
    EXPECT_EQ(ToLocalTime(FromLocalTime(LocalTime{2026, 3, 29, 4, 0, 0, 0})).hour, 4) << zone;
    EXPECT_EQ(FromLocalTime(LocalTime{2026, 3, 29, 4, 0, 0, 0}) - FromLocalTime(LocalTime{2026, 3, 29, 1, 0, 0, 0}),
              2 * 3600)
        << zone;
  }
}

TEST(Clock, FixedZonesAndNormalisedFields) {
  const TimeZoneGuard guard("XYZ-2");
  ExpectHour(kSummer, 11, 1);
  ExpectHour(kWinter, 11, 15);
  TimeZoneGuard::Use("UTC0");
  ExpectHour(kSummer, 9, 1);
  // The 32nd of December is the 1st of January; weekdays come with it.
  EXPECT_EQ(FromLocalTime(LocalTime{2026, 12, 32, 0, 0, 0, 0}), FromLocalTime(LocalTime{2027, 1, 1, 0, 0, 0, 0}));
  EXPECT_EQ(ToLocalTime(kSummer).weekday, 3);
  EXPECT_EQ(ToUtcTime(kWinter).weekday, 4);
}

}  // namespace
