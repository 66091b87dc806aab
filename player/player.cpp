#include "player/player.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <thread>

#include "net/retry_pause.h"
#include "net/text.h"
#include "platform/mpv_video_layer.h"
#include "player/catchup.h"
#include "player/first_frame_watch.h"
#include "player/reconnect.h"
#include "player/tracks.h"
#include "player/video_output.h"
#include "store/runtime_log.h"

namespace {

constexpr uint64_t kRepeatGuardMs = 750;
constexpr uint64_t kCodecLogMs = 2500;
constexpr uint64_t kCacheNoticeMs = 1500;
constexpr uint64_t kResumeAfterLoadMs = 1200;
constexpr double kResumeMinPos = 0.2;
constexpr uint64_t kResumeSaveMs = 5000;
constexpr uint64_t kEofIgnoredMs = 8000;
constexpr uint64_t kDeadPreviewMs = 1800;
constexpr uint64_t kStateLogMs = 4000;
constexpr double kStallEpsilon = 0.05;
constexpr int kStallSamples = 2;
constexpr double kResumeMinimumSeconds = 8.0;
constexpr double kEndMarginSeconds = 20.0;
constexpr double kShortFileSeconds = 30.0;
// How long Stop waits for the engine to close the stream before leaving the
// slot's return to the ticks, and how often it looks meanwhile.
constexpr uint64_t kCloseWaitMs = 1000;
constexpr auto kClosePoll = std::chrono::milliseconds(2);
// The engine's cache limits without a live buffer: the forward one of its
// base options, and its own default back buffer.
constexpr char kEngineForwardBytes[] = "32MiB";
constexpr char kEngineBackBytes[] = "50MiB";

std::string U8(const std::u16string& text) { return WideToUtf8(text); }

// A number property as seconds; `fallback` when empty or not a number.
double SecondsOr(const std::u16string& text, double fallback) {
  const std::string ascii = U8(text);
  if (ascii.empty()) return fallback;
  char* end = nullptr;
  const double value = std::strtod(ascii.c_str(), &end);
  return end == ascii.c_str() || !std::isfinite(value) ? fallback : value;
}

PlayerEvent EventOf(PlayerEvent::Kind kind) {
  PlayerEvent event;
  event.kind = kind;
  return event;
}

PlayerEvent Failure(PlayerFailure failure) {
  PlayerEvent event = EventOf(PlayerEvent::Kind::Failed);
  event.failure = failure;
  return event;
}

}  // namespace

Player::Player() = default;
Player::~Player() { Shutdown(); }

bool Player::Init() { return engine_.Init(); }
bool Player::Init(MpvLibrary library) { return engine_.Init(std::move(library)); }

bool Player::AttachVideo(HostWindow& window) {
  layer_ = AttachVideoLayer(engine_, window);
  if (!layer_) return false;
  frameWatch_ = std::make_unique<FirstFrameWatch>(*layer_, engine_);
  return true;
}

// The render context goes before the engine's player.
void Player::Shutdown() {
  engine_.Shutdown();
  closing_ = false;
  if (budget_) budget_->Give(owner_);
  frameWatch_.reset();
  layer_.reset();
}

VideoTile Player::Tile() const { return VideoTile{frameWatch_.get(), rect_}; }

uint64_t Player::PicturesRendered() const { return frameWatch_ ? frameWatch_->Rendered() : 0; }

void Player::ResetPictureEffects() {
  engine_.SetProperty("vf", "");
  engine_.SetProperty("panscan", "0.0");
  engine_.SetProperty("osd-level", "0");
  engine_.SetProperty("osc", "no");
  engine_.RemoveOverlay(1);
}

void Player::SetSubtitlePosition(int percent) {
  if (percent == subtitlePosition_) return;
  subtitlePosition_ = percent;
  engine_.SetProperty("sub-pos", std::to_string(percent));
}

