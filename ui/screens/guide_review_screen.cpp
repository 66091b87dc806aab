#include "ui/screens/guide_review_screen.h"

#include <algorithm>
#include <cmath>

#include "i18n/translate.h"
#include "net/text.h"
#include "platform/virtual_keys.h"
#include "ui/nav/navigator.h"
#include "ui/screens/guide_assign.h"
#include "ui/screens/guide_text.h"

std::u16string GuideReviewSourceText(const AppState& state, const GuideReviewItem& item) {
  const std::vector<GuideSourceHeld>& sources = state.wholeGuide.sources;
  const std::string key = item.source < sources.size() ? sources[item.source].key : std::string();
  const std::u16string from = key.empty() ? std::u16string(Translate("guide_provider")) : UrlHost(key);
  const int percent = int(std::lround(std::clamp(item.score, 0.0f, 1.0f) * 100));
  return from + u"  \u00b7  " + AsciiToWide(std::to_string(percent)) + u" %";
}

// --- Layout -----------------------------------------------------------------------

RectF GuideReviewLayout::RowRect(int offset, double width) const {
  const double top = rows.RowTop(offset);
  return RectF{DesignX(40, width), top, width - DesignX(64, width), top + rows.rowHeight - 4};
}

GuideReviewLayout GuideReviewLayoutOf(int selected, int count, double width, double height) {
  GuideReviewLayout l;
  l.back = DesignRect(54, 24, 144, 114, width, height);
  l.notice = DesignRect(1390, 30, 1880, 114, width, height);
  l.rows = ListRowsOf(150, 1064, 96, height);
  l.first = ClampFirst(KeepInView(0, selected, l.rows.visible), l.rows.visible, count);
  return l;
}

// --- Painting ---------------------------------------------------------------------

void GuideReviewScreen::Paint(RenderResources& res, const AppState& state, const LocalTime& /*now*/) const {
  const Brushes& brush = res.Brush();
  const double W = res.Width(), H = res.Height();
  const std::vector<GuideReviewItem>& items = state.guideReview;
  const int count = int(items.size());
  const int selected = std::clamp(selected_, 0, std::max(0, count - 1));
  const GuideReviewLayout l = GuideReviewLayoutOf(selected, count, W, H);
  res.Clear(kScreenClear);
  res.DrawBackButton(l.back);
  res.DrawTrimmedLine(FontId::Title, Translate("review_matches"), res.Design(180, 30, 1370, 114), brush.Accent,
                      kAlignLeadingCentered);
  res.FillRect(RectF{0, res.Y(130), W, res.Y(130) + 2}, Rgba{1, 1, 1, 0.25});
  if (items.empty()) {
    res.DrawTrimmed(FontId::Label, Translate("nothing_to_review"), res.Design(80, 300, 1840, 480), brush.Dim,
                    kAlignLeadingCentered);
    return;
  }
  for (int offset = 0; offset < l.rows.visible && l.first + offset < count; ++offset) {
    const int index = l.first + offset;
    const GuideReviewItem& item = items[size_t(index)];
    const RectF row = l.RowRect(offset, W);
    const bool on = index == selected;
    res.FillRounded(row, res.Px(10), on ? brush.Blue : Rgba{1, 1, 1, 0.06});
    const Rgba text = on ? ReadableOn(brush.Blue) : brush.White;
    const double mid = (row.top + row.bottom) / 2;
    const RectF inner{row.left + res.X(24), row.top, row.right - res.X(24), row.bottom};
    res.DrawTrimmedLine(FontId::Row, item.channelName, RectF{inner.left, inner.top, inner.right, mid}, text,
                        kAlignLeadingCentered);
    // The source and the score keep the line's right part: a long guide
    // channel name is trimmed before them.
    const double split = inner.left + inner.Width() * 0.62;
    res.DrawTrimmedLine(FontId::Hint, u"\u2192 " + Utf8ToWide(item.guideName), RectF{inner.left, mid, split - res.X(12), inner.bottom},
                        on ? text : brush.Accent, kAlignLeadingCentered);
    res.DrawTrimmedLine(FontId::Hint, GuideReviewSourceText(state, item), RectF{split, mid, inner.right, inner.bottom},
                        on ? text : brush.Dim, TextAlign{HAlign::Trailing, VAlign::Center});
  }
  res.DrawScrollbar(W - res.X(40), l.rows.top, l.rows.top + l.rows.visible * l.rows.rowHeight, l.first,
                    l.rows.visible, count);
}

