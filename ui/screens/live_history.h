#pragma once
// The live history view: the H key on Live gathers the recently viewed
// channels (newest first, each once: GatherLiveHistory of
// ui/screens/live_actions.h) and the Catch-up screen shows them as a list
// in place of a guide. Down and Up move, Enter
// or a click goes back to Live in "Recently Viewed" with that channel
// playing. Main thread only.
#include "ui/screens/screen_view.h"

// The right end of the header band, which the Catch-up screen and the
// history view leave free (their titles and the channel's name end left of
// it): where their notices show.
RectF CatchupHeaderNoticeRect(double width, double height);

// The rectangle of visible history row `slot`, and how many rows fit.
RectF LiveHistoryRowRect(int slot, double width, double height);
int LiveHistoryVisibleRows(double height);
// The first row shown so that the highlighted one is in view.
int LiveHistoryFirstRow(const AppState& state, double height);

void PrepareLiveHistory(RenderResources& res, const AppState& state, int width, int height);
void PaintLiveHistory(RenderResources& res, const AppState& state);
void LiveHistoryKey(ScreenContext& ctx, int vk);
void LiveHistoryPointer(ScreenContext& ctx, const PointerEvent& event);
