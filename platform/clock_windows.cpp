#include "platform/clock.h"

#include <windows.h>

#include <chrono>
#include <cstdlib>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

// Local time through Windows' own zone functions. As on Linux, TZ decides
// the zone when it is set (the Windows C runtime reads only its own short
// form of it, so it is read here): an IANA name such as "Europe/Bucharest"
// names the Windows zone of that region, and a POSIX rule such as "UTC0",
// "XYZ-2" or "EET-2EEST,M3.5.0/3,M10.5.0/4" is built into a zone of its own.
// Without TZ the system's zone holds. A TZ that names no zone counts as UTC,
// as the C library of Linux takes it.

namespace {

constexpr int64_t kSecondsPerDay = 86400;
// 100-nanosecond ticks between 1601-01-01 (FILETIME's epoch) and 1970-01-01.
constexpr int64_t kEpochTicks = 116444736000000000LL;
constexpr int64_t kTicksPerSecond = 10000000;

// Days since 1970-01-01 of a proleptic Gregorian date (any month and day
// count: they carry over).
int64_t DaysFromCivil(int64_t year, int64_t month, int64_t day) {
  year += (month >= 1 ? (month - 1) / 12 : (month - 12) / 12);
  month = ((month - 1) % 12 + 12) % 12 + 1;
  year -= month <= 2;
  const int64_t era = (year >= 0 ? year : year - 399) / 400;
  const int64_t yearOfEra = year - era * 400;
  const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5;
  const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468 + (day - 1);
}

LocalTime CivilFromSeconds(int64_t seconds) {
  int64_t days = seconds / kSecondsPerDay;
  int64_t rest = seconds % kSecondsPerDay;
  if (rest < 0) {
    rest += kSecondsPerDay;
    --days;
  }
  const int64_t shifted = days + 719468;
  const int64_t era = (shifted >= 0 ? shifted : shifted - 146096) / 146097;
  const int64_t dayOfEra = shifted - era * 146097;
  const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const int64_t mp = (5 * dayOfYear + 2) / 153;
  const int day = int(dayOfYear - (153 * mp + 2) / 5 + 1);
  const int month = int(mp < 10 ? mp + 3 : mp - 9);
  const int year = int(yearOfEra + era * 400 + (month <= 2));
  const int weekday = int(((days % 7) + 11) % 7);  // 1970-01-01 was a Thursday
  return LocalTime{year, month, day, int(rest / 3600), int(rest / 60 % 60), int(rest % 60), weekday};
}

int64_t SecondsFromFields(const LocalTime& t) {
  return DaysFromCivil(t.year, t.month, t.day) * kSecondsPerDay + int64_t(t.hour) * 3600 + int64_t(t.minute) * 60 +
         t.second;
}

std::optional<SYSTEMTIME> SystemTimeOf(int64_t seconds) {
  const int64_t ticks = seconds * kTicksPerSecond + kEpochTicks;
  if (ticks < 0) return std::nullopt;
  FILETIME file{static_cast<DWORD>(uint64_t(ticks) & 0xFFFFFFFFu), static_cast<DWORD>(uint64_t(ticks) >> 32)};
  SYSTEMTIME system{};
  if (!FileTimeToSystemTime(&file, &system)) return std::nullopt;
  return system;
}

LocalTime FieldsOf(const SYSTEMTIME& s) {
  return LocalTime{s.wYear, s.wMonth, s.wDay, s.wHour, s.wMinute, s.wSecond, s.wDayOfWeek};
}

// ---- The zone TZ names ----

// Windows' zones by the IANA names of the regions they cover: the common
// ones of the program's users and of its tests.
struct NamedZone {
  std::string_view iana;
  const wchar_t* windows;
};
constexpr NamedZone kNamedZones[] = {
    {"Europe/Bucharest", L"GTB Standard Time"},     {"Europe/Athens", L"GTB Standard Time"},
    {"Europe/Chisinau", L"E. Europe Standard Time"}, {"Europe/Sofia", L"FLE Standard Time"},
    {"Europe/Kiev", L"FLE Standard Time"},           {"Europe/Kyiv", L"FLE Standard Time"},
    {"Europe/Istanbul", L"Turkey Standard Time"},    {"Europe/Moscow", L"Russian Standard Time"},
    {"Europe/London", L"GMT Standard Time"},         {"Europe/Lisbon", L"GMT Standard Time"},
    {"Europe/Berlin", L"W. Europe Standard Time"},   {"Europe/Rome", L"W. Europe Standard Time"},
    {"Europe/Amsterdam", L"W. Europe Standard Time"}, {"Europe/Paris", L"Romance Standard Time"},
    {"Europe/Madrid", L"Romance Standard Time"},     {"Europe/Warsaw", L"Central European Standard Time"},
    {"Europe/Belgrade", L"Central Europe Standard Time"}, {"Europe/Budapest", L"Central Europe Standard Time"},
    {"America/New_York", L"Eastern Standard Time"},  {"America/Chicago", L"Central Standard Time"},
    {"America/Denver", L"Mountain Standard Time"},   {"America/Los_Angeles", L"Pacific Standard Time"},
    {"Asia/Tokyo", L"Tokyo Standard Time"},          {"Asia/Dubai", L"Arabian Standard Time"},
    {"Australia/Sydney", L"AUS Eastern Standard Time"},
};

struct Zone {
  DYNAMIC_TIME_ZONE_INFORMATION rule{};
};

Zone UtcZone() { return Zone{}; }

std::optional<Zone> WindowsZone(const wchar_t* key) {
  DYNAMIC_TIME_ZONE_INFORMATION info{};
  for (DWORD i = 0; EnumDynamicTimeZoneInformation(i, &info) == ERROR_SUCCESS; ++i) {
    if (std::wstring_view(info.TimeZoneKeyName) == key) return Zone{info};
  }
  return std::nullopt;
}

// A POSIX TZ rule, read left to right.
class RuleReader {
 public:
  explicit RuleReader(std::string_view text) : text_(text) {}
  bool AtEnd() const { return pos_ == text_.size(); }
  bool Take(char c) {
    if (pos_ < text_.size() && text_[pos_] == c) return ++pos_, true;
    return false;
  }
  // A zone's abbreviation: three or more letters, or anything in <...>.
  bool Name() {
    if (Take('<')) {
      const size_t end = text_.find('>', pos_);
      if (end == std::string_view::npos) return false;
      pos_ = end + 1;
      return true;
    }
    const size_t start = pos_;
    while (pos_ < text_.size() && IsLetter(text_[pos_])) ++pos_;
    return pos_ - start >= 3;
  }
  // [+-]hh[:mm[:ss]] as seconds.
  std::optional<int> Time() {
    int sign = 1;
    if (Take('-')) sign = -1;
    else Take('+');
    std::optional<int> seconds;
    for (int unit : {3600, 60, 1}) {
      if (unit != 3600 && !Take(':')) break;
      const auto number = Number();
      if (!number) return std::nullopt;
      seconds = seconds.value_or(0) + *number * unit;
    }
    if (!seconds) return std::nullopt;
    return sign * *seconds;
  }
  // Mm.w.d: the d-th weekday of week w (5 = the last) of month m.
  bool MonthRule(SYSTEMTIME& date) {
    if (!Take('M')) return false;
    const auto month = Number();
    if (!month || !Take('.')) return false;
    const auto week = Number();
    if (!week || !Take('.')) return false;
    const auto weekday = Number();
    if (!weekday || *month < 1 || *month > 12 || *week < 1 || *week > 5 || *weekday > 6) return false;
    date = SYSTEMTIME{0, WORD(*month), WORD(*weekday), WORD(*week), 2, 0, 0, 0};
    if (Take('/')) {
      const auto at = Time();
      if (!at || *at < 0 || *at >= 86400) return false;
      date.wHour = WORD(*at / 3600);
      date.wMinute = WORD(*at / 60 % 60);
      date.wSecond = WORD(*at % 60);
    }
    return true;
  }

