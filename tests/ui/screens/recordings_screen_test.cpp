#include "ui/screens/recordings_screen.h"

#include <gtest/gtest.h>

#include "i18n/translate.h"
#include "store/preferences.h"
#include "tests/fixtures/temp_data_home.h"
#include "tests/ui/nav/navigator_fixture.h"

namespace {

Recording Make(std::string id, RecordingState state, int64_t start, int64_t bytes = 0) {
  Recording r;
  r.id = std::move(id);
  r.streamId = u"101";
  r.channelName = u"Vistra News";
  r.title = u"Bulletin";
  r.start = start;
  r.end = start + 3600;
  r.state = state;
  if (bytes > 0) {
    r.file = "/tmp/" + r.id + ".ts";
    r.writtenFrom = r.WindowStart();
    r.writtenTo = r.WindowEnd();
    r.bytes = bytes;
  }
  return r;
}

std::vector<std::string> Ids(const std::vector<Recording>& list) {
  std::vector<std::string> ids;
  for (size_t i : RecordingsOrder(list)) ids.push_back(list[i].id);
  return ids;
}

}  // namespace

// In progress first, then what is to come soonest first, then what is done
// (whatever its ending) newest first; the file's order does not count.
TEST(RecordingsOrder, RecordingThenSoonestScheduledThenNewestFinished) {
  const std::vector<Recording> list = {
      Make("old", RecordingState::Done, 1000),      Make("later", RecordingState::Scheduled, 9000),
      Make("missed", RecordingState::Missed, 3000), Make("now", RecordingState::Recording, 5000),
      Make("soon", RecordingState::Scheduled, 7000), Make("broke", RecordingState::Partial, 4000),
      Make("gone", RecordingState::Cancelled, 2000)};
  EXPECT_EQ(Ids(list), (std::vector<std::string>{"now", "soon", "later", "broke", "missed", "gone", "old"}));
}

