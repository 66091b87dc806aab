#include "ui/screens/live_screen.h"

#include <algorithm>

#include "catalog/categories.h"
#include "catalog/category_visibility.h"
#include "catalog/channel_choice.h"
#include "catalog/parental_rule.h"
#include "catalog/special_categories.h"
#include "net/text.h"
#include "platform/clock.h"
#include "platform/virtual_keys.h"
#include "player/video_layout.h"
#include "store/collections.h"
#include "store/runtime_log.h"
#include "i18n/translate.h"
#include "ui/modals/pin_gate.h"
#include "ui/nav/navigator.h"
#include "ui/screens/key_table.h"
#include "ui/screens/live_actions.h"
#include "ui/screens/player_strips.h"
#include "ui/screens/provider_status_text.h"
#include "ui/screens/record_marks.h"

namespace sc = SpecialCategory;

// Sections: layout and hit test; painting; selection helpers; keys; pointer;
// enter and leave.

namespace {

constexpr double kDoubleClickMs = 450;

// One step of the live list (wrapping, passing over duplicates of the
// channel left; a locked channel is a row like any other). Selects it and
// returns true when there is a channel to play.
bool StepChannelSelection(AppState& state, int direction) {
  const int next = StepChannelIndex(state.VisibleLive, state.nav.ChannelIndex, direction, state.settings,
                                    state.catalog.LiveCategories, state.nav.live, LockedChannels::Reach);
  if (next < 0) return false;
  state.nav.ChannelIndex = next;
  return true;
}

}  // namespace


// ---------------------------------------------------------------------------
// Painting