 private:
  static bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
  std::optional<int> Number() {
    const size_t start = pos_;
    int value = 0;
    while (pos_ < text_.size() && text_[pos_] >= '0' && text_[pos_] <= '9' && pos_ - start < 3)
      value = value * 10 + (text_[pos_++] - '0');
    if (pos_ == start) return std::nullopt;
    return value;
  }

  std::string_view text_;
  size_t pos_ = 0;
};

// "STD offset [DST [offset] [,Mm.w.d[/time],Mm.w.d[/time]]]". POSIX offsets
// are west of Greenwich, as Windows' bias is.
std::optional<Zone> PosixZone(std::string_view text) {
  RuleReader reader(text);
  if (!reader.Name()) return std::nullopt;
  const auto standard = reader.Time();
  if (!standard) return std::nullopt;
  Zone zone;
  zone.rule.Bias = *standard / 60;
  if (reader.AtEnd()) return zone;
  if (!reader.Name()) return std::nullopt;
  int daylight = *standard - 3600;
  if (!reader.AtEnd() && !reader.Take(',')) {
    const auto offset = reader.Time();
    if (!offset) return std::nullopt;
    daylight = *offset;
    if (!reader.Take(',')) return std::nullopt;
  } else if (reader.AtEnd()) {
    return std::nullopt;  // daylight saving without its dates
  }
  if (!reader.MonthRule(zone.rule.DaylightDate) || !reader.Take(',') || !reader.MonthRule(zone.rule.StandardDate) ||
      !reader.AtEnd())
    return std::nullopt;
  zone.rule.DaylightBias = (daylight - *standard) / 60;
  return zone;
}

Zone ZoneNamed(std::string_view tz) {
  if (!tz.empty() && tz.front() == ':') tz.remove_prefix(1);
  for (const NamedZone& named : kNamedZones) {
    if (named.iana != tz) continue;
    if (auto zone = WindowsZone(named.windows)) return *zone;
  }
  if (tz == "UTC" || tz == "Etc/UTC" || tz == "GMT") return UtcZone();
  if (auto zone = PosixZone(tz)) return *zone;
  return UtcZone();
}

// The zone's rule in force in `year`: a Windows zone may change its rule
// from one year to the next. (Wine lacks the Ex conversions that take the
// dynamic zone itself, so the year's rule is what is converted with.)
TIME_ZONE_INFORMATION RuleForYear(const Zone& zone, WORD year) {
  TIME_ZONE_INFORMATION rule{};
  DYNAMIC_TIME_ZONE_INFORMATION dynamic = zone.rule;
  if (dynamic.TimeZoneKeyName[0] != L'\0' && GetTimeZoneInformationForYear(year, &dynamic, &rule)) return rule;
  rule.Bias = zone.rule.Bias;
  rule.StandardDate = zone.rule.StandardDate;
  rule.StandardBias = zone.rule.StandardBias;
  rule.DaylightDate = zone.rule.DaylightDate;
  rule.DaylightBias = zone.rule.DaylightBias;
  return rule;
}

// How often the system's zone is read again: the user may change it while
// the program runs, and the guide converts thousands of times a second.
constexpr ULONGLONG kSystemZoneRecheckMs = 10000;

// The rule in force in `year` of the zone TZ names, else of the system's
// zone. Zones and their rules are read from the registry (slowly under
// Wine), so both are kept: a TZ zone until TZ changes, the system's for a
// few seconds.
TIME_ZONE_INFORMATION CurrentRule(WORD year) {
  static std::mutex mutex;
  static std::string lastTz;
  static ULONGLONG systemReadMs = 0;
  static Zone zone = UtcZone();
  static std::map<WORD, TIME_ZONE_INFORMATION> years;
  const char* value = std::getenv("TZ");
  const std::string tz = value ? value : "";
  const ULONGLONG now = GetTickCount64();
  const std::lock_guard lock(mutex);
  const bool systemDue = tz.empty() && (systemReadMs == 0 || now - systemReadMs >= kSystemZoneRecheckMs);
  if (tz != lastTz || systemDue) {
    lastTz = tz;
    years.clear();
    if (!tz.empty()) {
      zone = ZoneNamed(tz);
      systemReadMs = 0;
    } else {
      zone = Zone{};
      if (GetDynamicTimeZoneInformation(&zone.rule) == TIME_ZONE_ID_INVALID) zone = UtcZone();
      systemReadMs = now;
    }
  }
  const auto known = years.find(year);
  if (known != years.end()) return known->second;
  return years[year] = RuleForYear(zone, year);
}

}  // namespace

