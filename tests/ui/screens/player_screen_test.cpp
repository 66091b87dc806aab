// The Player screen through the navigator: the remote keys for live and
// for a movie never mix, leaving keeps a live channel as the preview, and
// the strips' one layout answers the clicks (at 600 px wide, where both
// bottom strips are 560 wide) and follows the pointer.
#include <gtest/gtest.h>

#include "platform/virtual_keys.h"
#include "tests/ui/nav/navigator_fixture.h"
#include "ui/i18n/translate.h"
#include "ui/screens/player_strips.h"

namespace {

CatalogItem Channel(std::u16string id, std::u16string num) {
  CatalogItem::Fields f{};
  f.id = id;
  const std::u16string name = u"Channel " + id;
  f.name = name;
  f.num = num;
  f.categoryId = u"1";
  return CatalogItem(ItemKind::Live, f, 0);
}

class PlayerScreenTest : public NavigatorTest {
 protected:
  void SetUp() override {
    auto live = std::make_shared<ItemList>();
    for (int i = 1; i <= 12; ++i) {
      const std::u16string n = i < 10 ? std::u16string(1, char16_t(u'0' + i)) : u"1" + std::u16string(1, char16_t(u'0' + i - 10));
      live->push_back(Channel(u"c" + n, n));
    }
    state.catalog.LiveChannels = live;
    RebuildLiveList(state.catalog, state.settings, state.nav.live, state.VisibleLive);
    navigator.SetSurfaceSize(600, 400);
  }
  void PlayMovie() {
    CatalogItem::Fields f{};
    f.id = u"m1";
    f.name = u"Movie";
    state.playback.currentItem = CatalogItem(ItemKind::Vod, f, 0);
    state.playback.itemKey = u"m1";
    state.CurrentScreen = Screen::Player;
  }
  void PlayLiveOnPlayer() {
    state.nav.ChannelIndex = 2;
    state.playback.lastChannelId = u"c3";
    state.CurrentScreen = Screen::Player;
  }
  void Pointer(PointerEvent::Kind kind, int x, int y, uint64_t at = 0, int notches = 0) {
    navigator.OnPointer(PointerEvent{kind, x, y, notches}, 600, 400, at);
  }
};

TEST_F(PlayerScreenTest, LeftZapsOnLiveAndSeeksOnAMovieNeverBoth) {
  PlayLiveOnPlayer();
  Press({Vk::Left, Vk::Up, Vk::PageUp, Vk::Right, Vk::Down, Vk::PageDown});
  EXPECT_EQ(actions.channelSteps, (std::vector<int>{-1, -1, -1, +1, +1, +1}));
  EXPECT_TRUE(actions.seeks.empty());
  Press({Vk::Letter('V')});
  EXPECT_TRUE(state.player.liveStripExpanded);

  actions.channelSteps.clear();
  PlayMovie();
  Press({Vk::Left, Vk::Right, Vk::Up});
  EXPECT_EQ(actions.seeks, (std::vector<double>{-10, +10}));
  EXPECT_TRUE(actions.channelSteps.empty()) << "Up during a movie changes nothing";
  Press({Vk::Space, Vk::Letter('R'), Vk::Letter('A'), Vk::Letter('T'), Vk::Letter('E')});
  EXPECT_EQ(actions.pauses, 1);
  EXPECT_EQ(actions.aspects, 1);
  EXPECT_EQ(actions.tracks, (std::vector<TrackKind>{TrackKind::Audio, TrackKind::Subtitle}));
  EXPECT_EQ(actions.externalOpens, 1);
  // The wheel zaps only while live plays.
  Pointer(PointerEvent::Kind::Wheel, 300, 200, 0, -1);
  EXPECT_TRUE(actions.channelSteps.empty());
}

TEST_F(PlayerScreenTest, BackKeysLeaveThePlayerAndLiveKeepsItsChannelPlaying) {
  PlayMovie();
  Press({Vk::Escape});
  Press({Vk::Back});
  EXPECT_EQ(actions.leaves, 2);
  EXPECT_EQ(state.CurrentScreen, Screen::Player) << "the application changes the screen";

  // Back on Live from the Player with the channel that played there: it is
  // selected and not started again (one connection to the provider).
  PlayLiveOnPlayer();
  state.CurrentChannelId = u"c3";
  const int plays = actions.plays;
  navigator.SetScreen(Screen::Live);
  EXPECT_EQ(actions.plays, plays);
  EXPECT_EQ(state.nav.ChannelIndex, 2);
  EXPECT_EQ(actions.stops, 0);
  // Enter on that channel fills the window with the same stream.
  Press({Vk::Right, Vk::Return});
  EXPECT_EQ(actions.plays, plays);
  EXPECT_EQ(actions.fullVideos, 1);
  // So does a double click on the preview.
  navigator.OnPointer(PointerEvent{PointerEvent::Kind::DoubleClick, 500, 100, 0}, 600, 400, 0);
  EXPECT_EQ(actions.fullVideos, 2);
  EXPECT_EQ(actions.plays, plays);
}

TEST_F(PlayerScreenTest, DigitsOnThePlayerReachChannelTwelveThroughChannelOne) {
  PlayLiveOnPlayer();
  navigator.OnKey(Vk::Digit(1), 10'000);
  EXPECT_EQ(state.nav.ChannelIndex, 0);
  navigator.OnKey(Vk::Digit(2), 10'400);
  EXPECT_EQ(state.nav.ChannelIndex, 11);
  EXPECT_EQ(state.CurrentScreen, Screen::Player);
  EXPECT_EQ(state.toast.text, u"Channel c12");
  EXPECT_EQ(actions.plays, 2);
}

TEST_F(PlayerScreenTest, StripGeometryAtSixHundredPixels) {
  const StripLayout live = StripLayoutOf(600, 400, false, false);
  EXPECT_EQ(live[StripId::Bottom], (RectF{20, 240, 580, 388}));
  const StripLayout vod = StripLayoutOf(600, 400, true, false);
  EXPECT_EQ(vod[StripId::Bottom].Width(), 560) << "600 - 48 is below 640, so 600 - 40";
  EXPECT_EQ(StripLayoutOf(1920, 1080, true, false)[StripId::Bottom], (RectF{24, 980, 1896, 1068}));
  EXPECT_EQ(StripLayoutOf(600, 400, false, true)[StripId::Bottom].Height(), 220);
  EXPECT_EQ(live[StripId::Right], (RectF{544, 100, 580, 300}));
  EXPECT_FALSE(vod.Visible(StripId::LeftArrow));
  EXPECT_EQ(StripAt(vod, 64, 200), -1) << "no arrows for a movie";
  EXPECT_EQ(StripHitTest(live, 64, 200).kind, StripHit::Kind::StepChannel);
}

TEST_F(PlayerScreenTest, StripHitTestsFollowTheTestedOrder) {
  const StripLayout vod = StripLayoutOf(600, 400, true, false);
  const RectF b = vod[StripId::Bottom];  // 20..580 x 300..388
  const double cx = b.left + b.Width() / 2;
  // Inside both "||" and ">>": the earlier test wins.
  EXPECT_EQ(StripHitTest(vod, cx + 24, b.top + 50).kind, StripHit::Kind::TogglePause);
  EXPECT_EQ(StripHitTest(vod, cx - 100, b.top + 50).value, -1);
  EXPECT_EQ(StripHitTest(vod, cx + 100, b.top + 50).kind, StripHit::Kind::StepVod);
  const StripHit seek = StripHitTest(vod, b.left + 12 + 268, b.top + 10);
  EXPECT_EQ(seek.kind, StripHit::Kind::SeekShare);
  EXPECT_NEAR(seek.share, 0.5, 1e-9);
  // The track buttons answer below the transport row only.
  EXPECT_EQ(StripHitTest(vod, b.right - 200, b.bottom - 10).kind, StripHit::Kind::Audio);
  EXPECT_EQ(StripHitTest(vod, b.right - 100, b.bottom - 10).kind, StripHit::Kind::Subtitle);
  EXPECT_EQ(StripHitTest(vod, b.right - 154, b.bottom - 10).kind, StripHit::Kind::Inside);
  EXPECT_EQ(StripHitTest(vod, b.right - 100, b.bottom - 20).kind, StripHit::Kind::Inside);

  const StripLayout expanded = StripLayoutOf(600, 400, false, true);
  const RectF e = expanded[StripId::Bottom];
  EXPECT_EQ(StripHitTest(expanded, e.left + 1, e.bottom - 30).value, 0);
  EXPECT_EQ(StripHitTest(expanded, e.right - 1, e.bottom - 30).value, 7);
  EXPECT_EQ(StripHitTest(expanded, e.left + e.Width() / 2, e.bottom - 90).kind, StripHit::Kind::ToggleExpand);
  EXPECT_EQ(StripHitTest(expanded, e.left + 10, e.top + 20).kind, StripHit::Kind::Inside);
  EXPECT_EQ(VolumeAt(expanded, 100), 100);
  EXPECT_EQ(VolumeAt(expanded, 300), 0);
}

TEST_F(PlayerScreenTest, ClicksOnStripsAndVideoActOnlyWhereTheyShould) {
  PlayMovie();
  state.player.stripsShown = true;
  const RectF b = StripLayoutOf(600, 400, true, false)[StripId::Bottom];
  Pointer(PointerEvent::Kind::Up, int(b.left + b.Width() / 2 + 24), int(b.top + 50), 5'000);
  EXPECT_EQ(actions.pauses, 1);
  EXPECT_EQ(state.player.controlsUntil, 5'000u + 2'800u);
  Pointer(PointerEvent::Kind::Up, 60, 30);
  EXPECT_EQ(actions.leaves, 1) << "the top strip is the back key";
  // The volume bar takes the press and the drag, and saves on release.
  Pointer(PointerEvent::Kind::Down, 560, 116);
  Pointer(PointerEvent::Kind::Move, 560, 200);
  Pointer(PointerEvent::Kind::Up, 560, 200);
  EXPECT_EQ(state.settings.Volume, 50);
  EXPECT_EQ(actions.volumes.back(), 50);
  EXPECT_EQ(actions.saves, 1);
  // On the video of a movie: side bands step, the bottom band seeks.
  state.player.stripsShown = false;
  Pointer(PointerEvent::Kind::Down, 30, 100);
  Pointer(PointerEvent::Kind::Down, 580, 100);
  Pointer(PointerEvent::Kind::Down, 300, 100);
  EXPECT_EQ(actions.seeks, (std::vector<double>{-10, +10}));
  Pointer(PointerEvent::Kind::Down, 150, 390);
  EXPECT_EQ(actions.seekShares, (std::vector<double>{0.25}));
  // Double click hides the strips at once.
  Pointer(PointerEvent::Kind::DoubleClick, 300, 100);
  EXPECT_EQ(state.player.controlsUntil, 0u);
}

TEST_F(PlayerScreenTest, HoverKeepsTheStripsWhileThePointerRestsAndHidesThemAfterItLeft) {
  state.CurrentScreen = Screen::Player;
  const StripLayout l = StripLayoutOf(600, 400, false, false);
  EXPECT_TRUE(HoverCheck(state, l, 300, 200, true, 1'000)) << "a movement shows hidden strips";
  state.player.stripsShown = true;
  for (uint64_t t = 1'050; t < 20'000; t += 50) EXPECT_FALSE(HoverCheck(state, l, 300, 200, true, t));
  EXPECT_GT(state.player.controlsUntil, 19'950u) << "resting inside the window never hides them";
  // Outside the window: they go 2.8 s after the last movement.
  EXPECT_FALSE(HoverCheck(state, l, 2, 200, true, 20'000));
  EXPECT_FALSE(HoverCheck(state, l, -5, 200, false, 20'050));
  EXPECT_FALSE(HoverCheck(state, l, -5, 200, false, 20'000 + 2'700));
  EXPECT_TRUE(HoverCheck(state, l, -5, 200, false, 20'000 + 2'800));
  EXPECT_EQ(state.player.controlsUntil, 0u);
}

}  // namespace

// The expanded strip names Movies, Series and Search by the menu words of
// the header tabs, and its subtitle button by a key of its own, in every
// language (Romanian's settings row "Setări subtitrare" is not a button word).
TEST(PlayerStripLabels, MenuWordsAndOwnKeysInTheInterfaceLanguage) {
  SetCurrentLanguageCode(u"ro");
  EXPECT_EQ(ExpandedButtonLabel(2), u"Filme");
  EXPECT_EQ(ExpandedButtonLabel(3), u"Seriale");
  EXPECT_EQ(ExpandedButtonLabel(5), u"Căutare");
  EXPECT_EQ(ExpandedButtonLabel(6), u"Subtitrare");
  EXPECT_EQ(ExpandedButtonLabel(1), Translate("lock"));
  SetCurrentLanguageCode(u"de");
  const int german = LanguageIndex(u"de");
  EXPECT_EQ(ExpandedButtonLabel(2), MenuWord(german, kMenuMovies));
  EXPECT_EQ(ExpandedButtonLabel(5), MenuWord(german, kMenuSearch));
  EXPECT_EQ(ExpandedButtonLabel(6), u"Untertitel");
  EXPECT_EQ(ExpandedButtonLabel(7), u"Ton");
  SetCurrentLanguageCode(u"en");
  EXPECT_EQ(ExpandedButtonLabel(6), u"Subtitle");
  EXPECT_TRUE(ExpandedButtonLabel(8).empty());
}
