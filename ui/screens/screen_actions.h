#pragma once
// What the key and click handlers ask of the world around the state, as
// three small services: the window (and the settings file), the content
// jobs, and playback. The application implements them; tests record the
// calls. Main thread only.
#include <string>
#include <vector>

#include "catalog/catalog_item.h"
#include "catalog/guide.h"
#include "catalog/guide_requests.h"
#include "catalog/xtream_client.h"
#include "store/preferences.h"
#include "state/playback_state.h"
#include "ui/modals/pin_gate.h"

// The window, the desktop and the settings file.
class WindowActions {
 public:
  virtual ~WindowActions() = default;
  virtual void Quit() = 0;
  virtual void ToggleMaximized() = 0;
  // Saves the settings at once (and follows a changed language).
  virtual void SaveSettingsNow() = 0;
  virtual void Repaint() = 0;
  // Opens a web page in the desktop's browser; a failure is not reported.
  virtual void OpenInBrowser(const std::u16string& url) = 0;
};

// Jobs that fetch or change what the screens list.
class ContentActions {
 public:
  virtual ~ContentActions() = default;
  virtual void StartFullReload() = 0;
  virtual void StartPanelCheck() = 0;
  virtual void StartSportsFetch() = 0;
  virtual void SendReply(const std::u16string& text) = 0;
  // Makes `series` the current series and asks for its episodes; with
  // `autoPlay` the first episode plays when they arrive, else the episode
  // list opens.
  virtual void RequestSeriesInfo(const CatalogItem& series, bool autoPlay) = 0;
  // "Update Now": the settings and the cache read again and a new boot job.
  virtual void RestartBoot() = 0;
  // Switches to the playlist at `url`: the catalog reloads from it, and the
  // current playlist and catalog stay when the URL is not one or its server
  // does not answer (the status line says why).
  virtual void ReloadPlaylist(const std::u16string& url) = 0;
  // Empties the catalog cache, the icons and the backdrop (files and the
  // pictures held in memory) and reports the size freed in the speed-test
  // report.
  virtual void ClearCache() = 0;
  // Starts the speed test into the speed-test report unless one runs.
  virtual void StartSpeedTest() = 0;
  // Fetches a channel's guide with its past week (the Catch-up screen).
  virtual void StartCatchupGuide(const std::u16string& streamId) = 0;
  // Asks the guide queue for these channels' guides, in order: the last is
  // the most wanted (the queue keeps the newest wishes); and the panel's
  // clock, for catch-up from what shows them. A screen that shows the guides
  // of many channels (the grid) hands over the ones it lacks as it moves and
  // whenever guides arrive (ScreenView::OnGuidesUpdated).
  virtual void RequestGuides(const std::vector<GuideWish>& wishes) = 0;
};

// The multi-view (ui/screens/multiview_screen.h): one Player per tile
// (app/multiview_desk.h). The tiles and the focus are state.multiView;
// these play, stop and place them. The focused tile has the sound, the
// others are muted.
class MultiViewActions {
 public:
  virtual ~MultiViewActions() = default;
  // W on the Player: the channel playing and those after it in the Live
  // list fill up to four tiles, as many as the line's connection limit
  // allows (a notice says the limit when it is below what was wanted).
  // False, nothing opened, when fewer than two tiles could play; the
  // caller then stays where it is.
  virtual bool Open() = 0;
  // Back from the tiles (or W): the focused tile's channel goes on as the
  // one video tile and every other stream stops. The caller changes the
  // screen afterwards.
  virtual void Close() = 0;
  // Tile `tile` plays `channel` (its old stream stops first: the same
  // connection) once the channel passes the parental gate as chosen; false,
  // and the tile unchanged, when it does not.
  virtual bool SetChannel(int tile, const CatalogItem& channel) = 0;
  // The focused tile zaps to the next (+1) or previous (-1) channel of the
  // list that no other tile shows.
  virtual void StepChannel(int direction) = 0;
  // Adds a tile with the next channel no tile shows, when the limit allows
  // (else the limit notice); removes the focused one while more than one
  // is left.
  virtual void AddTile() = 0;
  virtual void RemoveTile() = 0;
  // The sound and the focus outline go to `tile`; its label shows.
  virtual void Focus(int tile) = 0;
  // Enter: the focused tile fills the window and the others stop (their
  // connections freed); Back: they start again in their places.
  virtual void Fill() = 0;
  virtual void Unfill() = 0;
};

// What plays and how: the video tile, the Player screen's remote control.
// Every start of a live channel passes the parental gate here
// (ui/modals/pin_gate.h), whoever asks: the screens never ask for a
// channel's PIN themselves.
class PlaybackActions {
 public:
  virtual ~PlaybackActions() = default;
  virtual void ApplyVolume(int volume) = 0;
  // Places the video for the current screen.
  virtual void LayoutVideo() = 0;
  // Plays VisibleLive[ChannelIndex] (the preview, or the Player's picture)
  // once it passes the gate: a preview of a locked channel neither asks nor
  // plays, a start the user chose asks. With `keepPlaying`, a channel that
  // already plays goes on as it is (one connection to the provider, no
  // restart of the picture) once it passes. The guide panel follows the
  // channel. False when refused or there is no such row.
  virtual bool PlaySelectedChannel(LiveStart start, bool keepPlaying) = 0;
  virtual void StopPlayback() = 0;
  // Plays a movie, or an episode of the current series, on the Player screen.
  virtual void PlayMovie(const CatalogItem& movie) = 0;
  virtual void PlayEpisode(const Episode& episode) = 0;
  // Sets the media engine's user agent and subtitle style from the
  // settings, and the live buffer from the preferences.
  virtual void ApplyPlayerSettings() = 0;