uint64_t TickMs() { return GetTickCount64(); }

int64_t NowUnix() {
  using namespace std::chrono;
  return duration_cast<seconds>(system_clock::now().time_since_epoch()).count();
}

LocalTime ToLocalTime(int64_t unixSeconds) {
  const auto utc = SystemTimeOf(unixSeconds);
  if (!utc) return CivilFromSeconds(unixSeconds);
  const TIME_ZONE_INFORMATION rule = CurrentRule(utc->wYear);
  SYSTEMTIME local{};
  if (!SystemTimeToTzSpecificLocalTime(&rule, &*utc, &local)) return CivilFromSeconds(unixSeconds);
  return FieldsOf(local);
}

LocalTime ToUtcTime(int64_t unixSeconds) { return CivilFromSeconds(unixSeconds); }

int64_t FromLocalTime(const LocalTime& local) {
  // The fields normalised first (the 32nd of a month is the 1st of the
  // next), so Windows is given a real calendar time.
  const int64_t asIfUtc = SecondsFromFields(local);
  const auto localTime = SystemTimeOf(asIfUtc);
  if (!localTime) return asIfUtc;
  const TIME_ZONE_INFORMATION rule = CurrentRule(localTime->wYear);
  SYSTEMTIME utc{};
  if (!TzSpecificLocalTimeToSystemTime(&rule, &*localTime, &utc)) return asIfUtc;
  return SecondsFromFields(FieldsOf(utc));
}
