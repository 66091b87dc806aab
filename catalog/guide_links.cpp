#include "catalog/guide_links.h"

#include <string_view>
#include <unordered_set>

#include "catalog/guide_match.h"
#include "catalog/guide_past.h"
#include "net/text.h"

namespace {

// "null" is what a JSON null becomes in the catalog: no guide id.
bool HasGuideId(std::u16string_view id) { return !id.empty() && id != u"null"; }

}  // namespace

GuideLinker::GuideLinker(SharedItems live, const GuideMapFile& map, const std::string& accountKey,
                         std::vector<std::string> sourceKeys)
    : live_(std::move(live)), sourceKeys_(std::move(sourceKeys)) {
  const size_t count = live_ ? live_->size() : 0;
  linkedBy_.assign(count, kFree);
  kind_.assign(count, GuideLinkKind::GuideId);
  guideId_.resize(count);
  if (!live_) return;
  std::unordered_map<std::u16string_view, size_t> indexOf;
  for (const GuideAssignment& a : map.assignments)
    if (a.account == accountKey) indexOf.emplace(a.streamId, 0);
  if (indexOf.empty()) return;
  for (size_t i = 0; i < count; ++i) {
    const auto it = indexOf.find((*live_)[i].id());
    if (it == indexOf.end()) continue;
    const GuideAssignment* a = map.Find(accountKey, it->first);
    chosen_.emplace(i, *a);
    if (a->NoGuide()) linkedBy_[i] = kNoGuide;
  }
}

void GuideLinker::LinkSource(size_t source, const GuideChannelDirectory& directory, GuideChannelSet& channels) {
  if (!live_ || source >= sourceKeys_.size()) return;
  const auto s = static_cast<uint8_t>(source);
  for (size_t i = 0; i < linkedBy_.size(); ++i)
    if (linkedBy_[i] == s) linkedBy_[i] = kFree;
  std::erase_if(unsure_, [s](const auto& entry) { return entry.second.source == s; });

  std::unordered_set<std::string_view> listed;
  listed.reserve(directory.size());
  for (const GuideChannelInfo& info : directory) listed.insert(info.id);
  const auto link = [&](size_t i, GuideLinkKind how, std::string_view id) {
    linkedBy_[i] = s;
    kind_[i] = how;
    guideId_[i] = Utf8ToWide(id);
    channels.Add(id);
  };

  // The user's choices and the guide ids first; the rest by name.
  std::vector<size_t> byName;
  std::vector<std::u16string_view> names;
  for (size_t i = 0; i < linkedBy_.size(); ++i) {
    if (linkedBy_[i] != kFree) continue;
    if (const auto it = chosen_.find(i); it != chosen_.end()) {
      if (it->second.source == sourceKeys_[source]) link(i, GuideLinkKind::Chosen, it->second.guideId);
      continue;
    }
    const CatalogItem& item = (*live_)[i];
    const std::string id = HasGuideId(item.epgChannelId()) ? WideToUtf8(item.epgChannelId()) : std::string();
    if (!id.empty() && listed.contains(id)) {
      link(i, GuideLinkKind::GuideId, id);
      continue;
    }
    // A guide may list programmes for ids it names no <channel> for: the
    // id is read too, and wins over a name once it proves to have some.
    if (!id.empty()) channels.Add(id);
    byName.push_back(i);
    names.push_back(item.name());
  }
  if (byName.empty() || directory.empty()) return;

  std::vector<GuideChannelName> guideNames;
  guideNames.reserve(directory.size());
  for (const GuideChannelInfo& info : directory) guideNames.push_back({info.id, info.displayNames});
  const GuideNameMatcher matcher(guideNames);
  const std::vector<GuideMatch> matches = matcher.MatchAll(std::span<const std::u16string_view>(names));
  for (size_t k = 0; k < byName.size(); ++k) {
    const GuideMatch& m = matches[k];
    if (m.kind == GuideMatchKind::None) continue;
    const GuideChannelInfo& info = directory[m.channel];
    if (m.kind == GuideMatchKind::Unsure) {
      // The first source's candidate is offered; a later one adds nothing.
      unsure_.try_emplace(byName[k], Unsure{s, m.score, info.id,
                                            info.displayNames.empty() ? info.id : info.displayNames.front()});
      continue;
    }
    link(byName[k], GuideLinkKind::SameName, info.id);
  }
}

void GuideLinker::Settle(size_t source, const WholeGuide* guide) {
  const auto s = static_cast<uint8_t>(source);
  for (size_t i = 0; i < linkedBy_.size(); ++i) {
    const bool open = linkedBy_[i] == kFree || (linkedBy_[i] == s && kind_[i] == GuideLinkKind::SameName);
    const std::u16string_view ownId = (*live_)[i].epgChannelId();
    if (guide && open && !chosen_.contains(i) && HasGuideId(ownId) && !guide->ProgrammesOf(ownId).empty()) {
      linkedBy_[i] = s;
      kind_[i] = GuideLinkKind::GuideId;
      guideId_[i] = std::u16string(ownId);
      continue;
    }
    if (linkedBy_[i] != s || kind_[i] == GuideLinkKind::Chosen) continue;
    if (guide && !guide->ProgrammesOf(std::u16string_view(guideId_[i])).empty()) continue;
    linkedBy_[i] = kFree;
    guideId_[i].clear();
  }
}

std::shared_ptr<const GuideLinksOfStream> GuideLinker::Links() const {
  auto links = std::make_shared<GuideLinksOfStream>();
  for (size_t i = 0; i < linkedBy_.size(); ++i) {
    if (linkedBy_[i] >= kNoGuide) continue;
    const CatalogItem& item = (*live_)[i];
    const auto days = static_cast<int8_t>(PastArchiveDays(item.tvArchive(), 0));
    links->emplace(std::u16string(item.id()), GuideLink{linkedBy_[i], kind_[i], days, guideId_[i]});
  }
  return links;
}

std::vector<GuideReviewItem> GuideLinker::Review() const {
  std::vector<GuideReviewItem> review;
  for (size_t i = 0; i < linkedBy_.size(); ++i) {
    const auto it = unsure_.find(i);
    if (linkedBy_[i] != kFree || it == unsure_.end()) continue;
    const Unsure& u = it->second;
    review.push_back({std::u16string((*live_)[i].id()), std::u16string((*live_)[i].name()), u.source, u.guideId,
                      u.guideName, u.score});
  }
  return review;
}

GuideLinkCounts GuideLinker::Counts() const {
  GuideLinkCounts counts;
  for (size_t i = 0; i < linkedBy_.size(); ++i) {
    if (linkedBy_[i] == kNoGuide) {
      ++counts.noGuide;
    } else if (linkedBy_[i] == kFree) {
      ++(unsure_.contains(i) ? counts.unsure : counts.none);
    } else if (kind_[i] == GuideLinkKind::Chosen) {
      ++counts.chosen;
    } else {
      ++(kind_[i] == GuideLinkKind::GuideId ? counts.byId : counts.byName);
    }
  }
  return counts;
}