TEST(RecordingsTexts, PartialSaysWhatIsMissingAndSizesReadAsPeopleSayThem) {
  SetCurrentLanguageCode(u"en");
  Recording r = Make("p", RecordingState::Partial, 100000, 500000000);
  r.writtenTo = r.WindowEnd() - 20 * 60;  // the stream broke 20 min early
  EXPECT_EQ(RecordingStateText(r), u"Partial: 20 min missing");
  EXPECT_EQ(RecordingSizeText(0), u"");
  EXPECT_EQ(RecordingSizeText(350'400'000), u"350 MB");
  EXPECT_EQ(RecordingSizeText(1'240'000'000), u"1.2 GB");
  // A recording in progress counts its length up to now.
  Recording live = Make("l", RecordingState::Recording, 100000, 1000);
  live.writtenFrom = 100000;
  live.writtenTo = 100060;
  EXPECT_NE(RecordingTimeText(live, 100000 + 30 * 60, 0).find(u"30 min"), std::u16string::npos);
}

struct RecordingsScreenTest : NavigatorTest {
  void SetUp() override {
    SetCurrentLanguageCode(u"en");
    state.recordings.recordings = {Make("fin", RecordingState::Done, 1000, 2'000'000),
                                   Make("rec", RecordingState::Recording, 5000, 1'000'000),
                                   Make("sch", RecordingState::Scheduled, 9000),
                                   Make("bad", RecordingState::Failed, 2000)};
    // Shown: rec, sch, bad, fin.
    navigator.SetScreen(Screen::Live);
    Press({Vk::Letter('R')});
  }
  void On(int row, int vk, std::vector<int> answer = {}) {
    state.nav.RecordingIndex = row;
    modalKeys = std::move(answer);
    Press({vk});
  }
  static std::vector<int> Yes() { return {Vk::Left, Vk::Return}; }
  TempDataHome home;
};

TEST_F(RecordingsScreenTest, EnterPlaysAFinishedOneAndAsksBeforeStoppingOneInProgress) {
  ASSERT_EQ(state.CurrentScreen, Screen::Recordings);
  On(3, Vk::Return);
  EXPECT_EQ(modalsShown, 0);
  On(1, Vk::Return);  // scheduled: nothing to play or stop
  On(2, Vk::Return);  // failed: no file
  On(0, Vk::Return, {Vk::Escape});
  EXPECT_EQ(modalsShown, 1);
  On(0, Vk::Return, Yes());
  EXPECT_EQ(actions.recordCalls, (std::vector<std::string>{"play fin", "stop rec"}));
}

TEST_F(RecordingsScreenTest, DeleteAsksFirstAndNoIsTheDefault) {
  On(1, Vk::Delete, {Vk::Return});  // Enter on the highlighted No
  On(1, Vk::Delete, Yes());
  On(3, Vk::Delete, Yes());
  EXPECT_EQ(modalsShown, 3);
  EXPECT_EQ(actions.recordCalls, (std::vector<std::string>{"delete sch", "delete fin"}));
}

TEST_F(RecordingsScreenTest, ClicksSelectThenActAndPagesStopAtTheEnds) {
  const RecordingsLayout l = RecordingsLayoutOf(0, 4, 1280, 720);
  Click(l.RowRect(3, 1280));
  EXPECT_EQ(state.nav.RecordingIndex, 3);
  EXPECT_TRUE(actions.recordCalls.empty());
  Click(l.RowRect(3, 1280));
  EXPECT_EQ(actions.recordCalls, (std::vector<std::string>{"play fin"}));
  Press({Vk::Up, Vk::Up, Vk::PageDown});
  EXPECT_EQ(state.nav.RecordingIndex, 3);
  Press({Vk::PageUp, Vk::Up});
  EXPECT_EQ(state.nav.RecordingIndex, 0);
}

TEST_F(RecordingsScreenTest, BackGoesWhereItCameFromAlsoAfterPlaying) {
  navigator.SetScreen(Screen::Player);  // a recording played
  navigator.SetScreen(Screen::Recordings);
  Press({Vk::Escape});
  EXPECT_EQ(state.CurrentScreen, Screen::Live);
  navigator.SetScreen(Screen::Home);
  Press({Vk::Letter('R'), Vk::Back});
  EXPECT_EQ(state.CurrentScreen, Screen::Home);
}

TEST_F(RecordingsScreenTest, AnEmptyListAsksNothingAndCallsNothing) {
  state.recordings.recordings.clear();
  Press({Vk::Down, Vk::PageDown, Vk::Return, Vk::Delete});
  Click(RecordingsLayoutOf(0, 0, 1280, 720).RowRect(0, 1280));
  EXPECT_EQ(modalsShown, 0);
  EXPECT_TRUE(actions.recordCalls.empty());
  EXPECT_EQ(state.nav.RecordingIndex, 0);
}

// S opens the recording settings: the chosen one is asked and written to
// preferences.json; a cancelled question writes nothing.
TEST_F(RecordingsScreenTest, SettingsAreAskedAndSavedToPreferences) {
  modalKeys = {Vk::Down, Vk::Return, Vk::Escape};  // padding before, then cancelled
  Press({Vk::Letter('S')});
  EXPECT_FALSE(std::filesystem::exists(PreferencesPath()));

  modalKeys = {Vk::Down, Vk::Return, Vk::Down, Vk::Down, Vk::Return};  // before: 1 -> 5 min
  Press({Vk::Letter('S')});
  modalKeys = {Vk::Down, Vk::Down, Vk::Return, Vk::Up, Vk::Return};  // after: 5 -> 1 min
  Press({Vk::Letter('S')});
  modalKeys = {Vk::Return};  // the folder
  for (int step : Typing(u"/media/rec")) modalKeys.push_back(step);
  modalKeys.push_back(Vk::Return);
  Press({Vk::Letter('S')});
  Preferences saved = LoadPreferences();
  EXPECT_EQ(saved.paddingBeforeMinutes, 5);
  EXPECT_EQ(saved.paddingAfterMinutes, 1);
  EXPECT_EQ(saved.recordingsFolder, "/media/rec");

  // Emptied, the folder is the default one again.
  modalKeys = {Vk::Return};
  for (int i = 0; i < 10; ++i) modalKeys.push_back(Vk::Back);
  modalKeys.push_back(Vk::Return);
  Click(RecordingsLayoutOf(0, 4, 1280, 720).settingsButton);
  EXPECT_EQ(LoadPreferences().recordingsFolder, "");
  EXPECT_EQ(state.preferences, LoadPreferences());
}