namespace {

constexpr Rgba kChannelFill{0.03, 0.04, 0.06, 1};
constexpr Rgba kSelectedChannelFill{0.18, 0.16, 0.08, 1};
constexpr Rgba kPreviewStateFill{0.05, 0.05, 0.07, 0.82};
constexpr Rgba kPausedText{0.90, 0.77, 0.31, 1};  // the strips' amber

bool Contains(const IdList& list, std::u16string_view id) { return std::find(list.begin(), list.end(), id) != list.end(); }

void StrokeCircle(RenderResources& res, double x, double y, double radius, Rgba colour = Rgba{1, 1, 1, 1}) {
  res.StrokeCircle(x, y, radius, colour, 1.4);
}

void PaintChannels(RenderResources& res, const AppState& state, const LiveLayout& l) {
  const Brushes& brush = res.Brush();
  const VisibleList& live = state.VisibleLive;
  const int total = int(live.size());
  if (total == 0) {
    res.DrawTrimmedLine(FontId::Label, Translate("no_channels"), res.Design(470, 400, 940, 480), brush.Dim, kAlignCentered);
    // Why there are none, and when they are asked for again.
    res.DrawTrimmed(FontId::Hint, ProviderStatusText(state.provider), res.Design(470, 480, 940, 560), brush.Red,
                    kAlignCentered);
    res.DrawTrimmed(FontId::Hint, state.StatusText, res.Design(470, 560, 940, 680), brush.Accent, kAlignCentered);
    return;
  }
  for (int offset = 0; offset < l.channels.visible && l.channelFirst + offset < total; ++offset) {
    const int row = l.channelFirst + offset;
    const CatalogItem& channel = live[size_t(row)];
    const double top = l.channels.RowTop(offset), bottom = top + l.channels.rowHeight;
    const double middle = (top + bottom) / 2;
    const bool selected = row == state.nav.ChannelIndex;
    // The focused channel is a filled accent bar with text in black or white,
    // whichever reads on the accent; selected while the categories have the
    // focus, it keeps the dark bar with an outline.
    const bool focused = selected && state.nav.LiveFocus == 1;
    Rgba text = brush.White, dim = brush.Dim, mark = brush.Accent;
    if (selected) {
      const RectF box{res.X(453), top + 1, res.X(949), bottom - 1};
      res.FillRounded(box, 4, focused ? brush.Accent : kSelectedChannelFill);
      if (!focused) res.StrokeRounded(box, 4, brush.Accent, 1.5);
      if (focused) text = dim = mark = ReadableOn(brush.Accent);
    }
    if (!channel.num().empty())
      res.DrawTrimmedLine(FontId::Hint, channel.num(), RectF{res.X(471), top, res.X(543), bottom}, dim,
                          kAlignLeadingCentered);
    if (const Picture* icon = res.IconFor(channel))
      res.DrawPicture(icon, RectF{res.X(561), top + res.Y(8), res.X(597), bottom - res.Y(8)});
    double nameLeft = 615;
    if (channel.tvArchive() > 0) {
      StrokeCircle(res, res.X(625), middle, res.Y(8), text);
      nameLeft += 28;
    }
    const bool locked = Contains(state.settings.LockCh, channel.id());
    // A long name ends before the lock mark (or the favourite mark), and
    // before the red dot of a channel being recorded, which sits left of both.
    double nameRight = res.X(locked ? 888 : 900) - res.Px(4);
    if (ChannelRecording(state.recordings.recordings, channel.id())) {
      const double size = res.Px(14), right = res.X(884);
      PaintRecordMark(res, ProgrammeMark::Recording, right - size / 2, middle, size, text);
      nameRight = right - size - res.Px(6);
    }
    res.DrawTrimmedLine(FontId::Row, CleanDisplayName(channel.name()), RectF{res.X(nameLeft), top, nameRight, bottom},
                        text, kAlignLeadingCentered);
    if (Contains(state.settings.FavLive, channel.id()))
      res.DrawTrimmedLine(FontId::Hint, u"*", RectF{res.X(910), top, res.X(945), bottom}, mark, kAlignLeadingCentered);
    if (locked)
      res.DrawTrimmedLine(FontId::Hint, u"L", RectF{res.X(888), top, res.X(910), bottom}, mark, kAlignLeadingCentered);
  }
  res.DrawScrollbar(l.channelRight - 16, l.channels.top, l.channels.bottom, l.channelFirst, l.channels.visible, total);
}

void PaintGuide(RenderResources& res, const AppState& state, const LiveLayout& l, int64_t now) {
  const Brushes& brush = res.Brush();
  const int index = state.nav.ChannelIndex;
  if (index < 0 || index >= int(state.VisibleLive.size())) return;
  const CatalogItem& channel = state.VisibleLive[size_t(index)];
  res.DrawTrimmedLine(FontId::Label, CleanDisplayName(channel.name()), res.Design(978, 659, 1900, 702), brush.White,
                      kAlignLeadingCentered);
  const std::vector<EpgEntry>& rows = state.guide.RowsOf(channel.id());
  if (rows.empty()) {
    // Nothing asked for this channel (a locked category waits for the PIN)
    // or nothing came: nothing is loading.
    const bool loading = state.guideRequests.Pending(channel.id());
    res.DrawTrimmedLine(FontId::Hint, Translate(loading ? "buffering" : "no_info"), res.Design(978, 713, 1900, 753),
                        brush.Dim, kAlignLeadingCentered);
    return;
  }
  const int total = int(rows.size());
  for (int offset = 0; offset < l.guide.visible && l.guideFirst + offset < total; ++offset) {
    const EpgEntry& entry = rows[size_t(l.guideFirst + offset)];
    const double top = l.guide.RowTop(offset), bottom = top + l.guide.rowHeight;
    const int64_t s = entry.start, e = s + 60 * int64_t(std::max(1, entry.durationMin));
    const bool current = s >= 1 && s <= now && now < e;
    const bool past = e >= 1 && e <= now && s >= 1;
    double left = 978;
    if (current) res.FillRect(RectF{res.X(978), top, res.X(1902), bottom}, kSelectedChannelFill);
    if (past) {
      StrokeCircle(res, res.X(992), (top + bottom) / 2, res.Y(6));
      left = 1012;
    }
    res.DrawTrimmedLine(FontId::Hint, entry.time + u"   " + entry.title, RectF{res.X(left), top, res.X(1902), bottom},
                        current ? LegibleAccent(brush.Accent, kSelectedChannelFill) : brush.White,
                        kAlignLeadingCentered);
  }
}

// A paused or delayed preview says so on the picture, as the Player's strip
// does ("PAUSED −0:42"); at live it says nothing.
void PaintPreviewState(RenderResources& res, const AppState& state, const LiveLayout& l) {
  const TimeshiftState& shift = state.Playing().timeshift;
  if (!shift.Shifted()) return;
  const std::u16string text = TimeshiftText(shift);
  if (text.empty()) return;
  const RectF& r = l.previewState;
  const double pad = res.Px(16);
  const double width = std::min(r.Width(), res.MeasureText(FontId::Label, text).first + 2 * pad);
  const RectF band{r.left, r.top, r.left + width, r.bottom};
  res.FillRounded(band, res.Px(10), kPreviewStateFill);
  res.DrawTrimmedLine(FontId::Label, text, RectF{band.left + pad, band.top, band.right - pad, band.bottom},
                      shift.paused ? kPausedText : res.Brush().White, kAlignLeadingCentered);
}

void PaintButtons(RenderResources& res, const LiveLayout& l) {
  // The last is the channel menu's: a square with three dots, no caption.
  static constexpr const char* kCaptions[kLiveButtonCount] = {"catchup", "add_fav", "search", "tv_guide", nullptr};
  for (int i = 0; i < kLiveButtonCount; ++i) {
    res.FillRounded(l.buttons[i], 18, Rgba{0.22, 0.22, 0.26, 1});
    res.StrokeRounded(l.buttons[i], 18, res.Brush().Accent, 2);
    if (kCaptions[i]) {
      res.DrawTrimmedLine(FontId::Hint, Translate(kCaptions[i]), l.buttons[i], res.Brush().White, kAlignCentered);
      continue;
    }
    const RectF& b = l.buttons[i];
    const double r = std::max(2.0, b.Height() / 14), cx = (b.left + b.right) / 2;
    for (int dot = -1; dot <= 1; ++dot) {
      const double cy = (b.top + b.bottom) / 2 + dot * r * 3.2;
      res.FillRounded(RectF{cx - r, cy - r, cx + r, cy + r}, r, res.Brush().White);
    }
  }
}

}  // namespace

