// The key help: every key a screen's table takes is listed, in words the
// user's language has, and the sheet scrolls and closes by its keys.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "i18n/translate.h"
#include "net/text.h"
#include "platform/virtual_keys.h"
#include "tests/catalog/test_items.h"
#include "ui/modals/key_help_overlay.h"
#include "ui/screens/key_table.h"
#include "ui/screens/live_screen.h"
#include "ui/screens/player_screen.h"
#include "ui/screens/player_strips.h"
#include "ui/screens/screen_table.h"

namespace {

std::set<int> Listed(const std::vector<KeyHelp>& lines) {
  std::set<int> keys;
  for (const KeyHelp& line : lines)
    for (const int key : line.keys)
      if (key != 0) keys.insert(key);
  return keys;
}

std::set<int> Taken(std::span<const KeyRow> rows, uint32_t mode) {
  std::set<int> keys;
  for (const KeyRow& row : rows)
    if (row.modes & mode)
      for (const int key : row.keys)
        if (key != 0) keys.insert(key);
  return keys;
}

const KeyHelp* LineOf(const std::vector<KeyHelp>& lines, std::string_view text) {
  for (const KeyHelp& line : lines)
    if (text == line.text) return &line;
  return nullptr;
}

}  // namespace

// A row added to a table without a help text, in any of its modes, shows
// up here as a key the help does not list.
TEST(KeyHelp, LiveAndThePlayerListEveryKeyTheirTablesTakeInEachMode) {
  for (const uint32_t focus : {1u, 2u})
    EXPECT_EQ(Listed(HelpOfRows(LiveKeyRows(), focus)), Taken(LiveKeyRows(), focus)) << "Live focus " << focus;
  for (int mode = 0; mode < 4; ++mode)
    EXPECT_EQ(Listed(HelpOfRows(PlayerKeyRows(), 1u << mode)), Taken(PlayerKeyRows(), 1u << mode)) << "mode " << mode;
}

TEST(KeyHelp, RowsSharingATextBecomeOneLineAndModesChooseTheLines) {
  const auto live = HelpOfRows(PlayerKeyRows(), 1u << int(StripMode::Live));
  const KeyHelp* previous = LineOf(live, "prev_ch");
  ASSERT_NE(previous, nullptr);
  EXPECT_EQ(Listed({*previous}), (std::set<int>{Vk::PageUp, Vk::Up, Vk::Left}));
  const KeyHelp* row = LineOf(live, "help_row_buttons");
  ASSERT_NE(row, nullptr);
  EXPECT_EQ(Listed({*row}), (std::set<int>{Vk::Left, Vk::Right, Vk::Up, Vk::Down, Vk::Return}));
  EXPECT_EQ(LineOf(live, "help_seek"), nullptr);

  const auto trailer = HelpOfRows(PlayerKeyRows(), 1u << int(StripMode::Trailer));
  EXPECT_NE(LineOf(trailer, "help_seek"), nullptr);
  EXPECT_EQ(LineOf(trailer, "prev_ch"), nullptr) << "a trailer never zaps";
  EXPECT_EQ(LineOf(trailer, "help_number"), nullptr);
}

