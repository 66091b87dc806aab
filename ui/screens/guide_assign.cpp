#include "ui/screens/guide_assign.h"

#include <span>

#include "catalog/guide.h"
#include "catalog/guide_match.h"
#include "i18n/translate.h"
#include "net/text.h"
#include "platform/clock.h"
#include "state/app_state.h"
#include "ui/screens/guide_text.h"

namespace {

constexpr uint64_t kNoticeMs = 3000;

// A source's name in the list: the provider's own, or the host of its URL.
std::u16string SourceLabel(const GuideSourceHeld& source) {
  return source.key.empty() ? std::u16string(Translate("guide_provider")) : UrlHost(source.key);
}

std::u16string OnNow(const WholeGuide* guide, std::string_view guideId, int64_t now) {
  if (!guide) return {};
  const std::span<const GuideSlot> slots = guide->Overlapping(guideId, now, now + 1);
  if (slots.empty()) return {};
  return GuideClockText(guide->StartOf(slots.front())) + u"  " + Utf8ToWide(guide->TitleOf(slots.front()));
}

}  // namespace

GuideAssignList GuideAssignListFor(const AppState& state, std::u16string_view streamId,
                                   std::u16string_view channelName, int64_t now) {
  GuideAssignList list;
  list.ask.channelName = std::u16string(channelName);
  const GuideAssignment* choice = state.guideMap.Find(AccountKey(state.account), streamId);
  list.ask.hasChoice = choice != nullptr;
  const GuideLink* link = state.wholeGuide.LinkOf(streamId);
  const std::string name = WideToUtf8(channelName);
  const auto& sources = state.wholeGuide.sources;
  for (size_t s = 0; s < sources.size(); ++s) {
    if (!sources[s].channels) continue;
    const GuideChannelDirectory& directory = *sources[s].channels;
    std::vector<GuideChannelName> names;
    names.reserve(directory.size());
    for (const GuideChannelInfo& info : directory) names.push_back({info.id, info.displayNames});
    std::vector<bool> suggested(directory.size(), false);
    for (const GuideSuggestion& hint : GuideNameMatcher(names).Suggest(name, kGuideSuggestionsPerSource))
      suggested[hint.channel] = true;
    const std::u16string label = SourceLabel(sources[s]);
    const WholeGuide* guide = sources[s].guide.get();
    for (size_t i = 0; i < directory.size(); ++i) {
      const GuideChannelInfo& info = directory[i];
      if (link && link->source == s && link->guideId == Utf8ToWide(info.id))
        list.ask.current = static_cast<int>(list.ask.rows.size());
      list.ask.rows.push_back({Utf8ToWide(info.displayNames.empty() ? info.id : info.displayNames.front()),
                               OnNow(guide, info.id, now), label, suggested[i]});
      list.refs.push_back({static_cast<uint8_t>(s), info.id});
    }
  }
  return list;
}

bool AssignGuide(ScreenContext& ctx, std::u16string_view streamId, std::u16string_view channelName) {
  GuideAssignList list = GuideAssignListFor(ctx.state, streamId, channelName, NowUnix());
  if (list.ask.rows.empty()) {
    ShowNotice(ctx.state, std::u16string(Translate("no_guide_held")), kNoticeMs);
    return false;
  }
  const std::vector<GuideAssignList::Ref> refs = std::move(list.refs);
  const GuidePickerAnswer answer = OpenGuidePicker(ctx.modal, std::move(list.ask));
  switch (answer.kind) {
    case GuidePickerAnswer::Cancelled: return false;
    case GuidePickerAnswer::NoGuide: ctx.guides.ChooseNoGuide(streamId); return true;
    case GuidePickerAnswer::ByName: ctx.guides.ForgetGuideChoice(streamId); return true;
    case GuidePickerAnswer::Row: break;
  }
  if (answer.row < 0 || static_cast<size_t>(answer.row) >= refs.size()) return false;
  const GuideAssignList::Ref& ref = refs[answer.row];
  ctx.guides.ChooseGuide(streamId, ctx.state.wholeGuide.sources[ref.source].key, ref.guideId);
  return true;
}