// The icons of the rows the frame will show are decoded here: inside a
// frame a downloaded icon is never decoded.
void LiveScreen::PrepareFrame(RenderResources& res, const AppState& state, int width, int height) const {
  const LiveLayout l = LiveLayoutOf(state, 0, 0, width, height);
  const int end = std::min(int(state.VisibleLive.size()), l.channelFirst + l.channels.visible);
  for (int row = std::max(0, l.channelFirst); row < end; ++row) res.IconFor(state.VisibleLive[size_t(row)]);
}

void LiveScreen::Paint(RenderResources& res, const AppState& state, const LocalTime& now) const {
  const double W = res.Width(), H = res.Height();
  res.Clear(kScreenClear);
  PaintHeaderBar(res, Screen::Live);
  const std::vector<int> visible = VisibleLiveCategories(state);
  const Settings& s = state.settings;
  const std::vector<CategoryRow> categories = CategoryRowsOf(state.catalog.LiveCategories, visible,
                                                             state.catalog.LiveChannels, s.HistoryLive, s.FavLive,
                                                             s.LockCh, counts_);
  const LiveLayout l = LiveLayoutOf(state, int(categories.size()), int(SelectedGuideRows(state).size()), W, H);

  res.FillRect(RectF{l.categoryRight, res.Y(kBodyTop), l.channelRight, H}, kChannelFill);
  res.FillRect(RectF{l.channelRight, l.guideTop, W, H}, kChannelFill);
  CategoryColumnStyle style;
  style.outlineSelected = state.nav.LiveFocus == 0;
  PaintCategoryColumn(res, l.categories, categories, l.categoryFirst, state.nav.live.LiveCategoryIndex, style);
  res.FillRect(RectF{res.X(439), res.Y(kBodyTop), res.X(442), res.Y(kLiveRowsBottom)}, res.Brush().Accent);
  res.FillRect(RectF{res.X(957), res.Y(kBodyTop), l.channelRight, res.Y(kLiveRowsBottom)}, res.Brush().Accent);
  PaintChannels(res, state, l);
  PaintGuide(res, state, l, FromLocalTime(now));
  PaintButtons(res, l);

  // The preview shows through the interface layer.
  const PixelRect hole = VideoRectFor(Screen::Live, false, res.Width(), res.Height());
  res.Target().Erase(RectF{double(hole.x), double(hole.y), double(hole.x + hole.w), double(hole.y + hole.h)});
  PaintPreviewState(res, state, l);
}

RectF LiveScreen::NoticeRect(const AppState& state, int width, int height) const {
  return LiveLayoutOf(state, 0, 0, width, height).notice;
}

