// The Player screen through the navigator: the remote keys for live, a
// movie, a trailer and catch-up never mix, leaving keeps a live channel as
// the preview, and the strips' one layout paints and answers every control
// at 1280x720, 1920x1080 and 3840x2160 and follows the pointer.
#include <gtest/gtest.h>

#include "net/text.h"
#include "platform/virtual_keys.h"
#include "tests/catalog/test_items.h"
#include "tests/ui/nav/navigator_fixture.h"
#include "tests/ui/render/recording_canvas.h"
#include "tests/ui/render/test_pictures.h"
#include "i18n/translate.h"
#include "ui/screens/player_strips.h"

namespace {

class PlayerScreenTest : public NavigatorTest {
 protected:
  void SetUp() override {
    SetLiveChannels(TestChannels(u"c", 12));
    navigator.SetSurfaceSize(600, 400);
  }
  void PlayMovie() {
    playing.currentItem = TestItem(ItemKind::Vod, {.id = u"m1", .name = u"Movie"});
    playing.itemKey = u"m1";
    state.CurrentScreen = Screen::Player;
  }
  void PlayLiveOnPlayer() {
    state.nav.ChannelIndex = 2;
    playing.lastChannelId = u"c3";
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
  EXPECT_TRUE(state.playerScreen.liveStripExpanded);

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

// Shift+R records the highlighted channel on Live, the channel shown on
// the Player (live or replayed) and so does the live strip's Record
// button; a movie has no channel to record.
TEST_F(PlayerScreenTest, ShiftRAndTheRecordButtonRecordTheChannelShown) {
  navigator.SetScreen(Screen::Live);
  state.nav.ChannelIndex = 4;
  Press({Vk::Record});
  PlayLiveOnPlayer();
  playing.currentChannel = state.VisibleLive[2];
  Press({Vk::Record});
  state.playerScreen.stripsShown = true;
  for (const StripControl& c : StripLayoutFor(state, 600, 400).controls)
    if (c.hit.kind == StripHit::Kind::Record) Click(c.rect, 600, 400);
  playing.catchupCandidates = {u"http://a/1.ts"};
  playing.lastUrl = u"http://a/1.ts";
  ASSERT_EQ(StripModeOf(state), StripMode::Catchup);
  Press({Vk::Record});
  PlayMovie();
  Press({Vk::Record});
  EXPECT_EQ(actions.recordCalls, (std::vector<std::string>{"now c5", "now c3", "now c3", "now c3"}));
}

// While the channel shown records, the live strip says so: a red REC after
// its name (which ends before it) and Stop REC on the Record button.
TEST_F(PlayerScreenTest, TheLiveStripMarksTheChannelBeingRecorded) {
  RenderResources res;
  AppState painted;
  PlaybackState paintedPlaying;
  painted.playing = &paintedPlaying;
  painted.CurrentScreen = Screen::Player;
  painted.playerScreen.stripsShown = true;
  paintedPlaying.currentChannel = TestChannel(u"c7");
  const auto texts = [&] {
    const RecordedFrame frame(res, 1280, 720);
    PaintStrips(res, painted, 1280, 720, 0);
    return frame.Drawn().texts;
  };
  const auto has = [](const std::vector<RecordingCanvas::Text>& all, std::u16string_view text) {
    return std::any_of(all.begin(), all.end(), [&](const auto& t) { return t.text == WideToUtf8(text); });
  };
  EXPECT_FALSE(has(texts(), Translate("strip_rec")));
  EXPECT_TRUE(has(texts(), Translate("strip_record")));
  Recording r;
  r.streamId = u"c7";
  r.state = RecordingState::Recording;
  painted.recordings.recordings = {r};
  const std::vector<RecordingCanvas::Text> recording = texts();
  EXPECT_TRUE(has(recording, Translate("strip_record_stop")));
  const auto rec = std::find_if(recording.begin(), recording.end(),
                                [&](const auto& t) { return t.text == WideToUtf8(Translate("strip_rec")); });
  ASSERT_NE(rec, recording.end());
  EXPECT_EQ(rec->colour, res.Brush().Red);
  const StripLayout l = StripLayoutOf(1280, 720, StripMode::Live, false);
  EXPECT_LE(rec->ink.right, l.title.right + 1);
  for (const auto& t : recording) {
    if (t.text.find("c7") != std::string::npos) {
      EXPECT_LT(t.ink.right, rec->ink.left) << "the name ends before REC";
    }
  }
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
  state.LastLiveChannelId = u"c3";
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

// The open live row is reached by keys alone: the arrows move over its
// controls as drawn (never zap), Enter presses the one under the ring, Esc
// closes the row and only the next Esc leaves the Player.
TEST_F(PlayerScreenTest, TheOpenRowTakesTheArrowsEnterAndEsc) {
  PlayLiveOnPlayer();
  const StripLayout l = StripLayoutOf(600, 400, StripMode::Live, true);
  const int first = FirstExpandedControl(l);
  ASSERT_EQ(l.controls[size_t(first)].hit.kind, StripHit::Kind::StripButton);
  Press({Vk::Letter('V'), Vk::Right, Vk::Right, Vk::Left, Vk::Down});
  EXPECT_TRUE(actions.channelSteps.empty());
  EXPECT_EQ(state.playerScreen.stripFocus, first + 1);
  Press({Vk::Up, Vk::Return});  // the row above: its first control zaps back
  EXPECT_EQ(actions.channelSteps, (std::vector<int>{-1}));
  Press({Vk::Escape});
  EXPECT_FALSE(state.playerScreen.liveStripExpanded);
  EXPECT_EQ(actions.leaves, 0);
  Press({Vk::Right});
  EXPECT_EQ(actions.channelSteps, (std::vector<int>{-1, +1})) << "a closed row zaps again";
  // Opened again, the keys start on its first button: five along is Search.
  Press({Vk::Letter('V')});
  for (int i = 0; i < 5; ++i) Press({Vk::Right});
  ASSERT_EQ(l.controls[size_t(state.playerScreen.stripFocus)].hit.value, 5);
  Press({Vk::Return});
  EXPECT_EQ(state.CurrentScreen, Screen::Search);
}

TEST_F(PlayerScreenTest, TheFocusedRowButtonWearsARing) {
  RenderResources res;
  for (const auto& size : {std::pair{1280, 720}, {1920, 1080}, {3840, 2160}}) {
    const auto [W, H] = size;
    SCOPED_TRACE(W);
    const StripLayout l = StripLayoutOf(W, H, StripMode::Live, true);
    AppState painted;
    PlaybackState paintedPlaying;
    painted.playing = &paintedPlaying;
    painted.CurrentScreen = Screen::Player;
    painted.playerScreen.stripsShown = true;
    painted.playerScreen.liveStripExpanded = true;
    painted.playerScreen.stripFocus = FirstExpandedControl(l) + 3;
    OffscreenFrame frame(res, W, H);
    PaintStrips(res, painted, W, H, 0);
    const auto edge = [&](int control) {
      const RectF& r = l.controls[size_t(control)].rect;
      return frame.At(int(r.left + 1.5 * l.scale), int((r.top + r.bottom) / 2));
    };
    const Pixel ring = edge(painted.playerScreen.stripFocus), plain = edge(painted.playerScreen.stripFocus + 1);
    EXPECT_GT(ring.r, 180);
    EXPECT_GT(ring.Brightness(), plain.Brightness() + 200);
  }
}

// Every control of every strip form at the three window sizes: the hit
// test answers the control's own action over its whole painted rectangle,
// the painted pixels end at its edges (a button is opaque on a see-through
// ground), and no two controls, texts or strips overlap, nor the notice.
struct StripCase {
  StripMode mode;
  bool expanded;
};
constexpr StripCase kStripCases[] = {{StripMode::Live, false}, {StripMode::Live, true}, {StripMode::Movie, false},
                                     {StripMode::Trailer, false}, {StripMode::Catchup, false}};
constexpr int kSizes[][2] = {{1280, 720}, {1920, 1080}, {3840, 2160}};

bool Overlap(const RectF& a, const RectF& b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}
bool Inside(const RectF& inner, const RectF& outer) {
  return inner.left >= outer.left && inner.right <= outer.right && inner.top >= outer.top &&
         inner.bottom <= outer.bottom;
}
bool SameHit(const StripHit& a, const StripHit& b) { return a.kind == b.kind && a.value == b.value; }

TEST_F(PlayerScreenTest, EveryStripControlAnswersWhereItIsDrawnAndNothingOverlaps) {
  RenderResources res;
  for (const auto& size : kSizes) {
    const int W = size[0], H = size[1];
    for (const StripCase& c : kStripCases) {
      SCOPED_TRACE(testing::Message() << W << "x" << H << " mode " << int(c.mode) << " expanded " << c.expanded);
      const StripLayout l = StripLayoutOf(W, H, c.mode, c.expanded);
      // The strips themselves lie apart and inside the window.
      std::vector<RectF> strips;
      for (int i = 0; i < kStripCount; ++i) {
        if (l.Visible(StripId(i))) strips.push_back(l.rects[i]);
      }
      // Notices show at the top, clear of them.
      const RectF toast = PlayerToastRect(l, W);
      EXPECT_GT(toast.Width(), W / 4.0);
      for (size_t i = 0; i < strips.size(); ++i) {
        EXPECT_TRUE(Inside(strips[i], RectF{0, 0, double(W), double(H)}));
        EXPECT_FALSE(Overlap(toast, strips[i])) << "notice and strip " << i;
        for (size_t j = i + 1; j < strips.size(); ++j) EXPECT_FALSE(Overlap(strips[i], strips[j])) << i << " " << j;
      }
      // Texts and controls of the bottom strip.
      std::vector<RectF> places{l.title, l.progress};
      if (c.mode == StripMode::Live) places.insert(places.end(), {l.logo, l.category, l.resolution, l.now, l.next});
      else places.push_back(l.time);
      for (const StripControl& control : l.controls) places.push_back(control.rect);
      for (size_t i = 0; i < places.size(); ++i) {
        EXPECT_GT(places[i].Width(), 0) << i;
        EXPECT_TRUE(Inside(places[i], l[StripId::Bottom])) << i;
        for (size_t j = i + 1; j < places.size(); ++j) EXPECT_FALSE(Overlap(places[i], places[j])) << i << " " << j;
      }
      // Every control answers at its corners and its centre.
      for (const StripControl& control : l.controls) {
        const RectF& r = control.rect;
        for (const auto& [x, y] : {std::pair{r.left, r.top}, {r.right - 0.5, r.top}, {r.left, r.bottom - 0.5},
                                   {r.right - 0.5, r.bottom - 0.5}, {(r.left + r.right) / 2, (r.top + r.bottom) / 2}}) {
          EXPECT_TRUE(SameHit(StripHitTest(l, x, y), control.hit)) << int(control.hit.kind) << " at " << x << "," << y;
        }
      }
      EXPECT_EQ(StripHitTest(l, l[StripId::Top].right - 1, l[StripId::Top].bottom - 1).kind, StripHit::Kind::Back);
      const RectF& v = l[StripId::Right];
      EXPECT_EQ(StripHitTest(l, v.left, v.top).kind, StripHit::Kind::Volume);
      EXPECT_EQ(StripHitTest(l, v.right - 1, v.bottom - 1).value, 0);
      if (c.mode != StripMode::Live) {
        const RectF& bar = l.progress;
        EXPECT_NEAR(StripHitTest(l, bar.left, bar.top).share, 0, 1e-9);
        EXPECT_NEAR(StripHitTest(l, (bar.left + bar.right) / 2, bar.bottom - 0.5).share, 0.5, 1e-9);
      }
      EXPECT_EQ(l.controls.size(), c.mode == StripMode::Live    ? (c.expanded ? 4u + kStripButtonCount : 4u)
                                   : c.mode == StripMode::Movie ? 7u
                                                                : 5u);

      // The painted button ends where its hit area ends: an opaque face
      // filled over exactly its rectangle.
      AppState painted;
      PlaybackState paintedPlaying;
      painted.playing = &paintedPlaying;
      painted.CurrentScreen = Screen::Player;
      painted.playerScreen.stripsShown = true;
      painted.playerScreen.liveStripExpanded = c.expanded;
      if (c.mode == StripMode::Movie) paintedPlaying.currentItem = TestChannel(u"m1");
      if (c.mode == StripMode::Trailer) paintedPlaying.trailerUrl = paintedPlaying.lastUrl = u"http://t/x.mp4";
      if (c.mode == StripMode::Catchup) {
        paintedPlaying.catchupCandidates = {u"http://a/1.ts"};
        paintedPlaying.lastUrl = u"http://a/1.ts";
      }
      ASSERT_EQ(StripModeOf(painted), c.mode);
      RecordedFrame frame(res, W, H);
      PaintStrips(res, painted, W, H, 0);
      for (const StripControl& control : l.controls) {
        const RectF& r = control.rect;
        bool face = false;
        for (const auto& fill : frame.Drawn().Inside(r, RecordingCanvas::Kind::Fill)) {
          const RectF& b = fill.bounds;
          face = face || (fill.colour.a == 1 && b.Width() >= r.Width() - 1 && b.Height() >= r.Height() - 1);
        }
        EXPECT_TRUE(face) << int(control.hit.kind);
      }
    }
  }
}

TEST_F(PlayerScreenTest, ClicksOnStripsAndVideoActOnlyWhereTheyShould) {
  navigator.SetSurfaceSize(1280, 720);
  const auto at = [&](PointerEvent::Kind kind, double x, double y, uint64_t t = 0) {
    navigator.OnPointer(PointerEvent{kind, int(x), int(y), 0}, 1280, 720, t);
  };
  PlayMovie();
  state.playerScreen.stripsShown = true;
  const StripLayout l = StripLayoutOf(1280, 720, StripMode::Movie, false);
  // Each control at the bottom row of its button (the track buttons once
  // answered only there).
  for (const StripControl& c : l.controls) at(PointerEvent::Kind::Up, (c.rect.left + c.rect.right) / 2, c.rect.top, 5'000);
  EXPECT_EQ(actions.pauses, 1);
  EXPECT_EQ(actions.seeks, (std::vector<double>{-10, +10}));
  EXPECT_EQ(actions.tracks, (std::vector<TrackKind>{TrackKind::Audio, TrackKind::Subtitle}));
  EXPECT_EQ(state.playerScreen.stripsUntil, 5'000u + 2'800u);
  at(PointerEvent::Kind::Up, 30, 20);
  EXPECT_EQ(actions.leaves, 1) << "the top strip is the back key";
  // The volume bar takes the press and the drag, and saves on release.
  const RectF v = l[StripId::Right];
  at(PointerEvent::Kind::Down, v.left + 5, v.top + 20);
  at(PointerEvent::Kind::Move, v.left + 5, (v.top + v.bottom) / 2);
  at(PointerEvent::Kind::Up, v.left + 5, (v.top + v.bottom) / 2);
  EXPECT_EQ(state.settings.Volume, 50);
  EXPECT_EQ(actions.volumes.back(), 50);
  EXPECT_EQ(actions.saves, 1);
  // On the video of a movie: side bands step, the bottom band seeks.
  state.playerScreen.stripsShown = false;
  actions.seeks.clear();
  at(PointerEvent::Kind::Down, 30, 300);
  at(PointerEvent::Kind::Down, 1250, 300);
  at(PointerEvent::Kind::Down, 640, 300);
  EXPECT_EQ(actions.seeks, (std::vector<double>{-10, +10}));
  at(PointerEvent::Kind::Down, 320, 710);
  EXPECT_EQ(actions.seekShares, (std::vector<double>{0.25}));
  // Double click hides the strips at once.
  at(PointerEvent::Kind::DoubleClick, 640, 300);
  EXPECT_EQ(state.playerScreen.stripsUntil, 0u);
}

// A trailer seeks and pauses like a movie and never zaps; catch-up seeks
// with Left/Right and zaps back to live with the other keys. Both strips
// say what plays.
TEST_F(PlayerScreenTest, TrailerAndCatchupStripsAreRecordings) {
  state.CurrentScreen = Screen::Player;
  playing.lastChannelId = u"c3";
  playing.trailerUrl = playing.lastUrl = u"http://t/trailer.mp4";
  state.trending.push_back(TrendingMovie{});
  state.trending.back().title = u"The Long Road";
  ASSERT_EQ(StripModeOf(state), StripMode::Trailer);
  Press({Vk::Up, Vk::Down, Vk::PageUp, Vk::PageDown, Vk::Digit(5), Vk::Left, Vk::Right, Vk::Space});
  Pointer(PointerEvent::Kind::Wheel, 300, 200, 0, -1);
  EXPECT_TRUE(actions.channelSteps.empty()) << "a trailer is no channel";
  EXPECT_EQ(actions.seeks, (std::vector<double>{-10, +10}));
  EXPECT_EQ(actions.pauses, 1);
  EXPECT_EQ(RecordingTitle(state, StripMode::Trailer), u"The Long Road");
  const StripLayout trailer = StripLayoutOf(1920, 1080, StripMode::Trailer, false);
  EXPECT_FALSE(trailer.Visible(StripId::RightArrow));
  EXPECT_EQ(StripHitTest(trailer, 1920 - 140, 540).kind, StripHit::Kind::None) << "no arrow to zap with";

  actions.seeks.clear();
  PlaybackState& p = playing;
  p.trailerUrl.clear();
  p.catchupCandidates = {u"http://a/1.ts", u"http://a/2.ts"};
  p.catchupIndex = 1;
  p.lastUrl = u"http://a/2.ts";
  p.catchupActive = true;
  p.catchupTitle = u"Evening News";
  p.catchupStart = 1'800'000'000;  // a Friday, 15 Jan 2027
  p.catchupMinutes = 30;
  ASSERT_EQ(StripModeOf(state), StripMode::Catchup);
  const std::u16string trying = RecordingTitle(state, StripMode::Catchup);
  EXPECT_EQ(trying.rfind(u"Loading...  Evening News", 0), 0u) << WideToUtf8(trying);
  EXPECT_NE(trying.find(u"/01"), std::u16string::npos) << "the day: " << WideToUtf8(trying);
  p.catchupActive = false;
  EXPECT_EQ(RecordingTitle(state, StripMode::Catchup).rfind(u"Evening News", 0), 0u);
  Press({Vk::Left, Vk::Right, Vk::Down});
  EXPECT_EQ(actions.seeks, (std::vector<double>{-10, +10}));
  EXPECT_EQ(actions.channelSteps, (std::vector<int>{+1}));
  // Another URL loaded (a zap): live again.
  p.lastUrl = u"http://h/live/c4.ts";
  EXPECT_EQ(StripModeOf(state), StripMode::Live);
}

TEST_F(PlayerScreenTest, StripsHideAfterTheLastMovementWhereverThePointerRests) {
  state.CurrentScreen = Screen::Player;
  const StripLayout l = StripLayoutOf(1280, 720, StripMode::Live, false);
  EXPECT_TRUE(HoverCheck(state, l, 640, 300, true, 1'000)) << "a movement shows hidden strips";
  state.playerScreen.stripsShown = true;
  // Resting on the video, inside the window: they go 2.8 s after the move.
  for (uint64_t t = 1'050; t < 3'800; t += 50) EXPECT_FALSE(HoverCheck(state, l, 640, 300, true, t)) << t;
  EXPECT_TRUE(HoverCheck(state, l, 640, 300, true, 3'800));
  state.playerScreen.stripsShown = false;
  for (uint64_t t = 3'850; t < 10'000; t += 50) EXPECT_FALSE(HoverCheck(state, l, 640, 300, true, t));
  // Resting over a shown strip keeps it.
  const RectF b = l[StripId::Bottom];
  EXPECT_TRUE(HoverCheck(state, l, int(b.left) + 50, int(b.top) + 20, true, 10'000));
  state.playerScreen.stripsShown = true;
  for (uint64_t t = 10'050; t < 20'000; t += 50) EXPECT_FALSE(HoverCheck(state, l, int(b.left) + 50, int(b.top) + 20, true, t));
  EXPECT_GT(state.playerScreen.stripsUntil, 19'950u);
  // Outside the window: 2.8 s after the last movement.
  EXPECT_FALSE(HoverCheck(state, l, -5, 200, false, 20'000));
  EXPECT_FALSE(HoverCheck(state, l, -5, 200, false, 19'950 + 2'700));
  EXPECT_TRUE(HoverCheck(state, l, -5, 200, false, 19'950 + 2'800));
  // A key or a click shows them again for 2.8 s.
  navigator.OnKey(Vk::Letter('A'), 25'000);
  EXPECT_EQ(state.playerScreen.stripsUntil, 27'800u);
  Pointer(PointerEvent::Kind::Down, 640, 300, 28'000);
  EXPECT_EQ(state.playerScreen.stripsUntil, 30'800u);
  // While catch-up tries its addresses the strips say so and stay.
  state.playerScreen.stripsShown = false;
  playing.catchupActive = true;
  EXPECT_TRUE(HoverCheck(state, l, -5, 200, false, 30'000));
  EXPECT_GE(state.playerScreen.stripsUntil, 32'800u);
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
  EXPECT_EQ(ExpandedButtonLabel(8), u"TV Guide");
  EXPECT_TRUE(ExpandedButtonLabel(kStripButtonCount).empty());
}
