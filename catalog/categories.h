#pragma once
// The category lists as the screens show them: the program's own categories
// ("+ Add Group", "Recently Viewed", "All", "Favorite", "Lock") in front of
// the server's, adult categories behind the ordinary ones, and the text used
// to order channels by name.
//
// Everything here runs on the main thread and works on lists it owns.
#include <string_view>
#include <vector>

#include "catalog/catalog_item.h"

// The selection fallbacks after a rebuild: live "All" and movie/series "All".
inline constexpr int kLiveAllIndex = 2;
inline constexpr int kItemAllIndex = 1;

// True when the name or the id contains "xxx", or the name contains "adult",
// "porn" or "18+", ignoring letter case.
bool IsAdultCategory(const Category& category);

// Drops the special entries wherever they stand (including the "ALL" /
// "FAVORITES" pair a download starts with) and rebuilds the list as the five
// live specials, the ordinary categories, then the adult ones, each group
// in its original order. An index that is out of range or points at
// "+ Add Group" becomes kLiveAllIndex.
void RebuildLiveCategories(std::vector<Category>& categories, int& liveCategoryIndex);

// The same for a movie or series list: four specials (no "+ Add Group"),
// then the server's categories in order, no adult split. An index out of
// range becomes kItemAllIndex.
void RebuildVodCategories(std::vector<Category>& categories, int& itemCategoryIndex);

// The part of `name` that orders it by name: leading characters are skipped
// up to the first ASCII letter or digit, '[', '+' or Latin letter
// (U+00C0..U+024F), trailing ones back to the last ASCII letter or digit,
// ']', ')' or Latin letter. A name with no such leading character is its own
// key. The result is a view into `name`; letter case is kept.
std::u16string_view SortKey(std::u16string_view name);

// True when the selected live category is "Lock" or an adult category; the
// parental checks ask for the PIN there. False for an index out of range.
bool CurrentLiveCategoryLocked(const std::vector<Category>& liveCategories, int liveCategoryIndex);
