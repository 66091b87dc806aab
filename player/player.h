#pragma once
// Player: the playback of one video tile. It owns its media engine, the
// engine's video layer and the rectangle the layer is drawn into, the
// record of what plays (PlaybackState) and the once-a-second supervision of
// its stream: the diagnostic log lines, the buffering notice, the resume
// seek and resume points, the end of a movie or episode, the catch-up
// candidates, the reconnection in place of a live stream that played and
// stopped (player/reconnect.h), the restart of a preview that never started
// (bounded, with a growing back-off), a refused stream in full view, and the
// nudge of a stalled one.
//
// It knows nothing of screens, lists, prompts, the settings file or the
// history: its owner asks it to play, and is told what happened through
// the observer (PlayerEvent), called synchronously from Tick. The owner
// reacts (the PIN check, the screen change, the notice, storing a resume
// point) and may call back into the Player from there.
//
// Main thread only. A Player that is not ready (no library, or Init not
// called) accepts every call and does nothing; properties then read empty.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalog/catalog_item.h"
#include "platform/host_window.h"
#include "player/media_engine.h"
#include "player/timeshift.h"
#include "state/connection_budget.h"
#include "state/playback_state.h"

class FirstFrameWatch;
class MpvVideoLayer;

enum class PlayKind { Live, Movie, Episode, Trailer, Catchup };

// What every load sets around it (from the settings, store/settings.h).
struct PlayPreferences {
  std::string userAgent;
  int volume = 100;
  int subtitleSize = 32;
  std::string subtitleColor = "#FFFFFF";
  bool subtitlesVisible = true;
};

// A programme replayed from the archive: its candidate URLs in the order
// they are tried (player/catchup.h), title, start (Unix seconds) and length.
struct CatchupProgramme {
  std::vector<std::u16string> candidates;
  std::u16string title;
  int64_t start = 0;
  int32_t minutes = 0;
};

struct PlayRequest {
  PlayKind kind = PlayKind::Live;
  CatalogItem channel;        // Live, Catchup
  CatalogItem item;           // Movie: the movie; Episode: its series
  std::u16string itemKey;     // Movie, Episode: the resume key (stream or episode id)
  std::u16string url;         // what is loaded
  std::u16string channelUrl;  // Live, Catchup: the channel's live URL
  double resumeSeconds = 0;   // Movie, Episode: seeked to once the picture runs; 0 none
  CatchupProgramme catchup;   // Catchup
  PlayPreferences preferences;
  // A file on this machine (a recording): it needs no connection of the
  // line, so it takes no slot, and gives back the one a stream held.
  bool localFile = false;
};

// Where the owner shows the tile, which decides the supervision: a
// preview's dead stream is restarted, a full view's dead stream is given
// up, a stall is nudged only in full view; a hidden tile is not watched.
enum class PlayerView { Hidden, Preview, Full };

// A resume point to store for `itemKey`: `ms` into it, or none (`remove`:
// the item was watched to its end).
struct ResumePoint {
  std::u16string itemKey;
  int32_t ms = 0;
  bool remove = false;
};

enum class PlayerFailure {
  StreamRefused,     // the full view's stream went idle or was cut after its load
  CatchupExhausted,  // every catch-up candidate stayed idle
  ConnectionLost,    // a live stream stopped and every reconnection failed
};

struct PlayerEvent {
  enum class Kind {
    Buffering,       // the stream waits for its cache (at most every 1.5 s)
    ResumePoint,     // `resume` should be stored (every 5 s while a movie or episode plays in full view)
    Ended,           // the movie or episode `resume.itemKey` reached its end; its resume point goes
    RestartPreview,  // the preview's stream never started: play the channel again (`restarts` so far)
    Reconnecting,    // the live stream was lost and is loaded again in place (`restarts`: attempts so far)
    Reconnected,     // it plays again
    Failed,          // `failure`
  };
  Kind kind = Kind::Buffering;
  ResumePoint resume;
  PlayerFailure failure = PlayerFailure::StreamRefused;
  int restarts = 0;
};

using PlayerObserver = std::function<void(const PlayerEvent&)>;

// The preview's restarts of a dead stream wait 1.8 s, then twice as long
// after each failed restart, at most a minute; after kMaxDeadRestarts the
// channel is left alone until something else is played.
inline constexpr uint64_t kDeadRestartFirstMs = 1800;
inline constexpr uint64_t kDeadRestartMaxMs = 60000;
inline constexpr int kMaxDeadRestarts = 6;
// A stream in full view that is still idle this long after its load is
// taken as refused.
inline constexpr uint64_t kPlayerDeadStreamMs = 4000;

class Player {
 public:
  Player();
  ~Player();  // Shutdown
  Player(const Player&) = delete;
  Player& operator=(const Player&) = delete;

