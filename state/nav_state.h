#pragma once
// The navigation state: the selection indices, focus columns and overlay
// flags that key and click handlers write and painters read. Main thread only.
#include <cstdint>
#include <string>

#include "catalog/visible_list.h"
#include "panel/messages.h"
#include "state/screen.h"

// The programme grid (ui/screens/grid_screen.h). Its channel rows are the
// Live list and the focused one is NavState::ChannelIndex, so playing from
// the grid plays what Live would.
struct GridNav {
  int64_t windowStart = 0;  // Unix seconds of the window's left edge, on a local half hour
  // The programme focused in a row is the one on at this time (moving
  // Up/Down keeps the time, as a TV's guide does).
  int64_t focusTime = 0;
  int first = 0;            // first channel row shown
  int rows = 1;             // channel rows the layout shows (the guide asks follow it)
  Screen from = Screen::Live;  // where Esc/Backspace leads
  bool detailOpen = false;  // the header band shows the whole description
};

struct NavState {
  int HomeIndex = 0;

  // Live: LiveCategoryIndex and ActiveGroup live in `live` together with the
  // cached name and number orders of the current channel list.
  LiveListSelection live;
  int LiveFocus = 0;
  int ChannelIndex = -1;
  int LiveCategoryScroll = 0;
  int ChannelScroll = 0;
  // The guide panel's scroll: its first row counted from the programme on
  // now (negative: earlier ones), so a guide that holds the past week still
  // opens at the present.
  int GuideRowIndex = 0;
  // Pointer: the scroll bar being dragged (0 none, 1 categories, 2 channels)
  // and the last channel-row click, for the double click.
  int ScrollDrag = 0;
  int LastClickRow = -1;
  uint64_t LastClickMs = 0;

  int ItemCategoryIndex = 1;
  int ItemFocus = 0;
  int ItemIndex = 0;
  int ItemCategoryScroll = 0;
  int ItemScroll = 0;  // first item shown in the grid (a multiple of the columns)
  bool EpisodesOpen = false;
  int EpisodeIndex = 0;

  int ListIndex = 0;
  int CatchupDayOffset = 0;
  // Where the programme replaying was chosen (Catch-up or the grid): Esc
  // on the Player goes back there, and that screen, entered with
  // backFromReplay set, is as it was left (it clears the flag).
  Screen catchupFrom = Screen::Catchup;
  bool backFromReplay = false;
  // The Catch-up screen shows the live history (the H key) instead of a
  // channel's guide; cleared when the screen is left.
  bool HistoryOpen = false;
  int SettingsIndex = 0;
  int AccountIndex = 0;
  bool AccountFromHome = false;
  int GroupIndex = 0;
  // The Recordings screen: the highlighted row of its list, and where
  // Esc/Backspace lead (Home or Live, whichever opened it).
  int RecordingIndex = 0;
  Screen recordingsFrom = Screen::Home;
  GridNav grid;
  std::u16string SearchQuery;
  // The character of the key that opened the search box: the window sends
  // it right after the key, and it is not meant as the first letter typed.
  // (A modal's opening key is the navigator's own affair.)
  char16_t SwallowChar = 0;
  std::u16string NumberBuffer;
  uint64_t NumberTime = 0;

  // Home overlays.
  bool MessagesOpen = false;     // the information/messages panel is shown
  bool MessagesMode = false;     // ... in messages mode (else information)
  ComposeState compose;          // the reply box: open, and the text typed
  std::u16string PanelBody;      // the panel's body text (thread or information)
  bool ReloadingNotice = false;  // a full reload runs

  // The video fills the window. Overlays that take every key (question,
  // pickers, prompts, speed test) are not flags here: they occupy the modal
  // slot (ui/modals/modal_slot.h) while they are shown.
  bool fullVideo = false;
};
