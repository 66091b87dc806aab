#include "ui/screens/live_actions.h"

#include <algorithm>
#include <unordered_map>

#include "catalog/channel_choice.h"
#include "catalog/special_categories.h"
#include "catalog/visible_list.h"
#include "i18n/translate.h"
#include "net/text.h"
#include "store/collections.h"
#include "store/id_set.h"
#include "store/runtime_log.h"
#include "ui/modals/option_picker.h"
#include "ui/modals/pin_gate.h"
#include "ui/modals/text_prompt.h"
#include "ui/nav/navigator.h"
#include "ui/screens/guide_assign.h"
#include "ui/screens/guide_text.h"
#include "ui/screens/live_layout.h"

namespace {

constexpr uint64_t kNoticeMs = 2500;
constexpr uint64_t kNameNoticeMs = 2500;
constexpr uint64_t kNumberNoticeMs = 1800;

bool ValidChannel(const AppState& state) {
  return state.nav.ChannelIndex >= 0 && state.nav.ChannelIndex < int(state.VisibleLive.size());
}

const CatalogItem& SelectedChannel(const AppState& state) { return state.VisibleLive[size_t(state.nav.ChannelIndex)]; }

bool Contains(const IdList& list, std::u16string_view id) { return std::find(list.begin(), list.end(), id) != list.end(); }

// The index of "Recently Viewed" among the live categories, or -1.
int RecentCategory(const AppState& state) {
  const auto& categories = state.catalog.LiveCategories;
  const auto recent = std::find_if(categories.begin(), categories.end(),
                                   [](const Category& c) { return c.id == SpecialCategory::Recent; });
  return recent == categories.end() ? -1 : int(recent - categories.begin());
}

// A toggle's notice; the toggle changed the settings, which are saved.
void SavedNotice(ScreenContext& ctx, std::string_view key) {
  ShowNotice(ctx.state, std::u16string(Translate(key)), kNoticeMs);
  ctx.window.SaveSettingsNow();
}

// After the selected channel was locked: when it plays and may no longer
// play without the PIN, it stops, and the Player goes back to the list.
void WithholdLockedChannel(ScreenContext& ctx) {
  AppState& state = ctx.state;
  if (!SelectedChannelPlays(state) || ChannelOpen(state, SelectedChannel(state))) return;
  ctx.playback.StopPlayback();
  if (state.CurrentScreen == Screen::Player) ctx.playback.LeavePlayer();
}

}  // namespace

bool SelectedChannelPlays(const AppState& state) {
  const std::u16string& playing = state.Playing().lastChannelId;
  return ValidChannel(state) && !playing.empty() && SelectedChannel(state).id() == playing;
}

void StopUnlessVideoStays(ScreenContext& ctx, Screen to) {
  if (to != Screen::Live && to != Screen::Player && to != Screen::Grid && to != Screen::MultiView)
    ctx.playback.StopPlayback();
}

void ToggleLiveFavorite(ScreenContext& ctx) {
  if (!ValidChannel(ctx.state)) return;
  SavedNotice(ctx, ToggleFavoriteId(ctx.state.settings.FavLive, SelectedChannel(ctx.state).id()));
}

void ToggleLiveLock(ScreenContext& ctx) {
  AppState& state = ctx.state;
  if (!ValidChannel(state)) return;
  const std::u16string id(SelectedChannel(state).id());
  const bool unlocking = Contains(state.settings.LockCh, id);
  if (unlocking && !UnlockAllowed(PinPrompt(ctx.modal), state)) return;
  SavedNotice(ctx, ToggleChannelLockId(state.settings.LockCh, id));
  if (!unlocking) WithholdLockedChannel(ctx);
}

void OpenChannelMenu(ScreenContext& ctx) {
  if (!ValidChannel(ctx.state)) return;
  const CatalogItem channel = SelectedChannel(ctx.state);
  std::vector<std::u16string> options = {std::u16string(Translate("assign_guide")), ReviewButtonText(ctx.state),
                                         std::u16string(Translate("guide_sources"))};
  switch (OpenPicker(ctx.modal, std::u16string(channel.name()), std::move(options), 0)) {
    case 0: AssignGuide(ctx, channel.id(), channel.name()); return;
    case 1: ctx.navigator.SetScreen(Screen::GuideReview); return;
    case 2: ctx.navigator.SetScreen(Screen::GuideSources); return;
    default: return;
  }
}

void ToggleRecordShown(ScreenContext& ctx) {
  const CatalogItem& channel = ctx.state.Playing().currentChannel;
  if (!channel.id().empty()) ctx.recording.ToggleRecordNow(channel);
}

int ChannelNumberEntry(AppState& state, int digit, uint64_t nowMs) {
  NavState& nav = state.nav;
  if (digit < 0 || digit > 9) return -1;
  AddNumberDigit(nav.NumberBuffer, nav.NumberTime, digit, nowMs);
  ShowNotice(state, TranslateWith("channel_number", nav.NumberBuffer), kNumberNoticeMs, nowMs);
  const int row = ChannelWithNumber(state.VisibleLive, nav.NumberBuffer);
  if (row >= 0) nav.ChannelIndex = row;
  return row;
}

void EnterChannelDigit(ScreenContext& ctx, int digit) {
  AppState& state = ctx.state;
  const int row = ChannelNumberEntry(state, digit, ctx.nowMs);
  if (row < 0) return;
  if (state.CurrentScreen != Screen::Live && state.CurrentScreen != Screen::Player) {
    ctx.navigator.SetScreen(Screen::Live);
    state.nav.ChannelIndex = row;
  }
  if (!ctx.playback.PlaySelectedChannel(LiveStart::Chosen, false)) return;
  if (state.CurrentScreen == Screen::Player) ShowNotice(state, std::u16string(SelectedChannel(state).name()), kNameNoticeMs);
}

