#pragma once
// What is playing (PlaybackState, held by each player/Player) and the
// Player screen's own controls. Main thread only.
#include <cstdint>
#include <string>
#include <vector>

#include "catalog/catalog_item.h"

// The two kinds of selectable track of a playing stream.
enum class TrackKind { Audio, Subtitle };

// What the strips show of the running stream, sampled from the engine on
// the main loop so that painting never asks the engine. Texts as the engine
// gives them; empty = unknown.
struct StreamSample {
  std::u16string timePos, duration, width, height;
  bool paused = false;
  int behind = 0;  // TimeshiftState::shownBehind when sampled
};

// What the engine's demuxer cache holds of a live stream.
struct CacheSpan {
  bool seekable = false;      // a seekable range is held
  double start = 0, end = 0;  // the last seekable range, stream seconds
  uint64_t bytes = 0;         // "total-bytes": what the cache holds in memory
};

// The time shift of the live stream one Player plays; a load resets it.
struct TimeshiftState {
  bool paused = false;
  // Seconds behind live at `sinceMs`; while paused it grows with the time.
  double behind = 0;
  uint64_t sinceMs = 0;
  // The stream cannot be buffered (the engine held no seekable range when
  // the user paused); said once per load, then Space pauses as without a
  // buffer.
  bool refused = false;
  // The most the buffer holds, seconds; 0: the stream was loaded without
  // one (not live, or the buffer is off).
  double window = 0;
  CacheSpan span;       // the last sample of the cache
  double position = 0;  // "time-pos" at that sample
  // Behind live in whole seconds as the strip shows it, set at each
  // supervision tick and at each pause, skip or return to live.
  int shownBehind = 0;

  // Paused, or playing behind live.
  bool Shifted() const { return paused || behind > 0; }
};

// A live stream that was playing and stopped (the provider went away) is
// loaded again in place, with a growing pause between attempts, until it
// plays again or the attempts run out (player/reconnect.h).
struct ReconnectState {
  bool active = false;  // lost, and being reconnected
  bool gaveUp = false;  // every attempt failed; the next play starts afresh
  int attempts = 0;     // loads made since the stream was lost
  uint64_t lostAtMs = 0;
  uint64_t attemptAtMs = 0;    // when the last attempt was loaded
  uint64_t nextAttemptMs = 0;  // 0: not yet scheduled (the last attempt still runs)
  // Something to say about the stream: lost, or given up.
  bool Shown() const { return active || gaveUp; }
};

// What one Player plays: the channel or item, the URL loaded for it, the
// resume key, the ticks its supervision reads and the last sample of the
// stream. Written by the Player only; everything else reads it.
struct PlaybackState {
  CatalogItem currentChannel;        // the channel being played
  std::u16string currentChannelUrl;  // the URL actually loaded for it
  CatalogItem currentItem;           // the movie or series being played
  bool isEpisode = false;
  std::u16string itemKey;  // resume key: movie stream id or episode id; empty for live
  double resumeSeconds = 0;
  std::u16string lastUrl;
  std::u16string lastChannelId;
  uint64_t playStartTick = 0;
  uint64_t lastLiveLoadTick = 0;  // 0 forces the next live load
  StreamSample sample;  // the strips paint from it
  // Live pause and rewind (player/timeshift.h); a load resets it.
  TimeshiftState timeshift;
  // The reconnection of a lost live stream; every play resets it.
  ReconnectState reconnect;

  // Catch-up: the archive URLs of the programme being replayed, in the order
  // they are tried, and the one loaded now. Active while a candidate has not
  // yet shown video.
  std::vector<std::u16string> catchupCandidates;
  int32_t catchupIndex = 0;
  bool catchupActive = false;
  // The programme replayed, for the strip: its title, start (Unix seconds)
  // and length.
  std::u16string catchupTitle;
  int64_t catchupStart = 0;
  int32_t catchupMinutes = 0;
  // True while the loaded URL is the candidate being tried or playing.
  bool PlayingCatchup() const {
    return catchupIndex >= 0 && size_t(catchupIndex) < catchupCandidates.size() &&
           catchupCandidates[size_t(catchupIndex)] == lastUrl;
  }

  // The trending movie's trailer, as loaded: it plays while it is still the
  // last URL loaded (any other load replaces it).
  std::u16string trailerUrl;
  bool PlayingTrailer() const { return !trailerUrl.empty() && trailerUrl == lastUrl; }

  // A movie or an episode is what plays (not live).
  bool PlayingVod() const { return !currentItem.id().empty(); }
  // What plays can be seeked: a movie, an episode, the trailer or a
  // catch-up programme.
  bool PlayingRecording() const { return PlayingVod() || PlayingTrailer() || PlayingCatchup(); }
};


// The Player screen's own controls (what the screen remembers between
// keys and pointer moves; what plays is the Player's).
struct PlayerScreenControls {
  uint64_t stripsUntil = 0;  // the strips show while now < stripsUntil
  bool stripsShown = false;
  bool stripsDeadlineSeen = false;  // (now < stripsUntil) at the last tick
  bool liveStripExpanded = false;
  // The live strip's control the arrow keys stand on while the row is open:
  // an index into its layout's controls (ui/screens/player_strips.h).
  int stripFocus = 0;
  int aspectIndex = 0;  // 0..4, kept across channels and visits
  int hoverX = -1, hoverY = -1;  // the pointer at its last move
  uint64_t hoverMovedMs = 0;
  bool volumeDrag = false;  // the volume bar holds the pointer
};

// How long the strips show after a key, a click or a pointer move.
inline constexpr uint64_t kControlsShowMs = 2800;
