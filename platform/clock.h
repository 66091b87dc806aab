#pragma once
// Time sources and local-time conversions. Transient times (debounces,
// toasts, stall detection) are tick milliseconds; guide, catch-up and sports
// times are Unix seconds, shown in the user's local time zone (TZ honoured).
#include <cstdint>

// Milliseconds of a monotonic clock (the "tick counter").
uint64_t TickMs();

// Seconds since the Unix epoch, now.
int64_t NowUnix();

struct LocalTime {
  int year = 1970;  // e.g. 2026
  int month = 1;    // 1-12
  int day = 1;      // 1-31
  int hour = 0, minute = 0, second = 0;
  int weekday = 4;  // 0 = Sunday
};

// Local calendar time of a Unix time.
LocalTime ToLocalTime(int64_t unixSeconds);

// UTC calendar time of a Unix time (the weekday included).
LocalTime ToUtcTime(int64_t unixSeconds);

// Unix time of a local calendar time (daylight saving decided by the zone's
// rules, as mktime does with tm_isdst = -1). Out-of-range fields normalise.
int64_t FromLocalTime(const LocalTime& local);
