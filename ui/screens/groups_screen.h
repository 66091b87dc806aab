#pragma once
// The Groups screen: the user's channel groups. Enter opens a group on the
// Live screen, Delete removes it, A adds the channel last played, "+" or N
// asks for a name and creates one. Esc and Backspace return to Live without
// a group (the navigator). GroupsLayoutOf is shared by painting and clicks.
#include <string>

#include "ui/screens/screen_view.h"

struct GroupsLayout {
  double rowsTop = 0;
  int rowHeight = 1;
  int visible = 1;
  int first = 0;
  RectF newGroupButton;
  RectF notice;  // beside the button: where notices show
  RectF RowRect(int offset, double width) const;
};
GroupsLayout GroupsLayoutOf(int groupIndex, int groupCount, double width, double height);
// The group row under (x, y), or -1.
int GroupAt(const GroupsLayout& layout, int groupCount, double x, double y, double width);

class GroupsScreen final : public ScreenView {
 public:
  void Paint(RenderResources& res, const AppState& state, const LocalTime& now) const override;
  // "+" is the volume key elsewhere; here it makes a group.
  bool TakeKeyFirst(ScreenContext& ctx, int vk) override;
  void OnKey(ScreenContext& ctx, int vk) override;
  void OnPointer(ScreenContext& ctx, const PointerEvent& event) override;
  ScreenHelp Help(const AppState& state) const override;
  RectF NoticeRect(const AppState& state, int width, int height) const override;
};

// SelectGroup: the group filters the Live list, its first playable channel
// plays, and its name shows as a notice.
void SelectGroup(ScreenContext& ctx, int index);
// Delete: removes the highlighted group and saves.
void DeleteSelectedGroup(ScreenContext& ctx);
// A: adds the channel last played to the highlighted group.
void AddCurrentChannelToGroup(ScreenContext& ctx);
