// The external player hand-over (which URL, which program, which notices)
// and the track labels and highlight.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/playback_control.h"
#include "player/external_players.h"
#include "player/tracks.h"
#include "state/app_state.h"
#include "tests/catalog/test_items.h"

namespace {

struct LaunchRecord {
  std::vector<std::vector<std::string>> launched;
  std::vector<ExternalPlayerKind> offers;
  std::vector<std::string> notices;
  std::filesystem::path found = "/opt/vlc/vlc";
  bool startWorks = true;

  ExternalLaunchHooks Hooks() {
    ExternalLaunchHooks hooks;
    hooks.find = [this](ExternalPlayerKind) { return found; };
    hooks.launch = [this](const std::vector<std::string>& argv) {
      launched.push_back(argv);
      return startWorks;
    };
    hooks.offerDownload = [this](ExternalPlayerKind kind) { offers.push_back(kind); };
    hooks.notice = [this](const char* key, uint64_t) { notices.emplace_back(key); };
    return hooks;
  }
};

TEST(LaunchExternal, HandsTheUrlOverAsOneArgumentAndSaysHowItWent) {
  LaunchRecord r;
  const std::u16string url = u"http://h/live/u/p/1.ts?a=\"b c\";d";
  EXPECT_TRUE(LaunchExternal(url, 1, r.Hooks()));
  ASSERT_EQ(r.launched.size(), 1u);
  EXPECT_EQ(r.launched[0], (std::vector<std::string>{"/opt/vlc/vlc", "http://h/live/u/p/1.ts?a=\"b c\";d"}));
  EXPECT_EQ(r.notices, std::vector<std::string>{"ext_ok"});

  r.startWorks = false;
  EXPECT_FALSE(LaunchExternal(url, 1, r.Hooks()));
  EXPECT_EQ(r.notices.back(), "ext_fail");
  // A URL that the player would take for one of its options is not handed on.
  EXPECT_FALSE(LaunchExternal(u"--play-and-exit", 1, r.Hooks()));
  EXPECT_EQ(r.launched.size(), 2u);
  EXPECT_EQ(r.notices.back(), "ext_fail");
}

TEST(LaunchExternal, NoPlayerChosenDoesNothingAndAMissingOneOffersTheDownload) {
  LaunchRecord r;
  EXPECT_FALSE(LaunchExternal(u"http://h/1.ts", 0, r.Hooks()));
  EXPECT_FALSE(LaunchExternal(u"", 1, r.Hooks()));
  EXPECT_TRUE(r.launched.empty() && r.notices.empty() && r.offers.empty());
  r.found.clear();
  EXPECT_FALSE(LaunchExternal(u"http://h/1.ts", 2, r.Hooks()));
  EXPECT_TRUE(r.launched.empty());
  EXPECT_EQ(r.offers, std::vector<ExternalPlayerKind>{ExternalPlayerKind::MxPlayer});
  EXPECT_EQ(r.notices, std::vector<std::string>{"ext_fail"});
}

TEST(ExternalStreamUrl, VodItsOwnUrlLiveTheChannelsEvenDuringCatchupAndOnLiveTheHighlighted) {
  AppState state;
  state.account = DeriveXtreamSource(u"http://h/get.php?username=u&password=p");
  PlaybackState p;  // what the Player would hold
  state.playing = &p;
  // Live, replaying a past programme: the channel's live URL, not the archive's.
  p.currentChannelUrl = u"http://h/live/u/p/7.ts";
  p.lastUrl = u"http://h/timeshift/u/p/60/2024-05-01:20-30/7.ts";
  EXPECT_EQ(ExternalStreamUrl(state), u"http://h/live/u/p/7.ts");
  // A movie without a URL of its own: the one built for it.
  TestFields fields{.id = u"201", .name = u"Film", .containerExt = u"mkv"};
  p.currentItem = TestItem(ItemKind::Vod, fields);
  p.itemKey = u"201";
  EXPECT_EQ(ExternalStreamUrl(state), u"http://h/movie/u/p/201.mkv");
  fields.url = u"http://cdn/film.mkv";
  p.currentItem = TestItem(ItemKind::Vod, fields);
  EXPECT_EQ(ExternalStreamUrl(state), u"http://cdn/film.mkv");
  // An episode: built from the episode's own id and container.
  state.series.Episodes = {Episode{u"9001", u"Pilot", u"mp4", u"1"}};
  p.isEpisode = true;
  p.itemKey = u"9001";
  EXPECT_EQ(ExternalStreamUrl(state), u"http://h/series/u/p/9001.mp4");

  // On Live: the highlighted channel, whatever plays; its own URL first.
  state.CurrentScreen = Screen::Live;
  EXPECT_EQ(ExternalStreamUrl(state), u"") << "no channel highlighted";
  auto channels = std::make_shared<ItemList>();
  for (const char16_t* url : {u"", u"http://cdn/own.m3u8"})
    channels->push_back(TestItem(ItemKind::Live, {.id = url[0] ? u"12" : u"11", .url = url}));
  state.VisibleLive = VisibleList(channels, {0, 1});
  state.settings.LiveFormat = u"m3u8";
  state.nav.ChannelIndex = 0;
  EXPECT_EQ(ExternalStreamUrl(state), u"http://h/live/u/p/11.m3u8");
  state.nav.ChannelIndex = 1;
  EXPECT_EQ(ExternalStreamUrl(state), u"http://cdn/own.m3u8");
}

TEST(Tracks, LabelsAndTheHighlightedEntry) {
  EXPECT_EQ(TrackLabel(1, u"eng", u"Commentary"), u"eng \u2014 Commentary");
  EXPECT_EQ(TrackLabel(1, u"eng", u"eng"), u"eng");
  EXPECT_EQ(TrackLabel(1, u"", u"Commentary"), u"Commentary");
  EXPECT_EQ(TrackLabel(3, u"", u""), u"#3");
  const std::vector<TrackEntry> entries = {{1, u"eng"}, {2, u"ron"}, {5, u"deu"}};
  EXPECT_EQ(HighlightedTrack(entries, u"5"), 2);
  EXPECT_EQ(HighlightedTrack(entries, u"no"), 0);
  EXPECT_EQ(HighlightedTrack(entries, u"auto"), 0);
  EXPECT_EQ(HighlightedTrack(entries, u"4"), 0);
  EXPECT_EQ(HighlightedTrack(entries, u""), 0);
  // Subtitles can be turned off from their picker: "Off" leads and is
  // highlighted while none shows.
  const std::vector<TrackEntry> subtitles = SubtitleChoices(entries, u"Off");
  ASSERT_EQ(subtitles.size(), entries.size() + 1);
  EXPECT_EQ(subtitles.front(), (TrackEntry{kTrackOff, u"Off"}));
  EXPECT_EQ(HighlightedTrack(subtitles, u"no"), 0);
  EXPECT_EQ(HighlightedTrack(subtitles, u"5"), 3);
  EXPECT_TRUE(SubtitleChoices({}, u"Off").empty()) << "nothing to turn off";
}

}  // namespace
