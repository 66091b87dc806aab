#include "catalog/category_visibility.h"

#include "catalog/special_categories.h"
#include "store/id_set.h"

bool IsSyntheticCategoryId(std::u16string_view id) {
  using namespace SpecialCategory;
  return id == All || id == Favorite || id == Recent || id == Lock || id == AddGroup;
}

std::vector<int> VisibleCategoryIndices(const std::vector<Category>& categories, const IdList& hidden) {
  const IdSet hiddenSet(hidden);
  std::vector<int> visible;
  visible.reserve(categories.size());
  for (size_t i = 0; i < categories.size(); ++i) {
    const auto& id = categories[i].id;
    if (IsSyntheticCategoryId(id) || !hiddenSet.contains(id)) visible.push_back(static_cast<int>(i));
  }
  return visible;
}

std::vector<int> HideCandidates(const std::vector<Category>& categories) {
  std::vector<int> candidates;
  for (size_t i = 0; i < categories.size(); ++i) {
    if (!IsSyntheticCategoryId(categories[i].id)) candidates.push_back(static_cast<int>(i));
  }
  return candidates;
}