void Player::WatchFirstFrame(uint64_t startMs) {
  if (frameWatch_) frameWatch_->Arm(startMs, playback_.lastUrl, playback_.lastChannelId);
}

// "idle-active" turns "yes" as soon as the engine is asked to stop, while
// its stream may still be open; "path" goes only once the file has ended
// and its stream is closed. An engine that cannot tell (an empty read) has
// nothing to be waited for.
bool Player::WaitClosed(uint64_t waitMs) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
  while (true) {
    const std::u16string idle = engine_.GetProperty("idle-active");
    if (idle.empty() || (idle == u"yes" && engine_.GetProperty("path").empty())) return true;
    if (std::chrono::steady_clock::now() >= until) return false;
    std::this_thread::sleep_for(kClosePoll);
  }
}

void Player::Load(const std::u16string& url, const PlayPreferences& preferences, bool resolved, bool live) {
  stopped_ = false;
  if (layer_) layer_->SetBlank(false);
  ApplyCacheLimits(live);
  ApplyZapLatency(live);
  playback_.timeshift = TimeshiftState{};
  if (live) playback_.timeshift.window = LiveBufferFor(liveBufferMinutes_).Seconds();
  engine_.SetProperty("user-agent", preferences.userAgent);
  if (resolved) engine_.LoadResolvedUrl(url);
  else engine_.LoadUrl(url);
  engine_.SetVolume(preferences.volume);
  engine_.SetSubtitleSize(preferences.subtitleSize);
  engine_.SetSubtitleVisible(preferences.subtitlesVisible);
  engine_.SetSubtitleColor(preferences.subtitleColor);
}

bool Player::TakeSlot() {
  if (!budget_ || !engine_.Ready()) return true;
  // A stream stopped but not yet closed still holds the slot: the new one
  // takes it over.
  closing_ = false;
  return budget_->Take(owner_);
}

void Player::GiveSlotWhenClosed(uint64_t waitMs) {
  if (!budget_ || !budget_->Holds(owner_)) return;
  closing_ = !WaitClosed(waitMs);
  if (!closing_) budget_->Give(owner_);
}

bool Player::Play(const PlayRequest& request, uint64_t nowMs) {
  // The stream that played closes (its slot goes back) before the file
  // opens.
  if (request.localFile && HoldsSlot()) {
    engine_.Stop();
    GiveSlotWhenClosed(kCloseWaitMs);
  }
  refused_ = !request.localFile && !TakeSlot();
  if (refused_) {
    WriteLogF(160, "conn refused %s", owner_.c_str());
    return false;
  }
  PlaybackState& p = playback_;
  // Whatever is asked for now is a new start: an earlier loss is no longer
  // what plays.
  p.reconnect = ReconnectState{};
  watch_.played = false;
  switch (request.kind) {
    case PlayKind::Live: {
      p.currentChannel = request.channel;
      p.isEpisode = false;
      // Live leaves no movie or episode behind: the strips and the back key
      // tell the two apart by the item.
      p.currentItem = CatalogItem();
      p.itemKey.clear();
      p.resumeSeconds = 0;
      p.currentChannelUrl = request.url;
      const bool repeat = request.channel.id() == p.lastChannelId && request.url == p.lastUrl &&
                          nowMs - p.lastLiveLoadTick < kRepeatGuardMs;
      if (repeat) return false;
      Load(request.url, request.preferences, false, true);
      livePreferences_ = request.preferences;
      p.playStartTick = p.lastLiveLoadTick = nowMs;
      p.lastUrl = request.url;
      p.lastChannelId = std::u16string(request.channel.id());
      return true;
    }
    case PlayKind::Movie:
    case PlayKind::Episode:
      p.currentItem = request.item;
      p.isEpisode = request.kind == PlayKind::Episode;
      p.itemKey = request.itemKey;
      p.resumeSeconds = request.resumeSeconds;
      Load(request.url, request.preferences, false);
      engine_.SetProperty("sid", "auto");
      p.playStartTick = p.lastLiveLoadTick = nowMs;
      p.lastUrl = request.url;
      // A later live load must not take the old channel for the one playing.
      p.lastChannelId.clear();
      watch_.lastResumeSave = 0;
      watch_.stallCount = 0;
      watch_.lastPos = -1;
      return true;
    case PlayKind::Trailer:
      p.itemKey.clear();
      p.currentItem = CatalogItem();
      p.isEpisode = false;
      p.catchupActive = false;
      p.currentChannelUrl.clear();
      Load(request.url, request.preferences, true);
      p.playStartTick = nowMs;
      p.lastUrl = p.trailerUrl = request.url;
      return true;
    case PlayKind::Catchup:
      p.currentChannel = request.channel;
      p.currentItem = CatalogItem();  // catch-up counts as live: zaps, E and Esc treat it so
      p.isEpisode = false;
      p.itemKey.clear();  // nothing to resume
      p.currentChannelUrl = request.channelUrl;
      p.catchupCandidates = request.catchup.candidates;
      p.catchupIndex = 0;
      p.catchupTitle = request.catchup.title;
      p.catchupStart = request.catchup.start;
      p.catchupMinutes = request.catchup.minutes;
      Load(request.url, request.preferences, false);
      p.playStartTick = p.lastLiveLoadTick = nowMs;
      p.lastUrl = request.url;
      p.catchupActive = true;
      // The channel's live stream no longer plays: a later live load of it
      // must load it again, not take the recording for it.
      p.lastChannelId.clear();
      return true;
  }
  return false;
}

