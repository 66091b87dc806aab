#pragma once
// The Live screen's one layout, shared by its painter, its hit tests and
// the actions that keep its selections in view (ui/screens/live_actions.h):
// the category column, the channel column, the preview at the top right
// with the guide panel below it, and the buttons (four, and the channel
// menu's square one). Main thread only.
#include <vector>

#include "state/app_state.h"
#include "ui/screens/browse_frame.h"

constexpr int kLiveButtonCount = 5;
// Where the lists end and the buttons begin, in design units (1920 x 1080).
inline constexpr double kLiveRowsBottom = 997;

struct LiveLayout {
  ListRows categories;  // the category column's rows
  ListRows channels;    // the channel column's rows
  ListRows guide;       // the guide panel's rows
  int categoryFirst = 0, channelFirst = 0, guideFirst = 0;
  int guideCurrent = 0;          // the guide row of the programme on now
  double categoryRight = 0;      // x where the category column ends
  double channelRight = 0;       // x where the channel column ends
  double channelScrollbarX = 0;  // a click right of this in the channel column is on its scroll bar
  double guideTop = 0;           // y where the guide area begins
  RectF buttons[kLiveButtonCount];  // catch-up, favorite, search, programme grid, the channel menu
  RectF preview;       // the preview video
  RectF previewState;  // inside it at the bottom: the buffer's state while paused or behind live
  RectF notice;        // inside it at the top: the notices
};

// The layout for `categoryCount` visible categories, the channel list and
// `guideCount` guide rows, from the stored scroll positions (kept within
// their lists); the guide's is counted from the selected channel's
// programme on now.
LiveLayout LiveLayoutOf(const AppState& state, int categoryCount, int guideCount, double width, double height);

struct LiveHit {
  enum class Kind { None, Tab, Category, CategoryScrollbar, Channel, ChannelScrollbar, Button };
  Kind kind = Kind::None;
  int index = -1;  // visible category position, channel row, button, or the tab's Screen value
  bool operator==(const LiveHit&) const = default;
};
LiveHit LiveHitTest(const LiveLayout& layout, int categoryCount, int channelCount, double x, double y, double width,
                    double height);

// The visible live categories (hidden ones left out).
std::vector<int> VisibleLiveCategories(const AppState& state);

// The programmes of the selected channel the store holds (fresh or stale).
const std::vector<EpgEntry>& SelectedGuideRows(const AppState& state);

// Moves both scroll positions so that the selected category and channel
// are in view in a width x height window.
void KeepLiveSelectionInView(AppState& state, int width, int height);
