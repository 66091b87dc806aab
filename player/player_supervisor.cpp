#include "player/player_supervisor.h"

#include <cmath>
#include <cstdlib>

#include "net/text.h"
#include "player/media_engine.h"
#include "player/remote_control.h"
#include "player/vod_playback.h"
#include "state/app_state.h"
#include "store/runtime_log.h"
#include "i18n/translate.h"

namespace {

constexpr uint64_t kCodecLogMs = 2500;
constexpr uint64_t kCacheNoticeMs = 1500;
constexpr uint64_t kBufferingNoticeMs = 1200;
constexpr uint64_t kResumeAfterLoadMs = 1200;
constexpr double kResumeMinPos = 0.2;
constexpr uint64_t kResumeSaveMs = 5000;
constexpr uint64_t kEofIgnoredMs = 8000;
constexpr uint64_t kDeadPreviewMs = 1800;
constexpr uint64_t kStateLogMs = 4000;
constexpr double kStallEpsilon = 0.05;
constexpr int kStallSamples = 2;

std::string U8(const std::u16string& text) { return WideToUtf8(text); }

// "time-pos" as seconds; -1 when empty or not a number.
double Seconds(const std::u16string& text) {
  const std::string ascii = U8(text);
  if (ascii.empty()) return -1;
  char* end = nullptr;
  const double value = std::strtod(ascii.c_str(), &end);
  return end == ascii.c_str() || !std::isfinite(value) ? -1 : value;
}

}  // namespace

uint64_t PlayerSupervisor::DeadRestartDelay(int restarts) {
  uint64_t delay = kDeadRestartFirstMs;
  for (int i = 0; i < restarts && delay < kDeadRestartMaxMs; ++i) delay *= 2;
  return std::min(delay, kDeadRestartMaxMs);
}

// A status text is on screen wherever it is drawn: a step of the tick that
// changes it (a lazy load's "Loading movies…", the automatic reload's
// notice) asks for the frame that shows it, as a key or a job result would.
void PlayerSupervisor::Tick(uint64_t nowMs) {
  const std::u16string status = state_.StatusText;
  Steps(nowMs);
  if (state_.StatusText != status) Call(hooks_.repaint);
}

void PlayerSupervisor::Steps(uint64_t nowMs) {
  if (state_.SettingsDirty) {
    state_.SettingsDirty = false;
    Call(hooks_.saveSettings);
  }
  Call(hooks_.repaintStep);
  PlayerControls& controls = state_.player;
  if (state_.CurrentScreen == Screen::Player) {
    const bool shown = nowMs < controls.controlsUntil;
    if (shown != controls.controlsSeen) {
      controls.controlsSeen = shown;
      Call(hooks_.updateStrips);
    }
  }
  Call(hooks_.autoReload);
  Call(hooks_.panelPoll);
  if (state_.CurrentScreen != Screen::Live && state_.CurrentScreen != Screen::Player) {
    Call(hooks_.screenTick);
    return;
  }
  if (engine_.Ready()) {
    CodecLog(nowMs);
    BufferingNotice(nowMs);
    if (state_.CurrentScreen == Screen::Player && !state_.playback.itemKey.empty()) VodSteps(nowMs);
    if (state_.CurrentScreen == Screen::Live) DeadPreview(nowMs);
    if (state_.CurrentScreen == Screen::Player) DeadPlayerStream(nowMs);
    StateLogAndStall(nowMs);
  }
  Call(hooks_.screenTick);
}

void PlayerSupervisor::CodecLog(uint64_t nowMs) {
  PlayerControls& controls = state_.player;
  if (nowMs - controls.lastCodecLog < kCodecLogMs) return;
  controls.lastCodecLog = nowMs;
  const CodecSample sample{engine_.GetProperty("video-codec"), engine_.GetProperty("width"),
                           engine_.GetProperty("height"), engine_.GetProperty("idle-active"),
                           engine_.GetProperty("path")};
  WriteLogF(512, "mpv codec=%s %sx%s idle=%s path=%.80s", U8(sample.codec).c_str(), U8(sample.width).c_str(),
            U8(sample.height).c_str(), U8(sample.idle).c_str(), U8(sample.path).c_str());
  if (hooks_.catchupCandidateStep) hooks_.catchupCandidateStep(sample);
}

void PlayerSupervisor::BufferingNotice(uint64_t nowMs) {
  PlayerControls& controls = state_.player;
  if (engine_.GetProperty("paused-for-cache") != u"yes") return;
  if (controls.lastCacheNotice != 0 && nowMs - controls.lastCacheNotice < kCacheNoticeMs) return;
  controls.lastCacheNotice = nowMs;
  ShowNotice(state_, std::u16string(Translate("buffering")), kBufferingNoticeMs, nowMs);
}