// ---------------------------------------------------------------------------
// Selection helpers

namespace {

// The selected list's channels all ask for the PIN (Lock, adult, LockLive).
bool ListGuarded(const AppState& state) {
  return LiveListGuarded(state.catalog.LiveCategories, state.nav.live, state.settings);
}

int DefaultChannel(const AppState& state) {
  return DefaultChannelIndex(state.VisibleLive, state.settings, state.catalog.LiveCategories, state.nav.live);
}

std::u16string_view SelectedCategoryId(const AppState& state) {
  const auto& categories = state.catalog.LiveCategories;
  const int index = state.nav.live.LiveCategoryIndex;
  return index >= 0 && index < int(categories.size()) ? std::u16string_view(categories[size_t(index)].id)
                                                      : std::u16string_view();
}

// The preview follows the highlight. On a row whose preview is withheld (a
// locked channel, no PIN yet) nothing plays: the channel left would go on
// under the locked one's name, and Enter would fill the window with it.
void PreviewSelected(ScreenContext& ctx) {
  AppState& state = ctx.state;
  const bool valid = state.nav.ChannelIndex >= 0 && state.nav.ChannelIndex < int(state.VisibleLive.size());
  if (!ctx.playback.PlaySelectedChannel(LiveStart::Preview, false) && valid) ctx.playback.StopPlayback();
}

void MoveToFirstVisibleCategory(AppState& state) {
  const std::vector<int> visible = VisibleLiveCategories(state);
  int& index = state.nav.live.LiveCategoryIndex;
  if (!visible.empty() && std::find(visible.begin(), visible.end(), index) == visible.end()) index = visible.front();
}

// After the category moved: a category that does not count as locked
// clears the PIN pass and the preview follows the default channel; a locked
// one only selects it (playing a channel of it asks for the PIN).
void CategoryChanged(ScreenContext& ctx) {
  AppState& state = ctx.state;
  NavState& nav = state.nav;
  RebuildLiveList(state.catalog, state.settings, nav.live, state.VisibleLive);
  nav.ChannelIndex = DefaultChannel(state);
  nav.ChannelScroll = 0;
  if (ListGuarded(state)) return;
  state.ChannelPinPassed = false;
  if (!state.VisibleLive.empty()) ctx.playback.PlaySelectedChannel(LiveStart::Preview, false);
}

// Moves to `category`. Selecting never asks for the PIN, by keys or by the
// pointer: a locked category shows its list, and playing asks.
void SelectCategory(ScreenContext& ctx, int category) {
  AppState& state = ctx.state;
  int& selected = state.nav.live.LiveCategoryIndex;
  const auto& categories = state.catalog.LiveCategories;
  // "+ Add Group" lists nothing: choosing it asks for a new group's name,
  // and the category shown stays.
  if (category >= 0 && category < int(categories.size()) && categories[size_t(category)].id == sc::AddGroup) {
    CreateGroupFromPrompt(ctx);
    return;
  }
  // A category chosen ends the group's filter: the list is the category's.
  state.nav.live.ActiveGroup = -1;
  selected = category;
  CategoryChanged(ctx);
}

void StepCategoryBy(ScreenContext& ctx, int step) {
  NavState& nav = ctx.state.nav;
  SelectCategory(ctx, StepCategory(VisibleLiveCategories(ctx.state), nav.live.LiveCategoryIndex, step));
}

void StepChannelBy(ScreenContext& ctx, int direction) {
  if (StepChannelSelection(ctx.state, direction)) PreviewSelected(ctx);
}


}  // namespace

// ---------------------------------------------------------------------------
// Keys

