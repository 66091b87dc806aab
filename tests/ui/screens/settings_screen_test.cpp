#include "ui/screens/settings_screen.h"

#include <gtest/gtest.h>

#include <cmath>

#include "platform/virtual_keys.h"
#include "tests/fixtures/temp_data_home.h"
#include "tests/ui/nav/navigator_fixture.h"
#include "tests/ui/render/test_pictures.h"
#include "i18n/translate.h"
#include "ui/screens/settings_cells.h"

namespace {

using Keys = std::vector<int>;

// The key sequences one after the other.
Keys Join(std::initializer_list<Keys> parts) {
  Keys keys;
  for (const Keys& part : parts) keys.insert(keys.end(), part.begin(), part.end());
  return keys;
}

constexpr double kSizes[][2] = {{1280, 720}, {1920, 1080}, {3840, 2160}};

// A cell reached through another screen or cell, without a tile of its own.
bool NoTile(int cell) { return SettingsCellAt(cell)->tile == SettingsCell::Tile::None; }

// Each arrow goes to a tile drawn wholly that way, never past a tile that
// lies nearer along the move and no further across it, and stays only where
// nothing is drawn that way. Read off the tiles' rectangles at each size.
TEST(SettingsNavigation, ArrowsFollowTheDrawnTiles) {
  for (const auto& size : kSizes) {
    const double w = size[0], h = size[1];
    for (int from = 0; from < kSettingsCellCount; ++from) {
      if (NoTile(from)) continue;
      const RectF f = SettingsTileRect(from, w, h);
      for (int vk : {Vk::Left, Vk::Right, Vk::Up, Vk::Down}) {
        SCOPED_TRACE(testing::Message() << w << "x" << h << " from " << from << " key " << vk);
        // How far a tile lies along the move (negative: not wholly beyond
        // the edge) and how far its centre lies across it.
        auto along = [&](const RectF& t) {
          switch (vk) {
            case Vk::Left: return f.left - t.right;
            case Vk::Right: return t.left - f.right;
            case Vk::Up: return f.top - t.bottom;
            default: return t.top - f.bottom;
          }
        };
        auto across = [&](const RectF& t) {
          const bool sideways = vk == Vk::Left || vk == Vk::Right;
          return sideways ? std::abs((t.top + t.bottom) - (f.top + f.bottom)) / 2
                          : std::abs((t.left + t.right) - (f.left + f.right)) / 2;
        };
        const int to = SettingsMove(from, vk, w, h);
        bool anyThatWay = false;
        for (int c = 0; c < kSettingsCellCount; ++c)
          anyThatWay |= !NoTile(c) && c != from && along(SettingsTileRect(c, w, h)) >= 0;
        if (!anyThatWay) {
          EXPECT_EQ(to, from);
          continue;
        }
        ASSERT_NE(to, from);
        ASSERT_FALSE(NoTile(to));
        const RectF t = SettingsTileRect(to, w, h);
        EXPECT_GE(along(t), 0);
        for (int c = 0; c < kSettingsCellCount; ++c) {
          if (NoTile(c) || c == from || c == to) continue;
          const RectF o = SettingsTileRect(c, w, h);
          if (along(o) < 0) continue;
          EXPECT_FALSE(along(o) < along(t) && across(o) <= across(t)) << "passes over " << c;
        }
      }
    }
  }
  // The moves a remote user missed: the tile under Live Stream Format is
  // Subtitles, over Speed test is Live TV, Right at a row's end stays, and
  // the bottom two are reached from the row above.
  EXPECT_EQ(SettingsMove(12, Vk::Down, 1920, 1080), 17);
  EXPECT_EQ(SettingsMove(kSpeedTestCell, Vk::Up, 1920, 1080), kLiveTvCell);
  EXPECT_EQ(SettingsMove(16, Vk::Right, 1920, 1080), 16);
  EXPECT_EQ(SettingsMove(19, Vk::Down, 1280, 720), kPipCell);
  EXPECT_EQ(SettingsMove(kLiveTvCell, Vk::Down, 3840, 2160), kSpeedTestCell);
  EXPECT_EQ(SettingsMove(kPipCell, Vk::Right, 1280, 720), kSpeedTestCell);
  EXPECT_EQ(SettingsMove(5, Vk::Tab, 1280, 720), 5);
}

TEST(SettingsValues, EnumeratedCells) {
  AppState state;
  Settings& s = state.settings;
  s.ParentalOn = true;
  s.LiveSort = 7;
  s.LiveFormat.clear();
  s.ExternalKind = 0;
  s.InternalPlayer = 1;
  s.AutoHours = 12;
  s.TimeFormat = 1;
  s.SubSize = 5;
  s.DeviceType.clear();
  s.PipSize = -1;
  EXPECT_EQ(SettingsValueText(state, 1), u"ON");
  EXPECT_EQ(SettingsValueText(state, 2), u"");  // no playlists
  EXPECT_EQ(SettingsValueText(state, 3), LanguageName(0));
  EXPECT_EQ(SettingsValueText(state, 11), u"Default");
  EXPECT_EQ(SettingsValueText(state, 12), u"ts");
  EXPECT_EQ(SettingsValueText(state, 13), u"Player2");
  EXPECT_EQ(SettingsValueText(state, 15), Translate("auto_every"));
  EXPECT_EQ(SettingsValueText(state, 16), u"12 hour format");
  EXPECT_EQ(SettingsValueText(state, 17), u"Large");
  EXPECT_EQ(SettingsValueText(state, 18), u"TV");
  EXPECT_EQ(SettingsValueText(state, 21), u"Small");
  EXPECT_EQ(SettingsValueText(state, 0), u"");
  EXPECT_EQ(SettingsValueText(state, 14), u"");
  s.ExternalKind = 2;
  s.AutoHours = 48;
  EXPECT_EQ(SettingsValueText(state, 13), u"MX Player");
  EXPECT_EQ(SettingsValueText(state, 15), Translate("auto_2day"));
  s.PlaylistUrl = u"http://h/get.php?username=u&password=p";
  s.Extra = {{u"Home", u"http://x/get.php?username=a&password=b"}, {u"Mine", s.PlaylistUrl}};
  EXPECT_EQ(SettingsValueText(state, 2), u"Mine  (2)");
}

TEST(SettingsChoices, HighlightsFollowTheSettings) {
  Settings s;
  s.AutoHours = 12;
  EXPECT_EQ(SettingsChoiceFor(s, 15).highlighted, 0);
  s.DeviceType = u"Fridge";
  EXPECT_EQ(SettingsChoiceFor(s, 18).highlighted, 1);
  s.DeviceType = u"PC";
  EXPECT_EQ(SettingsChoiceFor(s, 18).highlighted, 5);
  s.ExternalKind = 2;
  EXPECT_EQ(SettingsChoiceFor(s, 13).highlighted, 3);
  EXPECT_EQ(SettingsChoiceFor(s, 3).options.size(), 33u);
  EXPECT_TRUE(SettingsChoiceFor(s, 0).options.empty());
}

TEST(SettingsLayout, TilesDoNotOverlapAndFocus14IsDrawnOn13) {
  for (int a = 0; a < kSettingsCellCount; ++a) {
    if (NoTile(a)) continue;
    const RectF ra = SettingsTileRect(a, 1280, 720);
    EXPECT_GT(ra.Width(), 100) << a;
    EXPECT_EQ(SettingsHitTest(ra.left + 5, ra.top + 5, 1280, 720), a);
  }
  EXPECT_EQ(SettingsTileRect(14, 1280, 720), RectF{});
  EXPECT_LE(SettingsIdentityRect(1280, 720).right, SettingsTileRect(21, 1280, 720).left);

  AppState state;
  state.nav.SettingsIndex = 14;
  RenderResources res;
  OffscreenFrame frame(res, 1280, 720);
  PaintSettings(res, state);
  const RectF t13 = SettingsTileRect(13, 1280, 720);
  const RectF t12 = SettingsTileRect(12, 1280, 720);
  const int mid13 = static_cast<int>((t13.top + t13.bottom) / 2), mid12 = static_cast<int>((t12.top + t12.bottom) / 2);
  // The focus frame (3 pixels at least) puts more light across the tile's
  // edge than a plain frame (wherever each renderer's antialiasing puts it).
  const auto edgeLight = [&frame](const RectF& tile, int y) {
    int sum = 0;
    for (int x = static_cast<int>(tile.left) - 2; x <= static_cast<int>(tile.left) + 4; ++x) sum += frame.At(x, y).Brightness();
    return sum;
  };
  EXPECT_GT(edgeLight(t13, mid13), edgeLight(t12, mid12) + 120);
}

// Each setting has its own picture: any two icons differ in a good part of
// their strokes (a shared ring with a turned tick would not).
TEST(SettingsLayout, EveryTileHasItsOwnIcon) {
  constexpr int kSide = 48;
  std::vector<std::vector<bool>> masks;
  for (int cell = 0; cell < 20; ++cell) {
    if (cell == 14) continue;
    OffscreenCanvas image(kSide, kSide);
    DrawSettingIcon(image.Draw(), cell, RectF{2, 2, kSide - 2.0, kSide - 2.0}, Rgba{1, 1, 1, 1}, 3);
    std::vector<bool> mask;
    for (int y = 0; y < kSide; ++y) {
      for (int x = 0; x < kSide; ++x) mask.push_back(PixelAt(image, x, y).a > 100);
    }
    masks.push_back(std::move(mask));
  }
  for (size_t a = 0; a < masks.size(); ++a) {
    for (size_t b = a + 1; b < masks.size(); ++b) {
      int both = 0, either = 0;
      for (size_t i = 0; i < masks[a].size(); ++i) {
        both += masks[a][i] && masks[b][i];
        either += masks[a][i] || masks[b][i];
      }
      EXPECT_LT(both, 0.75 * either) << a << " and " << b;
    }
  }
}

struct SettingsCellsTest : NavigatorTest {
  void SetUp() override {
    navigator.SetScreen(Screen::Settings);
    actions = RecordingActions{};
  }
  void Run(int cell, Keys keys) {
    state.nav.SettingsIndex = cell;
    modalKeys = std::move(keys);
    Press({Vk::Return});
  }
  TempDataHome home;
};

TEST_F(SettingsCellsTest, PickersWriteAndSaveAndCancelChangesNothing) {
  Run(15, {Vk::Escape});
  EXPECT_EQ(state.settings.AutoHours, 0);
  EXPECT_EQ(actions.saves, 0);
  state.settings.AutoHours = 12;
  Run(15, {Vk::Return});
  EXPECT_EQ(state.settings.AutoHours, 1);  // the first option stores 1, not 12
  Run(15, {Vk::Down, Vk::Down, Vk::Down, Vk::Return});
  EXPECT_EQ(state.settings.AutoHours, 48);
  Run(4, {Vk::Down, Vk::Return});
  EXPECT_FALSE(state.settings.IsGrid);
  Run(12, {Vk::Down, Vk::Return});
  EXPECT_EQ(state.settings.LiveFormat, u"m3u8");
  Run(3, {Vk::Down, Vk::Return});
  EXPECT_EQ(state.settings.Lang, LanguageCode(1));
  Run(18, {Vk::Down, Vk::Return});
  EXPECT_EQ(state.settings.DeviceType, u"Stick");
  Run(17, {Vk::Up, Vk::Return});
  EXPECT_EQ(state.settings.SubSize, 0);
  EXPECT_EQ(actions.playerSettings, 1);
  EXPECT_EQ(actions.saves, 7);
}

TEST_F(SettingsCellsTest, PlayerChoiceResetsTheExternalPlayer) {
  state.settings.ExternalKind = 1;
  state.settings.ExternalPlayer = u"/usr/bin/vlc";
  Run(13, {Vk::Up, Vk::Return});  // from VLC up to Player2
  EXPECT_EQ(state.settings.InternalPlayer, 1);
  EXPECT_EQ(state.settings.ExternalKind, 0);
  EXPECT_TRUE(state.settings.ExternalPlayer.empty());
  EXPECT_EQ(actions.playerSettings, 1);
}

TEST_F(SettingsCellsTest, ClearHistoryAsksAndPipCancelsOnEitherPicker) {
  state.settings.HistoryMovies = {u"1", u"2"};
  Run(9, {Vk::Return});  // "Cancel" is highlighted
  EXPECT_EQ(state.settings.HistoryMovies.size(), 2u);
  Run(9, {Vk::Down, Vk::Return});
  EXPECT_TRUE(state.settings.HistoryMovies.empty());

  // Esc on the size closes both pickers and changes nothing.
  const int shown = modalsShown;
  Run(21, {Vk::Escape, Vk::Down, Vk::Return});
  EXPECT_EQ(modalsShown, shown + 1);
  EXPECT_EQ(state.settings.PipSize, 1);
  EXPECT_EQ(state.settings.PipPos, 0);
  EXPECT_EQ(actions.saves, 1);
  Run(21, {Vk::Down, Vk::Return, Vk::Down, Vk::Return});
  EXPECT_EQ(state.settings.PipSize, 2);
  EXPECT_EQ(state.settings.PipPos, 1);
  EXPECT_EQ(actions.saves, 2);
  EXPECT_GE(actions.layouts, 1);
}

TEST_F(SettingsCellsTest, ParentalPinNeedsTheOldPinAndAnEmptyAnswerKeepsIt) {
  // Off: the picker (cancelled) still leads to the PIN prompt; an empty answer keeps the PIN.
  const Keys clear = {Vk::Back, Vk::Back, Vk::Back, Vk::Back};
  Run(1, Join({{Vk::Escape}, clear, {Vk::Return}}));
  EXPECT_FALSE(state.settings.ParentalOn);
  EXPECT_EQ(state.settings.ParentalPin, u"8391");

  Run(1, Join({{Vk::Down, Vk::Return}, clear, Typing(u"1234"), {Vk::Return}}));
  EXPECT_TRUE(state.settings.ParentalOn);
  EXPECT_EQ(state.settings.ParentalPin, u"1234");

  // On: a wrong PIN changes nothing, whatever follows.
  Run(1, Join({Typing(u"0000"), {Vk::Return}}));
  EXPECT_EQ(state.StatusText, u"Wrong PIN");
  EXPECT_TRUE(state.settings.ParentalOn);
  EXPECT_EQ(modalsShown, 5);

  Run(1, Join({Typing(u"1234"), {Vk::Return, Vk::Up, Vk::Return, Vk::Return}}));
  EXPECT_FALSE(state.settings.ParentalOn);
  EXPECT_EQ(state.settings.ParentalPin, u"1234");
}

TEST_F(SettingsCellsTest, AccountUpdateAndSpeedTestCells) {
  Run(0, {});
  EXPECT_EQ(state.CurrentScreen, Screen::Account);
  EXPECT_FALSE(state.nav.AccountFromHome);
  ASSERT_EQ(actions.opened.size(), 1u);
  EXPECT_NE(actions.opened[0].find(u"/vs4.3/playlists.html?mac="), std::u16string::npos);
  EXPECT_EQ(state.StatusText, u"Scan QR to add playlist.");
  EXPECT_EQ(actions.panelChecks, 1);

  navigator.SetScreen(Screen::Settings);
  Run(19, {});
  EXPECT_EQ(actions.boots, 1);
  EXPECT_EQ(actions.opened.back().substr(actions.opened.back().size() - 7), u"/vs4.3/");

  Run(20, {Vk::Right, Vk::Return, Vk::Right, Vk::Return, Vk::Escape});
  EXPECT_EQ(actions.cacheClears, 1);
  EXPECT_GE(state.speedReport->Lines().size(), 1u);  // the Wi-Fi advice
  EXPECT_EQ(actions.speedTests, 0);
  Run(20, {Vk::Return, Vk::Up, Vk::Return});  // start, then back
  EXPECT_EQ(actions.speedTests, 1);
  EXPECT_FALSE(modal.Open());
}

// Each row of the cells' table is whole: a tile to paint (label or button
// text, an icon for a setting) and one way to run; a one-picker cell opens one picker of its choices,
// and Esc there writes and saves nothing.
TEST_F(SettingsCellsTest, EveryRowOfTheTableIsWhole) {
  for (int cell = 0; cell < kSettingsCellCount; ++cell) {
    SCOPED_TRACE(cell);
    const SettingsCell& row = *SettingsCellAt(cell);
    switch (row.tile) {
      case SettingsCell::Tile::Setting:
        EXPECT_FALSE(SettingsTileLabel(cell).empty());
        EXPECT_NE(row.icon, nullptr);
        break;
      case SettingsCell::Tile::Button: EXPECT_FALSE(Translate(row.buttonKey).empty()); break;
      case SettingsCell::Tile::None: EXPECT_EQ(row.icon, nullptr); break;
    }
    EXPECT_NE(row.run == nullptr, row.apply == nullptr) << "one way to run";
    if (!row.apply) continue;
    const Settings before = state.settings;
    const int shown = modalsShown;
    Run(cell, {Vk::Escape});
    EXPECT_EQ(modalsShown, shown + 1);
    EXPECT_FALSE(SettingsChoiceFor(state.settings, cell).options.empty());
    EXPECT_EQ(actions.saves, 0);
    EXPECT_EQ(state.settings.Lang, before.Lang);
  }
  EXPECT_EQ(SettingsCellAt(kSettingsCellCount), nullptr);
  EXPECT_EQ(SettingsCellAt(-1), nullptr);
}

}  // namespace
