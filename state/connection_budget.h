#pragma once
// ConnectionBudget: how many streams the provider's line may have open at
// once, and who holds them. Providers count a stream from the moment its
// connection opens until it closes, and ban a line that goes over its limit
// even for a moment; so every stream the program opens (each Player, and
// anything else that reads a stream) takes a slot before it connects and
// gives it back only once its connection is really closed.
//
// An owner is a name ("main", "tile2", ...): it holds at most one slot, so a
// switch of what an owner plays keeps the slot it has. The limit is read at
// each Take from the limit source: the line's max_connections when the
// account answer told it; none, 0 or less (some panels write 0 for
// unlimited) leaves the streams unbounded.
//
// Each slot taken and given back writes one runtime-log line:
// "conn take <owner> <held>/<limit>" and "conn give <owner> <held>/<limit>"
// ("-" for no limit). Main thread only.
#include <climits>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The owners of recorders' slots are this prefix and the recording's id.
inline constexpr std::string_view kRecorderOwnerPrefix = "rec-";

class ConnectionBudget {
 public:
  using LimitSource = std::function<std::optional<int32_t>()>;

  void SetLimitSource(LimitSource source) { limit_ = std::move(source); }
  // The slots in all; none when there is no limit.
  std::optional<int> Slots() const;

  // True when `owner` holds a slot afterwards: one it held already, or a
  // free one. False, with nothing taken, when every slot is held.
  bool Take(std::string_view owner);
  // Gives back the slot of `owner`; nothing when it holds none.
  void Give(std::string_view owner);

  bool Holds(std::string_view owner) const;
  const std::vector<std::string>& Holders() const { return holders_; }
  int Held() const { return int(holders_.size()); }
  // The slots nobody holds (INT_MAX without a limit; 0 when the limit was
  // lowered below what is held).
  int Free() const;

 private:
  void Log(const char* verb, std::string_view owner) const;

  LimitSource limit_;
  std::vector<std::string> holders_;
};