void Player::Stop() {
  engine_.Stop();
  playback_.lastChannelId.clear();
  stopped_ = true;
  if (layer_) layer_->SetBlank(true);
  playback_.reconnect = ReconnectState{};
  watch_.played = false;
  GiveSlotWhenClosed(kCloseWaitMs);
}

void Player::ForgetItem() {
  playback_.itemKey.clear();
  playback_.resumeSeconds = 0;
  playback_.trailerUrl.clear();
}

bool Player::TogglePause(uint64_t nowMs, bool* refusedNow) {
  TimeshiftState& shift = playback_.timeshift;
  if (shift.window <= 0 || shift.refused) {
    engine_.TogglePause();
    return engine_.IsPaused();
  }
  if (shift.paused) {
    shift.behind = BehindAt(shift, nowMs, shift.window);
    shift.paused = false;
    shift.sinceMs = nowMs;
    shift.shownBehind = int(shift.behind);
    engine_.SetPaused(false);
    WriteLogF(64, "timeshift resume behind=%.1f", shift.behind);
    return false;
  }
  SampleBuffer();
  if (!shift.span.seekable) {
    shift.refused = true;
    if (refusedNow) *refusedNow = true;
    WriteLog("timeshift unavailable");
    engine_.TogglePause();
    return engine_.IsPaused();
  }
  shift.paused = true;
  shift.sinceMs = nowMs;
  engine_.SetPaused(true);
  WriteLog("timeshift pause");
  return true;
}

bool Player::SkipLive(double seconds, uint64_t nowMs) {
  TimeshiftState& shift = playback_.timeshift;
  if (shift.window <= 0 || shift.refused || !shift.Shifted()) return false;
  SampleBuffer();
  SeekLive(PlanSkip(shift, shift.position, seconds, nowMs, shift.window), nowMs);
  return true;
}

bool Player::JumpToLive(uint64_t nowMs) {
  TimeshiftState& shift = playback_.timeshift;
  if (shift.window <= 0 || !shift.Shifted()) return false;
  SampleBuffer();
  SeekLive(PlanLive(shift, shift.position, nowMs, shift.window), nowMs);
  return true;
}

