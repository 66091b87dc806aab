#include "player/playback.h"

#include "state/app_state.h"
#include "store/runtime_log.h"
#include "catalog/account.h"
#include "net/text.h"
#include "player/media_engine.h"
#include "store/collections.h"

namespace {

constexpr uint64_t kRepeatGuardMs = 750;

}  // namespace

std::string_view PlaybackUserAgent(const Settings& settings) {
  return settings.InternalPlayer == 1 ? "VLC/3.0.20 LibVLC/3.0.20" : "Vistra43/4.3";
}

int SubtitleFontSize(int32_t subSize) {
  if (subSize == 0) return 22;
  if (subSize == 2) return 48;
  return 32;
}

std::string_view SubtitleColor(int32_t subColor) {
  switch (subColor) {
    case 1: return "#FFFF00";
    case 2: return "#00FFFF";
    case 3: return "#00FF00";
    case 4: return "#FF4444";
    default: return "#FFFFFF";
  }
}

void LoadWithPreferences(MediaEngine& engine, const Settings& settings, const std::u16string& url, bool resolved) {
  engine.SetProperty("user-agent", PlaybackUserAgent(settings));
  if (resolved) engine.LoadResolvedUrl(url);
  else engine.LoadUrl(url);
  engine.SetVolume(settings.Volume);
  engine.SetSubtitleSize(SubtitleFontSize(settings.SubSize));
  engine.SetSubtitleVisible(settings.SubVisible);
  engine.SetSubtitleColor(SubtitleColor(settings.SubColor));
}

bool PlayLive(AppState& state, MediaEngine& engine, uint64_t nowMs, const LiveCallbacks& callbacks) {
  NavState& nav = state.nav;
  if (nav.ChannelIndex < 0 || nav.ChannelIndex >= static_cast<int>(state.VisibleLive.size())) return false;
  const CatalogItem& channel = state.VisibleLive[nav.ChannelIndex];
  PlaybackState& playback = state.playback;
  playback.currentChannel = channel;
  playback.isEpisode = false;
  // Live leaves no movie or episode behind: the strips and the back key
  // tell the two apart by the item.
  playback.currentItem = CatalogItem();
  playback.itemKey.clear();
  playback.resumeSeconds = 0;
  const std::u16string url = LiveStreamUrl(state.account, channel.id(), state.settings.LiveFormat);
  playback.currentChannelUrl = url;

  const bool repeat = channel.id() == playback.lastChannelId && url == playback.lastUrl &&
                      nowMs - playback.lastLiveLoadTick < kRepeatGuardMs;
  if (callbacks.requestGuide) callbacks.requestGuide(channel.id());
  if (repeat) {
    if (state.CurrentScreen == Screen::Player) engine.RemoveOverlay(1);
    return false;
  }
  LoadWithPreferences(engine, state.settings, url);
  playback.playStartTick = playback.lastLiveLoadTick = nowMs;
  playback.lastUrl = url;
  playback.lastChannelId = std::u16string(channel.id());
  state.CurrentChannelId = playback.lastChannelId;
  if (state.CurrentScreen == Screen::Player) engine.RemoveOverlay(1);
  WriteLogF(768, "play live id=%s name=%s url=%s", WideToUtf8(channel.id()).c_str(), WideToUtf8(channel.name()).c_str(),
            WideToUtf8(url).c_str());
  PushHistory(state.settings.HistoryLive, channel.id());
  state.SettingsDirty = true;
  return true;
}
