#include "ui/nav/navigator.h"

#include <gtest/gtest.h>

#include "app/catalog_jobs.h"
#include "tests/fixtures/message_recorder.h"
#include "tests/fixtures/temp_data_home.h"
#include "ui/nav/virtual_keys.h"

namespace {

struct RecordingActions : NavActions {
  bool AskYesNo(const std::u16string& title, const std::u16string&, bool defaultYes) override {
    askedTitle = title;
    askedDefaultYes = defaultYes;
    return answerYes;
  }
  void Quit() override { ++quits; }
  void StartFullReload() override { ++reloads; }
  void StartPanelCheck() override { ++panelChecks; }
  void StartSportsFetch() override { ++sportsFetches; }
  void SendReply(const std::u16string& text) override { sent.push_back(text); }
  void ToggleMaximized() override { ++toggles; }
  void ApplyVolume(int volume) override { volumes.push_back(volume); }
  void SaveSettingsNow() override { ++saves; }
  void ScreenChanged(Screen, Screen) override {}
  void Repaint() override {}

  bool answerYes = false;
  std::u16string askedTitle;
  bool askedDefaultYes = true;
  int quits = 0, reloads = 0, panelChecks = 0, sportsFetches = 0, toggles = 0, saves = 0;
  std::vector<std::u16string> sent;
  std::vector<int> volumes;
};

class NavigatorTest : public ::testing::Test {
 protected:
  void Press(std::initializer_list<int> keys) {
    for (int vk : keys) navigator.OnKey(vk, 0);
  }
  AppState state;
  RecordingActions actions;
  Navigator navigator{state, actions};
};

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
  Press({Vk::Return});
  EXPECT_EQ(actions.askedTitle, u"Vistra");
  EXPECT_FALSE(actions.askedDefaultYes);
  EXPECT_EQ(actions.quits, 0);
  actions.answerYes = true;
  Press({Vk::Return});
  EXPECT_EQ(actions.quits, 1);
}

TEST_F(NavigatorTest, VolumeStepsClampAndMuteRemembers) {
  state.settings.Volume = 97;
  Press({Vk::OemPlus});
  EXPECT_EQ(state.settings.Volume, 100);
  EXPECT_EQ(state.StatusText, u"Vol 100");
  state.settings.Volume = 3;
  Press({Vk::NumpadSubtract});
  EXPECT_EQ(state.settings.Volume, 0);
  state.settings.Volume = 40;
  Press({Vk::Letter('M')});
  EXPECT_EQ(state.settings.Volume, 0);
  EXPECT_EQ(state.StatusText, u"Mute");
  Press({Vk::Letter('M')});
  EXPECT_EQ(state.settings.Volume, 40);
  EXPECT_EQ(actions.volumes, (std::vector<int>{100, 0, 0, 40}));
  EXPECT_EQ(actions.saves, 4);
}

TEST_F(NavigatorTest, ReplyBoxTakesCharactersAndRefusesBlankText) {
  navigator.OpenMessagesPanel(true);
  Press({Vk::Return});  // opens the reply box
  ASSERT_TRUE(state.nav.compose.composeOpen);
  navigator.OnChar(u' ');
  navigator.OnChar(u' ');
  Press({Vk::Return});
  EXPECT_TRUE(actions.sent.empty());
  Press({Vk::Back, Vk::Back});
  for (char16_t c : std::u16string(u"Hi")) navigator.OnChar(c);
  navigator.OnChar(u'\x07');  // control characters never reach the box
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