// A skip keeps the pause as it is: a paused picture moves and stays paused.
void Player::SeekLive(const TimeshiftSeek& seek, uint64_t nowMs) {
  TimeshiftState& shift = playback_.timeshift;
  engine_.SeekAbsolute(seek.target);
  shift.behind = seek.behind;
  shift.sinceMs = nowMs;
  shift.shownBehind = int(seek.behind);
  if (seek.live) {
    shift.paused = false;
    engine_.SetPaused(false);
    WriteLog("timeshift live");
    return;
  }
  WriteLogF(64, "timeshift seek behind=%.1f", seek.behind);
}

void Player::SampleBuffer() {
  TimeshiftState& shift = playback_.timeshift;
  shift.span = ParseCacheState(WideToUtf8(engine_.GetProperty("demuxer-cache-state")));
  shift.position = SecondsOr(engine_.GetProperty("time-pos"), shift.position);
}

// Once a second while a buffered live stream plays: the cache as the strip
// shows it, and a pause that outlasts the buffer resumes where the buffer
// begins (the oldest second would otherwise be dropped under the picture).
void Player::Timeshift(uint64_t nowMs) {
  TimeshiftState& shift = playback_.timeshift;
  if (shift.window <= 0 || shift.refused) return;
  SampleBuffer();
  const double behind = BehindAt(shift, nowMs, shift.window);
  shift.shownBehind = int(behind);
  if (shift.paused && behind >= shift.window) TogglePause(nowMs);
}

// A channel change shows its first picture as soon as it is decoded: the
// engine otherwise waits for that frame to be fully presented, and decodes
// one more ahead, before it starts playing, which costs a zap one or two
// frames more than the stream itself needs. Live only: a movie's start is
// not hurried, and its frame dropping keeps to the decoded frames' timing.
void Player::ApplyZapLatency(bool live) {
  if (live == zapLatencyHacks_) return;
  engine_.SetProperty("video-latency-hacks", live ? "yes" : "no");
  zapLatencyHacks_ = live;
}

// The cache limits of a live load with a buffer, and the engine's own back
// for every other load once they were changed.
void Player::ApplyCacheLimits(bool live) {
  const LiveBufferSize size = live ? LiveBufferFor(liveBufferMinutes_) : LiveBufferSize{};
  if (size.minutes > 0) {
    engine_.SetProperty("demuxer-max-bytes", std::to_string(size.forwardBytes));
    engine_.SetProperty("demuxer-max-back-bytes", std::to_string(size.backBytes));
    cacheLimitsChanged_ = true;
    return;
  }
  if (!cacheLimitsChanged_) return;
  engine_.SetProperty("demuxer-max-bytes", kEngineForwardBytes);
  engine_.SetProperty("demuxer-max-back-bytes", kEngineBackBytes);
  cacheLimitsChanged_ = false;
}

void Player::SeekRelative(double seconds) { engine_.SeekRelative(seconds); }

void Player::SeekToShare(double share) {
  const double duration = SecondsOr(playback_.sample.duration, 0);
  if (duration <= 1.0) return;
  engine_.SeekAbsolute(std::clamp(share, 0.0, 1.0) * duration);
}

void Player::ApplyPreferences(const PlayPreferences& preferences) {
  engine_.SetProperty("user-agent", preferences.userAgent);
  engine_.SetSubtitleSize(preferences.subtitleSize);
  engine_.SetSubtitleVisible(preferences.subtitlesVisible);
  engine_.SetSubtitleColor(preferences.subtitleColor);
}

void Player::ChooseTrack(TrackKind kind, int32_t trackId) {
  engine_.SetProperty(TrackProperty(kind), trackId == kTrackOff ? std::string("no") : std::to_string(trackId));
}

