#pragma once
// Which categories the category columns show and the hide picker offers,
// given the user's hidden-categories list.
#include <string_view>
#include <vector>

#include "catalog/catalog_item.h"
#include "store/settings.h"

// The ids the program puts in front of the server's categories (All, the
// favorites, recent, lock and add-group entries); they cannot be hidden.
bool IsSyntheticCategoryId(std::u16string_view id);

// Indices of the categories to show: the synthetic ones and every category
// whose id is not hidden.
std::vector<int> VisibleCategoryIndices(const std::vector<Category>& categories, const IdList& hidden);

// Indices of the categories the hide picker offers: all but the synthetic ones.
std::vector<int> HideCandidates(const std::vector<Category>& categories);
