#pragma once
// The Live screen: the live categories on the left, the channels of the
// selected category (or of the active group) beside them, the preview video
// at the top right and the programme guide of the selected channel below it,
// with four buttons (catch-up, favorite, search, the programme grid) at the
// bottom. A paused or delayed preview says so on its picture, and End
// returns it to live (L is the lock here); notices show on the preview.
//
// LiveLayoutOf is the one layout that painting and hit tests share. Keys
// and clicks change the state; the scrolling rule is applied when a key
// moves a selection, so the wheel can look elsewhere without the painter
// pulling the list back. Main thread only.
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "ui/screens/live_layout.h"
#include "ui/screens/key_table.h"
#include "ui/screens/screen_view.h"

// Live's keys in the order they are tried; a row's modes are bits of the
// focused column (1 the categories, 2 the channels).
std::span<const KeyRow> LiveKeyRows();

class LiveScreen final : public ScreenView {
 public:
  void PrepareFrame(RenderResources& res, const AppState& state, int width, int height) const override;
  void Paint(RenderResources& res, const AppState& state, const LocalTime& now) const override;
  void OnKey(ScreenContext& ctx, int vk) override;
  void OnPointer(ScreenContext& ctx, const PointerEvent& event) override;
  void OnEnter(ScreenContext& ctx, Screen from) override;
  void OnLeave(ScreenContext& ctx, Screen to) override;
  // The live list follows a new live catalog (on every screen: the Player,
  // the grid and the multi-view show it too).
  void OnCatalogChanged(ScreenContext& ctx, const CatalogChange& change) override;
  ScreenHelp Help(const AppState& state) const override;
  RectF NoticeRect(const AppState& state, int width, int height) const override;

 private:
  mutable CategoryCounts counts_;  // a memo of the painter, rebuilt per item list
};
