#include "app/playback_control.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "catalog/account.h"
#include "catalog/guide.h"
#include "i18n/translate.h"
#include "net/text.h"
#include "player/catchup.h"
#include "player/recording_schedule.h"
#include "store/collections.h"
#include "store/runtime_log.h"
#include "ui/screens/player_strips.h"

namespace {

constexpr uint64_t kResumeNoticeMs = 2800;
constexpr uint64_t kNextEpisodeNoticeMs = 2000;
constexpr uint64_t kSeasonEndNoticeMs = 2500;
constexpr int64_t kResumeSameWithinMs = 4000;
constexpr uint64_t kPauseNoticeMs = 2500;
// Long enough to read a sentence and its way out.
constexpr uint64_t kConnectionNoticeMs = 4000;
constexpr uint64_t kSeekNoticeMs = 1500;
constexpr uint64_t kAspectNoticeMs = 2500;
constexpr uint64_t kNotArchivedNoticeMs = 3500;

// The log names each aspect in English; the notice shows the ratio, or the
// translated word for the automatic one.
struct AspectEntry {
  std::string_view value;
  std::u16string_view logName;
  std::string_view noticeKey;  // empty: the notice is the ratio itself
};
constexpr AspectEntry kAspects[] = {{"-1", u"Aspect Auto", "aspect_auto"},
                                    {"16:9", u"16:9", {}},
                                    {"4:3", u"4:3", {}},
                                    {"1.85:1", u"1.85:1", {}},
                                    {"2.35:1", u"2.35:1", {}}};
constexpr int kAspectCount = 5;

const AspectEntry& Aspect(int index) { return kAspects[((index % kAspectCount) + kAspectCount) % kAspectCount]; }

int SubtitleFontSize(int32_t subSize) {
  if (subSize == 0) return 22;
  if (subSize == 2) return 48;
  return 32;
}

std::string_view SubtitleColor(int32_t subColor) {
  switch (subColor) {
    case 1: return "#FFFF00";
    case 2: return "#00FFFF";
    case 3: return "#00FF00";
    case 4: return "#FF4444";
    default: return "#FFFFFF";
  }
}

bool ValidIndex(int index, size_t size) { return index >= 0 && static_cast<size_t>(index) < size; }

void PlayEpisodeAt(AppState& state, Player& player, int index, uint64_t nowMs) {
  const Episode episode = state.series.Episodes[size_t(index)];
  const CatalogItem series = state.Playing().currentItem;
  PlayVod(state, player, series, &episode, nowMs);
}

}  // namespace

PlayPreferences PreferencesFrom(const Settings& settings) {
  PlayPreferences preferences;
  preferences.userAgent = settings.InternalPlayer == 1 ? "VLC/3.0.20 LibVLC/3.0.20" : "Vistra43/4.3";
  preferences.volume = settings.Volume;
  preferences.subtitleSize = SubtitleFontSize(settings.SubSize);
  preferences.subtitleColor = std::string(SubtitleColor(settings.SubColor));
  preferences.subtitlesVisible = settings.SubVisible;
  return preferences;
}

bool PlayLive(AppState& state, Player& player, uint64_t nowMs,
              const std::function<void(std::u16string_view)>& requestGuide, LivePlay why) {
  if (!ValidIndex(state.nav.ChannelIndex, state.VisibleLive.size())) return false;
  const CatalogItem channel = state.VisibleLive[size_t(state.nav.ChannelIndex)];
  PlayRequest request;
  request.kind = PlayKind::Live;
  request.channel = channel;
  request.url = request.channelUrl = LiveStreamUrl(state.account, channel.id(), state.settings.LiveFormat);
  request.preferences = PreferencesFrom(state.settings);
  if (requestGuide) requestGuide(channel.id());
  const bool loaded = player.Play(request, nowMs);
  if (state.CurrentScreen == Screen::Player) player.ClearOverlay();
  if (!loaded) {
    NoticeIfRefused(state, player, nowMs);
    return false;
  }
  WriteLogF(768, "play live id=%s name=%s url=%s", WideToUtf8(channel.id()).c_str(), WideToUtf8(channel.name()).c_str(),
            WideToUtf8(request.url).c_str());
  NoteLiveChannelPlayed(state, channel.id(), why == LivePlay::Restart);
  return true;
}

bool NoticeIfRefused(AppState& state, const Player& player, uint64_t nowMs) {
  if (!player.Refused()) return false;
  // What would free a slot: leaving the multi-view, or stopping a recording.
  const auto& holders = state.connections.Holders();
  const bool recording =
      std::any_of(holders.begin(), holders.end(), [](const std::string& owner) { return owner.starts_with(kRecorderOwnerPrefix); });
  std::u16string text(Translate(state.multiView.Open() ? "conn_full_mv" : recording ? "conn_full_rec" : "conn_full"));
  const size_t at = text.find(u"{}");
  const int slots = state.connections.Slots().value_or(state.connections.Held());
  if (at != std::u16string::npos) text.replace(at, 2, AsciiToWide(std::to_string(slots)));
  ShowNotice(state, text, kConnectionNoticeMs, nowMs);
  return true;
}

