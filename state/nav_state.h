#pragma once
// The navigation state: the selection indices, focus columns and overlay
// flags that key and click handlers write and painters read. Main thread only.
#include <cstdint>
#include <string>

#include "catalog/visible_list.h"
#include "panel/messages.h"

struct NavState {
  int HomeIndex = 0;

  // Live: LiveCategoryIndex and ActiveGroup live in `live` together with the
  // cached name and number orders of the current channel list.
  LiveListSelection live;
  int LiveFocus = 0;
  int ChannelIndex = -1;
  int LiveCategoryScroll = 0;
  int ChannelScroll = 0;
  int GuideRowIndex = 0;

  int ItemCategoryIndex = 1;
  int ItemFocus = 0;
  int ItemIndex = 0;
  int ItemCategoryScroll = 0;
  bool EpisodesOpen = false;
  int EpisodeIndex = 0;

  int ListIndex = 0;
  int CatchupDayOffset = 0;
  int SettingsIndex = 0;
  int AccountIndex = 0;
  bool AccountFromHome = false;
  int GroupIndex = 0;
  std::u16string SearchQuery;
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
