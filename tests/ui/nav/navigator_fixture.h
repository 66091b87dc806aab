#pragma once
// The navigator with the real table of screens and modal slot, and a
// recorder of what the screens ask of the window, the content jobs and
// playback. Shared by the tests of the navigator and of each screen.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "catalog/visible_list.h"
#include "platform/virtual_keys.h"
#include "state/app_state.h"
#include "tests/fixtures/message_recorder.h"
#include "ui/modals/modal_slot.h"
#include "ui/modals/pin_gate.h"
#include "ui/nav/navigator.h"
#include "ui/screens/screen_actions.h"
#include "ui/screens/screen_table.h"

// The multi-view's calls, one line each ("open", "focus 2", "set 1 103",
// "step -1", ...); Open answers `opens`.
struct RecordingMultiView : MultiViewActions {
  bool Open() override {
    calls.push_back("open");
    return opens;
  }
  void Close() override { calls.push_back("close"); }
  bool SetChannel(int tile, const CatalogItem& channel) override {
    if (modal && !ChannelGate(PinPrompt(*modal), *state, channel, LiveStart::Chosen)) return false;
    calls.push_back("set " + std::to_string(tile) + " " + std::string(channel.id().begin(), channel.id().end()));
    return true;
  }
  void StepChannel(int direction) override { calls.push_back("step " + std::to_string(direction)); }
  void AddTile() override { calls.push_back("add"); }
  void RemoveTile() override { calls.push_back("remove"); }
  void Focus(int tile) override { calls.push_back("focus " + std::to_string(tile)); }
  void Fill() override { calls.push_back("fill"); }
  void Unfill() override { calls.push_back("unfill"); }
  std::vector<std::string> calls;
  bool opens = true;
  // With both set, SetChannel passes the real parental gate first.
  AppState* state = nullptr;
  ModalSlot* modal = nullptr;
};

struct RecordingActions : WindowActions, ContentActions, PlaybackActions, RecordActions, GuideActions {
  // GuideActions, one line each: "guide 101 <source> <id>", "noguide 101", "byname 101", "sources <n> <offset>".
  // As the application does, a choice takes the channel off the review
  // list and new sources become the preferences (with `gateState` set).
  void ChooseGuide(std::u16string_view streamId, const std::string& sourceKey, const std::string& guideId) override {
    guideCalls.push_back("guide " + Narrow(streamId) + " " + sourceKey + " " + guideId);
    Reviewed(streamId);
  }
  void ChooseNoGuide(std::u16string_view streamId) override {
    guideCalls.push_back("noguide " + Narrow(streamId));
    Reviewed(streamId);
  }
  void ForgetGuideChoice(std::u16string_view streamId) override { guideCalls.push_back("byname " + Narrow(streamId)); }
  void SetGuideSources(std::vector<GuideSourcePreference> sources, int offset) override {
    guideCalls.push_back("sources " + std::to_string(sources.size()) + " " + std::to_string(offset));
    if (!gateState) return;
    gateState->preferences.guideSources = std::move(sources);
    gateState->preferences.providerGuideOffsetHours = offset;
  }
  void Reviewed(std::u16string_view streamId) {
    if (gateState)
      std::erase_if(gateState->guideReview, [&](const GuideReviewItem& item) { return item.streamId == streamId; });
  }
  std::vector<std::string> guideCalls;

  // RecordActions, one line each: "now 101", "schedule 101 1700000000 every", "remind 101 1700000000",
  // "stop r1", "delete r1", "play r1".
  void ToggleRecordNow(const CatalogItem& channel) override { recordCalls.push_back("now " + Narrow(channel.id())); }
  void ToggleSchedule(const CatalogItem& channel, const EpgEntry& programme, bool everyAiring) override {
    recordCalls.push_back("schedule " + Narrow(channel.id()) + " " + std::to_string(programme.start) +
                          (everyAiring ? " every" : ""));
  }
  void ToggleReminder(const CatalogItem& channel, const EpgEntry& programme) override {
    recordCalls.push_back("remind " + Narrow(channel.id()) + " " + std::to_string(programme.start));
  }
  void StopRecording(const std::string& id) override { recordCalls.push_back("stop " + id); }
  void DeleteRecording(const std::string& id) override { recordCalls.push_back("delete " + id); }
  void PlayRecording(const std::string& id) override { recordCalls.push_back("play " + id); }
  static std::string Narrow(std::u16string_view text) { return std::string(text.begin(), text.end()); }
  std::vector<std::string> recordCalls;

