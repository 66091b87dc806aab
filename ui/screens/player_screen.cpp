#include "ui/screens/player_screen.h"

#include "platform/virtual_keys.h"
#include "ui/screens/live_screen.h"

void PlayerScreen::OnKey(ScreenContext& ctx, int vk) {
  switch (vk) {
    case Vk::Letter('A'): ctx.actions.ChooseTrack(TrackKind::Audio); break;
    case Vk::Letter('T'): ctx.actions.ChooseTrack(TrackKind::Subtitle); break;
    case Vk::Letter('E'): ctx.actions.OpenInExternalPlayer(); break;
    default: break;
  }
}

void PlayerScreen::OnLeave(ScreenContext& ctx, Screen to) { StopUnlessVideoStays(ctx, to); }
