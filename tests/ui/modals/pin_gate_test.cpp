#include "ui/modals/pin_gate.h"

#include <gtest/gtest.h>

#include "catalog/categories.h"
#include "catalog/channel_choice.h"

namespace {

struct PinGateTest : ::testing::Test {
  void SetUp() override {
    state.settings.ParentalOn = true;
    state.settings.ParentalPin = u"4321";
    state.settings.LockLive = {u"7", u"9"};
    state.catalog.LiveCategories = {{u"News", u"7"}, {u"Adult XXX", u"9"}, {u"Sport", u"8"}};
  }
  // An asker that answers `answer` (nothing = cancelled) and counts its calls.
  PinAsker Answer(std::optional<std::u16string> answer) {
    return [this, answer] {
      ++asked;
      return answer;
    };
  }
  AppState state;
  int asked = 0;
};

TEST_F(PinGateTest, WhatAsks) {
  EXPECT_TRUE(PinGateAsks(state, u"7"));             // locked by the user
  EXPECT_FALSE(PinGateAsks(state, u"8"));            // not locked
  EXPECT_FALSE(PinGateAsks(state, u"9"));            // adult: its channels ask instead
  EXPECT_FALSE(PinGateAsks(state, u""));             // All
  EXPECT_FALSE(PinGateAsks(state, u"lock"));         // the Lock category itself
  EXPECT_TRUE(PinGateAsks(state, kChannelPinTarget));
  state.settings.ParentalOn = false;
  EXPECT_FALSE(PinGateAsks(state, u"7"));
  EXPECT_FALSE(PinGateAsks(state, kChannelPinTarget));
}

TEST_F(PinGateTest, WrongAndCancelledRefuseEveryTimeAndTheRightOneIsRemembered) {
  for (int i = 0; i < 3; ++i) {
    state.toast.text.clear();
    EXPECT_FALSE(PinGate(state, kChannelPinTarget, Answer(u"1234")));
    EXPECT_EQ(state.toast.text, u"Wrong PIN");
  }
  EXPECT_FALSE(PinGate(state, kChannelPinTarget, Answer(std::nullopt)));
  EXPECT_FALSE(PinGate(state, kChannelPinTarget, Answer(u"43210")));  // the same characters and length
  EXPECT_FALSE(state.ChannelPinPassed);
  EXPECT_TRUE(PinGate(state, kChannelPinTarget, Answer(u"4321")));
  EXPECT_TRUE(state.ChannelPinPassed);
  asked = 0;
  EXPECT_TRUE(PinGate(state, kChannelPinTarget, Answer(u"nope")));  // not asked again
  EXPECT_EQ(asked, 0);
  // A category's right PIN does not stand for its channels.
  state.ChannelPinPassed = false;
  EXPECT_TRUE(PinGate(state, u"7", Answer(u"4321")));
  EXPECT_FALSE(state.ChannelPinPassed);
}

TEST_F(PinGateTest, AnEmptyPinMatchesAnEmptyAnswerButNotACancel) {
  state.settings.ParentalPin.clear();
  EXPECT_TRUE(PinGate(state, u"7", Answer(u"")));
  EXPECT_FALSE(PinGate(state, u"7", Answer(std::nullopt)));
}

TEST_F(PinGateTest, GuardedCategoriesAreLockAdultAndUserLocked) {
  EXPECT_TRUE(LiveCategoryGuarded(state.catalog.LiveCategories, 0, state.settings));   // in LockLive
  EXPECT_TRUE(LiveCategoryGuarded(state.catalog.LiveCategories, 1, state.settings));   // adult
  EXPECT_FALSE(LiveCategoryGuarded(state.catalog.LiveCategories, 2, state.settings));
  EXPECT_FALSE(LiveCategoryGuarded(state.catalog.LiveCategories, 3, state.settings));  // out of range
}

}  // namespace
