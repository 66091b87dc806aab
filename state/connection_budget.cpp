#include "state/connection_budget.h"

#include <algorithm>

#include "store/runtime_log.h"

std::optional<int> ConnectionBudget::Slots() const {
  const std::optional<int32_t> limit = limit_ ? limit_() : std::nullopt;
  if (!limit || *limit <= 0) return std::nullopt;
  return int(*limit);
}

bool ConnectionBudget::Take(std::string_view owner) {
  if (Holds(owner)) return true;
  if (Free() <= 0) return false;
  holders_.emplace_back(owner);
  Log("take", owner);
  return true;
}

void ConnectionBudget::Give(std::string_view owner) {
  const auto found = std::find(holders_.begin(), holders_.end(), owner);
  if (found == holders_.end()) return;
  holders_.erase(found);
  Log("give", owner);
}

bool ConnectionBudget::Holds(std::string_view owner) const {
  return std::find(holders_.begin(), holders_.end(), owner) != holders_.end();
}

int ConnectionBudget::Free() const {
  const std::optional<int> slots = Slots();
  if (!slots) return INT_MAX;
  return std::max(0, *slots - Held());
}

void ConnectionBudget::Log(const char* verb, std::string_view owner) const {
  const std::optional<int> slots = Slots();
  const std::string limit = slots ? std::to_string(*slots) : std::string("-");
  WriteLogF(160, "conn %s %.*s %d/%s", verb, int(owner.size()), owner.data(), Held(), limit.c_str());
}
