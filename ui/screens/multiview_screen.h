#pragma once
// The Multi-view screen: two to four live channels at once, tiled over the
// window (ui/screens/multiview_rules.h), one of them focused: it has the
// sound and a clear outline. Arrows move the focus, Page Up/Down zap the
// focused tile, C picks its channel from the Live list (the channels in a
// tile are marked), Delete removes it, N adds one (+ and - stay the volume), Enter fills the
// window with it (the others stop), Back returns to the tiles and Back
// again (or W) leaves for the Player with the focused tile's channel. A
// click focuses a tile, a double click fills the window with it.
//
// Each tile shows its number and name for 3 s after it starts and when it
// gets the focus; a tile whose stream failed says so and how to pick
// another channel. The interface layer is transparent over the tiles.
#include <vector>

#include "ui/screens/screen_view.h"

// Where the screen draws over its tiles in a width x height window: each
// tile's label band (its widest) and failure box, the key hint at the
// bottom, and the notices just above the hint, clear of them all.
struct ViewOverlayLayout {
  std::vector<RectF> labels, failed;  // one per tile; empty while another fills the window
  RectF hint, notice;
};
ViewOverlayLayout ViewOverlayLayoutOf(const MultiViewState& view, int width, int height);


class MultiViewScreen final : public ScreenView {
 public:
  void Paint(RenderResources& res, const AppState& state, const LocalTime& now) const override;
  bool TakeKeyBeforeBack(ScreenContext& ctx, int vk) override;
  void OnKey(ScreenContext& ctx, int vk) override;
  void OnPointer(ScreenContext& ctx, const PointerEvent& event) override;
  void OnLeave(ScreenContext& ctx, Screen to) override;
  ScreenHelp Help(const AppState& state) const override;
  RectF NoticeRect(const AppState& state, int width, int height) const override;
};

// The channel picker's rows: at most this many channels of the Live list,
// centred on the focused tile's channel (a list of a million channels is
// not turned into a million rows).
inline constexpr int kViewPickerRows = 1000;
