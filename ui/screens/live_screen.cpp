#include "ui/screens/live_screen.h"

#include "catalog/categories.h"
#include "catalog/channel_choice.h"
#include "net/text.h"
#include "player/video_layout.h"
#include "ui/screens/screen_background.h"

void LiveScreen::Paint(RenderResources& res, const AppState& state, const LocalTime& /*now*/) const {
  PaintScreenBackground(res, Screen::Live, state.StatusText);
  const int index = state.nav.ChannelIndex;
  if (index >= 0 && index < static_cast<int>(state.VisibleLive.size())) {
    const CatalogItem& channel = state.VisibleLive[index];
    std::u16string line = std::u16string(channel.num()) + u"  " + CleanDisplayName(channel.name());
    res.DrawTrimmed(FontId::Label, line, res.Design(60, 140, 930, 190), res.Brush().White);
  }
  const PixelRect hole = VideoRectFor(Screen::Live, false, res.Width(), res.Height());
  cairo_t* cr = res.Cr();
  cairo_save(cr);
  cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
  cairo_rectangle(cr, hole.x, hole.y, hole.w, hole.h);
  cairo_fill(cr);
  cairo_restore(cr);
}

void LiveScreen::OnEnter(ScreenContext& ctx, Screen /*from*/) {
  AppState& state = ctx.state;
  NavState& nav = state.nav;
  RebuildLiveList(state.catalog, state.settings, nav.live, state.VisibleLive);
  const bool locked = CurrentLiveCategoryLocked(state.catalog.LiveCategories, nav.live.LiveCategoryIndex);
  nav.ChannelIndex = DefaultChannelIndex(state.VisibleLive, state.settings, locked);
  // The preview follows the selection; a locked category waits for the PIN.
  if (!state.VisibleLive.empty() && !locked) ctx.actions.PlaySelectedChannel();
}

void LiveScreen::OnLeave(ScreenContext& ctx, Screen to) { StopUnlessVideoStays(ctx, to); }

void StopUnlessVideoStays(ScreenContext& ctx, Screen to) {
  if (to != Screen::Live && to != Screen::Player) ctx.actions.StopPlayback();
}
