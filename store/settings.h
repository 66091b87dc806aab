#pragma once
// Every user choice and collection, persisted whole in settings.json.
// Owned by the main thread (the panel jobs change their own fields on a copy
// and hand it back; see store/settings_file.h for saving).
#include <cstdint>
#include <map>
#include <string>
#include <vector>

using IdList = std::vector<std::u16string>;

struct PlaylistEntry {
  std::u16string name;
  std::u16string url;
  bool operator==(const PlaylistEntry&) const = default;
};

struct ChannelGroup {
  std::u16string name;
  IdList ids;
  bool operator==(const ChannelGroup&) const = default;
};

struct Settings {
  std::u16string PlaylistUrl;
  bool IsGrid = true;
  std::u16string LiveFormat = u"ts";
  int32_t LiveSort = 0;
  int32_t VodSort = 0;
  int32_t TimeFormat = 0;
  std::u16string ParentalPin = u"8391";
  bool ParentalOn = false;
  int32_t Volume = 80;
  int32_t DashColor = 0;
  std::u16string Lang = u"en";
  int32_t AutoHours = 0;
  std::u16string DeviceType = u"TV";
  std::u16string ExternalPlayer;
  int32_t InternalPlayer = 0;
  int32_t ExternalKind = 0;
  int32_t PipSize = 1;
  int32_t PipPos = 0;
  int32_t SubSize = 1;
  int32_t SubColor = 0;
  bool SubVisible = true;
  IdList HideLive, HideVod, HideSeries;
  IdList FavLive, FavVod, FavSeries;
  IdList LockLive;
  IdList LockCh;
  IdList HistoryLive, HistoryMovies, HistorySeries;
  std::vector<PlaylistEntry> Extra;
  std::vector<ChannelGroup> Groups;
  std::map<std::u16string, int32_t> ResumeMs;
  std::u16string InboxSeenId;

  bool operator==(const Settings&) const = default;
};
