// A paused or delayed preview on Live: it says so on the picture, and End
// returns it to live there as on the Player, while L keeps locking.
#include <gtest/gtest.h>

#include <cstdlib>

#include "net/json_scan.h"
#include "platform/virtual_keys.h"
#include "store/file_io.h"
#include "tests/catalog/test_items.h"
#include "tests/fixtures/temp_folder.h"
#include "tests/ui/nav/navigator_fixture.h"
#include "tests/ui/render/test_pictures.h"
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
  std::vector<std::pair<std::string, RectF>> PaintedTexts(int w, int h) {
    TempFolder folder;
    const std::filesystem::path file = folder.Path() / "boxes.json";
    setenv("VISTRA_TEXT_BOXES", file.c_str(), 1);
    RenderResources res;
    unsetenv("VISTRA_TEXT_BOXES");
    {
      OffscreenFrame frame(res, w, h);
      res.RecordTexts("interface");
      screens[Screen::Live].Paint(res, state, ToLocalTime(NowUnix()));
    }
    std::vector<std::pair<std::string, RectF>> texts;
    const std::string json = ReadWholeFile(file).value_or("");
    // The array's text outlives the loop: the objects are views into it.
    const std::string array = JsonScan::Array(json, "texts");
    for (std::string_view object : JsonScan::Objects(array)) {
      RectF box;
      std::sscanf(JsonScan::Array(object, "box").c_str(), "[%lf,%lf,%lf,%lf]", &box.left, &box.top, &box.right,
                  &box.bottom);
      texts.emplace_back(JsonScan::Value(object, "text"), box);
    }
    return texts;
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
  const auto stateText = [](const std::vector<std::pair<std::string, RectF>>& texts, const RectF& place) {
    for (const auto& [text, box] : texts) {
      if (box.left >= place.left && box.right <= place.right && box.top >= place.top && box.bottom <= place.bottom)
        return text;
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
