#include "ui/modals/hide_categories.h"

#include <algorithm>

#include "catalog/categories.h"
#include "catalog/category_visibility.h"
#include "catalog/channel_choice.h"
#include "catalog/visible_list.h"
#include "platform/clock.h"
#include "platform/virtual_keys.h"
#include "store/collections.h"
#include "i18n/translate.h"

namespace {

bool Contains(const IdList& list, std::u16string_view id) { return std::find(list.begin(), list.end(), id) != list.end(); }

IdList& HiddenListOf(Settings& settings, CategoryKind kind) {
  switch (kind) {
    case CategoryKind::Live: return settings.HideLive;
    case CategoryKind::Movies: return settings.HideVod;
    default: return settings.HideSeries;
  }
}

const std::vector<Category>& CategoriesOfKind(const Catalog& catalog, CategoryKind kind) {
  switch (kind) {
    case CategoryKind::Live: return catalog.LiveCategories;
    case CategoryKind::Movies: return catalog.MovieCategories;
    default: return catalog.SeriesCategories;
  }
}

// The selected category stays when still visible; else the first visible
// one (0 when none) is taken.
void KeepVisible(int& index, const std::vector<Category>& categories, const IdList& hidden) {
  const std::vector<int> visible = VisibleCategoryIndices(categories, hidden);
  if (std::find(visible.begin(), visible.end(), index) != visible.end()) return;
  index = visible.empty() ? 0 : visible.front();
}

}  // namespace

std::vector<int> HideCategoryRows(const std::vector<Category>& categories) {
  std::vector<int> rows;
  for (int index : HideCandidates(categories)) {
    if (!categories[index].id.empty()) rows.push_back(index);
  }
  return rows;
}

HideCategoriesModal::HideCategoriesModal(std::u16string title, const std::vector<Category>& categories, IdList& hidden,
                                         uint64_t nowMs)
    : hidden_(hidden) {
  std::vector<std::u16string> names;
  for (int index : HideCategoryRows(categories)) {
    names.push_back(categories[index].name);
    ids_.push_back(categories[index].id);
  }
  picker_ = MakePicker(std::move(title), std::move(names), 0, nowMs);
  for (const auto& id : ids_) picker_.checked.push_back(Contains(hidden_, id));
}

void HideCategoriesModal::ToggleHighlighted() {
  const int row = picker_.index;
  if (row < 0 || row >= static_cast<int>(ids_.size())) return;
  ToggleHiddenId(hidden_, ids_[row]);
  picker_.checked[row] = Contains(hidden_, ids_[row]);
}

void HideCategoriesModal::OnKey(int vk) {
  switch (PickerOnKey(picker_, vk)) {
    case PickerResult::Cancelled: done_ = true; break;
    case PickerResult::Chosen: ToggleHighlighted(); break;
    case PickerResult::Open: break;
  }
}

void HideCategoriesModal::OnPointer(const PointerEvent& event, int width, int height, uint64_t nowMs) {
  if (event.kind != PointerEvent::Kind::Up) return;
  if (PickerOnClick(picker_, event.x, event.y, width, height, nowMs) == PickerResult::Chosen) ToggleHighlighted();
}

void EditHiddenCategories(ModalSlot& slot, AppState& state, CategoryKind kind) {
  IdList& hidden = HiddenListOf(state.settings, kind);
  const int cell = 5 + static_cast<int>(kind);
  HideCategoriesModal modal(std::u16string(SettingsRowLabel(cell)), CategoriesOfKind(state.catalog, kind), hidden,
                            TickMs());
  slot.Run(modal);

  if (kind == CategoryKind::Live) {
    KeepVisible(state.nav.live.LiveCategoryIndex, state.catalog.LiveCategories, hidden);
    RebuildLiveList(state.catalog, state.settings, state.nav.live, state.VisibleLive);
    if (state.nav.ChannelIndex >= static_cast<int>(state.VisibleLive.size())) {
      state.nav.ChannelIndex =
          DefaultChannelIndex(state.VisibleLive, state.settings, state.catalog.LiveCategories, state.nav.live);
    }
    return;
  }
  const VodKind vod = kind == CategoryKind::Movies ? VodKind::Movies : VodKind::Series;
  KeepVisible(state.nav.ItemCategoryIndex, CategoriesOf(state.catalog, vod), hidden);
  RebuildItemList(state.catalog, vod, state.settings, state.nav.ItemCategoryIndex, state.VisibleItems);
}
