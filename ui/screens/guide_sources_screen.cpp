#include "ui/screens/guide_sources_screen.h"

#include <algorithm>
#include <optional>

#include "i18n/translate.h"
#include "net/text.h"
#include "platform/virtual_keys.h"
#include "ui/modals/option_picker.h"
#include "ui/modals/question_dialog.h"
#include "ui/modals/text_prompt.h"
#include "ui/nav/navigator.h"
#include "ui/screens/guide_text.h"

// Sections: texts; layout; painting; keys and clicks.

namespace {

std::u16string Tr(std::string_view key) { return std::u16string(Translate(key)); }

// "{}" of a text replaced by `value` (the number's place in each language).
std::u16string Filled(std::string_view key, std::u16string_view value) {
  std::u16string text = Tr(key);
  const size_t hole = text.find(u"{}");
  return hole == std::u16string::npos ? std::u16string(value) + u" " + text : text.replace(hole, 2, value);
}

std::u16string Count(std::string_view key, size_t n) { return Filled(key, AsciiToWide(std::to_string(n))); }

const GuideSourceReport* ReportOf(const AppState& state, const std::string& key) {
  for (const GuideSourceReport& report : state.guideSourceReports)
    if (report.key == key) return &report;
  return nullptr;
}

std::u16string Trimmed(std::u16string_view text) {
  const size_t first = text.find_first_not_of(u" \t");
  if (first == std::u16string_view::npos) return {};
  const size_t last = text.find_last_not_of(u" \t");
  return std::u16string(text.substr(first, last - first + 1));
}

}  // namespace

std::u16string GuideOffsetText(int hours) {
  std::u16string number = AsciiToWide(std::to_string(std::abs(hours)));
  if (hours > 0) number = u"+" + number;
  if (hours < 0) number = u"\u2212" + number;
  return Filled("hours_short", number);
}

std::u16string GuideSourceStatus(const AppState& state, const std::string& key) {
  const GuideSourceReport* report = ReportOf(state, key);
  if (!report) return Tr(state.wholeGuideBusy ? "guide_reading" : "guide_not_read");
  if (!report->read) return Filled("guide_failed", Utf8ToWide(report->detail));
  return Count("guide_programmes", report->programmes) + u" \u00b7 " + Count("guide_channels", report->channels) +
         u" \u00b7 " + Count("guide_linked", report->linked);
}

std::optional<std::string> AcceptableGuideUrl(std::u16string_view typed, const std::vector<GuideSourcePreference>& sources,
                                              const char*& why) {
  const std::string url = WideToUtf8(Trimmed(typed));
  const bool web = (StartsWithNoCase(url, "http://") && url.size() > 7) || (StartsWithNoCase(url, "https://") && url.size() > 8);
  if (!web || url.find_first_of(" \t") != std::string::npos) {
    why = "guide_url_bad";
    return std::nullopt;
  }
  for (const GuideSourcePreference& source : sources) {
    if (source.url == url) {
      why = "guide_url_listed";
      return std::nullopt;
    }
  }
  return url;
}

int GuideSourceRowCount(const AppState& state) {
  const size_t listed = state.preferences.guideSources.size();
  return 1 + int(listed) + (listed < kMaxGuideSources ? 1 : 0);
}

// --- Layout -----------------------------------------------------------------------

RectF GuideSourcesLayout::RowRect(int offset, double width) const {
  const double top = rows.RowTop(offset);
  return RectF{DesignX(40, width), top, width - DesignX(64, width), top + rows.rowHeight - 4};
}

GuideSourcesLayout GuideSourcesLayoutOf(int selected, int count, double width, double height) {
  GuideSourcesLayout l;
  l.back = DesignRect(54, 24, 144, 114, width, height);
  l.reviewButton = DesignRect(1420, 40, 1880, 104, width, height);
  l.notice = DesignRect(900, 30, 1400, 114, width, height);
  l.rows = ListRowsOf(150, 1064, 96, height);
  l.first = ClampFirst(KeepInView(0, selected, l.rows.visible), l.rows.visible, count);
  return l;
}

