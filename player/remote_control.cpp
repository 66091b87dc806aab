#include "player/remote_control.h"

#include <algorithm>
#include <cstdlib>

#include "catalog/channel_choice.h"
#include "net/text.h"
#include "player/media_engine.h"
#include "player/vod_playback.h"
#include "state/app_state.h"
#include "store/runtime_log.h"
#include "i18n/translate.h"

namespace {

constexpr uint64_t kPauseNoticeMs = 2500;
constexpr uint64_t kSeekNoticeMs = 1500;
constexpr uint64_t kAspectNoticeMs = 2500;
constexpr uint64_t kNumberNoticeMs = 1800;

// The log names each aspect in English; the notice shows the ratio, or the
// translated word for the automatic one.
struct AspectEntry {
  std::string_view value;
  std::u16string_view logName;
  std::string_view noticeKey;  // empty: the notice is the ratio itself
};
constexpr AspectEntry kAspects[] = {{"-1", u"Aspect Auto", "aspect_auto"},
                                    {"16:9", u"16:9", {}},
                                    {"4:3", u"4:3", {}},
                                    {"1.85:1", u"1.85:1", {}},
                                    {"2.35:1", u"2.35:1", {}}};
constexpr int kAspectCount = 5;

double SecondsOr(const std::u16string& text, double fallback) {
  const std::string ascii = WideToUtf8(text);
  if (ascii.empty()) return fallback;
  char* end = nullptr;
  const double value = std::strtod(ascii.c_str(), &end);
  return end == ascii.c_str() ? fallback : value;
}

}  // namespace

bool StepChannelSelection(AppState& state, int direction) {
  const int next = StepChannelIndex(state.VisibleLive, state.nav.ChannelIndex, direction, state.settings,
                                    state.catalog.LiveCategories, state.nav.live);
  if (next < 0) return false;
  state.nav.ChannelIndex = next;
  return true;
}

int ChannelNumberEntry(AppState& state, int digit, uint64_t nowMs) {
  NavState& nav = state.nav;
  if (digit < 0 || digit > 9) return -1;
  AddNumberDigit(nav.NumberBuffer, nav.NumberTime, digit, nowMs);
  state.toast.text = TranslateWith("channel_number", nav.NumberBuffer);
  state.toast.hideAtMs = nowMs + kNumberNoticeMs;
  const int row = ChannelWithNumber(state.VisibleLive, nav.NumberBuffer);
  if (row >= 0) nav.ChannelIndex = row;
  return row;
}

void KeepPlayerAfterZap(AppState& state, uint64_t nowMs) {
  if (state.CurrentScreen != Screen::Player) return;
  state.nav.fullVideo = true;
  state.player.controlsUntil = nowMs + kControlsShowMs;
}

Screen LeavePlayerTarget(AppState& state, MediaEngine& engine, bool& settingsChanged) {
  settingsChanged = SaveResumePosition(state, engine) != ResumeSave::Nothing;
  state.nav.fullVideo = false;
  // The trailer was started from Home and goes back there; it is not a
  // channel to keep as the Live preview.
  if (state.playback.PlayingTrailer()) {
    engine.Stop();
    state.playback.trailerUrl.clear();
    return Screen::Home;
  }
  const bool vod = PlayingVod(state);
  if (vod) engine.Stop();
  state.playback.itemKey.clear();
  state.playback.resumeSeconds = 0;
  if (!vod) return Screen::Live;
  return state.playback.isEpisode ? Screen::Series : Screen::Movies;
}

bool PlayingVod(const AppState& state) { return !state.playback.currentItem.id().empty(); }
bool PlayingRecording(const AppState& state) {
  return PlayingVod(state) || state.playback.PlayingTrailer() || state.playback.PlayingCatchup();
}

void TogglePauseWithNotice(AppState& state, MediaEngine& engine, uint64_t nowMs) {
  engine.TogglePause();
  ShowNotice(state, std::u16string(Translate(engine.IsPaused() ? "pause" : "play")), kPauseNoticeMs, nowMs);
}

void SeekWithNotice(AppState& state, MediaEngine& engine, double seconds, uint64_t nowMs) {
  engine.SeekRelative(seconds);
  const std::u16string pos = engine.GetProperty("time-pos");
  if (pos.empty()) return;
  const std::u16string duration = engine.GetProperty("duration");
  ShowNotice(state, duration.empty() ? pos : pos + u" / " + duration, kSeekNoticeMs, nowMs);
}

void SeekToShare(AppState& state, MediaEngine& engine, double share) {
  const double duration = SecondsOr(state.player.sample.duration, 0);
  if (duration <= 1.0) return;
  engine.SeekAbsolute(std::clamp(share, 0.0, 1.0) * duration);
}

std::string_view AspectValue(int index) { return kAspects[((index % kAspectCount) + kAspectCount) % kAspectCount].value; }
std::u16string_view AspectNotice(int index) {
  const AspectEntry& entry = kAspects[((index % kAspectCount) + kAspectCount) % kAspectCount];
  return entry.noticeKey.empty() ? entry.logName : Translate(entry.noticeKey);
}

std::u16string_view AspectLogName(int index) {
  return kAspects[((index % kAspectCount) + kAspectCount) % kAspectCount].logName;
}

void CycleAspect(AppState& state, MediaEngine& engine, uint64_t nowMs) {
  int& index = state.player.aspectIndex;
  index = (index + 1) % kAspectCount;
  engine.SetAspect(AspectValue(index));
  WriteLogF(64, "aspect %s %s", std::string(AspectValue(index)).c_str(), WideToUtf8(AspectLogName(index)).c_str());
  ShowNotice(state, std::u16string(AspectNotice(index)), kAspectNoticeMs, nowMs);
}

bool SampleStream(AppState& state, const MediaEngine& engine) {
  StreamSample next{engine.GetProperty("time-pos"), engine.GetProperty("duration"), engine.GetProperty("width"),
                    engine.GetProperty("height"), engine.IsPaused()};
  StreamSample& sample = state.player.sample;
  // The strips show whole seconds: a repaint (a full strip-layer upload) is
  // worth it once a second, not at every video frame.
  const bool changed = long(SecondsOr(next.timePos, -1)) != long(SecondsOr(sample.timePos, -1)) ||
                       next.timePos.empty() != sample.timePos.empty() || next.duration != sample.duration ||
                       next.width != sample.width || next.height != sample.height || next.paused != sample.paused;
  sample = std::move(next);
  return changed;
}
