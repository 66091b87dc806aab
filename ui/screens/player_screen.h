#pragma once
// The Player screen: the video fills the window and the keys act like a
// remote control (zap while live plays, seek while a movie or episode
// plays, pause, aspect, tracks, the external player); the control strips
// (ui/screens/player_strips.h) float over the video. With the live strip's
// row open (V), the arrows move over its controls as drawn, Enter presses
// the one they stand on and Esc closes the row. A trailer or a
// catch-up programme seeks like a movie; a trailer never zaps. W opens the
// multi-view of a live channel (ui/screens/multiview_screen.h). The
// interface layer stays transparent. Leaving it for a screen without video
// stops playback.
#include <span>

#include "ui/screens/key_table.h"
#include "ui/screens/screen_view.h"

// The Player's keys in the order they are tried; a row's modes are bits
// 1 << int(StripMode). The back keys come before them (TakeKeyBeforeBack).
std::span<const KeyRow> PlayerKeyRows();

class PlayerScreen final : public ScreenView {
 public:
  void Paint(RenderResources& /*res*/, const AppState& /*state*/, const LocalTime& /*now*/) const override {}
  // Decodes the channel's icon for the live strip's logo box.
  void PrepareFrame(RenderResources& res, const AppState& state, int width, int height) const override;
  // Every key shows the strips (the remote's way to see them); none is taken.
  bool TakeKeyFirst(ScreenContext& ctx, int vk) override;
  bool TakeKeyBeforeBack(ScreenContext& ctx, int vk) override;
  void OnKey(ScreenContext& ctx, int vk) override;
  void OnPointer(ScreenContext& ctx, const PointerEvent& event) override;
  void OnLeave(ScreenContext& ctx, Screen to) override;
  // Above the strips (PlayerToastRect).
  ScreenHelp Help(const AppState& state) const override;
  RectF NoticeRect(const AppState& state, int width, int height) const override;
};
