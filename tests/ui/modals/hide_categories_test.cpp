#include "ui/modals/hide_categories.h"

#include <gtest/gtest.h>

#include "platform/virtual_keys.h"
#include "tests/catalog/test_items.h"

namespace {

std::vector<Category> LiveCategories() {
  return TestLiveCategories({{u"News", u"10"}, {u"Sport", u"20"}, {u"Music", u"30"}});
}

TEST(HideCategories, RowsAreTheProvidersCategoriesOnly) {
  EXPECT_EQ(HideCategoryRows(LiveCategories()), (std::vector<int>{5, 6, 7}));
  EXPECT_TRUE(HideCategoryRows({}).empty());
}

TEST(HideCategories, EnterTogglesAndStaysOpenTwiceRestores) {
  IdList hidden = {u"99", u"20"};
  HideCategoriesModal modal(u"Hide", LiveCategories(), hidden, 0);
  EXPECT_EQ(modal.picker().checked, (std::vector<bool>{false, true, false}));
  modal.OnKey(Vk::Return);  // News: appended at the end
  EXPECT_EQ(hidden, (IdList{u"99", u"20", u"10"}));
  EXPECT_FALSE(modal.Done());
  modal.OnKey(Vk::Down);
  modal.OnKey(Vk::Return);  // Sport: removed
  EXPECT_EQ(hidden, (IdList{u"99", u"10"}));
  modal.OnKey(Vk::Return);  // Sport again
  modal.OnKey(Vk::Up);
  modal.OnKey(Vk::Return);  // News again
  EXPECT_EQ(hidden, (IdList{u"99", u"20"}));  // as before, order kept
  EXPECT_EQ(modal.picker().checked, (std::vector<bool>{false, true, false}));
  modal.OnKey(Vk::Escape);
  EXPECT_TRUE(modal.Done());
}

TEST(HideCategories, HidingTheSelectedCategoryFallsBackToAVisibleOne) {
  AppState state;
  state.catalog.LiveCategories = LiveCategories();
  state.nav.live.LiveCategoryIndex = 6;  // Sport
  ModalSlot* self = nullptr;
  ModalSlot slot(
      [&](const std::function<bool()>&) {
        self->Current()->OnKey(Vk::Down);
        self->Current()->OnKey(Vk::Return);
        self->Current()->OnKey(Vk::Escape);
      },
      nullptr);
  self = &slot;
  EditHiddenCategories(slot, state, CategoryKind::Live);
  EXPECT_EQ(state.settings.HideLive, (IdList{u"20"}));
  // The first visible category is "+ Add Group", which the rebuild never
  // selects: "All" is.
  EXPECT_EQ(state.nav.live.LiveCategoryIndex, 2);
}

}  // namespace
