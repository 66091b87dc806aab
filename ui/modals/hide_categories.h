#pragma once
// The hide-categories picker: the kind's own categories (the program's
// special ones left out) with "[x]" on the hidden ones. Enter toggles the
// highlighted one and the picker stays open, so several can be toggled; Esc
// closes. Main thread only.
#include <cstdint>
#include <string_view>
#include <vector>

#include "catalog/catalog_item.h"
#include "state/app_state.h"
#include "ui/modals/option_picker.h"

enum class CategoryKind : int { Live = 0, Movies = 1, Series = 2 };

// The rows the picker offers: indices of categories with an id that is not
// one of the program's special ones, in list order.
std::vector<int> HideCategoryRows(const std::vector<Category>& categories);

class HideCategoriesModal final : public Modal {
 public:
  // Works on a copy of the categories (lists may be rebuilt while it is
  // open) and toggles ids in `hidden`, which must outlive the modal.
  HideCategoriesModal(std::u16string title, const std::vector<Category>& categories, IdList& hidden, uint64_t nowMs);
  void OnKey(int vk) override;
  void OnPointer(const PointerEvent& event, int width, int height, uint64_t nowMs) override;
  void Paint(RenderResources& res) const override { PaintOptionPicker(res, picker_); }
  bool Done() const override { return done_; }
  void Cancel() override { done_ = true; }
  const OptionPicker& picker() const { return picker_; }

 private:
  void ToggleHighlighted();
  std::vector<std::u16string> ids_;
  IdList& hidden_;
  OptionPicker picker_;
  bool done_ = false;
};

// Runs the picker for `kind` over the current screen, then keeps the kind's
// selected category when it is still visible (else the first visible one)
// and rebuilds the kind's visible list. The caller saves the settings.
void EditHiddenCategories(ModalSlot& slot, AppState& state, CategoryKind kind);