void PlayChosenChannel(ScreenContext& ctx) {
  if (!ctx.playback.PlaySelectedChannel(LiveStart::Chosen, true)) return;
  if (SelectedChannelPlays(ctx.state)) ctx.playback.EnterFullVideo();
}

void ShowRecentChannel(ScreenContext& ctx, std::u16string_view id) {
  AppState& state = ctx.state;
  NavState& nav = state.nav;
  const int recent = RecentCategory(state);
  nav.live.ActiveGroup = -1;
  if (recent >= 0) nav.live.LiveCategoryIndex = recent;
  state.ChannelPinPassed = false;  // "Recently Viewed" is no locked category
  nav.LiveFocus = 1;
  ctx.navigator.SetScreen(Screen::Live);
  const int row = state.VisibleLive.find(id);
  if (row < 0) return;
  nav.ChannelIndex = row;
  ctx.playback.PlaySelectedChannel(LiveStart::Chosen, true);
  KeepLiveSelectionInView(state, ctx.width, ctx.height);
}

std::optional<std::u16string> AskGroupName(ScreenContext& ctx) {
  TextPrompt prompt;
  prompt.title = std::u16string(Translate("new_group"));
  prompt.label = std::u16string(Translate("name"));
  return AskTextOrCancel(ctx.modal, std::move(prompt));
}

void CreateGroupFromPrompt(ScreenContext& ctx) {
  AppState& state = ctx.state;
  const std::optional<std::u16string> name = AskGroupName(ctx);
  if (!name) return;
  const std::u16string_view selected = ValidChannel(state) ? SelectedChannel(state).id() : std::u16string_view();
  const int index = CreateGroup(state.settings.Groups, *name, selected, state.LastLiveChannelId);
  if (index < 0) return;
  state.nav.GroupIndex = index;
  ctx.window.SaveSettingsNow();
  WriteLogF(512, "group created name=%s", WideToUtf8(*name).c_str());
}

void OpenGrid(ScreenContext& ctx) { ctx.navigator.SetScreen(Screen::Grid); }

void OpenMultiView(ScreenContext& ctx) {
  if (ctx.playback.MultiView().Open()) ctx.navigator.SetScreen(Screen::MultiView);
}

void OpenLiveHistory(ScreenContext& ctx) {
  AppState& state = ctx.state;
  GatherLiveHistory(state);
  state.nav.ListIndex = 0;
  state.nav.HistoryOpen = true;
  state.StatusText = std::u16string(Translate("live_history"));
  ctx.navigator.SetScreen(Screen::Catchup);
}

void GatherLiveHistory(AppState& state) {
  state.LiveHistoryChannels.clear();
  const SharedItems& items = state.catalog.LiveChannels;
  if (!items) return;
  // One pass over the catalog for the whole history, not one per entry.
  const IdSet wanted(state.settings.HistoryLive);
  std::unordered_map<std::u16string_view, const CatalogItem*> found;
  for (const CatalogItem& item : *items) {
    if (wanted.contains(item.id())) found.try_emplace(item.id(), &item);
  }
  // The history repeats a channel each time it is watched; the view names
  // each once, where it was watched last.
  for (const std::u16string& id : state.settings.HistoryLive) {
    const auto it = found.find(id);
    if (it == found.end() || !it->second) continue;
    state.LiveHistoryChannels.push_back(*it->second);
    it->second = nullptr;
  }
}

std::u16string_view PreviousChannelId(const AppState& state) {
  for (const std::u16string& id : state.settings.HistoryLive) {
    if (id != state.LastLiveChannelId) return id;
  }
  return {};
}

namespace {

int CategoryIndex(const AppState& state, std::u16string_view id) {
  const auto& categories = state.catalog.LiveCategories;
  const auto found = std::find_if(categories.begin(), categories.end(), [&](const Category& c) { return c.id == id; });
  return found == categories.end() ? -1 : int(found - categories.begin());
}

// Selects channel `id` in the list shown, else in the special category
// `fallback` (the list switches to it); false, nothing changed, when
// neither holds it.
bool SelectChannelIn(AppState& state, std::u16string_view id, std::u16string_view fallback) {
  NavState& nav = state.nav;
  int row = state.VisibleLive.find(id);
  if (row < 0) {
    const int category = CategoryIndex(state, fallback);
    if (category < 0) return false;
    const LiveListSelection before = nav.live;
    nav.live.ActiveGroup = -1;
    nav.live.LiveCategoryIndex = category;
    RebuildLiveList(state.catalog, state.settings, nav.live, state.VisibleLive);
    row = state.VisibleLive.find(id);
    if (row < 0) {
      nav.live = before;
      RebuildLiveList(state.catalog, state.settings, nav.live, state.VisibleLive);
      return false;
    }
    state.ChannelPinPassed = false;  // the gate asks again in the new list
    nav.ChannelScroll = 0;
  }
  nav.ChannelIndex = row;
  return true;
}

}  // namespace

bool SelectPreviousChannel(AppState& state) {
  const std::u16string id(PreviousChannelId(state));
  return !id.empty() && SelectChannelIn(state, id, SpecialCategory::Recent);
}

bool SelectChannelById(AppState& state, std::u16string_view id) {
  return !id.empty() && SelectChannelIn(state, id, SpecialCategory::All);
}