void NoteLiveChannelPlayed(AppState& state, std::u16string_view id, bool restart) {
  const bool again = restart && state.LastLiveChannelId == id;
  state.LastLiveChannelId = std::u16string(id);
  if (again) return;
  PushHistory(state.settings.HistoryLive, id);
  state.SettingsDirty = true;
}

std::u16string ResumeNoticeText(std::u16string_view resumeWord, double seconds) {
  const long total = std::lround(std::floor(std::max(0.0, seconds)));
  char digits[32];
  std::snprintf(digits, sizeof digits, " %ld:%02ld", total / 60, total % 60);
  return std::u16string(resumeWord) + AsciiToWide(digits);
}

bool PlayVod(AppState& state, Player& player, const CatalogItem& item, const Episode* episode, uint64_t nowMs) {
  PlayRequest request;
  request.kind = episode ? PlayKind::Episode : PlayKind::Movie;
  request.item = item;
  request.url = episode ? EpisodeStreamUrl(state.account, episode->id, episode->containerExt)
                : item.hasUrl() ? item.url()
                                : MovieStreamUrl(state.account, item.id(), item.containerExt());
  request.itemKey = episode ? episode->id : std::u16string(item.id());
  if (const auto offer = ResumeOffer(state.settings.ResumeMs, request.itemKey)) request.resumeSeconds = *offer / 1000.0;
  request.preferences = PreferencesFrom(state.settings);
  if (!player.Play(request, nowMs)) {
    NoticeIfRefused(state, player, nowMs);
    return false;
  }
  state.nav.fullVideo = true;
  state.playerScreen.stripsUntil = 0;
  WriteLogF(1024, "play vod id=%s url=%s resume=%.1f", WideToUtf8(item.id()).c_str(), WideToUtf8(request.url).c_str(),
            request.resumeSeconds);
  PushHistory(episode ? state.settings.HistorySeries : state.settings.HistoryMovies, item.id());
  state.SettingsDirty = true;
  if (request.resumeSeconds > 0) {
    ShowNotice(state, ResumeNoticeText(Translate("resume"), request.resumeSeconds), kResumeNoticeMs, nowMs);
  }
  return true;
}

bool PlayRecording(AppState& state, Player& player, const Recording& recording, uint64_t nowMs) {
  const std::u16string key = std::u16string(kRecordingKeyPrefix) + Utf8ToWide(recording.id);
  const std::u16string name = RecordingLabel(recording);
  const std::u16string path = Utf8ToWide(recording.file);
  CatalogItem::Fields fields;
  fields.id = key;
  fields.name = name;
  fields.containerExt = u"ts";
  fields.url = path;
  PlayRequest request;
  request.kind = PlayKind::Movie;
  request.item = CatalogItem(ItemKind::Vod, fields, 0);
  request.itemKey = key;
  request.url = path;
  request.localFile = true;
  request.resumeSeconds = double(recording.resumeMs) / 1000.0;
  request.preferences = PreferencesFrom(state.settings);
  if (!player.Play(request, nowMs)) return false;
  WriteLogF(1024, "play recording id=%s file=%s resume=%.1f", recording.id.c_str(), recording.file.c_str(),
            request.resumeSeconds);
  state.nav.fullVideo = true;
  state.playerScreen.stripsUntil = 0;
  if (request.resumeSeconds > 0)
    ShowNotice(state, ResumeNoticeText(Translate("resume"), request.resumeSeconds), kResumeNoticeMs, nowMs);
  return true;
}

ResumeSave StoreResumePoint(Settings& settings, const ResumePoint& point) {
  ResumeMap& resume = settings.ResumeMs;
  if (point.remove) {
    ClearResumePosition(resume, point.itemKey);
    return ResumeSave::Removed;
  }
  const auto found = resume.find(point.itemKey);
  if (found != resume.end() && std::llabs(int64_t(found->second) - point.ms) < kResumeSameWithinMs) {
    return ResumeSave::Nothing;
  }
  SetResumePosition(resume, point.itemKey, point.ms);
  return ResumeSave::Stored;
}

bool IsRecordingKey(std::u16string_view itemKey) { return itemKey.starts_with(kRecordingKeyPrefix); }

