#include "store/collections.h"

#include <algorithm>

#include "store/id_set.h"

namespace {

bool ContainsId(const IdList& list, std::u16string_view id) {
  return std::find(list.begin(), list.end(), id) != list.end();
}

// Removes every copy of `id`; returns whether there was one.
bool EraseId(IdList& list, std::u16string_view id) { return std::erase(list, id) != 0; }

}  // namespace

std::string_view ToggleFavoriteId(IdList& favorites, std::u16string_view id) {
  if (EraseId(favorites, id)) return "fav_rem";
  favorites.insert(favorites.begin(), std::u16string(id));
  return "fav_add";
}

std::string_view ToggleChannelLockId(IdList& lockedChannels, std::u16string_view id) {
  if (EraseId(lockedChannels, id)) return "unlocked";
  lockedChannels.emplace_back(id);
  return "locked";
}

void PushHistory(IdList& history, std::u16string_view id) {
  history.insert(history.begin(), std::u16string(id));
  if (history.size() > kHistoryLimit) history.resize(kHistoryLimit);
}

void SetResumePosition(ResumeMap& resume, std::u16string_view key, int32_t ms) {
  if (key.empty() || ms < 1) {
    ClearResumePosition(resume, key);
    return;
  }
  resume.insert_or_assign(std::u16string(key), ms);
}

void ClearResumePosition(ResumeMap& resume, std::u16string_view key) { resume.erase(std::u16string(key)); }

std::optional<int32_t> ResumeOffer(const ResumeMap& resume, std::u16string_view key) {
  const auto found = resume.find(std::u16string(key));
  if (found == resume.end() || found->second <= kResumeOfferAboveMs) return std::nullopt;
  return found->second;
}

void ToggleHiddenId(IdList& hidden, std::u16string_view id) {
  if (!EraseId(hidden, id)) hidden.emplace_back(id);
}

int CreateGroup(std::vector<ChannelGroup>& groups, std::u16string_view name, std::u16string_view selectedChannelId,
                std::u16string_view currentChannelId) {
  if (name.empty()) return -1;
  ChannelGroup group{std::u16string(name), {}};
  const std::u16string_view first = !selectedChannelId.empty() ? selectedChannelId : currentChannelId;
  if (!first.empty()) group.ids.emplace_back(first);
  groups.push_back(std::move(group));
  return static_cast<int>(groups.size()) - 1;
}

bool AddChannelToGroup(ChannelGroup& group, std::u16string_view currentChannelId) {
  if (currentChannelId.empty() || ContainsId(group.ids, currentChannelId)) return false;
  group.ids.emplace_back(currentChannelId);
  return true;
}

int DeleteGroup(std::vector<ChannelGroup>& groups, int index, int selection) {
  if (index >= 0 && static_cast<size_t>(index) < groups.size()) groups.erase(groups.begin() + index);
  const int count = static_cast<int>(groups.size());
  if (count == 0) return 0;
  return std::clamp(selection, 0, count - 1);
}
