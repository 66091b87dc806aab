// A paused or delayed preview on Live: it says so on the picture, and End
// returns it to live there as on the Player, while L keeps locking.
#include <gtest/gtest.h>

#include "platform/virtual_keys.h"
#include "tests/catalog/test_items.h"
#include "tests/ui/nav/navigator_fixture.h"
#include "tests/ui/render/painted_texts.h"
#include "ui/screens/live_screen.h"

namespace {

class LivePauseState : public NavigatorTest {
 protected:
  void SetUp() override {
    SetLiveChannels(TestChannels(u"c", 12));
    state.CurrentScreen = Screen::Live;
    state.nav.ChannelIndex = 2;
    state.nav.LiveFocus = 1;
    playing.currentChannel = state.VisibleLive[2];
    playing.timeshift.window = 900;
  }

  // The texts the Live screen paints at w x h with the text boxes they got.
  std::vector<Drawn> PaintedTexts(int w, int h) {
    return TextsOf([this](RenderResources& res) { screens[Screen::Live].Paint(res, state, ToLocalTime(NowUnix())); },
                   w, h);
  }
};

}  // namespace

TEST_F(LivePauseState, EndReturnsToLiveOnLiveAndOnThePlayerWhileLStillLocks) {
  Press({Vk::End});
  EXPECT_EQ(actions.liveJumps, 1);
  Press({Vk::Letter('L')});
  EXPECT_EQ(actions.liveJumps, 1) << "L locks on Live; it never jumps";
  state.CurrentScreen = Screen::Player;
  playing.lastChannelId = u"c3";
  Press({Vk::End, Vk::Letter('L')});
  EXPECT_EQ(actions.liveJumps, 3);
}

TEST_F(LivePauseState, APausedOrDelayedPreviewSaysSoOnThePicture) {
  const auto stateText = [](const std::vector<Drawn>& texts, const RectF& place) {
    for (const Drawn& t : texts) {
      if (t.box.left >= place.left && t.box.right <= place.right && t.box.top >= place.top &&
          t.box.bottom <= place.bottom)
        return t.text;
    }
    return std::string();
  };
  for (const auto& [w, h] : {std::pair{1280, 720}, {1920, 1080}, {3840, 2160}}) {
    const RectF place = LiveLayoutOf(state, 0, 0, w, h).previewState;
    playing.timeshift.paused = true;
    playing.timeshift.shownBehind = 42;
    EXPECT_EQ(stateText(PaintedTexts(w, h), place), "PAUSED  \u22120:42") << w;
    playing.timeshift.paused = false;
    playing.timeshift.behind = 42;
    EXPECT_EQ(stateText(PaintedTexts(w, h), place), "\u22120:42") << w;
    playing.timeshift.behind = 0;
    playing.timeshift.shownBehind = 0;
    EXPECT_EQ(stateText(PaintedTexts(w, h), place), "") << "at live the picture is left alone";
  }
}

TEST_F(LivePauseState, LeftAndRightOnThePlayerSkipInTheBufferWhenBehindAndZapAtLive) {
  state.CurrentScreen = Screen::Player;
  playing.lastChannelId = u"c3";
  actions.timeShifted = true;
  Press({Vk::Left, Vk::Right});
  EXPECT_EQ(actions.liveSkips, (std::vector<double>{-10, +10}));
  EXPECT_TRUE(actions.channelSteps.empty()) << "a skip in the buffer is no zap";
  actions.timeShifted = false;
  Press({Vk::Left, Vk::Right});
  EXPECT_EQ(actions.channelSteps, (std::vector<int>{-1, +1})) << "at live the same keys zap";
  EXPECT_TRUE(actions.seeks.empty());
}
