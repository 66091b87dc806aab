#include "player/catchup.h"

#include <algorithm>
#include <cstdio>

#include "net/text.h"
#include "platform/clock.h"
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