ResumeSave StoreResume(AppState& state, const ResumePoint& point) {
  if (!IsRecordingKey(point.itemKey)) return StoreResumePoint(state.settings, point);
  const std::string id = WideToUtf8(point.itemKey.substr(kRecordingKeyPrefix.size()));
  for (Recording& r : state.recordings.recordings) {
    if (r.id != id) continue;
    const int64_t ms = point.remove ? 0 : point.ms;
    if (std::llabs(r.resumeMs - ms) < kResumeSameWithinMs && !(point.remove && r.resumeMs != 0)) break;
    r.resumeMs = ms;
    SaveRecordings(state.recordings);
    break;
  }
  return ResumeSave::Nothing;
}

ResumeSave SaveResumePosition(AppState& state, const Player& player) {
  const std::optional<ResumePoint> point = player.ResumePointNow();
  return point ? StoreResume(state, *point) : ResumeSave::Nothing;
}

bool StepVod(AppState& state, Player& player, int delta, uint64_t nowMs) {
  // A recording has no list of its own to step through.
  if (IsRecordingKey(state.Playing().itemKey)) return false;
  NavState& nav = state.nav;
  const auto& episodes = state.series.Episodes;
  if (state.Playing().isEpisode && !episodes.empty()) {
    const int c = int(episodes.size());
    nav.EpisodeIndex = ((nav.EpisodeIndex + delta) % c + c) % c;
    PlayEpisodeAt(state, player, nav.EpisodeIndex, nowMs);
    return true;
  }
  const int n = int(state.VisibleItems.size());
  if (n == 0) return false;
  nav.ItemIndex = ((nav.ItemIndex + delta) % n + n) % n;
  const CatalogItem movie = state.VisibleItems[size_t(nav.ItemIndex)];
  PlayVod(state, player, movie, nullptr, nowMs);
  return true;
}

bool FinishVod(AppState& state, Player& player, const ResumePoint& ended, uint64_t nowMs) {
  if (IsRecordingKey(ended.itemKey)) {
    ResumePoint done = ended;
    done.remove = true;
    StoreResume(state, done);
    return false;
  }
  ClearResumePosition(state.settings.ResumeMs, ended.itemKey);
  const auto& episodes = state.series.Episodes;
  if (!state.Playing().isEpisode || episodes.empty()) return false;
  const int next = state.nav.EpisodeIndex + 1;
  if (next >= int(episodes.size())) {
    ShowNotice(state, std::u16string(Translate("season_end")), kSeasonEndNoticeMs, nowMs);
    return false;
  }
  state.nav.EpisodeIndex = next;
  PlayEpisodeAt(state, player, next, nowMs);
  ShowNotice(state, std::u16string(Translate("next_ep")), kNextEpisodeNoticeMs, nowMs);
  return true;
}

Screen LeavePlayerTarget(AppState& state, Player& player, bool& settingsChanged) {
  settingsChanged = SaveResumePosition(state, player) != ResumeSave::Nothing;
  state.nav.fullVideo = false;
  const PlaybackState& playing = state.Playing();
  // The trailer was started from Home and goes back there; it is not a
  // channel to keep as the Live preview.
  const bool trailer = playing.PlayingTrailer();
  const bool vod = playing.PlayingVod();
  const bool episode = playing.isEpisode;
  // A replayed programme is no live channel to keep as a preview: the
  // screens behind name the channel or its programme, not this recording.
  const bool replay = playing.PlayingCatchup();
  const bool recording = IsRecordingKey(playing.itemKey);
  if (trailer || vod || replay) player.Stop();
  player.ForgetItem();
  if (trailer) return Screen::Home;
  if (recording) return Screen::Recordings;
  if (replay) {
    state.nav.backFromReplay = true;
    return state.nav.catchupFrom;
  }
  if (!vod) return Screen::Live;
  return episode ? Screen::Series : Screen::Movies;
}

std::optional<EpgEntry> SelectedGuideRow(const AppState& state, int32_t guideRow) {
  if (!ValidIndex(state.nav.ChannelIndex, state.VisibleLive.size())) return std::nullopt;
  return state.guide.RowAt(state.VisibleLive[size_t(state.nav.ChannelIndex)].id(), guideRow);
}

bool PlayCatchup(AppState& state, Player& player, int32_t guideRow, uint64_t nowMs, int64_t nowUnix) {
  const std::optional<EpgEntry> programme = SelectedGuideRow(state, guideRow);
  return programme && PlayCatchup(state, player, *programme, nowMs, nowUnix);
}

