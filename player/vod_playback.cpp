#include "player/vod_playback.h"

#include <cmath>
#include <cstdio>

#include "catalog/account.h"
#include "net/text.h"
#include "player/media_engine.h"
#include "player/playback.h"
#include "state/app_state.h"
#include "store/collections.h"
#include "store/runtime_log.h"
#include "i18n/translate.h"

namespace {

constexpr uint64_t kResumeNoticeMs = 2800;
constexpr uint64_t kNextEpisodeNoticeMs = 2000;
constexpr uint64_t kSeasonEndNoticeMs = 2500;
constexpr double kResumeMinimumSeconds = 8.0;
constexpr double kEndMarginSeconds = 20.0;
constexpr double kShortFileSeconds = 30.0;
constexpr int64_t kResumeSameWithinMs = 4000;

bool ReadSeconds(const MediaEngine& engine, std::string_view name, double& out) {
  const std::string text = WideToUtf8(engine.GetProperty(name));
  if (text.empty()) return false;
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (end == text.c_str() || !std::isfinite(value)) return false;
  out = value;
  return true;
}

void PlayEpisodeAt(AppState& state, MediaEngine& engine, int index, uint64_t nowMs) {
  const Episode episode = state.series.Episodes[size_t(index)];
  const CatalogItem series = state.playback.currentItem;
  PlayVod(state, engine, series, &episode, nowMs);
}

}  // namespace

std::u16string ResumeNoticeText(std::u16string_view resumeWord, double seconds) {
  const long total = std::lround(std::floor(std::max(0.0, seconds)));
  char digits[32];
  std::snprintf(digits, sizeof digits, " %ld:%02ld", total / 60, total % 60);
  return std::u16string(resumeWord) + AsciiToWide(digits);
}

void ShowNotice(AppState& state, std::u16string text, uint64_t durationMs, uint64_t nowMs) {
  state.toast.text = std::move(text);
  state.toast.hideAtMs = nowMs + durationMs;
}

void PlayVod(AppState& state, MediaEngine& engine, const CatalogItem& item, const Episode* episode, uint64_t nowMs) {
  PlaybackState& playback = state.playback;
  const std::u16string url =
      episode ? EpisodeStreamUrl(state.account, episode->id, episode->containerExt)
      : item.url().empty() ? MovieStreamUrl(state.account, item.id(), item.containerExt())
                           : std::u16string(item.url());
  playback.currentItem = item;
  playback.isEpisode = episode != nullptr;
  state.CurrentScreen = Screen::Player;
  state.nav.fullVideo = true;
  state.player.controlsUntil = 0;
  playback.itemKey = episode ? episode->id : std::u16string(item.id());
  playback.resumeSeconds = 0;
  if (const auto offer = ResumeOffer(state.settings.ResumeMs, playback.itemKey)) playback.resumeSeconds = *offer / 1000.0;
  LoadWithPreferences(engine, state.settings, url);
  engine.SetProperty("sid", "auto");
  playback.playStartTick = playback.lastLiveLoadTick = nowMs;
  playback.lastUrl = url;
  // A later live load must not take the old channel for the one playing.
  playback.lastChannelId.clear();
  state.player.lastResumeSave = 0;
  state.player.stallCount = 0;
  state.player.lastPos = -1;
  WriteLogF(1024, "play vod id=%s url=%s resume=%.1f", WideToUtf8(item.id()).c_str(), WideToUtf8(url).c_str(),
            playback.resumeSeconds);
  PushHistory(episode ? state.settings.HistorySeries : state.settings.HistoryMovies, item.id());
  state.SettingsDirty = true;
  if (playback.resumeSeconds > 0) {
    ShowNotice(state, ResumeNoticeText(Translate("resume"), playback.resumeSeconds), kResumeNoticeMs, nowMs);
  }
}

ResumeSave SaveResumePosition(AppState& state, MediaEngine& engine) {
  const std::u16string& key = state.playback.itemKey;
  if (key.empty() || !engine.Ready()) return ResumeSave::Nothing;
  double t = 0;
  if (!ReadSeconds(engine, "time-pos", t) || t < kResumeMinimumSeconds) return ResumeSave::Nothing;
  double d = 0;
  ResumeMap& resume = state.settings.ResumeMs;
  if (ReadSeconds(engine, "duration", d) && d > kShortFileSeconds && t > d - kEndMarginSeconds) {
    ClearResumePosition(resume, key);
    return ResumeSave::Removed;
  }
  const int64_t ms = static_cast<int64_t>(t * 1000);
  const auto found = resume.find(key);
  if (found != resume.end() && std::llabs(int64_t(found->second) - ms) < kResumeSameWithinMs) return ResumeSave::Nothing;
  SetResumePosition(resume, key, int32_t(std::min<int64_t>(ms, INT32_MAX)));
  return ResumeSave::Stored;
}

bool StepVod(AppState& state, MediaEngine& engine, int delta, uint64_t nowMs) {
  NavState& nav = state.nav;
  const auto& episodes = state.series.Episodes;
  if (state.playback.isEpisode && !episodes.empty()) {
    const int c = int(episodes.size());
    nav.EpisodeIndex = ((nav.EpisodeIndex + delta) % c + c) % c;
    PlayEpisodeAt(state, engine, nav.EpisodeIndex, nowMs);
    return true;
  }
  const int n = int(state.VisibleItems.size());
  if (n == 0) return false;
  nav.ItemIndex = ((nav.ItemIndex + delta) % n + n) % n;
  const CatalogItem movie = state.VisibleItems[size_t(nav.ItemIndex)];
  PlayVod(state, engine, movie, nullptr, nowMs);
  return true;
}

void FinishVod(AppState& state, MediaEngine& engine, uint64_t nowMs) {
  PlaybackState& playback = state.playback;
  ClearResumePosition(state.settings.ResumeMs, playback.itemKey);
  playback.itemKey.clear();
  const auto& episodes = state.series.Episodes;
  if (!playback.isEpisode || episodes.empty()) return;
  const int next = state.nav.EpisodeIndex + 1;
  if (next >= int(episodes.size())) {
    ShowNotice(state, std::u16string(Translate("season_end")), kSeasonEndNoticeMs, nowMs);
    return;
  }
  state.nav.EpisodeIndex = next;
  PlayEpisodeAt(state, engine, next, nowMs);
  ShowNotice(state, std::u16string(Translate("next_ep")), kNextEpisodeNoticeMs, nowMs);
}