namespace {

// Live's key modes: the focused column.
constexpr uint32_t kCategories = 1, kChannels = 2, kEither = kCategories | kChannels;

bool StepList(ScreenContext& ctx, int vk) {
  const int step = vk == Vk::Down ? 1 : -1;
  if (ctx.state.nav.LiveFocus == 0) StepCategoryBy(ctx, step);
  else StepChannelBy(ctx, step);
  return true;
}

// Shift+R: the highlighted channel records from now, or stops.
void RecordSelected(ScreenContext& ctx) {
  const AppState& state = ctx.state;
  const int row = state.nav.ChannelIndex;
  if (row >= 0 && row < int(state.VisibleLive.size())) ctx.recording.ToggleRecordNow(state.VisibleLive[size_t(row)]);
}

constexpr KeyRow kLiveKeys[] = {
    {{kAnyDigit}, kEither, [](ScreenContext& ctx, int vk) { return EnterChannelDigit(ctx, DigitOfKey(vk)), true; }, "help_number"},
    {{Vk::Right}, kCategories, [](ScreenContext& ctx, int) { return ctx.state.nav.LiveFocus = 1, true; }, "help_to_channels"},
    {{Vk::Left}, kCategories, [](ScreenContext& ctx, int) {
       ctx.state.nav.live.ActiveGroup = -1;
       StepCategoryBy(ctx, -1);
       return true;
     }, "help_prev_category"},
    {{Vk::Left}, kChannels, [](ScreenContext& ctx, int) { return ctx.state.nav.LiveFocus = 0, true; }, "help_to_categories"},
    {{Vk::Up, Vk::Down}, kEither, StepList, "help_move"},
    // Page Up moves down the list and Page Down up, as ever.
    {{Vk::PageUp, Vk::PageDown}, kEither, [](ScreenContext& ctx, int vk) {
       if (ctx.state.VisibleLive.empty()) return true;
       ctx.state.nav.LiveFocus = 1;
       StepChannelBy(ctx, vk == Vk::PageUp ? 1 : -1);
       return true;
     }, "help_step_channels"},
    {{Vk::Return}, kEither, Run<PlayChosenChannel>, "help_fill_window"},
    {{Vk::Space}, kEither, [](ScreenContext& ctx, int) { return ctx.playback.TogglePause(), true; }, "help_pause"},
    {{Vk::Tab}, kEither, [](ScreenContext& ctx, int) { return ctx.playback.PlayPreviousChannel(), true; }, "help_played_before"},
    {{Vk::Letter('C')}, kEither, [](ScreenContext& ctx, int) { return ctx.navigator.SetScreen(Screen::Catchup), true; }, "catchup"},
    {{Vk::Letter('F'), Vk::Grave}, kEither, Run<ToggleLiveFavorite>, "help_favorite"},
    {{Vk::Letter('S')}, kEither, [](ScreenContext& ctx, int) {
       ctx.state.nav.SwallowChar = u's';
       ctx.navigator.SetScreen(Screen::Search);
       return true;
     }, "search"},
    {{Vk::Letter('G')}, kEither, [](ScreenContext& ctx, int) {
       ctx.state.nav.GroupIndex = 0;
       ctx.navigator.SetScreen(Screen::Groups);
       return true;
     }, "help_groups"},
    {{Vk::Letter('L')}, kEither, Run<ToggleLiveLock>, "help_lock"},
    {{Vk::End}, kEither, [](ScreenContext& ctx, int) { return ctx.playback.JumpToLive(), true; }, "back_to_live"},
    {{Vk::Letter('H')}, kEither, Run<OpenLiveHistory>, "live_history"},
    {{Vk::Letter('E')}, kEither, [](ScreenContext& ctx, int) { return ctx.playback.OpenInExternalPlayer(), true; }, "help_external"},
    {{Vk::Letter('P')}, kEither, Run<OpenGrid>, "tv_guide"},
    {{Vk::Record}, kEither, Run<RecordSelected>, "help_record_now"},
    {{Vk::Letter('R')}, kEither, [](ScreenContext& ctx, int) { return ctx.navigator.SetScreen(Screen::Recordings), true; }, "recordings"},
    {{Vk::Letter('O')}, kEither, Run<OpenChannelMenu>, "channel_menu"},
};

}  // namespace

std::span<const KeyRow> LiveKeyRows() { return kLiveKeys; }

namespace {
uint32_t LiveKeyMode(const AppState& state) { return state.nav.LiveFocus == 0 ? kCategories : kChannels; }
}  // namespace

ScreenHelp LiveScreen::Help(const AppState& state) const { return {nullptr, HelpOfRows(kLiveKeys, LiveKeyMode(state))}; }

void LiveScreen::OnKey(ScreenContext& ctx, int vk) {
  MoveToFirstVisibleCategory(ctx.state);
  DispatchKey(kLiveKeys, LiveKeyMode(ctx.state), ctx, vk);
  if (ctx.state.CurrentScreen == Screen::Live) KeepLiveSelectionInView(ctx.state, ctx.width, ctx.height);
}

