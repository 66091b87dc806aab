// The playback desk's extras: catch-up, the track picker, the external
// player and the trailer.
#include <chrono>

#include "app/playback_desk.h"
#include "app/playback_control.h"
#include "app/timer_ids.h"
#include "catalog/channel_choice.h"
#include "catalog/panel_clock.h"
#include "net/text.h"
#include "platform/clock.h"
#include "player/external_players.h"
#include "player/trailer.h"
#include "player/tracks.h"
#include "store/runtime_log.h"
#include "i18n/translate.h"
#include "ui/modals/option_picker.h"
#include "ui/modals/pin_gate.h"
#include "ui/modals/question_dialog.h"

namespace {

constexpr uint32_t kTrackWaitMs = 80;
constexpr uint64_t kTrackNoticeMs = 1800;
constexpr uint64_t kTrackChosenMs = 1500;
constexpr uint64_t kTrailerWaitMs = 20000;  // the notice stays while yt-dlp may run

}  // namespace

// --- Catch-up ---------------------------------------------------------------

void PlaybackDesk::PlayCatchup(int guideRow) {
  const std::optional<EpgEntry> programme = SelectedGuideRow(state_, guideRow);
  if (programme) Replay(*programme);
}

void PlaybackDesk::PlayCatchupSlot(int64_t start, int minutes) {
  EpgEntry slot;
  slot.start = start;
  slot.durationMin = minutes;
  slot.time = GuideClockText(start);
  slot.title = slot.time + u"\u2013" + GuideClockText(start + int64_t{minutes} * 60);
  Replay(slot);
}

void PlaybackDesk::Replay(const EpgEntry& programme) {
  if (!PassGate(LiveStart::Chosen)) return;
  const Screen from = state_.CurrentScreen;
  if (!::PlayCatchup(state_, player_, programme, TickMs(), NowUnix())) {
    window_.RequestPaint();
    return;
  }
  state_.nav.catchupFrom = from == Screen::Grid ? Screen::Grid : Screen::Catchup;
  ShowPlayer();
}

// --- Tracks -----------------------------------------------------------------

void PlaybackDesk::ChooseTrack(TrackKind kind) {
  const bool audio = kind == TrackKind::Audio;
  // The player may not have parsed the stream yet: the window keeps
  // serving its events between tries.
  const auto waitBetween = [this] {
    const uint64_t until = TickMs() + kTrackWaitMs;
    window_.SetTimer(kTrackWaitTimer, kTrackWaitMs, false);
    const JobMailbox::HandlerWait wait(mailbox_);
    window_.RunNestedUntil([until] { return TickMs() >= until; });
  };
  std::vector<TrackEntry> entries = ListTracksWaiting(player_.Engine(), kind, waitBetween);
  if (entries.empty()) {
    ShowNotice(state_, std::u16string(Translate(audio ? "no_audio_tracks" : "no_subtitles")), kTrackNoticeMs);
    return;
  }
  if (!audio) entries = SubtitleChoices(std::move(entries), std::u16string(Translate("off")));
  std::vector<std::u16string> labels;
  for (const TrackEntry& entry : entries) labels.push_back(entry.label);
  // Hidden subtitles are "Off", whatever track stays selected behind them.
  const bool hidden = !audio && !state_.settings.SubVisible;
  const int highlighted = HighlightedTrack(entries, hidden ? std::u16string() : player_.Property(TrackProperty(kind)));
  const std::u16string title(Translate(audio ? "audio" : "subtitle"));
  const int choice = OpenPicker(modal_, title, std::move(labels), highlighted);
  if (choice < 0) return;
  const TrackEntry& chosen = entries[choice];
  player_.ChooseTrack(kind, chosen.id);
  if (!audio) {
    state_.settings.SubVisible = chosen.id != kTrackOff;
    state_.SettingsDirty = true;
    ApplyPlayerSettings();
  }
  WriteLogF(128, "track %s=%s", TrackProperty(kind), WideToUtf8(player_.Property(TrackProperty(kind))).c_str());
  ShowNotice(state_, chosen.label, kTrackChosenMs);
}

// --- External player --------------------------------------------------------

void PlaybackDesk::OpenInExternalPlayer() {
  const bool allowed = state_.CurrentScreen == Screen::Live
                           ? PassGate(LiveStart::Chosen)
                           : GateExternalHandOff(PinPrompt(modal_), state_);
  if (!allowed) return;
  ExternalLaunchHooks hooks;
  hooks.offerDownload = [this](ExternalPlayerKind kind) {
    if (AskYesNo(modal_, u"Vistra", std::u16string(Translate("ext_player")), true))
      windowActions_.OpenInBrowser(Utf8ToWide(ExternalPlayerDownloadUrl(kind)));
  };
  hooks.notice = [this](const char* key, uint64_t ms) { ShowNotice(state_, std::u16string(Translate(key)), ms); };
  const std::u16string url = ExternalStreamUrl(state_);
  const bool started = LaunchExternal(url, state_.settings.ExternalKind, hooks);
  WriteLogF(768, "external kind=%d started=%d url=%s", static_cast<int>(state_.settings.ExternalKind),
            started ? 1 : 0, WideToUtf8(url).c_str());
}

// --- Trailer ----------------------------------------------------------------

// yt-dlp may take up to 20 s: it runs on a job and the trailer plays when
// its result arrives, so the window never stops answering.
void PlaybackDesk::PlayTrailer() {
  const std::u16string page = state_.trending.empty() ? std::u16string() : state_.trending.front().trailerUrl;
  if (page.empty()) {
    ShowNotice(state_, std::u16string(Translate("no_trailer")), 2500);
    return;
  }
  const uint32_t request = ++trailerRequest_;
  ShowNotice(state_, std::u16string(Translate("trailer_play")), kTrailerWaitMs);
  WriteLogF(512, "trailer resolve %s", WideToUtf8(page).c_str());
  StartJob([this, page, request] {
    std::u16string media = ResolveMediaUrl(page);
    mailbox_.Deliver(TrailerResolved{page, std::move(media), request});
  });
}

void PlaybackDesk::PlayResolvedTrailer(const TrailerResolved& trailer) {
  // A newer press, or the user went elsewhere meanwhile: the trailer would
  // only get in the way.
  if (trailer.request != trailerRequest_ || state_.CurrentScreen != Screen::Home) return;
  state_.toast.text.clear();
  state_.nav.fullVideo = true;
  navigator_.SetScreen(Screen::Player);
  PlayRequest request;
  request.kind = PlayKind::Trailer;
  request.url = trailer.media;
  request.preferences = PreferencesFrom(state_.settings);
  if (!player_.Play(request, TickMs())) {
    NoticeIfRefused(state_, player_, TickMs());
    window_.RequestPaint();
    return;
  }
  WriteLogF(768, "trailer play resolved=%d url=%s", trailer.media != trailer.page ? 1 : 0,
            WideToUtf8(trailer.media).c_str());
  window_.RequestPaint();
}