  void Quit() override { ++quits; }
  void StartFullReload() override { ++reloads; }
  void StartPanelCheck() override { ++panelChecks; }
  void StartSportsFetch() override { ++sportsFetches; }
  void SendReply(const std::u16string& text) override { sent.push_back(text); }
  void ToggleMaximized() override { ++toggles; }
  void ApplyVolume(int volume) override { volumes.push_back(volume); }
  void SaveSettingsNow() override { ++saves; }
  void LayoutVideo() override { ++layouts; }
  // With `modal` set, the real parental gate comes first (over
  // `gateState`), as the playback desk's; a channel that plays and is kept
  // is no new play.
  bool PlaySelectedChannel(LiveStart start, bool keepPlaying) override {
    if (modal && !GateSelectedChannel(PinPrompt(*modal), *gateState, start)) return false;
    if (keepPlaying && gateState && playing && !playing->lastChannelId.empty() &&
        gateState->VisibleLive[size_t(gateState->nav.ChannelIndex)].id() == playing->lastChannelId)
      return true;
    ++plays;
    if (!state) return true;
    played.push_back(state->nav.ChannelIndex);
    if (!tracksPlaying) return true;
    const std::u16string id(state->VisibleLive[size_t(state->nav.ChannelIndex)].id());
    playedIds.push_back(id);
    if (playing) playing->lastChannelId = id;
    return true;
  }
  void StopPlayback() override {
    ++stops;
    if (tracksPlaying && playing) playing->lastChannelId.clear();  // as the Player's Stop
  }
  void Repaint() override { ++repaints; }
  void OpenInBrowser(const std::u16string& url) override { opened.push_back(url); }
  void RestartBoot() override { ++boots; }
  void ReloadPlaylist(const std::u16string& url) override { playlists.push_back(url); }
  void ApplyPlayerSettings() override { ++playerSettings; }
  void ClearCache() override { ++cacheClears; }
  void StartSpeedTest() override { ++speedTests; }
  void StartCatchupGuide(const std::u16string& id) override { guides.push_back(id); }
  void RequestGuides(const std::vector<GuideWish>& wishes) override {
    ++gridGuideAsks;
    guideWishes = wishes;
  }
  void RequestSeriesInfo(const CatalogItem& series, bool autoPlay) override {
    seriesAsked.emplace_back(series.id());
    autoPlays.push_back(autoPlay);
  }
  void PlayMovie(const CatalogItem& movie) override { movies.emplace_back(movie.id()); }
  void PlayEpisode(const Episode& episode) override { episodes.push_back(episode.id); }
  void ChooseTrack(TrackKind kind) override { tracks.push_back(kind); }
  void OpenInExternalPlayer() override { ++externalOpens; }
  void EnterFullVideo() override { ++fullVideos; }
  void LeavePlayer() override { ++leaves; }
  void StepChannel(int direction) override { channelSteps.push_back(direction); }
  void StepVod(int delta) override { vodSteps.push_back(delta); }
  void TogglePause() override { ++pauses; }
  bool SkipLive(double seconds) override {
    liveSkips.push_back(seconds);
    return timeShifted;
  }
  bool JumpToLive() override {
    ++liveJumps;
    return timeShifted;
  }
  void PlayPreviousChannel() override { ++previousChannels; }
  void SeekBy(double seconds) override { seeks.push_back(seconds); }
  void SeekToShare(double share) override { seekShares.push_back(share); }
  void CycleAspect() override { ++aspects; }
  void UpdateStrips() override { ++stripUpdates; }
  void PlayCatchup(int guideRow) override { catchupRows.push_back(guideRow); }
  void PlayCatchupSlot(int64_t start, int minutes) override { catchupSlots.emplace_back(start, minutes); }
  std::vector<std::pair<int64_t, int>> catchupSlots;
  void PlayTrailer() override { ++trailers; }
  MultiViewActions& MultiView() override { return multiView; }
  RecordingMultiView multiView;

  int quits = 0, reloads = 0, panelChecks = 0, sportsFetches = 0, toggles = 0, saves = 0;
  int layouts = 0, plays = 0, stops = 0, repaints = 0;
  int boots = 0, playerSettings = 0, cacheClears = 0, speedTests = 0, externalOpens = 0;
  int gridGuideAsks = 0;
  std::vector<GuideWish> guideWishes;  // the last RequestGuides
  int liveJumps = 0, previousChannels = 0;
  std::vector<double> liveSkips;
  bool timeShifted = false;  // what SkipLive and JumpToLive answer
  int trailers = 0, fullVideos = 0, leaves = 0, pauses = 0, aspects = 0, stripUpdates = 0;
  std::vector<int> catchupRows, channelSteps, vodSteps;
  std::vector<double> seeks, seekShares;
  std::vector<TrackKind> tracks;
  std::vector<std::u16string> opened, playlists, guides;
  std::vector<std::u16string> sent;
  std::vector<int> volumes;
  // With `state` set, each play records the selected channel's index.
  AppState* state = nullptr;
  std::vector<int> played;
  AppState* gateState = nullptr;
  ModalSlot* modal = nullptr;
  // With `tracksPlaying` as well, each play records the channel's id and
  // makes it the one that plays (in `playing`), as the Player would.
  bool tracksPlaying = false;
  PlaybackState* playing = nullptr;
  std::vector<std::u16string> playedIds;
  std::vector<std::u16string> seriesAsked, movies, episodes;
  std::vector<bool> autoPlays;
};

