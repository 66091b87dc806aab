#pragma once
// The Live screen: categories and channels beside the preview. Until its
// lists are drawn it shows the channel playing and the preview hole through
// which the video shows. Entering it picks the default channel and starts
// the preview; leaving it for a screen without video stops playback.
#include "ui/screens/screen_view.h"

class LiveScreen final : public ScreenView {
 public:
  void Paint(RenderResources& res, const AppState& state, const LocalTime& now) const override;
  void OnEnter(ScreenContext& ctx, Screen from) override;
  void OnLeave(ScreenContext& ctx, Screen to) override;
};

// Leaving the Live/Player pair for a screen without video stops playback.
void StopUnlessVideoStays(ScreenContext& ctx, Screen to);