// ---------------------------------------------------------------------------
// Pointer

namespace {

// Wheel: three rows per notch on the lists, one on the guide.
void Wheel(ScreenContext& ctx, const PointerEvent& event, const LiveLayout& l, int categoryCount) {
  AppState& state = ctx.state;
  NavState& nav = state.nav;
  const int notches = event.wheelNotches;
  if (event.x < l.categoryRight) {
    nav.LiveCategoryScroll = ClampFirst(l.categoryFirst - 3 * notches, l.categories.visible, categoryCount);
  } else if (event.x >= ctx.width / 2.0 && event.y >= l.guideTop) {  // the guide panel, under the preview
    nav.GuideRowIndex =
        ClampFirst(l.guideFirst - notches, l.guide.visible, int(SelectedGuideRows(state).size())) - l.guideCurrent;
  } else {
    nav.ChannelScroll = ClampFirst(l.channelFirst - 3 * notches, l.channels.visible, int(state.VisibleLive.size()));
  }
}

// The first row shown for a pointer height on a scroll bar.
int FirstForHeight(const ListRows& rows, double y, int total) {
  if (total <= rows.visible) return 0;
  const double share = std::clamp((y - rows.top) / std::max(1.0, rows.bottom - rows.top), 0.0, 1.0);
  return ClampFirst(int(share * (total - rows.visible) + 0.5), rows.visible, total);
}

void Drag(NavState& nav, const LiveLayout& l, double y, int categoryCount, int channelCount) {
  if (nav.ScrollDrag == 1) nav.LiveCategoryScroll = FirstForHeight(l.categories, y, categoryCount);
  if (nav.ScrollDrag == 2) nav.ChannelScroll = FirstForHeight(l.channels, y, channelCount);
}

void ClickChannel(ScreenContext& ctx, int row) {
  NavState& nav = ctx.state.nav;
  const bool second = row == nav.LastClickRow && ctx.nowMs - nav.LastClickMs < kDoubleClickMs;
  nav.LiveFocus = 1;
  nav.ChannelIndex = row;
  nav.LastClickRow = row;
  nav.LastClickMs = ctx.nowMs;
  if (second) PlayChosenChannel(ctx);
  else PreviewSelected(ctx);
}

void ClickCategory(ScreenContext& ctx, const std::vector<int>& visible, int position) {
  NavState& nav = ctx.state.nav;
  const int category = visible[size_t(position)];
  nav.LiveFocus = 0;
  if (category == nav.live.LiveCategoryIndex) return;
  nav.live.ActiveGroup = -1;
  SelectCategory(ctx, category);
}

}  // namespace

void LiveScreen::OnPointer(ScreenContext& ctx, const PointerEvent& event) {
  AppState& state = ctx.state;
  NavState& nav = state.nav;
  const std::vector<int> visible = VisibleLiveCategories(state);
  const int categoryCount = int(visible.size()), channelCount = int(state.VisibleLive.size());
  const int guideCount = int(SelectedGuideRows(state).size());
  const LiveLayout l = LiveLayoutOf(state, categoryCount, guideCount, ctx.width, ctx.height);
  switch (event.kind) {
    case PointerEvent::Kind::Wheel: Wheel(ctx, event, l, categoryCount); return;
    case PointerEvent::Kind::Move:
      if (nav.ScrollDrag == 0) return;
      Drag(nav, l, event.y, categoryCount, channelCount);
      ctx.window.Repaint();
      return;
    case PointerEvent::Kind::DoubleClick: {
      const LiveHit hit = LiveHitTest(l, categoryCount, channelCount, event.x, event.y, ctx.width, ctx.height);
      const PixelRect preview = VideoRectFor(Screen::Live, false, ctx.width, ctx.height);
      const bool onPreview = event.x >= preview.x && event.x < preview.x + preview.w && event.y >= preview.y &&
                             event.y < preview.y + preview.h;
      // The channel's row, or the preview showing it: the video fills the window.
      if (hit.kind == LiveHit::Kind::Channel || (onPreview && SelectedChannelPlays(state))) PlayChosenChannel(ctx);
      return;
    }
    case PointerEvent::Kind::Down: {
      const LiveHit hit = LiveHitTest(l, categoryCount, channelCount, event.x, event.y, ctx.width, ctx.height);
      if (hit.kind == LiveHit::Kind::CategoryScrollbar) nav.ScrollDrag = 1;
      if (hit.kind == LiveHit::Kind::ChannelScrollbar) nav.ScrollDrag = 2;
      Drag(nav, l, event.y, categoryCount, channelCount);
      return;
    }
    case PointerEvent::Kind::Up: break;
  }
  if (nav.ScrollDrag != 0) {
    nav.ScrollDrag = 0;
    return;
  }
  const LiveHit hit = LiveHitTest(l, categoryCount, channelCount, event.x, event.y, ctx.width, ctx.height);
  switch (hit.kind) {
    case LiveHit::Kind::Tab: ctx.navigator.SetScreen(Screen(hit.index)); return;
    case LiveHit::Kind::Category: ClickCategory(ctx, visible, hit.index); return;
    case LiveHit::Kind::Channel: ClickChannel(ctx, hit.index); return;
    case LiveHit::Kind::Button:
      if (hit.index == 0) ctx.navigator.SetScreen(Screen::Catchup);
      if (hit.index == 1) ToggleLiveFavorite(ctx);
      if (hit.index == 2) ctx.navigator.SetScreen(Screen::Search);
      if (hit.index == 3) OpenGrid(ctx);
      if (hit.index == 4) OpenChannelMenu(ctx);
      return;
    default: return;
  }
}

