#include "ui/modals/speed_test_panel.h"

#include <gtest/gtest.h>

#include "platform/virtual_keys.h"
#include "tests/ui/nav/navigator_fixture.h"
#include "tests/ui/render/test_pictures.h"

namespace {

TEST(SpeedTestPanel, FocusCyclesAndTheReportScrollsNoFurtherThanItsLastPage) {
  EXPECT_EQ(SpeedFocusMove(0, Vk::Left), 3);
  EXPECT_EQ(SpeedFocusMove(3, Vk::Right), 0);
  EXPECT_EQ(SpeedFocusMove(2, Vk::Tab), 3);
  EXPECT_EQ(SpeedFocusMove(0, Vk::Down), 1);
  EXPECT_EQ(SpeedFocusMove(2, Vk::Down), 2);
  EXPECT_EQ(SpeedFocusMove(2, Vk::Up), 0);

  auto report = std::make_shared<SpeedReport>();
  for (int i = 0; i < 100; ++i) report->AppendReportLine(u"line");
  RecordingActions actions;
  SpeedTestModal modal(report, actions);
  EXPECT_EQ(modal.focus(), 1);  // the start button first
  RenderResources res;
  {
    OffscreenFrame frame(res, 1280, 720);
    modal.Paint(res);
  }
  const int visible = SpeedVisibleLines(720);
  for (int i = 0; i < 20; ++i) modal.OnKey(Vk::PageDown);
  EXPECT_EQ(report->ScrollOffset(), 100 - visible);
  modal.OnKey(Vk::PageUp);
  EXPECT_EQ(report->ScrollOffset(), 100 - visible - 8);
  modal.OnPointer(PointerEvent{PointerEvent::Kind::Wheel, 5, 5, 1}, 1280, 720, 0);
  EXPECT_EQ(report->ScrollOffset(), 100 - visible - 11);

  modal.OnKey(Vk::Return);
  EXPECT_EQ(actions.speedTests, 1);
  const RectF back = SpeedButtonRect(0, 1280, 720);
  modal.OnPointer(PointerEvent{PointerEvent::Kind::Up, int(back.left) + 4, int(back.top) + 4, 0}, 1280, 720, 0);
  EXPECT_TRUE(modal.Done());
  EXPECT_EQ(SpeedVisibleLines(100), 4);
}

}  // namespace