// --- Painting ---------------------------------------------------------------------

namespace {

void PaintSourceRow(RenderResources& res, const RectF& row, bool selected, std::u16string_view label, int offsetHours,
                    const std::u16string& status) {
  const Brushes& brush = res.Brush();
  res.FillRounded(row, res.Px(10), selected ? brush.Blue : Rgba{1, 1, 1, 0.06});
  const Rgba text = selected ? ReadableOn(brush.Blue) : brush.White;
  const double mid = (row.top + row.bottom) / 2;
  const double left = row.left + res.X(24);
  // The offset keeps a fixed column at the right; the address takes the rest,
  // cut in the middle so that both its host and its file stay readable.
  const double offsetLeft = row.right - res.X(200);
  res.DrawTrimmedLine(FontId::Row, GuideOffsetText(offsetHours), RectF{offsetLeft, row.top, row.right - res.X(24), mid},
                      selected ? text : brush.Accent, TextAlign{HAlign::Trailing, VAlign::Center});
  const double labelRight = offsetLeft - res.X(16);
  res.DrawTrimmedLine(FontId::Row, CutInTheMiddle(res, FontId::Row, label, labelRight - left),
                      RectF{left, row.top, labelRight, mid}, text, kAlignLeadingCentered);
  res.DrawTrimmedLine(FontId::Hint, status, RectF{left, mid, row.right - res.X(24), row.bottom}, selected ? text : brush.Dim,
                      kAlignLeadingCentered);
}

void PaintAddRow(RenderResources& res, const RectF& row, bool selected) {
  const Brushes& brush = res.Brush();
  res.FillRounded(row, res.Px(10), selected ? brush.Blue : Rgba{1, 1, 1, 0.06});
  res.DrawTrimmedLine(FontId::Row, u"+ " + Tr("add_guide_source"),
                      RectF{row.left + res.X(24), row.top, row.right - res.X(24), row.bottom},
                      selected ? ReadableOn(brush.Blue) : brush.Accent, kAlignLeadingCentered);
}

}  // namespace

void GuideSourcesScreen::Paint(RenderResources& res, const AppState& state, const LocalTime& /*now*/) const {
  const Brushes& brush = res.Brush();
  const double W = res.Width(), H = res.Height();
  const int count = GuideSourceRowCount(state);
  const int selected = std::clamp(selected_, 0, count - 1);
  const GuideSourcesLayout l = GuideSourcesLayoutOf(selected, count, W, H);
  res.Clear(kScreenClear);
  res.DrawBackButton(l.back);
  res.DrawTrimmedLine(FontId::Title, Translate("guide_sources"), res.Design(180, 30, 880, 114), brush.Accent,
                      kAlignLeadingCentered);
  res.StrokeRounded(l.reviewButton, res.Px(12), brush.Accent, std::max(1.5, res.Px(1.5)));
  res.DrawTrimmedLine(FontId::Hint, ReviewButtonText(state),
                      RectF{l.reviewButton.left + 8, l.reviewButton.top, l.reviewButton.right - 8, l.reviewButton.bottom},
                      brush.White, kAlignCentered);
  res.FillRect(RectF{0, res.Y(130), W, res.Y(130) + 2}, Rgba{1, 1, 1, 0.25});
  const std::vector<GuideSourcePreference>& sources = state.preferences.guideSources;
  for (int offset = 0; offset < l.rows.visible && l.first + offset < count; ++offset) {
    const int index = l.first + offset;
    const RectF row = l.RowRect(offset, W);
    if (index == 0) {
      PaintSourceRow(res, row, index == selected, Translate("guide_provider_row"),
                     state.preferences.providerGuideOffsetHours, GuideSourceStatus(state, ""));
    } else if (size_t(index - 1) < sources.size()) {
      const GuideSourcePreference& source = sources[size_t(index - 1)];
      PaintSourceRow(res, row, index == selected, Utf8ToWide(source.url), source.offsetHours,
                     GuideSourceStatus(state, source.url));
    } else {
      PaintAddRow(res, row, index == selected);
    }
  }
  res.DrawScrollbar(W - res.X(40), l.rows.top, l.rows.top + l.rows.visible * l.rows.rowHeight, l.first,
                    l.rows.visible, count);
}

