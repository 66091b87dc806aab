#pragma once
// The review of unsure guide matches: one row per state.guideReview item,
// the live channel's name, then "→" the guide channel its name suggests,
// the guide it comes from (the provider's, or the host of the source's
// address) and how alike the names are, as a percentage.
//
// Enter takes the suggestion, A opens "Assign guide" for the channel, N or
// Delete says the channel has no guide; each goes to GuideActions, which
// takes the item off the list, and the highlight stays on the row that
// takes its place. Esc/Backspace return to the screen that opened it. Main
// thread only.
#include <string>

#include "ui/screens/browse_frame.h"
#include "ui/screens/screen_view.h"

// Where an item's suggestion comes from and how alike the names are:
// "Provider · 87 %", "epg.example.org · 64 %".
std::u16string GuideReviewSourceText(const AppState& state, const GuideReviewItem& item);

struct GuideReviewLayout {
  ListRows rows;
  int first = 0;
  RectF back;
  RectF notice;
  RectF RowRect(int offset, double width) const;
};
GuideReviewLayout GuideReviewLayoutOf(int selected, int count, double width, double height);

class GuideReviewScreen final : public ScreenView {
 public:
  void Paint(RenderResources& res, const AppState& state, const LocalTime& now) const override;
  bool TakeKeyBeforeBack(ScreenContext& ctx, int vk) override;
  void OnKey(ScreenContext& ctx, int vk) override;
  void OnPointer(ScreenContext& ctx, const PointerEvent& event) override;
  void OnEnter(ScreenContext& ctx, Screen from) override;
  ScreenHelp Help(const AppState& state) const override;
  RectF NoticeRect(const AppState& state, int width, int height) const override;

  int Selected() const { return selected_; }

 private:
  enum class Reply { Take, Assign, None };
  void Respond(ScreenContext& ctx, Reply reply);
  int selected_ = 0;
  Screen from_ = Screen::GuideSources;
};
