#include "catalog/panel_clock.h"

#include <cstdio>
#include <cstdlib>

#include "net/http_client.h"
#include "net/json_scan.h"

namespace {

constexpr int32_t kQuarterHour = 15 * 60;
constexpr int64_t kWidestOffset = 14 * 3600;
constexpr uint32_t kAccountTimeoutMs = 10000;
constexpr uint64_t kAccountCap = 256 * 1024;

// Days from 1970-01-01 to a proleptic Gregorian date (civil calendar
// arithmetic; no time zone is involved).
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

// "YYYY-MM-DD HH:MM:SS" as if it were UTC.
std::optional<int64_t> WallClockSeconds(const std::string& text) {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, used = 0;
  if (std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%n", &year, &month, &day, &hour, &minute, &second, &used) !=
          6 ||
      used != static_cast<int>(text.size()))
    return std::nullopt;
  if (month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 60) return std::nullopt;
  return DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) * 86400 + hour * 3600 +
         minute * 60 + second;
}

std::optional<int64_t> UnixSeconds(const std::string& text) {
  if (text.empty() || text.size() > 12 || text.find_first_not_of("0123456789") != std::string::npos)
    return std::nullopt;
  return std::strtoll(text.c_str(), nullptr, 10);
}

}  // namespace

int32_t RoundToQuarterHour(int64_t seconds) {
  const int64_t half = kQuarterHour / 2;
  const int64_t quarters = seconds >= 0 ? (seconds + half) / kQuarterHour : -((-seconds + half) / kQuarterHour);
  return static_cast<int32_t>(quarters * kQuarterHour);
}

std::optional<int32_t> PanelUtcOffset(std::string_view answer) {
  const auto unix = UnixSeconds(JsonScan::TextValue(answer, "timestamp_now"));
  const auto wall = WallClockSeconds(JsonScan::TextValue(answer, "time_now"));
  if (!unix || !wall) return std::nullopt;
  const int32_t offset = RoundToQuarterHour(*wall - *unix);
  if (offset > kWidestOffset || offset < -kWidestOffset) return std::nullopt;
  return offset;
}

std::optional<int32_t> FetchPanelUtcOffset(const XtreamAccount& account) {
  if (!account.IsXtream) return std::nullopt;
  const HttpClient::HttpReply reply = HttpClient::FetchGet(AccountInfoUrl(account), kAccountTimeoutMs, kAccountCap);
  if (!reply.whole()) return std::nullopt;
  return PanelUtcOffset(reply.body);
}

std::u16string PanelClocks::KeyOf(const XtreamAccount& account) { return account.Server + u"\n" + account.User; }

std::optional<int32_t> PanelClocks::OffsetFor(const XtreamAccount& account) const {
  const auto it = offsets.find(KeyOf(account));
  if (it == offsets.end()) return std::nullopt;
  return it->second;
}

bool PanelClocks::BeginAsking(const XtreamAccount& account) {
  if (!account.IsXtream) return false;
  return asked.insert(KeyOf(account)).second;
}
