// What the Player's strips say of a recording and where subtitles stand
// beside them.
#include <gtest/gtest.h>

#include "net/text.h"
#include "tests/catalog/test_items.h"
#include "ui/screens/player_strips.h"

TEST(PlayerStripTexts, AnEpisodeIsNamedWithItsSeasonNumberAndTitle) {
  AppState state;
  PlaybackState playing;
  state.playing = &playing;
  playing.currentItem = TestItem(ItemKind::Series, {.id = u"s40", .name = u"The Lighthouse"});
  playing.isEpisode = true;
  playing.itemKey = u"4012";
  state.series.Episodes = {{u"4011", u"The Lighthouse S01E01 - Arrival", u"mp4", u"1", u"1"},
                           {u"4012", u"The Lighthouse S01E02 - The Storm", u"mp4", u"1", u"2"}};
  EXPECT_EQ(WideToUtf8(RecordingTitle(state, StripMode::Movie)), "The Lighthouse  \u2014  S01 E02 \u00b7 The Storm");
  // A movie, and an episode no longer in the open list: the name alone.
  playing.itemKey = u"4999";
  EXPECT_EQ(RecordingTitle(state, StripMode::Movie), u"The Lighthouse");
  playing.isEpisode = false;
  playing.itemKey = u"4011";
  EXPECT_EQ(RecordingTitle(state, StripMode::Movie), u"The Lighthouse");
}

// While the strips show, the subtitles' line ("sub-pos", percent of the
// height) lies above the bottom strip, whatever its form and the window's
// size; hidden, they go back to the bottom.
TEST(PlayerStripTexts, SubtitlesStandAboveTheBottomStripWhileItShows) {
  for (const auto& [w, h] : {std::pair{1280, 720}, {1920, 1080}, {3840, 2160}}) {
    for (const auto& [mode, expanded] : {std::pair{StripMode::Movie, false}, {StripMode::Live, false},
                                         {StripMode::Live, true}, {StripMode::Catchup, false}}) {
      const StripLayout l = StripLayoutOf(w, h, mode, expanded);
      const int position = SubtitlePosition(l, h, true);
      EXPECT_LE(position * h / 100.0, l[StripId::Bottom].top) << w << "x" << h << " mode " << int(mode);
      EXPECT_GE(position * h / 100.0, l[StripId::Bottom].top - 40 * l.scale) << "just above it, not far up";
      EXPECT_EQ(SubtitlePosition(l, h, false), 100);
    }
  }
}
