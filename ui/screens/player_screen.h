#pragma once
// The Player screen: the video fills the window; the interface layer stays
// transparent. Leaving it for a screen without video stops playback.
#include "ui/screens/screen_view.h"

class PlayerScreen final : public ScreenView {
 public:
  void Paint(RenderResources& /*res*/, const AppState& /*state*/, const LocalTime& /*now*/) const override {}
  void OnKey(ScreenContext& ctx, int vk) override;
  void OnLeave(ScreenContext& ctx, Screen to) override;
};
