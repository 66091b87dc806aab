#pragma once
// The guide sources screen: the provider's own guide, then the user's own
// XMLTV addresses in the order they are read (the first that has a channel
// wins), then "+ Add guide source" while fewer than kMaxGuideSources are
// listed. Each row shows its time offset and what its last reading gave
// (state.guideSourceReports): programmes, channels and linked channels, or
// why it failed, or that it is being read or not read yet.
//
// Enter on a source opens its options (time offset; for the user's own also
// move up, move down and remove, which asks first); Enter on the last row
// asks for an address (http:// or https://, not one listed already), then
// its offset. Every change hands the whole new list to
// GuideActions::SetGuideSources once; the screen keeps nothing of its own
// but the highlighted row. V and the header button open the review of unsure
// matches. Esc/Backspace return to the screen that opened it. Main thread
// only.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/screens/browse_frame.h"
#include "ui/screens/screen_view.h"

// "+1 h", "0 h", "−2 h" in the current language.
std::u16string GuideOffsetText(int hours);
// The status line of the source named `key` ("" the provider's, else its
// URL) as the last reading left it.
std::u16string GuideSourceStatus(const AppState& state, const std::string& key);
// The address as typed, trimmed, when it can be added to `sources`; else
// nothing and `why` names the notice's text key.
std::optional<std::string> AcceptableGuideUrl(std::u16string_view typed, const std::vector<GuideSourcePreference>& sources,
                                              const char*& why);

// Rows: 0 the provider's guide, 1..n the user's sources, then the add row
// while there is room.
int GuideSourceRowCount(const AppState& state);

struct GuideSourcesLayout {
  ListRows rows;
  int first = 0;
  RectF back;
  RectF reviewButton;
  RectF notice;
  RectF RowRect(int offset, double width) const;
};
GuideSourcesLayout GuideSourcesLayoutOf(int selected, int count, double width, double height);

class GuideSourcesScreen final : public ScreenView {
 public:
  void Paint(RenderResources& res, const AppState& state, const LocalTime& now) const override;
  bool TakeKeyBeforeBack(ScreenContext& ctx, int vk) override;
  void OnKey(ScreenContext& ctx, int vk) override;
  void OnPointer(ScreenContext& ctx, const PointerEvent& event) override;
  // The screen that opened it is the way back; back from the review it
  // keeps the one it had.
  void OnEnter(ScreenContext& ctx, Screen from) override;
  ScreenHelp Help(const AppState& state) const override;
  RectF NoticeRect(const AppState& state, int width, int height) const override;

  int Selected() const { return selected_; }

 private:
  void Act(ScreenContext& ctx);
  int selected_ = 0;
  Screen from_ = Screen::Settings;
};