RectF GuideSourcesScreen::NoticeRect(const AppState& state, int width, int height) const {
  return GuideSourcesLayoutOf(0, GuideSourceRowCount(state), width, height).notice;
}

// --- Keys and clicks --------------------------------------------------------------

namespace {

// −12 h .. +12 h, the current one highlighted; false when cancelled.
bool PickOffset(ScreenContext& ctx, int& hours) {
  std::vector<std::u16string> options;
  for (int h = -kGuideOffsetLimitHours; h <= kGuideOffsetLimitHours; ++h) options.push_back(GuideOffsetText(h));
  const int current = std::clamp(hours, -kGuideOffsetLimitHours, kGuideOffsetLimitHours) + kGuideOffsetLimitHours;
  const int picked = OpenPicker(ctx.modal, Tr("guide_offset"), std::move(options), current);
  if (picked < 0) return false;
  hours = picked - kGuideOffsetLimitHours;
  return true;
}

void Apply(ScreenContext& ctx, std::vector<GuideSourcePreference> sources, int providerOffset) {
  ctx.guides.SetGuideSources(std::move(sources), providerOffset);
}

void EditProvider(ScreenContext& ctx) {
  if (OpenPicker(ctx.modal, Tr("guide_provider_row"), {Tr("guide_offset")}, 0) != 0) return;
  int hours = ctx.state.preferences.providerGuideOffsetHours;
  if (PickOffset(ctx, hours)) Apply(ctx, ctx.state.preferences.guideSources, hours);
}

// The options of the user's source `at`; returns the row to highlight after.
int EditSource(ScreenContext& ctx, size_t at) {
  std::vector<GuideSourcePreference> sources = ctx.state.preferences.guideSources;
  const int provider = ctx.state.preferences.providerGuideOffsetHours;
  const int row = int(at) + 1;
  const int choice = OpenPicker(ctx.modal, Utf8ToWide(sources[at].url),
                                {Tr("guide_offset"), Tr("move_up"), Tr("move_down"), Tr("help_remove")}, 0);
  switch (choice) {
    case 0:
      if (!PickOffset(ctx, sources[at].offsetHours)) return row;
      Apply(ctx, std::move(sources), provider);
      return row;
    case 1:
      if (at == 0) return row;
      std::swap(sources[at], sources[at - 1]);
      Apply(ctx, std::move(sources), provider);
      return row - 1;
    case 2:
      if (at + 1 >= sources.size()) return row;
      std::swap(sources[at], sources[at + 1]);
      Apply(ctx, std::move(sources), provider);
      return row + 1;
    case 3:
      if (!AskYesNo(ctx.modal, Tr("guide_sources"), Tr("remove_source_ask"), false)) return row;
      sources.erase(sources.begin() + std::ptrdiff_t(at));
      Apply(ctx, std::move(sources), provider);
      return row;
    default: return row;
  }
}

// Asks for an address, then its offset; returns the row to highlight after.
int AddSource(ScreenContext& ctx, int row) {
  std::vector<GuideSourcePreference> sources = ctx.state.preferences.guideSources;
  if (sources.size() >= kMaxGuideSources) return row;
  const std::optional<std::u16string> typed =
      AskTextOrCancel(ctx.modal, TextPrompt{Tr("add_guide_source"), Tr("guide_url_hint"), u""});
  if (!typed) return row;
  const char* why = nullptr;
  const std::optional<std::string> url = AcceptableGuideUrl(*typed, sources, why);
  if (!url) {
    ShowNotice(ctx.state, Tr(why), kFeedbackNoticeMs * 2);
    return row;
  }
  int hours = 0;
  if (!PickOffset(ctx, hours)) return row;
  sources.push_back(GuideSourcePreference{*url, hours});
  const int added = int(sources.size());  // its row: after the provider's and those before it
  Apply(ctx, std::move(sources), ctx.state.preferences.providerGuideOffsetHours);
  return added;
}

}  // namespace

