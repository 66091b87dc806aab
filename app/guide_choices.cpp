#include "app/guide_choices.h"

#include <algorithm>
#include <memory>

#include "app/guide_jobs.h"
#include "catalog/guide_past.h"
#include "net/text.h"
#include "state/app_state.h"
#include "store/runtime_log.h"

namespace {

// The index of the held source `key` names, or -1.
int SourceIndex(const WholeGuideHeld& held, const std::string& key) {
  for (size_t i = 0; i < held.sources.size(); ++i)
    if (held.sources[i].key == key) return static_cast<int>(i);
  return -1;
}

int32_t ChannelArchive(const AppState& state, std::u16string_view streamId) {
  if (!state.catalog.LiveChannels) return 0;
  for (const CatalogItem& item : *state.catalog.LiveChannels)
    if (item.id() == streamId) return item.tvArchive();
  return 0;
}

}  // namespace

void GuideChoices::ChooseGuide(std::u16string_view streamId, const std::string& sourceKey, const std::string& guideId) {
  if (guideId.empty()) return;
  GuideAssignment choice{AccountKey(state_.account), std::u16string(streamId), sourceKey, guideId};
  state_.guideMap.Set(choice);
  Changed(streamId, &choice);
}

void GuideChoices::ChooseNoGuide(std::u16string_view streamId) {
  GuideAssignment choice{AccountKey(state_.account), std::u16string(streamId), "", ""};
  state_.guideMap.Set(choice);
  Changed(streamId, &choice);
}

void GuideChoices::ForgetGuideChoice(std::u16string_view streamId) {
  if (!state_.guideMap.Forget(AccountKey(state_.account), streamId)) return;
  Changed(streamId, nullptr);
}

void GuideChoices::Changed(std::u16string_view streamId, const GuideAssignment* choice) {
  SaveGuideMap(state_.guideMap);
  WholeGuideHeld& held = state_.wholeGuide;
  auto links = held.links ? std::make_shared<GuideLinksOfStream>(*held.links) : std::make_shared<GuideLinksOfStream>();
  const std::u16string id(streamId);
  const GuideLink before = held.LinkOf(streamId) ? *held.LinkOf(streamId) : GuideLink{};
  links->erase(id);
  const int source = choice ? SourceIndex(held, choice->source) : -1;
  if (choice && !choice->NoGuide() && source >= 0) {
    const int8_t days = before.archiveDays ? before.archiveDays
                                           : static_cast<int8_t>(PastArchiveDays(ChannelArchive(state_, streamId), 0));
    links->emplace(id, GuideLink{static_cast<uint8_t>(source), GuideLinkKind::Chosen, days, Utf8ToWide(choice->guideId)});
  }
  held.links = std::move(links);
  std::erase_if(state_.guideReview, [&](const GuideReviewItem& item) { return item.streamId == streamId; });
  state_.guide.Forget(streamId);
  WriteLogF(512, "guide choice id=%s source=%d guide=%s", WideToUtf8(streamId).c_str(), choice ? source : -1,
            choice ? (choice->NoGuide() ? "none" : choice->guideId.c_str()) : "by-name");
  StartGuideJob(state_, mailbox_, streamId);
  ReadGuidesAgain(state_, mailbox_);
}

void GuideChoices::SetGuideSources(std::vector<GuideSourcePreference> sources, int providerOffsetHours) {
  Preferences& p = state_.preferences;
  const bool offsetChanged = p.providerGuideOffsetHours != providerOffsetHours;
  p.guideSources = std::move(sources);
  p.providerGuideOffsetHours = providerOffsetHours;
  SavePreferences(p);
  WriteLogF(160, "guide sources=%zu offset=%d", p.guideSources.size(), providerOffsetHours);
  // The provider's answers held were moved by the offset they came with.
  if (offsetChanged) state_.guide.Clear();
  ReadGuidesAgain(state_, mailbox_);
}
