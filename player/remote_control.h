#pragma once
// The remote-control operations of the Player screen that need the engine
// or change what plays: channel steps and typed numbers (shared with the
// Live screen), pause, seeks, the aspect table, showing and hiding the
// controls, and the samples the strips paint from. Main thread only.
#include <cstdint>
#include <string>
#include <string_view>

#include "state/screen.h"

class MediaEngine;
struct AppState;

inline constexpr uint64_t kControlsShowMs = 2800;

// One step of the live list (wrapping, passing over duplicates of the
// channel left and channels the parental rule skips). Selects it and
// returns true when there is a channel to play.
bool StepChannelSelection(AppState& state, int direction);

// A typed digit: the number notice, and the row whose number the digits
// make (selected), or -1 while none matches. The digits stay until the
// 1,800 ms pause, so "1", "2" reaches channel 12 after channel 1.
int ChannelNumberEntry(AppState& state, int digit, uint64_t nowMs);

// After a channel change on the Player screen: the screen stays, the video
// stays full and the controls show for 2.8 s.
void KeepPlayerAfterZap(AppState& state, uint64_t nowMs);

// Esc/Backspace on the Player: stores the resume position (true in
// `settingsChanged` when the file must be written), stops a movie or
// episode (a live channel goes on as the preview) and forgets the tracked
// item. Returns the screen to go back to: Series, Movies or Live.
Screen LeavePlayerTarget(AppState& state, MediaEngine& engine, bool& settingsChanged);

// True when a movie or an episode is what plays (not live).
bool PlayingVod(const AppState& state);
// True when what plays can be seeked: a movie, an episode, the trailer or a
// catch-up programme.
bool PlayingRecording(const AppState& state);

// Space: toggles pause and announces "Pause" or "Play".
void TogglePauseWithNotice(AppState& state, MediaEngine& engine, uint64_t nowMs);
// Relative exact seek of a VOD, then "time-pos / duration" as the engine
// gives them.
void SeekWithNotice(AppState& state, MediaEngine& engine, double seconds, uint64_t nowMs);
// Absolute seek to a share (0..1) of the sampled duration; nothing while
// the duration is unknown or not above one second.
void SeekToShare(AppState& state, MediaEngine& engine, double share);
// R: the next entry of the aspect table, set on the engine and announced.
void CycleAspect(AppState& state, MediaEngine& engine, uint64_t nowMs);
// The aspect table's engine value, notice (in the interface language) and
// the English name its log line uses, for an index (0..4).
std::string_view AspectValue(int index);
std::u16string_view AspectNotice(int index);
std::u16string_view AspectLogName(int index);

// Reads "time-pos", "duration", "width", "height" and the pause into the state's
// sample; true when what the strips show changed (the whole second, the
// duration or the size): the strips repaint then.
bool SampleStream(AppState& state, const MediaEngine& engine);
