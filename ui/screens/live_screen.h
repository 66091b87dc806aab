#pragma once
// The Live screen: the live categories on the left, the channels of the
// selected category (or of the active group) beside them, the preview video
// at the top right and the programme guide of the selected channel below it,
// with four buttons (catch-up, favorite, search, the programme grid) at the
// bottom. A paused or delayed preview says so on its picture, and End
// returns it to live (L is the lock here); notices show on the preview.
//
// LiveLayoutOf is the one layout that painting and hit tests share. Keys
// and clicks change the state; the scrolling rule is applied when a key
// moves a selection, so the wheel can look elsewhere without the painter
// pulling the list back. Main thread only.
#include <string>
#include <string_view>
#include <vector>

#include "ui/screens/browse_frame.h"
#include "ui/screens/screen_view.h"

constexpr int kLiveButtonCount = 4;

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
  RectF buttons[kLiveButtonCount];  // catch-up, favorite, search, programme grid
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

class LiveScreen final : public ScreenView {
 public:
  void PrepareFrame(RenderResources& res, const AppState& state, int width, int height) const override;
  void Paint(RenderResources& res, const AppState& state, const LocalTime& now) const override;
  void OnKey(ScreenContext& ctx, int vk) override;
  void OnPointer(ScreenContext& ctx, const PointerEvent& event) override;
  void OnEnter(ScreenContext& ctx, Screen from) override;
  void OnLeave(ScreenContext& ctx, Screen to) override;
  RectF NoticeRect(const AppState& state, int width, int height) const override;

 private:
  mutable CategoryCounts counts_;  // a memo of the painter, rebuilt per item list
};

// Leaving Live, the Player or the grid for a screen without video stops
// playback. The grid keeps the stream (heard, not shown, as a TV's guide
// does): Enter on that channel's running programme shows it at once, and
// going back finds it playing.
void StopUnlessVideoStays(ScreenContext& ctx, Screen to);

// The favorite and lock toggles of the selected channel, with their notices.
// With parental control on, taking a lock off asks for the PIN (a refusal
// changes nothing), and a channel locked while it plays without the PIN
// stops (on the Player, back to the list). Locking never asks.
void ToggleLiveFavorite(ScreenContext& ctx);
void ToggleLiveLock(ScreenContext& ctx);
// A typed digit: the number notice, and the row of the live list whose
// number the digits make (selected: NavState::ChannelIndex), or -1 while
// none matches. The digits stay until the 1,800 ms pause, so "1", "2"
// reaches channel 12 after channel 1. Plays nothing (the grid only moves).
int ChannelNumberEntry(AppState& state, int digit, uint64_t nowMs);
// Enter and the double click on a channel (and Enter on the grid's running
// programme): it fills the window. The preview's stream is kept when it
// already plays that channel (one connection to the provider, and no
// restart of the picture), but the window fills only through the parental
// gate either way; a refused PIN plays nothing and stays.
void PlayChosenChannel(ScreenContext& ctx);
// Digit keys on Live (and later the Player screen): see AddNumberDigit.
void EnterChannelDigit(ScreenContext& ctx, int digit);
// Live with "Recently Viewed" selected and the channel `id` playing (the
// live history view's Enter).
void ShowRecentChannel(ScreenContext& ctx, std::u16string_view id);
// Asks for a name and appends a group holding the selected channel.
void CreateGroupFromPrompt(ScreenContext& ctx);
