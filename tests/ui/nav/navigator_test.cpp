#include "ui/nav/navigator.h"

#include <gtest/gtest.h>

#include "tests/ui/nav/navigator_fixture.h"

#include "app/catalog_jobs.h"
#include "tests/fixtures/message_recorder.h"
#include "tests/fixtures/temp_data_home.h"
#include "platform/virtual_keys.h"
#include "ui/modals/key_help_overlay.h"
#include "ui/screens/home_screen.h"

namespace {

TEST_F(NavigatorTest, HomeTilesClampWithoutWrapping) {
  Press({Vk::Up});
  EXPECT_EQ(state.nav.HomeIndex, 0);
  Press({Vk::Down, Vk::Down, Vk::Down, Vk::Down, Vk::Down, Vk::Down, Vk::Down, Vk::Down, Vk::Down});
  EXPECT_EQ(state.nav.HomeIndex, 7);
}

TEST_F(NavigatorTest, HomeTilesOpenTheirScreensAndBackKeysReturn) {
  Press({Vk::Down, Vk::Return});
  EXPECT_EQ(state.CurrentScreen, Screen::Movies);
  EXPECT_TRUE(state.flags.MoviesWanted) << "an empty movie list asks for the lazy load";
  Press({Vk::Back});
  EXPECT_EQ(state.CurrentScreen, Screen::Home);

  Press({Vk::Down, Vk::Down, Vk::Return});
  EXPECT_EQ(state.CurrentScreen, Screen::Sports);
  EXPECT_EQ(actions.sportsFetches, 1);
  Press({Vk::Escape});

  Press({Vk::Down, Vk::Return});  // tile 4: playlist / account
  EXPECT_EQ(state.CurrentScreen, Screen::Account);
  EXPECT_TRUE(state.nav.AccountFromHome);
  EXPECT_EQ(actions.panelChecks, 1);
  Press({Vk::Escape});
  EXPECT_EQ(state.CurrentScreen, Screen::Home);

  Press({Vk::Escape});
  EXPECT_EQ(state.CurrentScreen, Screen::Home) << "Esc on Home does nothing";
}

TEST_F(NavigatorTest, AccountOpenedFromSettingsReturnsThereOnEscOnly) {
  navigator.SetScreen(Screen::Account);
  state.nav.AccountFromHome = false;
  Press({Vk::Escape});
  EXPECT_EQ(state.CurrentScreen, Screen::Settings);
  navigator.SetScreen(Screen::Account);
  Press({Vk::Back});
  EXPECT_EQ(state.CurrentScreen, Screen::Home);
}

TEST_F(NavigatorTest, ExitAsksWithNoAsDefaultAndQuitsOnlyOnYes) {
  state.nav.HomeIndex = 7;
  modalKeys = {Vk::Down, Vk::Up, Vk::Return};  // the question takes every key; No is highlighted
  Press({Vk::Return});
  EXPECT_EQ(modalsShown, 1);
  EXPECT_TRUE(modalWasOpen);
  EXPECT_FALSE(modal.Open());
  EXPECT_EQ(state.nav.HomeIndex, 7) << "keys during the question never reach Home";
  EXPECT_EQ(actions.quits, 0);

  modalKeys = {Vk::Left, Vk::Return};
  Press({Vk::Return});
  EXPECT_EQ(actions.quits, 1);

  modalKeys = {};  // the program quit while asking: unanswered counts as No
  Press({Vk::Return});
  EXPECT_EQ(actions.quits, 1);
}

TEST_F(NavigatorTest, HomeClicksOpenTilesThePanelAndItsButtons) {
  Click(HomeTileRect(1, 1280, 720));
  EXPECT_EQ(state.CurrentScreen, Screen::Movies);
  EXPECT_EQ(state.nav.HomeIndex, 1);
  Press({Vk::Escape});

  Click(HomeBellHitRect(1280, 720));
  EXPECT_TRUE(state.nav.MessagesOpen);
  EXPECT_TRUE(state.nav.MessagesMode);
  Click(HomeTileRect(5, 1280, 720));
  EXPECT_EQ(state.CurrentScreen, Screen::Home) << "the open panel takes every click";
  Click(HomePanelButtonRect(0, 1280, 720));
  EXPECT_TRUE(state.nav.compose.composeOpen) << "the reply button acts as Enter";
  Click(HomePanelButtonRect(1, 1280, 720));
  EXPECT_FALSE(state.nav.compose.composeOpen);
  EXPECT_TRUE(state.nav.MessagesOpen) << "close shuts the reply box first";
  Click(HomePanelButtonRect(1, 1280, 720));
  EXPECT_FALSE(state.nav.MessagesOpen);

  state.nav.HomeIndex = 7;
  modalKeys = {Vk::Escape};
  Click(HomeTileRect(7, 1280, 720));
  EXPECT_EQ(modalsShown, 1) << "the exit tile asks on a click too";
}

TEST_F(NavigatorTest, LeavingTheLivePreviewStopsItAndEnteringPlays) {
  navigator.SetScreen(Screen::Live);
  EXPECT_EQ(actions.plays, 0) << "no channels: nothing to preview";
  EXPECT_GE(actions.layouts, 1);
  navigator.SetScreen(Screen::Player);
  EXPECT_EQ(actions.stops, 0) << "Live to Player keeps the video";
  navigator.SetScreen(Screen::Home);
  EXPECT_EQ(actions.stops, 1);
  navigator.SetScreen(Screen::Settings);
  EXPECT_EQ(actions.stops, 1);
}

TEST_F(NavigatorTest, VolumeStepsClampAndMuteRemembers) {
  state.settings.Volume = 97;
  Press({Vk::OemPlus});
  EXPECT_EQ(state.settings.Volume, 100);
  EXPECT_EQ(state.toast.text, u"Vol 100") << "shown as the notice, on every screen";
  // A stale status goes with its screen; a catalog load's progress stays.
  state.StatusText = u"Type message, Enter = send";
  navigator.SetScreen(Screen::Live);
  EXPECT_TRUE(state.StatusText.empty());
  state.StatusText = u"Loading movies…";
  state.flags.CatalogBusy = true;
  navigator.SetScreen(Screen::Home);
  EXPECT_EQ(state.StatusText, u"Loading movies…");
  state.flags.CatalogBusy = false;
  state.settings.Volume = 3;
  Press({Vk::NumpadSubtract});
  EXPECT_EQ(state.settings.Volume, 0);
  state.settings.Volume = 40;
  Press({Vk::Letter('M')});
  EXPECT_EQ(state.settings.Volume, 0);
  EXPECT_EQ(state.toast.text, u"Mute");
  Press({Vk::Letter('M')});
  EXPECT_EQ(state.settings.Volume, 40);
  EXPECT_EQ(actions.volumes, (std::vector<int>{100, 0, 0, 40}));
  EXPECT_EQ(actions.saves, 4);
}

// F1 opens the key help on any screen, "?" where the screen takes no
// text; the keys pressed meanwhile scroll or close it and reach no screen.
TEST_F(NavigatorTest, KeyHelpOpensByF1OrQuestionMarkAndTakesTheKeysWhileOpen) {
  std::u16string title;
  auto readTitle = [&] { title = dynamic_cast<const KeyHelpModal&>(*modal.Current()).Sheet().title; };
  whileModalOpen = readTitle;
  modalKeys = {Vk::Down, Vk::Return};
  Press({Vk::F1});
  EXPECT_EQ(modalsShown, 1);
  EXPECT_EQ(title, u"Keys: Home");
  EXPECT_EQ(state.nav.HomeIndex, 0) << "Down went to the help";
  EXPECT_FALSE(modal.Open());

  state.CurrentScreen = Screen::Movies;
  whileModalOpen = readTitle;
  modalKeys = {Ch(u'?')};
  Type(u"?");
  EXPECT_EQ(modalsShown, 2);
  EXPECT_EQ(title, u"Keys: Movies");
  EXPECT_FALSE(modal.Open()) << "? closes it again";

  navigator.SetScreen(Screen::Search);
  Type(u"?");
  EXPECT_EQ(modalsShown, 2);
  EXPECT_EQ(state.nav.SearchQuery, u"?") << "Search takes ? as text";
}

TEST_F(NavigatorTest, ReplyBoxTakesCharactersAndRefusesBlankText) {
  Click(HomeBellHitRect(1280, 720));
  Press({Vk::Return});  // opens the reply box
  ASSERT_TRUE(state.nav.compose.composeOpen);
  navigator.OnChar(u' ', 0);
  navigator.OnChar(u' ', 0);
  Press({Vk::Return});
  EXPECT_TRUE(actions.sent.empty());
  Press({Vk::Back, Vk::Back});
  for (char16_t c : std::u16string(u"Hi")) navigator.OnChar(c, 0);
  navigator.OnChar(u'\x07', 0);  // control characters never reach the box
  Press({Vk::Return});
  EXPECT_EQ(actions.sent, (std::vector<std::u16string>{u"Hi"}));
  Press({Vk::Escape});
  EXPECT_FALSE(state.nav.compose.composeOpen);
  EXPECT_TRUE(state.nav.MessagesOpen);
  Press({Vk::Escape});
  EXPECT_FALSE(state.nav.MessagesOpen);
}

TEST(AutoReload, FirstCheckOnlyStartsTheClockAndZeroHoursNeverReloads) {
  TempDataHome home;
  AppState state;
  MessageRecorder recorder;
  JobMailbox mailbox(recorder);
  CheckAutoReload(state, mailbox, 10'000);
  EXPECT_EQ(state.LastAutoReload, 0u) << "AutoHours 0: nothing at all";
  state.settings.AutoHours = 1;
  CheckAutoReload(state, mailbox, 10'000);
  EXPECT_EQ(state.LastAutoReload, 10'000u);
  state.flags.CatalogBusy = true;
  CheckAutoReload(state, mailbox, 10'000 + 3'600'000);
  EXPECT_EQ(state.LastAutoReload, 10'000u) << "a running load postpones the reload";
}

}  // namespace
