#include "ui/modals/option_picker.h"

#include <gtest/gtest.h>

#include "platform/virtual_keys.h"
#include "tests/ui/render/test_pictures.h"

namespace {

std::vector<std::u16string> Options(int n) {
  std::vector<std::u16string> options;
  for (int i = 0; i < n; ++i) options.push_back(u"Option " + std::u16string(1, char16_t(u'A' + i % 26)));
  return options;
}

TEST(OptionPicker, HighlightStartsValidAndKeysClampToTheList) {
  EXPECT_EQ(MakePicker(u"T", Options(3), 7, 0).index, 0);
  EXPECT_EQ(MakePicker(u"T", Options(3), -1, 0).index, 0);
  OptionPicker p = MakePicker(u"T", Options(3), 2, 0);
  EXPECT_EQ(p.index, 2);
  EXPECT_EQ(PickerOnKey(p, Vk::Down), PickerResult::Open);
  EXPECT_EQ(p.index, 2);
  PickerOnKey(p, Vk::Up);
  PickerOnKey(p, Vk::Up);
  PickerOnKey(p, Vk::Up);
  EXPECT_EQ(p.index, 0);
  EXPECT_EQ(PickerOnKey(p, Vk::Left), PickerResult::Open);  // ignored
  EXPECT_EQ(PickerOnKey(p, Vk::Back), PickerResult::Open);  // only Esc cancels
  EXPECT_EQ(PickerOnKey(p, Vk::Return), PickerResult::Chosen);
  EXPECT_EQ(PickerOnKey(p, Vk::Escape), PickerResult::Cancelled);
}

TEST(OptionPicker, ClicksWithinTheGuardNeverChoose) {
  OptionPicker p = MakePicker(u"T", Options(5), 0, 1000);
  const RectF row3 = PickerRowRect(3, 1920, 1080);
  const double x = row3.left + 40, y = (row3.top + row3.bottom) / 2;
  EXPECT_EQ(PickerOnClick(p, x, y, 1920, 1080, 1000), PickerResult::Open);  // the opening click
  EXPECT_EQ(PickerOnClick(p, x, y, 1920, 1080, 1399), PickerResult::Open);
  EXPECT_EQ(p.index, 0);
  EXPECT_EQ(PickerOnClick(p, 5, y, 1920, 1080, 1400), PickerResult::Open);  // beside the rows
  const RectF below = PickerRowRect(5, 1920, 1080);                           // no option there
  EXPECT_EQ(PickerOnClick(p, x, below.top + 5, 1920, 1080, 1400), PickerResult::Open);
  EXPECT_EQ(PickerOnClick(p, x, y, 1920, 1080, 1400), PickerResult::Chosen);
  EXPECT_EQ(p.index, 3);
}

TEST(OptionPicker, RowsFitTheHeightAndScrollWithTheHighlight) {
  EXPECT_EQ(PickerVisibleRows(1080), 15);
  EXPECT_EQ(PickerVisibleRows(720), 15) << "the same rows at every size, as the text grows with the window";
  EXPECT_EQ(PickerVisibleRows(0), 1);
  OptionPicker p = MakePicker(u"T", Options(40), 39, 0);
  RenderResources res;
  {
    OffscreenFrame frame(res, 1920, 1080);
    PaintOptionPicker(res, p);
  }
  EXPECT_EQ(p.first, 25);  // the last page, highlight on its last row
  const RectF last = PickerRowRect(14, 1920, 1080);
  EXPECT_EQ(PickerHitTest(p, last.left + 10, last.top + 10, 1920, 1080), 39);
  EXPECT_EQ(ScrolledFirst(25, 3, 15), 3);
  EXPECT_EQ(ScrolledFirst(-4, 0, 15), 0);
}

TEST(OptionPicker, OpenPickerWithoutOptionsShowsNothing) {
  bool ran = false;
  ModalSlot slot([&](const std::function<bool()>&) { ran = true; }, nullptr);
  EXPECT_EQ(OpenPicker(slot, u"T", {}, 0), -1);
  EXPECT_FALSE(ran);

  ModalSlot* self = nullptr;
  ModalSlot answering(
      [&](const std::function<bool()>&) {
        self->Current()->OnKey(Vk::Down);
        self->Current()->OnKey(Vk::Return);
      },
      nullptr);
  self = &answering;
  EXPECT_EQ(OpenPicker(answering, u"T", Options(3), 0), 1);
}

}  // namespace