bool PlayCatchup(AppState& state, Player& player, const EpgEntry& chosen, uint64_t nowMs, int64_t nowUnix) {
  NavState& nav = state.nav;
  if (!ValidIndex(nav.ChannelIndex, state.VisibleLive.size())) return false;
  const EpgEntry* programme = &chosen;
  // A programme still to come has no archive: asking the server for every
  // form of it only makes the user wait to be told so.
  if (programme->start > nowUnix) {
    ShowNotice(state, std::u16string(Translate("catchup_not_yet")), kNotArchivedNoticeMs, nowMs);
    return false;
  }
  const CatalogItem& channel = state.VisibleLive[size_t(nav.ChannelIndex)];
  PlayRequest request;
  request.kind = PlayKind::Catchup;
  request.channel = channel;
  request.channelUrl = LiveStreamUrl(state.account, channel.id(), state.settings.LiveFormat);
  const std::optional<int32_t> panelOffset = state.panelClocks.OffsetFor(state.account);
  CatchupProgramme& catchup = request.catchup;
  catchup.candidates =
      CatchupCandidates(state.account, channel.id(), programme->start, programme->durationMin, panelOffset);
  if (catchup.candidates.empty()) {
    const int64_t hoursBack = int64_t{std::max(nav.CatchupDayOffset, 0)} * 24 + 2;
    auto fallback =
        CatchupCandidates(state.account, channel.id(), nowUnix - hoursBack * 3600, programme->durationMin, panelOffset);
    if (!fallback.empty()) catchup.candidates.assign(1, fallback.front());
  }
  catchup.title = programme->title;
  catchup.start = programme->start;
  catchup.minutes = programme->durationMin;
  request.url = catchup.candidates.empty() ? request.channelUrl : catchup.candidates.front();
  request.preferences = PreferencesFrom(state.settings);
  if (!player.Play(request, nowMs)) {
    NoticeIfRefused(state, player, nowMs);
    return false;
  }
  nav.fullVideo = true;
  WriteLogF(256, "catchup play id=%s start=%lld min=%d candidates=%d panel=%s %s", WideToUtf8(channel.id()).c_str(),
            static_cast<long long>(programme->start), programme->durationMin,
            static_cast<int>(catchup.candidates.size()), panelOffset ? std::to_string(*panelOffset).c_str() : "unknown",
            WideToUtf8(CatchupLogTail(request.url)).c_str());
  return true;
}

void KeepPlayerAfterZap(AppState& state, uint64_t nowMs) {
  if (state.CurrentScreen != Screen::Player) return;
  state.nav.fullVideo = true;
  state.playerScreen.stripsUntil = nowMs + kControlsShowMs;
}

void TogglePauseWithNotice(AppState& state, Player& player, uint64_t nowMs) {
  bool refused = false;
  const bool paused = player.TogglePause(nowMs, &refused);
  if (refused) {
    ShowNotice(state, std::u16string(Translate("ts_unavailable")), kPauseNoticeMs, nowMs);
    return;
  }
  ShowNotice(state, std::u16string(Translate(paused ? "pause" : "play")), kPauseNoticeMs, nowMs);
}

void SeekWithNotice(AppState& state, Player& player, double seconds, uint64_t nowMs) {
  player.SeekRelative(seconds);
  const std::u16string text = SeekNoticeText(player.Property("time-pos"), player.Property("duration"));
  if (!text.empty()) ShowNotice(state, text, kSeekNoticeMs, nowMs);
}

std::string_view AspectValue(int index) { return Aspect(index).value; }
std::u16string_view AspectNotice(int index) {
  const AspectEntry& entry = Aspect(index);
  return entry.noticeKey.empty() ? entry.logName : Translate(entry.noticeKey);
}
std::u16string_view AspectLogName(int index) { return Aspect(index).logName; }

void CycleAspect(AppState& state, Player& player, uint64_t nowMs) {
  int& index = state.playerScreen.aspectIndex;
  index = (index + 1) % kAspectCount;
  player.SetAspect(AspectValue(index));
  WriteLogF(64, "aspect %s %s", std::string(AspectValue(index)).c_str(), WideToUtf8(AspectLogName(index)).c_str());
  ShowNotice(state, std::u16string(AspectNotice(index)), kAspectNoticeMs, nowMs);
}

std::u16string ExternalStreamUrl(const AppState& state) {
  if (state.CurrentScreen == Screen::Live) {
    const int index = state.nav.ChannelIndex;
    if (!ValidIndex(index, state.VisibleLive.size())) return {};
    const CatalogItem& channel = state.VisibleLive[size_t(index)];
    if (channel.hasUrl()) return channel.url();
    return LiveStreamUrl(state.account, channel.id(), state.settings.LiveFormat);
  }
  const PlaybackState& playback = state.Playing();
  if (playback.itemKey.empty()) return playback.currentChannelUrl.empty() ? playback.lastUrl : playback.currentChannelUrl;
  if (!playback.isEpisode) {
    const CatalogItem& movie = playback.currentItem;
    if (movie.hasUrl()) return movie.url();
    return MovieStreamUrl(state.account, playback.itemKey, movie.containerExt());
  }
  for (const Episode& episode : state.series.Episodes) {
    if (episode.id == playback.itemKey) return EpisodeStreamUrl(state.account, episode.id, episode.containerExt);
  }
  return playback.lastUrl;
}