// The navigator with the real table of screens and modal slot. The nested
// loop of a modal is played by `modalKeys`: each is pressed in turn (through
// the navigator, as the window would dispatch it) until the modal is done;
// between them the loop merges job results as the application's does.
class NavigatorTest : public ::testing::Test {
 protected:
  NavigatorTest() {
    state.playing = &playing;
    actions.playing = &playing;
    actions.gateState = actions.multiView.state = &state;
    actions.modal = actions.multiView.modal = &modal;
    followUps.onCatalogChanged = [this](const CatalogChange& change) { navigator.CatalogChanged(change); };
  }
  // The catalog's live channels, and the Live list built from them.
  void SetLiveChannels(std::shared_ptr<ItemList> channels) {
    state.catalog.LiveChannels = std::move(channels);
    RebuildLiveList(state.catalog, state.settings, state.nav.live, state.VisibleLive);
  }
  void Press(std::initializer_list<int> keys, uint64_t atMs = 0) {
    for (int vk : keys) navigator.OnKey(vk, atMs);
  }
  void Type(std::u16string_view text) {
    for (char16_t ch : text) navigator.OnChar(ch, 0);
  }
  void Click(const RectF& r, int width = 1280, int height = 720) {
    navigator.OnPointer(PointerEvent{PointerEvent::Kind::Up, int((r.left + r.right) / 2), int((r.top + r.bottom) / 2), 0},
                        width, height, 0);
  }
  // Plays a modal's nested loop: presses the keys of `modalKeys` from the
  // front (through the navigator, as the window would dispatch them) until
  // the modal is done; the rest stays for the next modal. A value made by
  // Ch() types that character instead.
  void RunNested(const std::function<bool()>& done) {
    const JobMailbox::HandlerWait wait(mailbox);
    ++modalsShown;
    modalWasOpen = modal.Open();
    if (whileModalOpen) std::exchange(whileModalOpen, nullptr)();
    MergeJobResults();
    while (!modalKeys.empty()) {
      const int step = modalKeys.front();
      modalKeys.erase(modalKeys.begin());
      if (step >= kCharStep) navigator.OnChar(static_cast<char16_t>(step - kCharStep), 0);
      else navigator.OnKey(step, 0);
      MergeJobResults();
      if (done()) return;
    }
  }
  // The job message, as the application handles it.
  void MergeJobResults() { MergeReadyResults(mailbox, state, followUps); }
  static constexpr int kCharStep = 0x100000;
  static int Ch(char16_t ch) { return kCharStep + ch; }
  // The steps that type `text` into a prompt as the window sends them: a
  // letter, digit or space after its key; other characters come alone.
  static std::vector<int> Typing(std::u16string_view text) {
    std::vector<int> steps;
    for (char16_t ch : text) {
      if (const int vk = KeyOf(ch)) steps.push_back(vk);
      steps.push_back(Ch(ch));
    }
    return steps;
  }
  static int KeyOf(char16_t ch) {
    if (ch >= u'a' && ch <= u'z') return Vk::Letter(char(ch - u'a' + 'A'));
    if ((ch >= u'A' && ch <= u'Z') || (ch >= u'0' && ch <= u'9') || ch == u' ') return ch;
    return 0;
  }
  // What the Player would hold; the handlers and painters read it through
  // state.Playing().
  PlaybackState playing;
  AppState state;
  MessageRecorder recorder;
  JobMailbox mailbox{recorder};
  CountingFollowUps followUps;
  RecordingActions actions;
  ScreenTable screens;
  std::vector<int> modalKeys;
  // Runs once when the next modal opens, as a job result its loop merges.
  std::function<void()> whileModalOpen;
  int modalsShown = 0;
  bool modalWasOpen = false;
  ModalSlot modal{[this](const std::function<bool()>& done) { RunNested(done); }, [] {}};
  Navigator navigator{state, ScreenServices{actions, actions, actions, actions, actions}, screens, modal};
};