RectF GuideReviewScreen::NoticeRect(const AppState& state, int width, int height) const {
  return GuideReviewLayoutOf(0, int(state.guideReview.size()), width, height).notice;
}

// --- Keys and clicks --------------------------------------------------------------

void GuideReviewScreen::Respond(ScreenContext& ctx, Reply reply) {
  const std::vector<GuideReviewItem>& items = ctx.state.guideReview;
  if (selected_ < 0 || selected_ >= int(items.size())) return;
  // A copy: the answer takes the item off the list it lives in.
  const GuideReviewItem item = items[size_t(selected_)];
  const std::vector<GuideSourceHeld>& sources = ctx.state.wholeGuide.sources;
  switch (reply) {
    case Reply::Take:
      // A suggestion of a guide no longer held cannot be taken.
      if (item.source >= sources.size()) return;
      ctx.guides.ChooseGuide(item.streamId, sources[item.source].key, item.guideId);
      break;
    case Reply::Assign: AssignGuide(ctx, item.streamId, item.channelName); break;
    case Reply::None: ctx.guides.ChooseNoGuide(item.streamId); break;
  }
  // The row after the handled one now sits here; past the end, the last.
  selected_ = std::clamp(selected_, 0, std::max(0, int(ctx.state.guideReview.size()) - 1));
}

bool GuideReviewScreen::TakeKeyBeforeBack(ScreenContext& ctx, int vk) {
  if (!Vk::IsBack(vk)) return false;
  ctx.navigator.SetScreen(from_);
  return true;
}

void GuideReviewScreen::OnKey(ScreenContext& ctx, int vk) {
  const int last = std::max(0, int(ctx.state.guideReview.size()) - 1);
  const int page = GuideReviewLayoutOf(0, 0, ctx.width, ctx.height).rows.visible;
  switch (vk) {
    case Vk::Down: selected_ = std::min(selected_ + 1, last); break;
    case Vk::Up: selected_ = std::max(selected_ - 1, 0); break;
    case Vk::PageDown: selected_ = std::min(selected_ + page, last); break;
    case Vk::PageUp: selected_ = std::max(selected_ - page, 0); break;
    case Vk::Return: Respond(ctx, Reply::Take); break;
    case Vk::Delete: Respond(ctx, Reply::None); break;
    default:
      if (vk == Vk::Letter('A')) Respond(ctx, Reply::Assign);
      if (vk == Vk::Letter('N')) Respond(ctx, Reply::None);
      break;
  }
}

void GuideReviewScreen::OnPointer(ScreenContext& ctx, const PointerEvent& event) {
  const int count = int(ctx.state.guideReview.size());
  if (event.kind == PointerEvent::Kind::Wheel) {
    selected_ = std::clamp(selected_ - event.wheelNotches, 0, std::max(0, count - 1));
    return;
  }
  if (event.kind != PointerEvent::Kind::Up) return;
  const GuideReviewLayout l = GuideReviewLayoutOf(selected_, count, ctx.width, ctx.height);
  if (l.back.Contains(event.x, event.y)) {
    ctx.navigator.SetScreen(from_);
    return;
  }
  for (int offset = 0; offset < l.rows.visible && l.first + offset < count; ++offset) {
    if (!l.RowRect(offset, ctx.width).Contains(event.x, event.y)) continue;
    // A click highlights a row; a click on the highlighted one takes it.
    if (l.first + offset == selected_) Respond(ctx, Reply::Take);
    else selected_ = l.first + offset;
    return;
  }
}

void GuideReviewScreen::OnEnter(ScreenContext& /*ctx*/, Screen from) {
  from_ = from == Screen::Player ? from_ : from;
  selected_ = 0;
}

ScreenHelp GuideReviewScreen::Help(const AppState& /*state*/) const {
  return {"review_matches",
          {{{Vk::Up, Vk::Down, Vk::PageUp, Vk::PageDown}, "help_move"},
           {{Vk::Return}, "help_take_suggestion"},
           {{Vk::Letter('A')}, "assign_guide"},
           {{Vk::Letter('N'), Vk::Delete}, "no_guide"}}};
}
