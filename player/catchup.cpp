#include "player/catchup.h"

#include <algorithm>
#include <cstdio>

#include "catalog/guide.h"
#include "net/text.h"
#include "platform/clock.h"
#include "player/media_engine.h"
#include "player/playback.h"
#include "state/app_state.h"
#include "store/runtime_log.h"

namespace {

std::u16string TimeText(const LocalTime& t, char hourMinute) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d:%02d%c%02d", t.year, t.month, t.day, t.hour, hourMinute, t.minute);
  return Utf8ToWide(text);
}

std::u16string DurationText(int32_t minutes) {
  return minutes >= 5 && minutes <= 180 ? Utf8ToWide(std::to_string(minutes)) : u"60";
}

struct UrlMaker {
  const XtreamAccount& account;
  std::u16string_view streamId;

  std::u16string Path(const std::u16string& time, const std::u16string& duration, std::u16string_view ext) const {
    std::u16string url = StreamUrlPrefix(account, u"timeshift");
    url.append(duration).append(u"/").append(time).append(u"/").append(streamId).append(ext);
    return url;
  }
  std::u16string Query(const std::u16string& time, const std::u16string& duration) const {
    std::u16string url = account.Server;
    url.append(u"/streaming/timeshift.php?").append(CredentialsQuery(account)).append(u"&stream=").append(streamId).append(u"&start=").append(time);
    url.append(u"&duration=").append(duration);
    return url;
  }
};

void AddOnce(std::vector<std::u16string>& list, std::u16string url) {
  if (std::find(list.begin(), list.end(), url) == list.end()) list.push_back(std::move(url));
}

bool ValidIndex(int index, size_t size) { return index >= 0 && static_cast<size_t>(index) < size; }

}  // namespace

std::vector<std::u16string> CatchupCandidates(const XtreamAccount& account, std::u16string_view streamId,
                                              int64_t start, int32_t minutes, std::optional<int32_t> panelOffset) {
  std::vector<std::u16string> list;
  if (streamId.empty() || !account.IsXtream || start < 1) return list;
  const LocalTime local = ToLocalTime(start);
  const std::u16string L = TimeText(local, '-');
  const std::u16string U = TimeText(ToUtcTime(start), '-');
  const std::u16string C = TimeText(local, ':');
  const std::u16string D = DurationText(minutes);
  const UrlMaker make{account, streamId};

  if (panelOffset) {
    const std::u16string P = TimeText(ToUtcTime(start + *panelOffset), '-');
    if (P != L && P != U) {
      AddOnce(list, make.Path(P, D, u".ts"));
      AddOnce(list, make.Query(P, D));
    }
  }
  AddOnce(list, make.Path(L, D, u".ts"));
  AddOnce(list, make.Path(L, D, u".m3u8"));
  AddOnce(list, make.Query(L, D));
  AddOnce(list, make.Path(U, D, u".ts"));
  AddOnce(list, make.Path(L, u"60", u".ts"));
  AddOnce(list, make.Path(U, D, u".m3u8"));
  AddOnce(list, make.Query(U, D));
  AddOnce(list, make.Path(C, D, u".ts"));
  return list;
}

std::u16string_view CatchupLogTail(std::u16string_view candidate) {
  const size_t slash = candidate.rfind(u'/');
  return slash == std::u16string_view::npos ? candidate : candidate.substr(slash + 1);
}

CatchupDecision CatchupStep(PlaybackState& playback, const CatchupProbe& probe, uint64_t nowMs) {
  if (!playback.catchupActive) return {};
  // Something else was loaded since (a channel, a movie): its failures are
  // not the archive's, and no candidate may replace it.
  const bool candidateLoaded =
      playback.catchupCandidates.empty()
          ? playback.lastUrl == playback.currentChannelUrl
          : playback.catchupIndex >= 0 &&
                static_cast<size_t>(playback.catchupIndex) < playback.catchupCandidates.size() &&
                playback.lastUrl == playback.catchupCandidates[playback.catchupIndex];
  if (!candidateLoaded) {
    playback.catchupActive = false;
    return {};
  }
  const bool idle = probe.idleActive == u"yes";
  if (!probe.videoCodec.empty() && !idle) {
    playback.catchupActive = false;
    return {CatchupVerdict::Working, {}};
  }
  // A stream still opening gets more time; only a load that went idle failed.
  if (!idle || nowMs - playback.playStartTick <= kCatchupIdleGraceMs) return {};
  const int32_t count = static_cast<int32_t>(playback.catchupCandidates.size());
  if (playback.catchupIndex + 1 >= count) {
    playback.catchupActive = false;
    return {CatchupVerdict::GiveUp, {}};
  }
  playback.catchupIndex += 1;
  const std::u16string& next = playback.catchupCandidates[playback.catchupIndex];
  WriteLogF(160, "catch try %d/%d %s", playback.catchupIndex + 1, count, WideToUtf8(CatchupLogTail(next)).c_str());
  playback.playStartTick = nowMs;
  playback.lastUrl = next;
  return {CatchupVerdict::LoadNext, next};
}

bool PlayCatchup(AppState& state, MediaEngine& engine, int32_t guideRow, uint64_t nowMs, int64_t nowUnix) {
  NavState& nav = state.nav;
  if (!ValidIndex(nav.ChannelIndex, state.VisibleLive.size())) return false;
  const std::optional<EpgEntry> programme = state.guide.RowAt(state.VisibleLive[nav.ChannelIndex].id(), guideRow);
  if (!programme) return false;
  const CatalogItem& channel = state.VisibleLive[nav.ChannelIndex];
  PlaybackState& playback = state.playback;
  playback.currentChannel = channel;
  playback.currentItem = CatalogItem();  // catch-up counts as live: zaps, E and Esc treat it so
  playback.isEpisode = false;
  playback.itemKey.clear();  // nothing to resume
  playback.currentChannelUrl = LiveStreamUrl(state.account, channel.id(), state.settings.LiveFormat);

  const std::optional<int32_t> panelOffset = state.panelClocks.OffsetFor(state.account);
  playback.catchupCandidates =
      CatchupCandidates(state.account, channel.id(), programme->start, programme->durationMin, panelOffset);
  if (playback.catchupCandidates.empty()) {
    const int64_t hoursBack = int64_t{std::max(nav.CatchupDayOffset, 0)} * 24 + 2;
    auto fallback =
        CatchupCandidates(state.account, channel.id(), nowUnix - hoursBack * 3600, programme->durationMin, panelOffset);
    if (!fallback.empty()) playback.catchupCandidates.assign(1, fallback.front());
  }
  playback.catchupIndex = 0;
  playback.catchupTitle = programme->title;
  playback.catchupStart = programme->start;
  playback.catchupMinutes = programme->durationMin;
  const std::u16string url =
      playback.catchupCandidates.empty() ? playback.currentChannelUrl : playback.catchupCandidates.front();

  state.CurrentScreen = Screen::Player;
  nav.fullVideo = true;
  LoadWithPreferences(engine, state.settings, url);
  playback.playStartTick = playback.lastLiveLoadTick = nowMs;
  playback.lastUrl = url;
  playback.catchupActive = true;
  WriteLogF(256, "catchup play id=%s start=%lld min=%d candidates=%d panel=%s %s", WideToUtf8(channel.id()).c_str(),
            static_cast<long long>(programme->start), programme->durationMin,
            static_cast<int>(playback.catchupCandidates.size()),
            panelOffset ? std::to_string(*panelOffset).c_str() : "unknown", WideToUtf8(CatchupLogTail(url)).c_str());
  return true;
}
