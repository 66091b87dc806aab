#pragma once
// The Recordings screen: every recording of recordings.json, those in
// progress first (a red dot), then the scheduled ones, soonest first, then
// the finished ones, newest first. A row shows the channel, the title (with
// the "every airing" mark of a rule), the programme's day and times (its
// padding is not shown), the length written (scheduled: the programme's),
// the size and the state, a partial one with what it lacks.
//
// Enter plays a finished recording with a file, or asks to stop one in
// progress; Delete asks, then cancels a scheduled one or removes a finished
// one with its file; S opens the recording settings. The recording desk
// carries out each of these (ctx.recording); the painter only reads
// state.recordings. Esc/Backspace return to the screen that opened it (the
// navigator). RecordingsLayoutOf is shared by painting and clicks. Main
// thread only.
#include <cstdint>
#include <string>
#include <vector>

#include "ui/screens/browse_frame.h"
#include "ui/screens/screen_view.h"

// The list's order: indexes into `list`.
std::vector<size_t> RecordingsOrder(const std::vector<Recording>& list);

// The state as the row says it, in the current language: a partial one with
// the minutes it lacks, a failed or missed one with why.
std::u16string RecordingStateText(const Recording& recording);
// "350 MB", "1.2 GB" (units of 1000); empty for nothing written.
std::u16string RecordingSizeText(int64_t bytes);
// The row's second line: the programme's local day and times, the length
// (at `now` for one in progress) and the size, joined by dots.
std::u16string RecordingTimeText(const Recording& recording, int64_t now, int language);

struct RecordingsLayout {
  ListRows rows;
  int first = 0;
  RectF back;
  RectF settingsButton;  // the recording settings, in the header
  RectF notice;          // the header's free middle: where notices show
  RectF RowRect(int offset, double width) const;
};
RecordingsLayout RecordingsLayoutOf(int selected, int count, double width, double height);
// The list position under (x, y), or -1.
int RecordingAt(const RecordingsLayout& layout, int count, double x, double y, double width);

class RecordingsScreen final : public ScreenView {
 public:
  void Paint(RenderResources& res, const AppState& state, const LocalTime& now) const override;
  void OnKey(ScreenContext& ctx, int vk) override;
  void OnPointer(ScreenContext& ctx, const PointerEvent& event) override;
  // Home or Live is remembered as the way back; back from the Player (a
  // recording played) it keeps the one it had.
  void OnEnter(ScreenContext& ctx, Screen from) override;
  ScreenHelp Help(const AppState& state) const override;
  RectF NoticeRect(const AppState& state, int width, int height) const override;
};
