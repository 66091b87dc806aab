#include "ui/screens/groups_screen.h"

#include <algorithm>

#include "catalog/channel_choice.h"
#include "catalog/categories.h"
#include "net/text.h"
#include "platform/virtual_keys.h"
#include "store/collections.h"
#include "store/runtime_log.h"
#include "i18n/translate.h"
#include "ui/nav/navigator.h"
#include "ui/screens/browse_frame.h"
#include "ui/screens/live_actions.h"

namespace {

constexpr Rgba kGroupsClear{0.04, 0.05, 0.08, 1};
constexpr uint64_t kNoticeMs = 2500;

}  // namespace

RectF GroupsLayout::RowRect(int offset, double width) const {
  const double top = rowsTop + double(offset) * rowHeight;
  return RectF{WideX(40, width), top, WideX(1600, width), top + rowHeight};
}

GroupsLayout GroupsLayoutOf(int groupIndex, int groupCount, double width, double height) {
  GroupsLayout l;
  const double buttonTop = height - DesignY(24, height) - DesignY(64, height);
  l.newGroupButton = RectF{WideX(40, width), buttonTop, WideX(420, width), height - DesignY(24, height)};
  l.notice = RectF{WideX(460, width), buttonTop, WideX(2360, width), l.newGroupButton.bottom};
  const ListRows rows = ListRowsPixels(DesignY(150, height), buttonTop - DesignY(12, height), int(DesignY(56, height)));
  l.rowsTop = rows.top;
  l.rowHeight = rows.rowHeight;
  l.visible = rows.visible;
  l.first = ClampFirst(KeepInView(0, groupIndex, l.visible), l.visible, groupCount);
  return l;
}

int GroupAt(const GroupsLayout& l, int groupCount, double x, double y, double width) {
  for (int offset = 0; offset < l.visible && l.first + offset < groupCount; ++offset) {
    if (l.RowRect(offset, width).Contains(x, y)) return l.first + offset;
  }
  return -1;
}

void GroupsScreen::Paint(RenderResources& res, const AppState& state, const LocalTime& /*now*/) const {
  const Brushes& brush = res.Brush();
  const double W = res.Width(), H = res.Height();
  res.Clear(kGroupsClear);
  // The title and its help line start where the rows do, clear of the
  // window's corner.
  res.DrawTrimmedLine(FontId::Title, Translate("my_groups"), res.Wide(40, 30, 1600, 96), brush.Accent,
                      kAlignLeadingCentered);
  res.DrawTrimmedLine(FontId::Hint, Translate("groups_help"), res.Wide(40, 98, 2360, 136), brush.Dim,
                      kAlignLeadingCentered);
  const auto& groups = state.settings.Groups;
  const int count = int(groups.size());
  const GroupsLayout l = GroupsLayoutOf(state.nav.GroupIndex, count, W, H);
  if (groups.empty()) {
    res.DrawTrimmedLine(FontId::Label, Translate("no_groups"), res.Wide(40, 300, 1400, 380), brush.Dim,
                        kAlignLeadingCentered);
  }
  for (int offset = 0; offset < l.visible && l.first + offset < count; ++offset) {
    const int index = l.first + offset;
    const RectF row = l.RowRect(offset, W);
    const bool selected = index == state.nav.GroupIndex;
    if (selected) res.FillRect(row, brush.Blue);
    const ChannelGroup& group = groups[size_t(index)];
    const std::u16string text = group.name + u"  (" + AsciiToWide(std::to_string(group.ids.size())) + u")";
    res.DrawTrimmedLine(FontId::Row, text, RectF{row.left + res.Px(20), row.top, res.WX(1580), row.bottom},
                        selected ? ReadableOn(brush.Blue) : brush.White, kAlignLeadingCentered);
  }
  res.FillRounded(l.newGroupButton, 14, brush.Red);
  res.DrawTrimmedLine(FontId::Hint, Translate("new_group"), l.newGroupButton, brush.White, kAlignCentered);
}

RectF GroupsScreen::NoticeRect(const AppState& state, int width, int height) const {
  return GroupsLayoutOf(state.nav.GroupIndex, int(state.settings.Groups.size()), width, height).notice;
}

namespace {

bool IsPlus(int vk) { return vk == Vk::OemPlus || vk == Vk::NumpadAdd; }

}  // namespace