bool Player::Sample() {
  StreamSample next{engine_.GetProperty("time-pos"), engine_.GetProperty("duration"), engine_.GetProperty("width"),
                    engine_.GetProperty("height"), engine_.IsPaused(), playback_.timeshift.shownBehind};
  StreamSample& sample = playback_.sample;
  // The strips show whole seconds: a repaint (a full strip-layer upload) is
  // worth it once a second, not at every video frame.
  const bool changed = long(SecondsOr(next.timePos, -1)) != long(SecondsOr(sample.timePos, -1)) ||
                       next.timePos.empty() != sample.timePos.empty() || next.duration != sample.duration ||
                       next.width != sample.width || next.height != sample.height || next.paused != sample.paused ||
                       next.behind != sample.behind;
  sample = std::move(next);
  return changed;
}

std::optional<ResumePoint> Player::ResumePointNow() const {
  const std::u16string& key = playback_.itemKey;
  if (key.empty() || !engine_.Ready()) return std::nullopt;
  const double t = SecondsOr(engine_.GetProperty("time-pos"), -1);
  if (t < kResumeMinimumSeconds) return std::nullopt;
  const double d = SecondsOr(engine_.GetProperty("duration"), -1);
  if (d > kShortFileSeconds && t > d - kEndMarginSeconds) return ResumePoint{key, 0, true};
  return ResumePoint{key, int32_t(std::min<int64_t>(static_cast<int64_t>(t * 1000), INT32_MAX)), false};
}

uint64_t Player::DeadRestartDelay(int restarts) {
  return DoublingPause(kDeadRestartFirstMs, kDeadRestartMaxMs, restarts);
}

// The steps run in this order because each may change what the next one
// reads: the catch-up step loads the next candidate, the end of an episode
// starts the next one (through the owner) before the dead-stream check. A
// failure ends the tick: the owner has taken the tile elsewhere (another
// screen, the preview), so the full view's checks no longer apply.
void Player::Tick(uint64_t nowMs, PlayerView view) {
  if (closing_) GiveSlotWhenClosed(0);
  if (view == PlayerView::Hidden || stopped_ || !engine_.Ready()) return;
  if (CodecLogAndCatchup(nowMs)) return;
  BufferingNotice(nowMs);
  Timeshift(nowMs);
  if (view == PlayerView::Full && !playback_.itemKey.empty()) VodSteps(nowMs);
  if (Reconnect(nowMs)) {
    StateLogAndStall(nowMs, false);
    return;
  }
  if (view == PlayerView::Preview) DeadPreview(nowMs);
  if (view == PlayerView::Full && DeadStream(nowMs)) return;
  StateLogAndStall(nowMs, view == PlayerView::Full);
}

// Servers differ in the archive URL they accept: while a candidate has not
// shown video, the codec sample decides whether to try the next one.
bool Player::CodecLogAndCatchup(uint64_t nowMs) {
  if (nowMs - watch_.lastCodecLog < kCodecLogMs) return false;
  watch_.lastCodecLog = nowMs;
  const CatchupProbe probe{engine_.GetProperty("video-codec"), engine_.GetProperty("width"),
                           engine_.GetProperty("height"), engine_.GetProperty("idle-active"),
                           engine_.GetProperty("path")};
  if (diagnosticLog_)
    WriteLogF(512, "mpv codec=%s %sx%s idle=%s path=%.80s", U8(probe.videoCodec).c_str(), U8(probe.width).c_str(),
            U8(probe.height).c_str(), U8(probe.idleActive).c_str(), U8(probe.path).c_str());
  if (!playback_.catchupActive) return false;
  const CatchupDecision decision = CatchupStep(playback_, probe, nowMs);
  switch (decision.verdict) {
    case CatchupVerdict::LoadNext: engine_.LoadUrl(decision.url); break;
    case CatchupVerdict::GiveUp:
      WriteLog("catchup unavailable");
      Emit(Failure(PlayerFailure::CatchupExhausted));
      return true;
    case CatchupVerdict::Working:
      WriteLogF(160, "catchup playing %s", U8(std::u16string(CatchupLogTail(playback_.lastUrl))).c_str());
      break;
    case CatchupVerdict::Nothing: break;
  }
  return false;
}

