#pragma once
// The provider panel's clock. Panels read the start time of an archive URL
// in their own time zone, which need not be the viewer's: a panel in
// UTC+3 replays the wrong hours when asked in local time. The account
// answer of player_api.php (no action) tells the panel's time twice: as a
// Unix time ("timestamp_now") and as its wall-clock text ("time_now",
// "YYYY-MM-DD HH:MM:SS" in the panel's zone); the difference is the panel's
// UTC offset.
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "catalog/account.h"

// Zones lie on quarter hours; the answer's two values are read a moment
// apart and either may be rounded, so the difference is rounded to the
// nearest 15 minutes (half-way rounds away from zero).
int32_t RoundToQuarterHour(int64_t seconds);

// The panel's UTC offset in seconds from an account answer; nothing when it
// lacks either value, when they are malformed, or when the offset lies
// outside -14..+14 hours (no zone does: the panel's clock is simply wrong).
std::optional<int32_t> PanelUtcOffset(std::string_view answer);

// Fetches the account answer and reads the offset from it. Blocks for up
// to 10 s: job threads only. Nothing when the account is no Xtream account
// or the answer is unusable.
std::optional<int32_t> FetchPanelUtcOffset(const XtreamAccount& account);

// The panel clocks read so far, per account (server and user). Main thread.
struct PanelClocks {
  std::map<std::u16string, int32_t> offsets;  // seconds east of UTC
  std::set<std::u16string> asked;             // fetched or being fetched

  static std::u16string KeyOf(const XtreamAccount& account);
  std::optional<int32_t> OffsetFor(const XtreamAccount& account) const;
  // True (and the account noted as asked) when no fetch was made for it yet.
  bool BeginAsking(const XtreamAccount& account);
};
