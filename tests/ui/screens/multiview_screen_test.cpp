// The multi-view's rules (where tiles sit, where the focus goes, how many
// may open, which channels fill them) and its screen through the
// navigator: the keys, the clicks, the channel picker and the ways out.
#include <gtest/gtest.h>

#include "platform/virtual_keys.h"
#include "tests/catalog/test_items.h"
#include "tests/ui/nav/navigator_fixture.h"
#include "ui/screens/multiview_rules.h"
#include "ui/screens/player_strips.h"

namespace {

int64_t Area(const PixelRect& r) { return int64_t(r.w) * r.h; }
bool Overlap(const PixelRect& a, const PixelRect& b) {
  return a.x < b.x + b.w && b.x < a.x + a.w && a.y < b.y + b.h && b.y < a.y + a.h;
}

TEST(MultiViewRules, TilesCoverTheWindowWithoutOverlapAtAnySize) {
  for (const auto& [w, h] : {std::pair{1280, 720}, std::pair{1921, 1081}, std::pair{3840, 2160}}) {
    for (int count = 1; count <= 4; ++count) {
      const std::vector<PixelRect> tiles = TileRects(count, w, h);
      ASSERT_EQ(int(tiles.size()), count);
      int64_t area = 0;
      for (size_t i = 0; i < tiles.size(); ++i) {
        area += Area(tiles[i]);
        EXPECT_GE(tiles[i].x, 0);
        EXPECT_LE(tiles[i].x + tiles[i].w, w);
        EXPECT_LE(tiles[i].y + tiles[i].h, h);
        for (size_t j = 0; j < i; ++j) EXPECT_FALSE(Overlap(tiles[i], tiles[j])) << count << " tiles at " << w;
      }
      // Three leave the bottom corners free; the others fill everything.
      if (count != 3) {
        EXPECT_EQ(area, int64_t(w) * h) << count << " tiles at " << w;
      }
    }
  }
  const std::vector<PixelRect> three = TileRects(3, 1280, 720);
  EXPECT_EQ(three[2], (PixelRect{320, 360, 640, 360})) << "the third is centred below the two";
  EXPECT_EQ(TileRects(2, 1280, 720)[1], (PixelRect{640, 0, 640, 720})) << "two sit side by side";
  EXPECT_TRUE(TileRects(0, 1280, 720).empty());
  EXPECT_TRUE(TileRects(5, 1280, 720).empty());
  EXPECT_EQ(TileAt(three, 330, 700), 2);
  EXPECT_EQ(TileAt(three, 10, 700), -1);
}

TEST(MultiViewRules, ArrowsMoveTheFocusToTheNearestTileThatWay) {
  const auto four = TileRects(4, 1280, 720);
  EXPECT_EQ(FocusAfterArrow(four, 0, +1, 0), 1);
  EXPECT_EQ(FocusAfterArrow(four, 0, 0, +1), 2);
  EXPECT_EQ(FocusAfterArrow(four, 3, -1, 0), 2);
  EXPECT_EQ(FocusAfterArrow(four, 3, 0, -1), 1);
  EXPECT_EQ(FocusAfterArrow(four, 1, +1, 0), 1) << "nothing further right: the focus stays";
  EXPECT_EQ(FocusAfterArrow(four, 0, -1, 0), 0);
  const auto three = TileRects(3, 1280, 720);
  EXPECT_EQ(FocusAfterArrow(three, 1, 0, +1), 2) << "down from either upper tile reaches the centred one";
  EXPECT_EQ(FocusAfterArrow(three, 0, 0, +1), 2);
  EXPECT_EQ(FocusAfterArrow(three, 2, 0, -1), 0);
  EXPECT_EQ(FocusAfterArrow(three, 2, +1, 0), 2) << "nothing beside the lower tile";
  const auto two = TileRects(2, 1280, 720);
  EXPECT_EQ(FocusAfterArrow(two, 0, 0, +1), 0);
  EXPECT_EQ(FocusAfterArrow(two, 0, +1, 0), 1);
  EXPECT_EQ(FocusAfterArrow(two, 7, +1, 0), 7) << "a focus out of range is left alone";
}

TEST(MultiViewRules, TheConnectionBudgetAndTheChannelsThatFillTheTiles) {
  EXPECT_EQ(TilesAllowed(4, std::nullopt), 4);
  EXPECT_EQ(TilesAllowed(4, 2), 2);
  EXPECT_EQ(TilesAllowed(3, 8), 3);
  EXPECT_EQ(TilesAllowed(9, std::nullopt), kMaxViewTiles);
  EXPECT_EQ(TilesAllowed(4, 0), 4) << "0 is no limit";
  EXPECT_EQ(TilesAllowed(4, -3), 4);

  auto items = TestChannels(u"c", 6);
  items->push_back(TestChannel(u"c2"));  // the same channel listed twice
  const VisibleList list(items, {0, 1, 2, 3, 4, 5, 6});
  const auto all = [](const CatalogItem&) { return true; };
  const auto notThree = [](const CatalogItem& c) { return c.id() != u"c3"; };
  EXPECT_EQ(FirstTileChannels(list, 0, 4, all), (std::vector<int>{0, 1, 2, 3}));
  EXPECT_EQ(FirstTileChannels(list, 5, 4, all), (std::vector<int>{5, 6, 0, 2})) << "wraps, and c2 again is passed over";
  EXPECT_EQ(FirstTileChannels(list, 1, 4, notThree), (std::vector<int>{1, 3, 4, 5})) << "a locked channel is left out";
  EXPECT_TRUE(FirstTileChannels(list, 9, 4, all).empty());
  const VisibleList two(items, {0, 1});
  EXPECT_EQ(FirstTileChannels(two, 1, 4, all), (std::vector<int>{1, 0})) << "a short list gives fewer tiles";

  MultiViewState view;
  for (int i : {0, 1, 2, 3}) view.tiles.push_back(ViewTile{(*items)[size_t(i)]});
  EXPECT_EQ(NextFreeChannel(list, 3, +1, view, 3, all), 4);
  EXPECT_EQ(NextFreeChannel(list, 0, -1, view, 0, all), 5) << "back wraps to the end";
  EXPECT_EQ(NextFreeChannel(list, 3, +1, view, 3, notThree), 4);
  EXPECT_EQ(NextFreeChannel(list, -1, +1, view, -1, all), 4) << "a new tile starts after those shown";
  EXPECT_EQ(NextFreeChannel(VisibleList(items, {0, 1}), 0, +1, view, 0, all), 0) << "all taken: the tile keeps its own";

  EXPECT_EQ(FocusAfterRemoval(3, 3, 3), 2);
  EXPECT_EQ(FocusAfterRemoval(1, 1, 3), 1);
  EXPECT_EQ(FocusAfterRemoval(2, 0, 3), 1);
}

class MultiViewScreenTest : public NavigatorTest {
 protected:
  void SetUp() override {
    SetLiveChannels(TestChannels(u"c", 6));
    navigator.SetSurfaceSize(1280, 720);
    state.nav.ChannelIndex = 0;
    playing.lastChannelId = u"c1";
    playing.currentChannel = state.VisibleLive[0];
  }
  void OpenTiles(int count) {
    state.CurrentScreen = Screen::MultiView;
    for (int i = 0; i < count; ++i) state.multiView.tiles.push_back(ViewTile{state.VisibleLive[size_t(i)]});
    actions.multiView.calls.clear();
  }
  const std::vector<std::string>& Calls() const { return actions.multiView.calls; }
};

TEST_F(MultiViewScreenTest, WOnTheLivePlayerOpensTheTilesWhenTheyCanPlay) {
  state.CurrentScreen = Screen::Player;
  Press({Vk::Letter('W')});
  EXPECT_EQ(state.CurrentScreen, Screen::MultiView);
  EXPECT_EQ(Calls(), (std::vector<std::string>{"open"}));

  state.CurrentScreen = Screen::Player;
  actions.multiView.opens = false;
  Press({Vk::Letter('W')});
  EXPECT_EQ(state.CurrentScreen, Screen::Player) << "fewer than two tiles: the Player stays";

  CatalogItem::Fields f{};
  f.id = u"m1";
  playing.currentItem = CatalogItem(ItemKind::Vod, f, 0);
  playing.itemKey = u"m1";
  actions.multiView.calls.clear();
  Press({Vk::Letter('W')});
  EXPECT_TRUE(Calls().empty()) << "a movie has no multi-view";
  EXPECT_EQ(ExpandedButtonLabel(kStripButtonCount - 1), ExpandedButtonLabel(11)) << "the strip's last button";
}

TEST_F(MultiViewScreenTest, KeysMoveTheFocusZapFillRemoveAndAdd) {
  OpenTiles(4);
  Press({Vk::Right, Vk::Down});
  EXPECT_EQ(Calls(), (std::vector<std::string>{"focus 1", "focus 2"})) << "the recorder leaves the focus on tile 0";
  state.multiView.focus = 1;
  actions.multiView.calls.clear();
  Press({Vk::Down, Vk::PageDown, Vk::PageUp, Vk::Delete, Vk::Letter('N'), Vk::Return});
  EXPECT_EQ(Calls(), (std::vector<std::string>{"focus 3", "step 1", "step -1", "remove", "add", "fill"}));

  state.multiView.filled = true;
  actions.multiView.calls.clear();
  Press({Vk::Up, Vk::Down, Vk::Left, Vk::Delete, Vk::Letter('N'), Vk::Return, Vk::Escape});
  EXPECT_EQ(Calls(), (std::vector<std::string>{"step -1", "step 1", "unfill"})) << "filled: Up/Down zap, Back returns";
  EXPECT_EQ(state.CurrentScreen, Screen::MultiView);
}

TEST_F(MultiViewScreenTest, BackOrWLeavesForThePlayerAndAnyOtherScreenStopsTheStream) {
  OpenTiles(4);
  Press({Vk::Escape});
  EXPECT_EQ(state.CurrentScreen, Screen::Player);
  EXPECT_EQ(Calls(), (std::vector<std::string>{"close"}));
  EXPECT_EQ(actions.stops, 0) << "the focused channel plays on";

  state.multiView = MultiViewState{};
  OpenTiles(2);
  Press({Vk::Letter('W')});
  EXPECT_EQ(state.CurrentScreen, Screen::Player);
  EXPECT_EQ(Calls(), (std::vector<std::string>{"close"}));

  state.multiView = MultiViewState{};
  OpenTiles(2);
  navigator.SetScreen(Screen::Home);
  EXPECT_EQ(Calls(), (std::vector<std::string>{"close"}));
  EXPECT_EQ(actions.stops, 1);
}

TEST_F(MultiViewScreenTest, ClicksFocusADoubleClickFillsAndThePickerMarksTheChannelsInTiles) {
  OpenTiles(4);
  navigator.OnPointer(PointerEvent{PointerEvent::Kind::Up, 1000, 600, 0}, 1280, 720, 0);
  navigator.OnPointer(PointerEvent{PointerEvent::Kind::DoubleClick, 100, 100, 0}, 1280, 720, 0);
  EXPECT_EQ(Calls(), (std::vector<std::string>{"focus 3", "fill"})) << "tile 0 is focused already";

  actions.multiView.calls.clear();
  state.multiView.focus = 1;
  modalKeys = {Vk::Down, Vk::Down, Vk::Down, Vk::Return};
  Press({Vk::Letter('C')});
  EXPECT_EQ(Calls(), (std::vector<std::string>{"set 1 c5"})) << "the picker opens on the tile's channel";
  EXPECT_EQ(modalsShown, 1);
}

}  // namespace
