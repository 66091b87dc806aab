#include "ui/screens/player_screen.h"

#include "ui/screens/live_screen.h"

void PlayerScreen::OnLeave(ScreenContext& ctx, Screen to) { StopUnlessVideoStays(ctx, to); }
