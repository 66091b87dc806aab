#pragma once
// The audio and subtitle tracks of the running stream, read from the
// player's "track-list" properties, and the choice written back as "aid"
// or "sid". Main thread only.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "state/playback_state.h"

class MediaEngine;

struct TrackEntry {
  int32_t id = 0;  // the player's track id
  std::u16string label;
  bool operator==(const TrackEntry&) const = default;
};

// The subtitle picker's "Off" row: no track (the player's ids start at 1).
constexpr int32_t kTrackOff = 0;

// At most this many tracks are looked at.
constexpr int kMaxTracks = 64;

// How a track is named: its language, else its title, else "#" and its id;
// language and a different title as "eng — Commentary".
std::u16string TrackLabel(int32_t id, const std::u16string& lang, const std::u16string& title);

// The tracks of `kind` in the player's order; empty when the engine is not
// ready or has not parsed the stream yet.
std::vector<TrackEntry> ListTracks(const MediaEngine& engine, TrackKind kind);

// ListTracks, retried up to 20 more times while it is empty; between tries
// `waitBetween` runs (the window serves its events for about 80 ms), so
// the wait is at most about 1.6 s and the interface keeps painting.
std::vector<TrackEntry> ListTracksWaiting(const MediaEngine& engine, TrackKind kind,
                                          const std::function<void()>& waitBetween);

// The entry to highlight for the player's current "aid"/"sid" value: the
// entry with that id, else (for "no", "auto", empty or an unknown id) 0,
// which is the "Off" row of SubtitleChoices.
int HighlightedTrack(const std::vector<TrackEntry>& entries, const std::u16string& current);

// The subtitle picker's rows: `offLabel` (kTrackOff) first, then the
// tracks; none without a track, as there is nothing to turn off or on.
std::vector<TrackEntry> SubtitleChoices(std::vector<TrackEntry> tracks, std::u16string offLabel);

// The property a choice of `kind` writes.
const char* TrackProperty(TrackKind kind);
