#pragma once
// What the application does around playback, over the state and the video
// tile's Player: which channel, movie, episode or programme a request is
// for and its URL, the history, the resume points in the settings, the
// notices, the next episode at the end of one, and where the back key
// leads. The Player plays; these decide what. None of them changes the
// screen or opens a prompt: the caller (the playback desk,
// app/playback_desk.h) passes the parental gate first and changes the
// screen through the navigator after.
// Main thread only.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "catalog/catalog_item.h"
#include "catalog/xtream_client.h"
#include "player/player.h"
#include "state/app_state.h"

// The load preferences of the settings: "VLC/3.0.20 LibVLC/3.0.20" for the
// second built-in player profile, "Vistra43/4.3" otherwise; subtitle size
// 0 → 22, 2 → 48, else 32; the subtitle colour of SubColor.
PlayPreferences PreferencesFrom(const Settings& settings);

// Why a live channel is loaded: the viewer chose it, or the program loads
// again by itself the channel that plays (a preview that did not start, a
// catalog that arrived under an idle preview).
enum class LivePlay { Viewing, Restart };

// Notes that the live channel `id` plays: it becomes LastLiveChannelId and,
// unless it is a restart of that same channel (`restart`), a new entry of
// the live history (the settings become dirty).
void NoteLiveChannelPlayed(AppState& state, std::u16string_view id, bool restart);

// Plays VisibleLive[ChannelIndex] as it is (the parental gate is the
// caller's): asks for its guide, loads it unless the repeat guard holds,
// logs "play live ...", records the history. A restart of the channel that
// played last is no new viewing and leaves the history as it is. False when
// there is no such row or nothing was loaded.
bool PlayLive(AppState& state, Player& player, uint64_t nowMs,
              const std::function<void(std::u16string_view)>& requestGuide, LivePlay why = LivePlay::Viewing);

// Plays `item`, a movie (episode null) or an episode of the series `item`:
// the resume position from the settings, "play vod ...", the history and
// the resume notice. The caller shows the Player screen. False, with
// nothing changed but the connection notice (NoticeIfRefused), when the
// line has no connection free.
bool PlayVod(AppState& state, Player& player, const CatalogItem& item, const Episode* episode, uint64_t nowMs);
// When `player`'s last Play was refused for want of a connection, says so:
// how many streams the line allows at once and, with the multi-view open,
// that leaving it frees one. True when it was refused.
bool NoticeIfRefused(AppState& state, const Player& player, uint64_t nowMs);

// A written recording plays as a movie does (seek, resume, tracks), from
// its file: no slot of the line is taken, and no movie history is kept.
// False when the Player refused it.
bool PlayRecording(AppState& state, Player& player, const Recording& recording, uint64_t nowMs);

// "<resume> m:ss" for a resume position; minutes are not wrapped into hours.
std::u16string ResumeNoticeText(std::u16string_view resumeWord, double seconds);

enum class ResumeSave { Nothing, Stored, Removed };
// Writes a resume point into the settings' resume map; Nothing when it lies
// within 4 s of the one stored. The caller writes the settings unless
// Nothing came back.
ResumeSave StoreResumePoint(Settings& settings, const ResumePoint& point);
// A recording's resume key is this prefix and its id; its resume point
// lives in recordings.json, not in the settings.
inline constexpr std::u16string_view kRecordingKeyPrefix = u"rec:";
bool IsRecordingKey(std::u16string_view itemKey);
// StoreResumePoint, or for a recording's key its entry in recordings.json
// (saved here: Nothing then, the settings are not written).
ResumeSave StoreResume(AppState& state, const ResumePoint& point);
// The same for the position of what plays now (nothing for live).
ResumeSave SaveResumePosition(AppState& state, const Player& player);

// The previous (-1) or next (+1) episode of the current series, or movie of
// the item list, with wrap-around. False when there is nothing to play.
bool StepVod(AppState& state, Player& player, int delta, uint64_t nowMs);

// The movie or episode `ended` reached its end: its resume entry goes; an
// episode leads into the next one (true then), the last one shows the
// season's end. The caller writes the settings.
bool FinishVod(AppState& state, Player& player, const ResumePoint& ended, uint64_t nowMs);

// Esc/Backspace on the Player: stores the resume position (true in
// `settingsChanged` when the file must be written), stops a movie, an
// episode, the trailer or a replayed programme (a live channel goes on as
// the preview) and forgets the item. Returns the screen to go back to: Home
// after the trailer, Recordings after a recording, Series, Movies, the screen a replay was started from
// (NavState::catchupFrom, with backFromReplay set), or Live.
Screen LeavePlayerTarget(AppState& state, Player& player, bool& settingsChanged);

// The selected channel's guide row `guideRow`, or nothing.
std::optional<EpgEntry> SelectedGuideRow(const AppState& state, int32_t guideRow);

// Starts catch-up of `programme` (a row of the guide held for the selected
// channel, or a time slot picked by hand) on the selected channel: the candidates (the panel's clock from state.panelClocks when
// known); when none can be made, a programme about as far back, and failing
// that the channel's live stream. Logs "catchup play ...". The caller shows
// the Player screen with the video full window. False (nothing changed)
// when no channel is selected; false with the notice
// "catchup_not_yet" when the programme has not started by `nowUnix`, or
// with the connection notice (NoticeIfRefused) when the line has none free.
bool PlayCatchup(AppState& state, Player& player, const EpgEntry& programme, uint64_t nowMs, int64_t nowUnix);
// The same for row `guideRow` of the selected channel's guide; false when
// there is no such row.
bool PlayCatchup(AppState& state, Player& player, int32_t guideRow, uint64_t nowMs, int64_t nowUnix);

// After a channel change on the Player screen: the video stays full and the
// strips show for 2.8 s.
void KeepPlayerAfterZap(AppState& state, uint64_t nowMs);

// Space: toggles pause and announces "Pause" or "Play".
void TogglePauseWithNotice(AppState& state, Player& player, uint64_t nowMs);
// Relative exact seek, then "time-pos / duration" as the engine gives them.
void SeekWithNotice(AppState& state, Player& player, double seconds, uint64_t nowMs);
// R: the next entry of the aspect table, set on the player and announced.
void CycleAspect(AppState& state, Player& player, uint64_t nowMs);
// The aspect table's engine value, notice (in the interface language) and
// the English name its log line uses, for an index (0..4).
std::string_view AspectValue(int index);
std::u16string_view AspectNotice(int index);
std::u16string_view AspectLogName(int index);

// The URL the external player gets. On the Live screen: the highlighted
// channel's (whatever the preview shows), its direct URL when it has one,
// else the live URL built from its id; empty when no channel is highlighted.
// Elsewhere, for what plays now: a movie or an episode, the item's direct
// URL when it has one, else the URL built for it; a live channel (also while
// its past programme replays), the live URL built when the channel started;
// else the URL loaded last.
std::u16string ExternalStreamUrl(const AppState& state);