void Player::BufferingNotice(uint64_t nowMs) {
  if (engine_.GetProperty("paused-for-cache") != u"yes") return;
  if (watch_.lastCacheNotice != 0 && nowMs - watch_.lastCacheNotice < kCacheNoticeMs) return;
  watch_.lastCacheNotice = nowMs;
  Emit(EventOf(PlayerEvent::Kind::Buffering));
}

void Player::VodSteps(uint64_t nowMs) {
  PlaybackState& p = playback_;
  if (p.resumeSeconds > 0 && nowMs - p.playStartTick > kResumeAfterLoadMs) {
    if (SecondsOr(engine_.GetProperty("time-pos"), -1) >= kResumeMinPos) {
      engine_.SeekAbsolute(p.resumeSeconds);
      p.resumeSeconds = 0;
    }
  }
  if (nowMs - watch_.lastResumeSave >= kResumeSaveMs) {
    watch_.lastResumeSave = nowMs;
    if (std::optional<ResumePoint> point = ResumePointNow()) {
      PlayerEvent event = EventOf(PlayerEvent::Kind::ResumePoint);
      event.resume = std::move(*point);
      Emit(event);
    }
  }
  if (engine_.GetProperty("eof-reached") != u"yes" || nowMs - p.playStartTick <= kEofIgnoredMs) return;
  PlayerEvent ended = EventOf(PlayerEvent::Kind::Ended);
  ended.resume = ResumePoint{p.itemKey, 0, true};
  p.itemKey.clear();
  Emit(ended);
}

// The preview restarts a dead stream, but not forever and not at a fixed
// rate: a channel the provider refuses would otherwise be asked for every
// 1.8 s for as long as the preview shows.
void Player::DeadPreview(uint64_t nowMs) {
  PlaybackState& p = playback_;
  if (watch_.deadChannelId != p.lastChannelId) {
    watch_.deadChannelId = p.lastChannelId;
    watch_.deadRestarts = 0;
    watch_.nextRestartTick = 0;
  }
  const bool dead = engine_.GetProperty("eof-reached") == u"yes" || engine_.GetProperty("idle-active") == u"yes";
  if (!dead) {
    // Only a stream that shows a position counts as playing again.
    if (!engine_.GetProperty("time-pos").empty()) watch_.deadRestarts = 0;
    return;
  }
  if (nowMs - p.playStartTick <= kDeadPreviewMs || nowMs < watch_.nextRestartTick) return;
  if (watch_.deadRestarts >= kMaxDeadRestarts) return;
  watch_.nextRestartTick = nowMs + DeadRestartDelay(watch_.deadRestarts + 1);
  ++watch_.deadRestarts;
  WriteLogF(128, "preview restart %d", watch_.deadRestarts);
  p.lastLiveLoadTick = 0;
  PlayerEvent restart = EventOf(PlayerEvent::Kind::RestartPreview);
  restart.restarts = watch_.deadRestarts;
  Emit(restart);
}

// A stream the provider refuses leaves the engine idle (a live stream that
// is cut keeps its last frame with "eof-reached"): rather than a black or
// frozen window, the owner is told the full view failed.
bool Player::DeadStream(uint64_t nowMs) {
  const PlaybackState& p = playback_;
  // While catch-up tries its candidates, an idle player means "try the next
  // one"; the catch-up step decides when none is left.
  if (p.catchupActive) return false;
  if (p.lastUrl.empty() || nowMs - p.playStartTick <= kPlayerDeadStreamMs) return false;
  const bool idle = engine_.GetProperty("idle-active") == u"yes";
  const bool cut = !p.PlayingVod() && engine_.GetProperty("eof-reached") == u"yes";
  if (!idle && !cut) return false;
  WriteLogF(1024, "stream ended on the player url=%s", U8(p.lastUrl).c_str());
  Emit(Failure(PlayerFailure::StreamRefused));
  return true;
}

