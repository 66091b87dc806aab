#pragma once
// What is playing: the channel or item, the URL loaded for it, the resume
// key and the ticks the repeat guard and supervision read. Main thread only.
#include <cstdint>
#include <string>
#include <vector>

#include "catalog/catalog_item.h"

// The two kinds of selectable track of a playing stream.
enum class TrackKind { Audio, Subtitle };

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
  bool autoplayEpisodes = false;

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
};

// What the strips show of the running stream, sampled from the engine on
// the main loop so that painting never asks the engine. Texts as the engine
// gives them; empty = unknown.
struct StreamSample {
  std::u16string timePos, duration, width, height;
  bool paused = false;
};

// The Player screen's controls and the supervisor's memory.
struct PlayerControls {
  uint64_t controlsUntil = 0;  // the strips show while now < controlsUntil
  bool stripsShown = false;
  bool controlsSeen = false;  // (now < controlsUntil) at the supervisor's last tick
  bool liveStripExpanded = false;
  int aspectIndex = 0;  // 0..4, kept across channels and visits
  int lastCursorX = -1, lastCursorY = -1;
  uint64_t lastMoveTick = 0;
  bool volumeDrag = false;  // the volume bar holds the pointer
  StreamSample sample;

  // Supervision.
  int stallCount = 0;
  double lastPos = -1;
  uint64_t lastCacheNotice = 0, lastCodecLog = 0, lastStateLog = 0, lastResumeSave = 0;
  // The preview's restarts of a dead stream since it last played, and the
  // earliest tick of the next one (a growing back-off).
  std::u16string deadChannelId;  // the channel the restarts count for
  int deadRestarts = 0;
  uint64_t nextRestartTick = 0;
};
