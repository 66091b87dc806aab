// Parental control over every way a live channel starts: the rule, the
// gate, and each screen's way in (search, the history, groups, typed
// numbers, zapping, catch-up, the external player), through the navigator
// as the window drives it.
#include <gtest/gtest.h>

#include "catalog/categories.h"
#include "catalog/parental_rule.h"
#include "i18n/translate.h"
#include "platform/virtual_keys.h"
#include "ui/modals/hide_categories.h"
#include "tests/catalog/test_items.h"
#include "tests/fixtures/temp_data_home.h"
#include "tests/ui/nav/navigator_fixture.h"
#include "ui/modals/pin_gate.h"
#include "ui/screens/live_history.h"
#include "ui/screens/live_screen.h"
#include "ui/screens/search_screen.h"

namespace {

// Channels as (id, category); the number is the row in the list, from 1.
SharedItems Channels(std::initializer_list<std::pair<std::u16string, std::u16string>> rows) {
  auto list = std::make_shared<ItemList>();
  int n = 0;
  for (const auto& [id, category] : rows) {
    const std::u16string name = u"Name " + id, num(1, char16_t(u'1' + n++));
    list->push_back(TestItem(ItemKind::Live, {.id = id, .name = name, .categoryId = category, .num = num}));
  }
  return list;
}

SharedItems AllChannels() {
  return Channels({{u"n1", u"n"}, {u"n2", u"n"}, {u"n3", u"n"}, {u"n4", u"n"}, {u"k1", u"k"}, {u"k2", u"k"},
                   {u"x1", u"x"}, {u"x2", u"x"}, {u"s1", u"s"}});
}

// News n1..n4 (n3 locked by the user), Kids k1, k2 (a category in LockLive),
// an adult category x1, x2 and Sport s1.
class ParentalTest : public NavigatorTest {
 protected:
  ParentalTest() {
    actions.state = &state;
    actions.tracksPlaying = true;
    navigator.SetSurfaceSize(1280, 720);
    state.catalog.LiveChannels = AllChannels();
    state.catalog.LiveCategories = {{u"News", u"n"}, {u"Kids", u"k"}, {u"Hot XXX", u"x"}, {u"Sport", u"s"}};
    int index = kLiveAllIndex;
    RebuildLiveCategories(state.catalog.LiveCategories, index);  // ... News 5, Kids 6, Sport 7, Hot XXX 8
    Settings& s = state.settings;
    s.ParentalOn = true;
    s.ParentalPin = u"4321";
    s.LockCh = {u"n3"};
    s.LockLive = {u"k"};
  }
  std::u16string CategoryId() { return state.catalog.LiveCategories[size_t(state.nav.live.LiveCategoryIndex)].id; }
  std::u16string Selected() { return std::u16string(state.VisibleLive[size_t(state.nav.ChannelIndex)].id()); }
  void Answer(std::u16string_view pin) {
    modalKeys = Typing(pin);
    modalKeys.push_back(Vk::Return);
  }
  // Enter, with the PIN prompt it opens answered by `pin`.
  void EnterAnswering(std::u16string_view pin) {
    Answer(pin);
    Press({Vk::Return});
  }
  PinAsker Asker(std::optional<std::u16string> answer) {
    return [this, answer] {
      ++modalsShown;
      return answer;
    };
  }
  void ClickChannelRow(int row) {
    const LiveLayout l = LiveLayoutOf(state, int(VisibleLiveCategories(state).size()), 0, 1280, 720);
    const double x = (l.categoryRight + l.channelScrollbarX) / 2, y = l.channels.RowTop(row) + l.channels.rowHeight / 2.0;
    navigator.OnPointer(PointerEvent{PointerEvent::Kind::Up, int(x), int(y), 0}, 1280, 720, 5000);
  }
  TempDataHome home;
};

TEST_F(ParentalTest, TheRuleLocksUserLockedChannelsAndChannelsOfAdultOrLockedCategories) {
  const ParentalRule rule(state.settings, state.catalog.LiveCategories);
  const ItemList& items = *state.catalog.LiveChannels;
  std::u16string locked;
  for (const CatalogItem& channel : items)
    if (rule.Locks(channel)) locked += std::u16string(channel.id()) + u" ";
  EXPECT_EQ(locked, u"n3 k1 k2 x1 x2 ");
  const SharedItems stray = Channels({{u"y", u"xxx-77"}, {u"z", u"unknown"}});
  EXPECT_TRUE(rule.Locks((*stray)[0])) << "a category the list lacks is judged by its id";
  EXPECT_FALSE(rule.Locks((*stray)[1]));
  state.settings.ParentalOn = false;
  EXPECT_FALSE(ParentalRule(state.settings, state.catalog.LiveCategories).Locks(items[2]));

  LiveListSelection selection;
  const auto guarded = [&](int category, int group = -1) {
    selection.LiveCategoryIndex = category;
    selection.ActiveGroup = group;
    return LiveListGuarded(state.catalog.LiveCategories, selection, state.settings);
  };
  EXPECT_TRUE(guarded(4) && guarded(6) && guarded(8)) << "Lock, LockLive, adult";
  EXPECT_FALSE(guarded(2) || guarded(5) || guarded(99));
  EXPECT_FALSE(guarded(6, 0)) << "a group is no category";
}

TEST_F(ParentalTest, OnlyTheExactPinPassesAndARefusalSaysSoButACancelDoesNot) {
  for (const char16_t* wrong : {u"1234", u"43210"}) {
    state.toast.text.clear();
    EXPECT_FALSE(AskChannelPin(state, Asker(wrong)));
    EXPECT_EQ(state.toast.text, u"Wrong PIN");
  }
  state.toast.text.clear();
  EXPECT_FALSE(AskChannelPin(state, Asker(std::nullopt)));
  EXPECT_EQ(state.toast.text, u"") << "Esc is no wrong answer";
  EXPECT_FALSE(state.ChannelPinPassed);
  EXPECT_TRUE(AskChannelPin(state, Asker(u"4321")));
  EXPECT_TRUE(state.ChannelPinPassed);
  state.settings.ParentalPin.clear();
  EXPECT_TRUE(AskChannelPin(state, Asker(u""))) << "an empty PIN matches an empty answer";
  EXPECT_FALSE(AskChannelPin(state, Asker(std::nullopt))) << "but not a cancel";
}

// The trap: the category column must reach every category by keys alone.
TEST_F(ParentalTest, KeysWalkOverLockedCategoriesAndPlayingAChannelOfOneAsks) {
  navigator.SetScreen(Screen::Live);
  ASSERT_EQ(CategoryId(), u"");
  const int previews = actions.plays;
  Press({Vk::Down, Vk::Down, Vk::Down, Vk::Down});  // Favorite, Lock, News, Kids
  EXPECT_EQ(CategoryId(), u"k");
  EXPECT_EQ(modalsShown, 0) << "moving the highlight never asks";
  EXPECT_EQ(state.VisibleLive.size(), 2u) << "the list shows";
  const int afterNews = actions.plays;
  EXPECT_EQ(afterNews, previews + 1) << "News previews; Lock and Kids do not play";
  Press({Vk::Right, Vk::Down});
  EXPECT_EQ(Selected(), u"k2");
  EXPECT_EQ(actions.plays, afterNews) << "the highlight on a locked channel does not preview it";
  EnterAnswering(u"0000");
  EXPECT_EQ(modalsShown, 1);
  EXPECT_EQ(actions.plays, afterNews);
  EXPECT_EQ(state.toast.text, u"Wrong PIN");
  EnterAnswering(u"4321");
  EXPECT_EQ(actions.playedIds.back(), u"k2");
  EXPECT_EQ(actions.fullVideos, 1);

  Press({Vk::Left, Vk::Down, Vk::Down});  // Sport, Hot XXX: the last category
  EXPECT_EQ(CategoryId(), u"x");
  modalKeys = {Vk::Escape};
  Press({Vk::Right, Vk::Return});
  EXPECT_EQ(modalsShown, 3) << "Sport cleared the pass: the adult channel asks";
  EXPECT_EQ(actions.playedIds.back(), u"s1");
  Press({Vk::Left, Vk::Up, Vk::Up});  // back to Kids, no prompt on the way
  EXPECT_EQ(CategoryId(), u"k");
  EXPECT_EQ(modalsShown, 3);
}

TEST_F(ParentalTest, SearchAsksBeforeALockedChannelPlays) {
  navigator.SetScreen(Screen::Search);
  SearchCatalog(state, u"name n3");
  ASSERT_EQ(state.SearchResults.size(), 1u);
  EnterAnswering(u"9");
  EXPECT_EQ(modalsShown, 1);
  EXPECT_EQ(state.CurrentScreen, Screen::Search) << "a refusal stays on the results";
  EXPECT_TRUE(actions.playedIds.empty());
  EnterAnswering(u"4321");
  EXPECT_EQ(actions.fullVideos, 1) << "the channel fills the window";
  EXPECT_EQ(actions.playedIds, std::vector<std::u16string>{u"n3"});
  EXPECT_EQ(modalsShown, 2);

  navigator.SetScreen(Screen::Search);
  SearchCatalog(state, u"name x1");
  Press({Vk::Return});
  EXPECT_EQ(modalsShown, 2) << "the PIN is remembered until an unlocked category is chosen";
  EXPECT_EQ(actions.playedIds.back(), u"x1");
}

TEST_F(ParentalTest, TheHistoryAndGroupsAskForLockedChannels) {
  state.settings.HistoryLive = {u"x1", u"n1"};
  navigator.SetScreen(Screen::Live);
  Press({Vk::Letter('H')});
  modalKeys = {Vk::Escape};
  Press({Vk::Return});
  EXPECT_EQ(modalsShown, 1);
  EXPECT_EQ(CategoryId(), u"recent");
  EXPECT_EQ(Selected(), u"x1") << "shown, not played";
  EXPECT_NE(actions.playedIds.back(), u"x1");

  state.settings.Groups = {{u"Mixed", {u"x2", u"n1"}}};
  Press({Vk::Letter('G')});
  Press({Vk::Return});
  EXPECT_EQ(Selected(), u"n1") << "the default pick passes over the locked one";
  EXPECT_EQ(actions.playedIds.back(), u"n1");
  ClickChannelRow(1);  // a group lists its channels in catalog order
  EXPECT_EQ(Selected(), u"x2");
  EXPECT_EQ(actions.playedIds.back(), u"n1") << "a click previews, and a locked channel has no preview";
  EnterAnswering(u"4321");
  EXPECT_EQ(modalsShown, 2);
  EXPECT_EQ(actions.playedIds.back(), u"x2");
}

TEST_F(ParentalTest, TypedNumbersAskAndZappingPassesOverLockedChannels) {
  navigator.SetScreen(Screen::Live);  // All, in catalog order: n1 n2 n3 n4 k1 k2 x1 x2 s1
  modalKeys = {Vk::Escape};
  Press({Vk::Digit(3)});
  EXPECT_EQ(modalsShown, 1);
  EXPECT_EQ(actions.playedIds.back(), u"n1");

  // A zap: n4 -> s1 over k1, k2 (Kids) and x1, x2 (adult).
  state.nav.ChannelIndex = state.VisibleLive.find(u"n4");
  EXPECT_TRUE(StepToAllowedChannel(Asker(std::nullopt), state, +1));
  EXPECT_EQ(Selected(), u"s1");
  EXPECT_TRUE(StepToAllowedChannel(Asker(std::nullopt), state, +1));
  EXPECT_EQ(Selected(), u"n1") << "wraps to the first";
  EXPECT_EQ(modalsShown, 1);

  // In a locked category every channel asks; a refusal goes back to the one playing.
  state.nav.live.LiveCategoryIndex = 6;
  RebuildLiveList(state.catalog, state.settings, state.nav.live, state.VisibleLive);
  state.nav.ChannelIndex = 0;
  playing.lastChannelId = u"k1";
  EXPECT_FALSE(StepToAllowedChannel(Asker(u"1"), state, +1));
  EXPECT_EQ(Selected(), u"k1");
  EXPECT_TRUE(StepToAllowedChannel(Asker(u"4321"), state, +1));
  EXPECT_EQ(Selected(), u"k2");
  EXPECT_EQ(modalsShown, 3);
}

TEST_F(ParentalTest, CatchupAndTheExternalPlayerAskForALockedChannel) {
  navigator.SetScreen(Screen::Live);
  state.nav.ChannelIndex = state.VisibleLive.find(u"x1");
  // Catch-up gates the selected channel as chosen.
  EXPECT_FALSE(GateSelectedChannel(Asker(std::nullopt), state, LiveStart::Chosen));
  EXPECT_FALSE(GateSelectedChannel(Asker(u"4321"), state, LiveStart::Preview)) << "a preview never asks";
  EXPECT_EQ(modalsShown, 1);

  // The hand-off gets what plays: a live channel asks, a movie does not.
  playing.currentChannel = (*state.catalog.LiveChannels)[6];
  EXPECT_FALSE(GateExternalHandOff(Asker(u"0"), state));
  playing.itemKey = u"m1";
  EXPECT_TRUE(GateExternalHandOff(Asker(u"0"), state));
  EXPECT_EQ(modalsShown, 2);
  playing.itemKey.clear();
  EXPECT_TRUE(GateExternalHandOff(Asker(u"4321"), state));
  EXPECT_TRUE(GateSelectedChannel(Asker(std::nullopt), state, LiveStart::Chosen)) << "passed once";
}

// Keys alone reach a locked channel in "All": its row takes the highlight
// without a preview, Enter and L ask for the PIN there, and locking the
// channel that previews stops it.
TEST_F(ParentalTest, TheHighlightReachesLockedRowsWhereEnterAndUnlockingAsk) {
  navigator.SetScreen(Screen::Live);  // All: n1 n2 n3 ...
  Press({Vk::Right, Vk::Down});
  ASSERT_EQ(actions.playedIds.back(), u"n2");
  const int stops = actions.stops;
  Press({Vk::Down});
  EXPECT_EQ(Selected(), u"n3") << "not passed over";
  EXPECT_EQ(actions.playedIds.back(), u"n2");
  EXPECT_EQ(actions.stops, stops + 1) << "the preview is withheld, not left on n2";
  EXPECT_EQ(modalsShown, 0);

  // Unlocking asks; a cancel and a wrong PIN keep the lock.
  modalKeys = {Vk::Escape};
  Press({Vk::Letter('L')});
  Answer(u"0000");
  Press({Vk::Letter('L')});
  EXPECT_EQ(modalsShown, 2);
  EXPECT_EQ(state.settings.LockCh, IdList{u"n3"});
  EXPECT_EQ(state.toast.text, u"Wrong PIN");
  Answer(u"4321");
  Press({Vk::Letter('L')});
  EXPECT_TRUE(state.settings.LockCh.empty());
  EXPECT_EQ(state.toast.text, u"Unlocked");
  EXPECT_FALSE(state.ChannelPinPassed) << "unlocking one channel opens no other";
  Press({Vk::Letter('L')});
  EXPECT_EQ(modalsShown, 3) << "locking never asks";

  // Locking what previews stops it: Enter then asks before the window fills.
  Press({Vk::Up, Vk::Letter('L')});
  ASSERT_EQ(Selected(), u"n2");
  EXPECT_EQ(state.settings.LockCh, (IdList{u"n3", u"n2"}));
  EXPECT_TRUE(playing.lastChannelId.empty()) << "stopped";
  modalKeys = {Vk::Escape};
  Press({Vk::Return});
  EXPECT_EQ(modalsShown, 4);
  EXPECT_EQ(actions.fullVideos, 0);
  // Even a locked channel that still plays fills the window only with the PIN.
  playing.lastChannelId = u"n2";
  EnterAnswering(u"4321");
  EXPECT_EQ(modalsShown, 5);
  EXPECT_EQ(actions.fullVideos, 1);
  EXPECT_EQ(actions.playedIds.back(), u"n2") << "the stream that plays is kept";
}

// The window sends a key's character right after the key: the digit that
// found a locked channel must not sit in its PIN prompt.
TEST_F(ParentalTest, ATypedNumberOpensAnEmptyPrompt) {
  navigator.SetScreen(Screen::Live);
  modalKeys = {Ch(u'3')};
  for (int step : Typing(u"4321")) modalKeys.push_back(step);
  modalKeys.push_back(Vk::Return);
  Press({Vk::Digit(3)});
  EXPECT_EQ(modalsShown, 1);
  EXPECT_EQ(actions.playedIds.back(), u"n3");
  EXPECT_EQ(state.toast.text, u"CH 3") << "the number, no wrong PIN";
}

// A group holding a locked channel: Enter asks (the preview stopped when
// Live was left: nothing plays that could fill the window), and the group
// filters the list only until a category is chosen or Live is left.
TEST_F(ParentalTest, AGroupWithALockedChannelAsksAndEndsWithACategory) {
  state.settings.Groups = {{u"Late", {u"x2"}}};
  navigator.SetScreen(Screen::Live);
  Press({Vk::Right});
  state.nav.ChannelIndex = state.VisibleLive.find(u"x2");
  EnterAnswering(u"4321");
  ASSERT_EQ(actions.playedIds.back(), u"x2");
  Press({Vk::Letter('G'), Vk::Return});
  ASSERT_EQ(state.VisibleLive.size(), 1u);
  EXPECT_FALSE(state.ChannelPinPassed);
  EnterAnswering(u"4321");
  EXPECT_EQ(modalsShown, 2) << "asked, not filled with the stream stopped on leaving";
  EXPECT_EQ(actions.fullVideos, 2);

  Press({Vk::Left, Vk::Down, Vk::Down, Vk::Down});  // the category column: Favorite, Lock, News
  EXPECT_EQ(state.nav.live.ActiveGroup, -1) << "a category chosen ends the group";
  EXPECT_EQ(state.VisibleLive.size(), 4u);
  Press({Vk::Letter('G'), Vk::Return});
  ASSERT_EQ(state.nav.live.ActiveGroup, 0);
  navigator.SetScreen(Screen::Home);
  navigator.SetScreen(Screen::Live);
  EXPECT_EQ(state.nav.live.ActiveGroup, -1) << "leaving Live ends the group";
  EXPECT_EQ(state.VisibleLive.size(), 4u) << "News";
}

// A reload delivered while a modal is open (a panel poll's shorter list)
// waits in the mailbox until the handler that opened the modal returns:
// the PIN prompt, the hide-categories picker and the settings' PIN prompt
// all find the lists they read before asking, and the reload merges right
// after them, in order, with what the open modal shows passing meanwhile.
TEST_F(ParentalTest, AReloadDuringAModalMergesOnlyAfterItsHandlerReturns) {
  navigator.SetScreen(Screen::Live);
  size_t posts = 0;
  const auto reloadWhileOpen = [&](SharedItems channels) {
    posts = recorder.Posts();
    whileModalOpen = [this, channels] {
      // An older list first: the newer one must be the one that stays.
      for (const SharedItems& list : {Channels({{u"n4", u"n"}}), channels}) {
        CatalogLoaded reload;
        reload.catalog.LiveChannels = list;
        reload.catalog.LiveCategories = state.catalog.LiveCategories;
        reload.live = true;
        mailbox.Deliver(std::move(reload));
      }
      mailbox.Deliver(SpeedReportChanged{});
    };
  };
  const auto mergeAfterHandler = [&](size_t channels) {
    EXPECT_EQ(state.catalog.LiveChannels->size(), 9u) << "nothing merged under the handler";
    EXPECT_EQ(followUps.repaints, 1) << "the speed report passed";
    // Three deliveries, then the slot emptied with results waiting: the
    // wake-up was posted again.
    EXPECT_EQ(recorder.Posts(), posts + 4);
    MergeJobResults();
    EXPECT_EQ(state.catalog.LiveChannels->size(), channels);
    EXPECT_EQ(state.VisibleLive.size(), channels);
    EXPECT_EQ(followUps.previewRestarts, 2);
    followUps.repaints = followUps.previewRestarts = 0;
  };

  // Parental control on, the locked x2 asks for its PIN; the poll's list
  // no longer has it. The right PIN plays x2 from the list the user saw.
  ClickChannelRow(7);
  ASSERT_EQ(Selected(), u"x2");
  reloadWhileOpen(Channels({{u"n1", u"n"}, {u"n2", u"n"}}));
  EnterAnswering(u"4321");
  EXPECT_EQ(modalsShown, 1);
  ASSERT_FALSE(actions.playedIds.empty());
  EXPECT_EQ(actions.playedIds.back(), u"x2");
  EXPECT_EQ(actions.played.back(), 7);
  ASSERT_NO_FATAL_FAILURE(mergeAfterHandler(2));

  // The hide-categories picker: the handler keeps the category highlight
  // in the categories it showed, then the reload merges.
  state.catalog.LiveChannels = AllChannels();
  RebuildLiveList(state.catalog, state.settings, state.nav.live, state.VisibleLive);
  const size_t shown = state.VisibleLive.size();
  reloadWhileOpen(Channels({{u"s1", u"s"}}));
  modalKeys = {Vk::Escape};
  EditHiddenCategories(modal, state, CategoryKind::Live);
  EXPECT_EQ(state.VisibleLive.size(), shown) << "the handler rebuilt the list it showed";
  ASSERT_NO_FATAL_FAILURE(mergeAfterHandler(1));

  // A text prompt (the Settings PIN cell) ends with the program quitting:
  // the loop returns unanswered and the held reload stays harmless.
  state.catalog.LiveChannels = AllChannels();
  reloadWhileOpen(Channels({{u"n1", u"n"}}));
  modalKeys.clear();
  navigator.SetScreen(Screen::Settings);
  state.nav.SettingsIndex = 1;
  Press({Vk::Return});
  EXPECT_EQ(state.StatusText, u"") << "unanswered, not wrong";
  EXPECT_EQ(state.settings.ParentalPin, u"4321");
  ASSERT_NO_FATAL_FAILURE(mergeAfterHandler(1));
}

}  // namespace