  // Whether a live stream that stopped is reconnected in place (on by
  // default; tiles that report a failure of their own turn it off).
  void SetReconnects(bool on) { reconnects_ = on; }

  void SetObserver(PlayerObserver observer) { observer_ = std::move(observer); }
  // Every stream this Player opens takes `owner`'s slot of `budget` first
  // (one slot, whatever it switches to) and gives it back once the engine
  // has closed the stream, after Stop or Shutdown. Without a budget every
  // load goes ahead. The budget outlives the Player.
  void SetBudget(ConnectionBudget* budget, std::string owner) {
    budget_ = budget;
    owner_ = std::move(owner);
  }
  // Set before Init (tests' seams, media_engine.h).
  void SetEngineHooks(MediaEngineHooks hooks) { engine_.SetHooks(std::move(hooks)); }
  // Set before Init (MediaEngine::PreferSoftwareDecoding).
  void PreferSoftwareDecoding() { engine_.PreferSoftwareDecoding(); }
  // Set before Init (MediaEngine::UseAudioOutputs).
  void UseAudioOutputs(std::string outputs) { engine_.UseAudioOutputs(std::move(outputs)); }
  // Loads the media library and creates the player (MediaEngine::Init).
  bool Init();
  bool Init(MpvLibrary library);
  // Creates the video layer of the engine in `window`; false (no picture,
  // playback goes on) when the engine is not ready or no render context
  // could be made.
  bool AttachVideo(HostWindow& window);
  // Frees the render context, then the engine. Idempotent.
  void Shutdown();
  bool Ready() const { return engine_.Ready(); }

  // The tile the compositor draws: the layer (null without one) and the
  // rectangle set by Place.
  VideoTile Tile() const;
  // Where the picture is drawn (empty: nowhere).
  void Place(const PixelRect& rect) { rect_ = rect; }
  // Takes back the engine's own picture effects: filters, pan-scan, its
  // on-screen display and controller, the overlay.
  void ResetPictureEffects();
  // Where subtitles stand: the engine's "sub-pos", the height of their
  // bottom line in percent of the picture (100: the bottom). Written only
  // when it changes.
  void SetSubtitlePosition(int percent);
  // The next new frame of what plays now ends the zap measurement started
  // at `startMs` (the "zap first frame" log line, first_frame_watch.h).
  void WatchFirstFrame(uint64_t startMs);

  // Loads the request and records it as what plays. A live request for the
  // channel and URL already loaded less than 750 ms ago is not loaded again:
  // false then (the repeat guard), true for every load. False too, with
  // nothing loaded or recorded, when the budget has no slot for a Player
  // that holds none (Refused tells).
  bool Play(const PlayRequest& request, uint64_t nowMs);
  // The last Play was refused for want of a free slot.
  bool Refused() const { return refused_; }
  // This Player holds its slot of the budget (a stream open, or closing).
  bool HoldsSlot() const { return budget_ && budget_->Holds(owner_); }
  // Stops the stream. The record of what played stays, but no channel counts
  // as playing any more (lastChannelId is cleared: the next request for it
  // loads at once), the supervision rests until the next load (a stream
  // stopped on purpose is neither dead nor refused) and a reconnection under
  // way ends. The budget's slot is given back once the engine has ended
  // the file and closed its stream: waited for here, a second at most, else
  // at a later Tick.
  void Stop();
  // Forgets the movie, episode or trailer that played (after the owner
  // stored its resume point): nothing is resumed or counted as a trailer.
  void ForgetItem();
  // Makes the next live request load even within the repeat guard.
  void ForceNextLiveLoad() { playback_.lastLiveLoadTick = 0; }

  // Toggles pause; true when paused afterwards. A live channel loaded with
  // a buffer (SetLiveBuffer) is time-shifted: pausing logs "timeshift
  // pause", resuming "timeshift resume behind=<seconds>". A stream the
  // engine cannot buffer pauses as any other; `refusedNow` is set the first
  // time that shows (once per load), so the owner can say so once.
  bool TogglePause(uint64_t nowMs = 0, bool* refusedNow = nullptr);
  // The buffer of the next live loads, in minutes (kLiveBufferChoices of
  // store/preferences.h; 0: none, the engine's own limits).
  void SetLiveBuffer(int minutes) { liveBufferMinutes_ = minutes; }
  // Paused, or playing behind live.
  bool TimeShifted() const { return playback_.timeshift.Shifted(); }
  // Skips within the buffer (negative: back), never past live nor beyond
  // what it holds; false (nothing done) while the picture is at live.
  bool SkipLive(double seconds, uint64_t nowMs);
  // Back to live ("timeshift live"); false when the picture is there.
  bool JumpToLive(uint64_t nowMs);
  void SeekRelative(double seconds);
  // Absolute seek to a share (0..1) of the sampled duration; nothing while
  // the duration is unknown or not above one second.
  void SeekToShare(double share);
  void SetAspect(std::string_view ratio) { engine_.SetAspect(ratio); }
  void SetVolume(int percent) { engine_.SetVolume(percent); }
  // The user agent and the subtitle style (the volume is left as it is).
  void ApplyPreferences(const PlayPreferences& preferences);
  // Writes "aid" or "sid".
  void ChooseTrack(TrackKind kind, int32_t trackId);
  // Clears the overlay the program uses (id 1).
  void ClearOverlay() { engine_.RemoveOverlay(1); }
  // "time-pos" and "duration" as the engine gives them, for the seek notice.
  std::u16string Property(std::string_view name) const { return engine_.GetProperty(name); }