// Every screen, in the states that change its keys, names texts English
// has and keys that have a name: a misspelt text key would show as itself.
TEST(KeyHelp, EveryScreensSheetIsInWordsAndNamesItsScreen) {
  ScreenTable screens;
  PlaybackState movie;
  movie.currentItem = TestItem(ItemKind::Vod, {.id = u"7", .name = u"A movie"});
  AppState plain, opened, playingMovie;
  opened.nav.HistoryOpen = opened.nav.EpisodesOpen = true;
  playingMovie.playing = &movie;
  for (const AppState* state : {&plain, &opened, &playingMovie}) {
    for (int i = 0; i < kScreenCount; ++i) {
      const Screen screen = Screen(i);
      const ScreenHelp help = screens[screen].Help(*state);
      const KeyHelpSheet sheet = MakeKeyHelpSheet(screen, help);
      EXPECT_NE(sheet.title.find(u": "), std::u16string::npos) << i;
      EXPECT_FALSE(sheet.title.ends_with(u": ")) << "screen " << i << " has no name";
      for (const KeyHelp& line : help.rows) {
        EXPECT_NE(TranslateIn(0, line.text), AsciiToWide(line.text)) << "screen " << i << ": " << line.text;
        for (const int key : line.keys) EXPECT_TRUE(key == 0 || !KeyName(key).empty()) << "screen " << i << ": " << key;
      }
      EXPECT_EQ(sheet.lines.size(), help.rows.size() + 1 + EverywhereHelp().size());
    }
  }
  EXPECT_EQ(MakeKeyHelpSheet(Screen::Player, screens[Screen::Player].Help(playingMovie)).title, u"Keys: Movies");
}

TEST(KeyHelpSheet, ScrollsByLineAndColumnWithinItsLinesAndClosesByItsKeys) {
  KeyHelpSheet sheet;
  sheet.lines.resize(90, KeyHelpLine{u"A", u"x"});
  sheet.rowsPerColumn = KeyHelpRowsPerColumn(1080);  // as the painter leaves it
  const int last = KeyHelpLastFirst(sheet, sheet.rowsPerColumn);
  ASSERT_GT(last, sheet.rowsPerColumn) << "the test needs two pages";
  EXPECT_FALSE(KeyHelpOnKey(sheet, Vk::Up));
  EXPECT_EQ(sheet.first, 0);
  KeyHelpOnKey(sheet, Vk::Down);
  KeyHelpOnKey(sheet, Vk::PageDown);
  EXPECT_EQ(sheet.first, 1 + sheet.rowsPerColumn);
  for (int i = 0; i < 60; ++i) KeyHelpOnKey(sheet, Vk::Down);
  EXPECT_EQ(sheet.first, last) << "the last page stays full";
  EXPECT_FALSE(KeyHelpOnKey(sheet, Vk::Letter('A')));
  for (const int vk : {Vk::Escape, Vk::Back, Vk::Return, Vk::F1}) EXPECT_TRUE(KeyHelpOnKey(sheet, vk)) << vk;

  KeyHelpSheet fits;
  fits.lines.resize(2 * sheet.rowsPerColumn);
  KeyHelpOnKey(fits, Vk::PageDown);
  EXPECT_EQ(fits.first, 0) << "before the first paint";
  fits.rowsPerColumn = sheet.rowsPerColumn;
  KeyHelpOnKey(fits, Vk::PageDown);
  EXPECT_EQ(fits.first, 0) << "all lines fit";
}

TEST(KeyHelpSheet, ASectionThatWouldBreakAcrossTheColumnsStartsTheRightOne) {
  auto sheetOf = [](int screenLines, int sharedLines) {
    KeyHelpSheet sheet;
    sheet.lines.resize(size_t(screenLines), KeyHelpLine{u"A", u"x"});
    sheet.lines.push_back({u"", u"On every screen"});
    sheet.lines.resize(sheet.lines.size() + size_t(sharedLines), KeyHelpLine{u"B", u"y"});
    return sheet;
  };
  EXPECT_EQ(KeyHelpSlots(sheetOf(10, 5), 0, 12)[10], 12);
  EXPECT_EQ(KeyHelpSlots(sheetOf(3, 5), 0, 12)[3], 3) << "it fits below";
  EXPECT_EQ(KeyHelpSlots(sheetOf(10, 20), 0, 12)[10], 10) << "too long for a column: it flows on";
  const KeyHelpSheet scrolled = sheetOf(30, 5);
  const int last = KeyHelpLastFirst(scrolled, 12);
  EXPECT_GE(KeyHelpSlots(scrolled, last, 12).back(), 0);
  EXPECT_LT(KeyHelpSlots(scrolled, last - 1, 12).back(), 0) << "the smallest first that shows the last line";
}