// ---------------------------------------------------------------------------
// Enter and leave

void LiveScreen::OnEnter(ScreenContext& ctx, Screen from) {
  AppState& state = ctx.state;
  NavState& nav = state.nav;
  const std::u16string remembered = state.LastLiveChannelId;
  // A group filters the list only while the user stays with it (Groups
  // chose it; the Player, the grid, catch-up, search and the recordings
  // return to it). Coming from elsewhere, the list is the category the
  // column shows.
  const bool fromLiveAffairs = from == Screen::Groups || from == Screen::Player || from == Screen::Grid ||
                               from == Screen::MultiView || from == Screen::Catchup || from == Screen::Search ||
                               from == Screen::Recordings || from == Screen::Live;
  if (!fromLiveAffairs) nav.live.ActiveGroup = -1;
  RebuildLiveList(state.catalog, state.settings, nav.live, state.VisibleLive);
  if (state.VisibleLive.empty() && SelectedCategoryId(state) != sc::Lock && nav.live.ActiveGroup < 0) {
    nav.live.LiveCategoryIndex = kLiveAllIndex;
    state.ChannelPinPassed = false;
    RebuildLiveList(state.catalog, state.settings, nav.live, state.VisibleLive);
  }
  const bool locked = ListGuarded(state);
  nav.ChannelIndex = DefaultChannel(state);
  const int found = remembered.empty() ? -1 : state.VisibleLive.find(remembered);
  // A locked channel the PIN let play stays selected; others are passed over.
  const ParentalRule rule(state.settings, state.catalog.LiveCategories);
  if (found >= 0 && (state.ChannelPinPassed || !ParentalSkips(rule, state.VisibleLive[size_t(found)], locked))) {
    nav.ChannelIndex = found;
  }
  nav.GuideRowIndex = 0;
  KeepLiveSelectionInView(ctx.state, ctx.width, ctx.height);
  // Back from the Player or the grid, the channel that played there goes on
  // as the preview (the same stream, not a new connection).
  if ((from == Screen::Player || from == Screen::Grid) && SelectedChannelPlays(state)) return;
  // The preview follows the selection; a locked category waits for the PIN.
  if (!state.VisibleLive.empty() && !locked) ctx.playback.PlaySelectedChannel(LiveStart::Preview, false);
}

void LiveScreen::OnCatalogChanged(ScreenContext& ctx, const CatalogChange& change) {
  if (!change.live) return;
  AppState& state = ctx.state;
  RebuildLiveList(state.catalog, state.settings, state.nav.live, state.VisibleLive);
  if (change.fromCache) state.nav.ChannelIndex = DefaultChannel(state);
}

void LiveScreen::OnLeave(ScreenContext& ctx, Screen to) {
  ctx.state.nav.ScrollDrag = 0;
  StopUnlessVideoStays(ctx, to);
}

