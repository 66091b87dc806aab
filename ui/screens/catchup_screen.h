#pragma once
// The Catch-up screen: the selected live channel's guide for one of the last
// seven days (today first, named in the language's locale), and that day's
// programmes that have started (the archive holds nothing later), opened at
// the latest. Left goes a day further back, Right a day forward, Down and
// Up move over the programmes. While NavState::HistoryOpen it shows the live
// history instead (ui/screens/live_history.h). Main thread only.
#include <cstdint>
#include <string>
#include <vector>

#include "ui/screens/screen_view.h"

constexpr int kCatchupDays = 7;

// The days column's text for `daysBack` days before `nowUnix` ("Tue  05/05"
// in the language's words, "05/05" when the locale cannot format it).
std::u16string CatchupDayText(int64_t nowUnix, int daysBack, int language);

// The guide rows the list offers for the selected channel and day: those
// with a start time at or before `nowUnix`, in order of their starts.
std::vector<int32_t> CatchupRows(const AppState& state, int64_t nowUnix);

RectF CatchupDayRect(int day, double width, double height);
int CatchupVisibleRows(double height);
RectF CatchupRowRect(int slot, double width, double height);

void PaintCatchup(RenderResources& res, const AppState& state, int64_t nowUnix);

class CatchupScreen final : public ScreenView {
 public:
  void PrepareFrame(RenderResources& res, const AppState& state, int width, int height) const override;
  void Paint(RenderResources& res, const AppState& state, const LocalTime& now) const override;
  void OnKey(ScreenContext& ctx, int vk) override;
  void OnPointer(ScreenContext& ctx, const PointerEvent& event) override;
  void OnEnter(ScreenContext& ctx, Screen from) override;
  void OnLeave(ScreenContext& ctx, Screen to) override;
  // At the header's right end (CatchupHeaderNoticeRect), the same with the
  // history shown.
  ScreenHelp Help(const AppState& state) const override;
  RectF NoticeRect(const AppState& state, int width, int height) const override;
};