void GuideSourcesScreen::Act(ScreenContext& ctx) {
  const int count = GuideSourceRowCount(ctx.state);
  selected_ = std::clamp(selected_, 0, count - 1);
  const size_t listed = ctx.state.preferences.guideSources.size();
  if (selected_ == 0) EditProvider(ctx);
  else if (size_t(selected_ - 1) < listed) selected_ = EditSource(ctx, size_t(selected_ - 1));
  else selected_ = AddSource(ctx, selected_);
  // The application's answer may have changed the list: stay on a row.
  selected_ = std::clamp(selected_, 0, GuideSourceRowCount(ctx.state) - 1);
}

bool GuideSourcesScreen::TakeKeyBeforeBack(ScreenContext& ctx, int vk) {
  if (!Vk::IsBack(vk)) return false;
  ctx.navigator.SetScreen(from_);
  return true;
}

void GuideSourcesScreen::OnKey(ScreenContext& ctx, int vk) {
  const int last = GuideSourceRowCount(ctx.state) - 1;
  const int page = GuideSourcesLayoutOf(0, 0, ctx.width, ctx.height).rows.visible;
  switch (vk) {
    case Vk::Down: selected_ = std::min(selected_ + 1, last); break;
    case Vk::Up: selected_ = std::max(selected_ - 1, 0); break;
    case Vk::PageDown: selected_ = std::min(selected_ + page, last); break;
    case Vk::PageUp: selected_ = std::max(selected_ - page, 0); break;
    case Vk::Return: Act(ctx); break;
    default:
      if (vk == Vk::Letter('V')) ctx.navigator.SetScreen(Screen::GuideReview);
      break;
  }
}

void GuideSourcesScreen::OnPointer(ScreenContext& ctx, const PointerEvent& event) {
  const int count = GuideSourceRowCount(ctx.state);
  if (event.kind == PointerEvent::Kind::Wheel) {
    selected_ = std::clamp(selected_ - event.wheelNotches, 0, count - 1);
    return;
  }
  if (event.kind != PointerEvent::Kind::Up) return;
  const GuideSourcesLayout l = GuideSourcesLayoutOf(selected_, count, ctx.width, ctx.height);
  if (l.back.Contains(event.x, event.y)) {
    ctx.navigator.SetScreen(from_);
    return;
  }
  if (l.reviewButton.Contains(event.x, event.y)) {
    ctx.navigator.SetScreen(Screen::GuideReview);
    return;
  }
  for (int offset = 0; offset < l.rows.visible && l.first + offset < count; ++offset) {
    if (!l.RowRect(offset, ctx.width).Contains(event.x, event.y)) continue;
    // A click highlights a row; a click on the highlighted one acts as Enter.
    if (l.first + offset == selected_) Act(ctx);
    else selected_ = l.first + offset;
    return;
  }
}

void GuideSourcesScreen::OnEnter(ScreenContext& /*ctx*/, Screen from) {
  if (from == Screen::GuideReview) return;
  from_ = from;
  selected_ = 0;
}

ScreenHelp GuideSourcesScreen::Help(const AppState& /*state*/) const {
  return {"guide_sources",
          {{{Vk::Up, Vk::Down, Vk::PageUp, Vk::PageDown}, "help_move"},
           {{Vk::Return}, "help_guide_source_enter"},
           {{Vk::Letter('V')}, "review_matches"}}};
}