void PlayerSupervisor::VodSteps(uint64_t nowMs) {
  PlaybackState& playback = state_.playback;
  PlayerControls& controls = state_.player;
  if (playback.resumeSeconds > 0 && nowMs - playback.playStartTick > kResumeAfterLoadMs) {
    if (Seconds(engine_.GetProperty("time-pos")) >= kResumeMinPos) {
      engine_.SeekAbsolute(playback.resumeSeconds);
      playback.resumeSeconds = 0;
    }
  }
  if (nowMs - controls.lastResumeSave >= kResumeSaveMs) {
    controls.lastResumeSave = nowMs;
    if (SaveResumePosition(state_, engine_) != ResumeSave::Nothing) Call(hooks_.saveSettings);
  }
  if (engine_.GetProperty("eof-reached") != u"yes" || nowMs - playback.playStartTick <= kEofIgnoredMs) return;
  const std::u16string finished = playback.itemKey;
  FinishVod(state_, engine_, nowMs);
  Call(hooks_.saveSettings);
  if (!playback.itemKey.empty() && playback.itemKey != finished) Call(hooks_.layoutVideo);
}

// The preview restarts a dead stream, but not forever and not at a fixed
// rate: a channel the provider refuses would otherwise be asked for every
// 1.8 s for as long as the Live screen shows.
void PlayerSupervisor::DeadPreview(uint64_t nowMs) {
  PlaybackState& playback = state_.playback;
  PlayerControls& controls = state_.player;
  if (controls.deadChannelId != playback.lastChannelId) {
    controls.deadChannelId = playback.lastChannelId;
    controls.deadRestarts = 0;
    controls.nextRestartTick = 0;
  }
  const bool dead = engine_.GetProperty("eof-reached") == u"yes" || engine_.GetProperty("idle-active") == u"yes";
  if (!dead) {
    // Only a stream that shows a position counts as playing again.
    if (!engine_.GetProperty("time-pos").empty()) controls.deadRestarts = 0;
    return;
  }
  if (nowMs - playback.playStartTick <= kDeadPreviewMs || nowMs < controls.nextRestartTick) return;
  if (controls.deadRestarts >= kMaxDeadRestarts) return;
  controls.nextRestartTick = nowMs + DeadRestartDelay(controls.deadRestarts + 1);
  ++controls.deadRestarts;
  WriteLogF(128, "preview restart %d", controls.deadRestarts);
  playback.lastLiveLoadTick = 0;
  Call(hooks_.restartPreview);
}

// A stream the provider refuses leaves the engine idle (a live stream that
// is cut keeps its last frame with "eof-reached"): rather than a black or
// frozen window, the Player screen gives way with a notice.
void PlayerSupervisor::DeadPlayerStream(uint64_t nowMs) {
  const PlaybackState& playback = state_.playback;
  // While catch-up tries its candidates, an idle player means "try the next
  // one"; the catch-up step decides when none is left.
  if (playback.catchupActive) return;
  if (playback.lastUrl.empty() || nowMs - playback.playStartTick <= kPlayerDeadStreamMs) return;
  const bool idle = engine_.GetProperty("idle-active") == u"yes";
  const bool cut = !PlayingVod(state_) && engine_.GetProperty("eof-reached") == u"yes";
  if (!idle && !cut) return;
  WriteLogF(1024, "stream ended on the player url=%s", U8(playback.lastUrl).c_str());
  Call(hooks_.leaveDeadStream);
}

void PlayerSupervisor::StateLogAndStall(uint64_t nowMs) {
  PlayerControls& controls = state_.player;
  if (nowMs - controls.lastStateLog < kStateLogMs) return;
  controls.lastStateLog = nowMs;
  const std::u16string timePos = engine_.GetProperty("time-pos");
  const std::u16string pause = engine_.GetProperty("pause");
  WriteLogF(1024, "mpv vo=%s hwdec=%s size=%sx%s time=%s idle=%s pause=%s core=%s cache=%s path=%s",
            U8(engine_.GetProperty("current-vo")).c_str(), U8(engine_.GetProperty("hwdec-current")).c_str(),
            U8(engine_.GetProperty("video-params/w")).c_str(), U8(engine_.GetProperty("video-params/h")).c_str(),
            U8(timePos).c_str(), U8(engine_.GetProperty("idle-active")).c_str(), U8(pause).c_str(),
            U8(engine_.GetProperty("core-idle")).c_str(), U8(engine_.GetProperty("paused-for-cache")).c_str(),
            U8(engine_.GetProperty("path")).c_str());
  if (state_.CurrentScreen != Screen::Player) return;
  const double t = Seconds(timePos);
  if (t >= 0 && controls.lastPos >= 0 && std::fabs(t - controls.lastPos) < kStallEpsilon && pause != u"yes") {
    controls.lastPos = t;
    if (++controls.stallCount < kStallSamples) return;
    controls.stallCount = 0;
    engine_.SetPaused(false);
    engine_.SeekRelative(0.1);
    WriteLog("vod stuck nudge");
    return;
  }
  controls.stallCount = 0;
  controls.lastPos = t;
}