bool GroupsScreen::TakeKeyFirst(ScreenContext& ctx, int vk) {
  if (!IsPlus(vk)) return false;
  CreateGroupFromPrompt(ctx);
  return true;
}

void GroupsScreen::OnKey(ScreenContext& ctx, int vk) {
  NavState& nav = ctx.state.nav;
  const int count = int(ctx.state.settings.Groups.size());
  if (vk == Vk::Down) nav.GroupIndex = std::min(std::max(0, count - 1), nav.GroupIndex + 1);
  else if (vk == Vk::Up) nav.GroupIndex = std::max(0, nav.GroupIndex - 1);
  else if (vk == Vk::Return) SelectGroup(ctx, nav.GroupIndex);
  else if (vk == Vk::Delete) DeleteSelectedGroup(ctx);
  else if (vk == Vk::Letter('A')) AddCurrentChannelToGroup(ctx);
  else if (vk == Vk::Letter('N')) CreateGroupFromPrompt(ctx);
}

void GroupsScreen::OnPointer(ScreenContext& ctx, const PointerEvent& event) {
  AppState& state = ctx.state;
  const int count = int(state.settings.Groups.size());
  const GroupsLayout l = GroupsLayoutOf(state.nav.GroupIndex, count, ctx.width, ctx.height);
  if (event.kind == PointerEvent::Kind::Wheel) {
    state.nav.GroupIndex = std::clamp(state.nav.GroupIndex - event.wheelNotches, 0, std::max(0, count - 1));
    return;
  }
  if (event.kind != PointerEvent::Kind::Up && event.kind != PointerEvent::Kind::DoubleClick) return;
  if (l.newGroupButton.Contains(event.x, event.y)) {
    if (event.kind == PointerEvent::Kind::Up) CreateGroupFromPrompt(ctx);
    return;
  }
  const int row = GroupAt(l, count, event.x, event.y, ctx.width);
  if (row < 0) return;
  // A click highlights a group; a click on the highlighted one opens it.
  if (row == state.nav.GroupIndex && event.kind == PointerEvent::Kind::Up) SelectGroup(ctx, row);
  else state.nav.GroupIndex = row;
}

void SelectGroup(ScreenContext& ctx, int index) {
  AppState& state = ctx.state;
  const auto& groups = state.settings.Groups;
  if (index < 0 || index >= int(groups.size())) return;
  NavState& nav = state.nav;
  nav.live.ActiveGroup = index;
  const std::u16string name = groups[size_t(index)].name;
  state.ChannelPinPassed = false;  // a group is no locked category
  RebuildLiveList(state.catalog, state.settings, nav.live, state.VisibleLive);
  nav.ChannelIndex = DefaultChannelIndex(state.VisibleLive, state.settings, state.catalog.LiveCategories, nav.live);
  // Entering Live selects (the channel last played when the group holds it)
  // and starts the preview.
  ctx.navigator.SetScreen(Screen::Live);
  ShowNotice(state, name, kNoticeMs);
  WriteLogF(512, "group selected name=%s channels=%d", WideToUtf8(name).c_str(), int(state.VisibleLive.size()));
}

void DeleteSelectedGroup(ScreenContext& ctx) {
  AppState& state = ctx.state;
  if (state.settings.Groups.empty()) return;
  state.nav.GroupIndex = DeleteGroup(state.settings.Groups, state.nav.GroupIndex, state.nav.GroupIndex);
  ctx.window.SaveSettingsNow();
}

void AddCurrentChannelToGroup(ScreenContext& ctx) {
  AppState& state = ctx.state;
  auto& groups = state.settings.Groups;
  const int index = state.nav.GroupIndex;
  if (index < 0 || index >= int(groups.size())) return;
  if (!AddChannelToGroup(groups[size_t(index)], state.LastLiveChannelId)) return;
  ShowNotice(state, std::u16string(Translate("channel_added")), kNoticeMs);
  ctx.window.SaveSettingsNow();
}

ScreenHelp GroupsScreen::Help(const AppState& /*state*/) const {
  return {"help_groups",
          {{{Vk::Up, Vk::Down}, "help_move"},
           {{Vk::Return}, "help_show_group"},
           {{Vk::OemPlus, Vk::Letter('N')}, "add_group"},
           {{Vk::Delete}, "help_remove"},
           {{Vk::Letter('A')}, "help_add_to_group"}}};
}