  // The Player screen's hand-offs (A, T, E and the strips' buttons).
  // Opens the picker of the playing stream's audio or subtitle tracks.
  virtual void ChooseTrack(TrackKind kind) = 0;
  // Hands the playing stream to the external player (VLC), or offers its
  // download page when none is installed; a live channel passes the gate as
  // chosen first (on Live the highlighted one, whatever the preview shows).
  virtual void OpenInExternalPlayer() = 0;

  // The Player screen's remote control; the application drives the video
  // tile's Player (app/playback_control.h).
  // What plays fills the window (the Player screen); it does not start
  // playback, and asks nothing: what plays has passed the gate.
  virtual void EnterFullVideo() = 0;
  // Esc/Backspace on the Player: the resume position is stored, a movie or
  // episode stops, a live channel stays as the Live screen's preview.
  virtual void LeavePlayer() = 0;
  // The next (+1) or previous (-1) channel, or movie or episode; the
  // channel step passes the gate (StepToAllowedChannel).
  virtual void StepChannel(int direction) = 0;
  virtual void StepVod(int delta) = 0;
  virtual void TogglePause() = 0;
  // A live channel played with a buffer: a skip of `seconds` inside it
  // (false while the picture is at live, so the key zaps as it would), and
  // back to live (false when the picture is there).
  virtual bool SkipLive(double seconds) = 0;
  virtual bool JumpToLive() = 0;
  // The channel played before the one playing now (the live history's
  // newest other entry), on the Live screen's preview or the Player; the
  // parental gate applies. Nothing when there is none.
  virtual void PlayPreviousChannel() = 0;
  // A movie or episode: relative seek with the position notice, or an
  // absolute one to a share (0..1) of its duration.
  virtual void SeekBy(double seconds) = 0;
  virtual void SeekToShare(double share) = 0;
  // The next entry of the aspect table.
  virtual void CycleAspect() = 0;
  // The strips follow a change of their state (shown, expanded, volume).
  virtual void UpdateStrips() = 0;
  // Replays row `guideRow` of the selected channel's guide from the
  // provider's archive, full window (the Catch-up screen's Enter), once the
  // channel passes the gate as chosen.
  virtual void PlayCatchup(int guideRow) = 0;
  // Replays `minutes` from `start` (Unix seconds) of the selected channel's
  // archive, for a channel with an archive but no guide (the grid's slot).
  virtual void PlayCatchupSlot(int64_t start, int minutes) = 0;
  // Plays the trending movie's trailer full window once it is resolved (a
  // notice shows meanwhile); a notice says so when there is none.
  virtual void PlayTrailer() = 0;
  // The tiles of the multi-view.
  virtual MultiViewActions& MultiView() = 0;
};

// Recordings and reminders (app/recording_desk.h). What is scheduled,
// records and was recorded is state.recordings; these change it, start and
// stop the recorders, and save recordings.json. A recording is named by its
// Recording::id. Every start takes a slot of the line's connection budget:
// one that would go over the line's limit is refused with a notice and
// opens nothing.
class RecordActions {
 public:
  virtual ~RecordActions() = default;
  // Shift+R and the strip's button: records `channel` from now until the
  // programme on now ends, with the padding after it (until stopped, four
  // hours at most, when the guide has none); on a channel being recorded it
  // stops that recording instead.
  virtual void ToggleRecordNow(const CatalogItem& channel) = 0;
  // The grid, on a programme to come: schedules it with the padding
  // (`everyAiring`: every airing of its title on this channel), or cancels
  // the one scheduled for it. Two recordings that would go over the line's
  // limit at some moment are refused here, with a notice.
  virtual void ToggleSchedule(const CatalogItem& channel, const EpgEntry& programme, bool everyAiring) = 0;
  // The grid, on a programme to come: a reminder at its start, or none.
  virtual void ToggleReminder(const CatalogItem& channel, const EpgEntry& programme) = 0;
  // The Recordings screen. Stop ends a recording in progress (what was
  // written is kept, Done); Delete cancels a scheduled one, or removes a
  // finished one and its file (the screen has asked); Play plays a written
  // file in the Player as a movie (seek, resume, tracks).
  virtual void StopRecording(const std::string& id) = 0;
  virtual void DeleteRecording(const std::string& id) = 0;
  virtual void PlayRecording(const std::string& id) = 0;
};

// The user's say over the guides: which guide a live channel takes
// (guide_map.json; the choice wins over the channel's guide id and over
// matching by name) and the user's own guide sources with their time offsets
// (preferences.json). A change is saved at once and shows at once; the
// guides are then read again on a job from their kept copies, so that the
// programmes a choice needs are all there.
class GuideActions {
 public:
  virtual ~GuideActions() = default;
  // The live channel `streamId` takes guide channel `guideId` of the source
  // `sourceKey` (empty: the provider's own guide; else the source's URL).
  virtual void ChooseGuide(std::u16string_view streamId, const std::string& sourceKey, const std::string& guideId) = 0;
  // The channel has no guide: nothing is matched for it, nothing asked.
  virtual void ChooseNoGuide(std::u16string_view streamId) = 0;
  // The channel's choice is forgotten: its guide id and its name find its
  // guide again.
  virtual void ForgetGuideChoice(std::u16string_view streamId) = 0;
  // The user's sources in their order and the provider guide's offset.
  virtual void SetGuideSources(std::vector<GuideSourcePreference> sources, int providerOffsetHours) = 0;
};

// What a screen's handlers work with besides the state.
struct ScreenServices {
  WindowActions& window;
  ContentActions& content;
  PlaybackActions& playback;
  RecordActions& recording;
  GuideActions& guides;
};