  // Reads position, duration, size and pause into the record's sample;
  // true when what the strips show changed (the whole second, the duration,
  // the size or the pause).
  bool Sample();
  // The resume point of the movie or episode playing now; none when
  // nothing is to be resumed (live, under 8 s, no position).
  std::optional<ResumePoint> ResumePointNow() const;

  // The once-a-second supervision for a tile shown as `view`.
  void Tick(uint64_t nowMs, PlayerView view);

  // Pictures of this Player drawn into the window since it was attached.
  uint64_t PicturesRendered() const;
  // The supervision's diagnostic lines ("mpv codec=", "mpv vo=") are
  // written for the one main tile; further tiles turn them off.
  void SetDiagnosticLog(bool on) { diagnosticLog_ = on; }

  const PlaybackState& Playback() const { return playback_; }
  // The engine itself: the track list (player/tracks.h) and tests.
  MediaEngine& Engine() { return engine_; }
  const MediaEngine& Engine() const { return engine_; }

  // The wait before the restart that follows `restarts` failed ones.
  static uint64_t DeadRestartDelay(int restarts);

 private:
  // True when a load may open a stream: this Player holds its slot
  // afterwards (or has no budget, or no engine to open anything).
  bool TakeSlot();
  // Gives the slot back once the engine has closed the stream, polling up
  // to `waitMs`.
  void GiveSlotWhenClosed(uint64_t waitMs);
  // True once the engine has closed what it played (or cannot tell),
  // polled for up to `waitMs`.
  bool WaitClosed(uint64_t waitMs);
  void Load(const std::u16string& url, const PlayPreferences& preferences, bool resolved, bool live = false);
  void ApplyCacheLimits(bool live);
  void ApplyZapLatency(bool live);
  // The cache and position now, into the time shift's record.
  void SampleBuffer();
  void SeekLive(const TimeshiftSeek& seek, uint64_t nowMs);
  void Timeshift(uint64_t nowMs);
  void Emit(const PlayerEvent& event) {
    if (observer_) observer_(event);
  }
  // True when they reported a failure.
  bool CodecLogAndCatchup(uint64_t nowMs);
  void BufferingNotice(uint64_t nowMs);
  void VodSteps(uint64_t nowMs);
  void DeadPreview(uint64_t nowMs);
  bool DeadStream(uint64_t nowMs);
  // True while the reconnection holds the stream (lost or given up): the
  // checks for a stream that never started then stand aside.
  bool Reconnect(uint64_t nowMs);
  void StateLogAndStall(uint64_t nowMs, bool full);

  // The supervision's memory.
  struct Watch {
    int stallCount = 0;
    double lastPos = -1;
    uint64_t lastCacheNotice = 0, lastCodecLog = 0, lastStateLog = 0, lastResumeSave = 0;
    // The preview's restarts of a dead stream since it last played, and the
    // earliest tick of the next one.
    std::u16string deadChannelId;  // the channel the restarts count for
    int deadRestarts = 0;
    uint64_t nextRestartTick = 0;
    // The live stream loaded last has shown a position: losing it is a lost
    // connection, not a refused stream.
    bool played = false;
  };

  MediaEngine engine_;
  std::unique_ptr<MpvVideoLayer> layer_;
  std::unique_ptr<FirstFrameWatch> frameWatch_;
  PixelRect rect_;
  PlaybackState playback_;
  Watch watch_;
  PlayerObserver observer_;
  PlayPreferences livePreferences_;  // of the last live load, for its reconnections
  int liveBufferMinutes_ = 0;
  int subtitlePosition_ = 100;
  bool reconnects_ = true;
  bool cacheLimitsChanged_ = false;  // a live load changed the engine's cache limits
  bool zapLatencyHacks_ = false;     // "video-latency-hacks" is on
  bool diagnosticLog_ = true;
  bool stopped_ = false;  // Stop came after the last load
  ConnectionBudget* budget_ = nullptr;
  std::string owner_;
  bool refused_ = false;
  bool closing_ = false;  // stopped, and the slot waits for the engine to close
};