// A live stream that played and then stopped is the provider going away
// (or the network): it is loaded again where it plays, the Player screen
// or the preview, rather than given up at the first failure. Recordings
// end for good (their end is the file's), and catch-up has its own
// candidates.
bool Player::Reconnect(uint64_t nowMs) {
  PlaybackState& p = playback_;
  ReconnectState& r = p.reconnect;
  if (!reconnects_ || p.PlayingRecording() || p.lastChannelId.empty() || p.lastUrl.empty()) return false;
  const bool dead = engine_.GetProperty("idle-active") == u"yes" || engine_.GetProperty("eof-reached") == u"yes";
  const StreamHealth health = dead                                       ? StreamHealth::Dead
                              : engine_.GetProperty("time-pos").empty() ? StreamHealth::Starting
                                                                         : StreamHealth::Playing;
  if (health == StreamHealth::Playing) watch_.played = true;
  if (!watch_.played && !r.Shown()) return false;
  const ReconnectState before = r;
  PlayerEvent event = EventOf(PlayerEvent::Kind::Reconnecting);
  switch (StepReconnect(r, health, nowMs)) {
    case ReconnectAction::None: return r.Shown();
    case ReconnectAction::Lost:
      WriteLogF(1024, "stream lost url=%s", U8(p.lastUrl).c_str());
      break;
    case ReconnectAction::Attempt:
      WriteLogF(1024, "reconnect attempt %d/%d url=%s", r.attempts, kReconnectAttempts, U8(p.lastUrl).c_str());
      // The same URL with the same preferences; not a new viewing, so
      // nothing else of the record changes.
      Load(p.lastUrl, livePreferences_, false, true);
      p.playStartTick = nowMs;
      break;
    case ReconnectAction::Recovered:
      WriteLogF(96, "reconnect ok attempts=%d after_ms=%llu", before.attempts,
                static_cast<unsigned long long>(nowMs - before.lostAtMs));
      Emit(EventOf(PlayerEvent::Kind::Reconnected));
      return false;
    case ReconnectAction::GiveUp:
      WriteLogF(96, "reconnect gave up attempts=%d", before.attempts);
      Emit(Failure(PlayerFailure::ConnectionLost));
      return true;
  }
  event.restarts = r.attempts;
  Emit(event);
  return true;
}

void Player::StateLogAndStall(uint64_t nowMs, bool full) {
  if (nowMs - watch_.lastStateLog < kStateLogMs) return;
  watch_.lastStateLog = nowMs;
  const std::u16string timePos = engine_.GetProperty("time-pos");
  const std::u16string pause = engine_.GetProperty("pause");
  if (diagnosticLog_)
    WriteLogF(1024, "mpv vo=%s hwdec=%s size=%sx%s time=%s idle=%s pause=%s core=%s cache=%s path=%s",
            U8(engine_.GetProperty("current-vo")).c_str(), U8(engine_.GetProperty("hwdec-current")).c_str(),
            U8(engine_.GetProperty("video-params/w")).c_str(), U8(engine_.GetProperty("video-params/h")).c_str(),
            U8(timePos).c_str(), U8(engine_.GetProperty("idle-active")).c_str(), U8(pause).c_str(),
            U8(engine_.GetProperty("core-idle")).c_str(), U8(engine_.GetProperty("paused-for-cache")).c_str(),
            U8(engine_.GetProperty("path")).c_str());
  if (!full) return;
  const double t = SecondsOr(timePos, -1);
  if (t >= 0 && watch_.lastPos >= 0 && std::fabs(t - watch_.lastPos) < kStallEpsilon && pause != u"yes") {
    watch_.lastPos = t;
    if (++watch_.stallCount < kStallSamples) return;
    watch_.stallCount = 0;
    engine_.SetPaused(false);
    engine_.SeekRelative(0.1);
    WriteLog("vod stuck nudge");
    return;
  }
  watch_.stallCount = 0;
  watch_.lastPos = t;
}
