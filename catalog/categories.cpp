#include "catalog/categories.h"

#include <algorithm>
#include <utility>

#include "catalog/special_categories.h"

namespace {

namespace sc = SpecialCategory;

char16_t AsciiLower(char16_t c) { return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c; }

// Case-insensitive search for a lower-case ASCII pattern. The patterns hold
// only ASCII, and no other character lower-cases to one of their letters, so
// ASCII folding finds exactly what a full lower-casing would.
bool ContainsFolded(std::u16string_view text, std::u16string_view lowerPattern) {
  if (lowerPattern.size() > text.size()) return false;
  const auto equalFolded = [](char16_t a, char16_t b) { return AsciiLower(a) == b; };
  return std::search(text.begin(), text.end(), lowerPattern.begin(), lowerPattern.end(), equalFolded) != text.end();
}

// The program's own entries, dropped before a rebuild adds them again. An
// entry with an empty id is the "All" entry only under one of its two names;
// any other empty-id category is the server's and stays.
bool IsSpecialEntry(const Category& c, bool liveList) {
  if (liveList && c.id == sc::AddGroup) return true;
  if (c.id == sc::Recent || c.id == sc::Favorite || c.id == sc::Lock) return true;
  return c.id.empty() && (c.name == sc::AllName || c.name == sc::DownloadAllName);
}

Category Make(std::u16string_view name, std::u16string_view id) { return Category{std::u16string(name), std::u16string(id)}; }

bool IsKeyStart(char16_t c) {
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'[' || c == u'+' ||
         (c >= 0x00C0 && c <= 0x024F);
}

bool IsKeyEnd(char16_t c) {
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u']' || c == u')' ||
         (c >= 0x00C0 && c <= 0x024F);
}

}  // namespace

bool IsAdultCategory(const Category& category) {
  return ContainsFolded(category.name, u"xxx") || ContainsFolded(category.id, u"xxx") ||
         ContainsFolded(category.name, u"adult") || ContainsFolded(category.name, u"porn") ||
         ContainsFolded(category.name, u"18+");
}

void RebuildLiveCategories(std::vector<Category>& categories, int& liveCategoryIndex) {
  std::vector<Category> ordinary;
  std::vector<Category> adult;
  ordinary.reserve(categories.size());
  for (auto& c : categories) {
    if (IsSpecialEntry(c, true)) continue;
    (IsAdultCategory(c) ? adult : ordinary).push_back(std::move(c));
  }

  categories.clear();
  categories.reserve(5 + ordinary.size() + adult.size());
  categories.push_back(Make(sc::AddGroupName, sc::AddGroup));
  categories.push_back(Make(sc::RecentName, sc::Recent));
  categories.push_back(Make(sc::AllName, sc::All));
  categories.push_back(Make(sc::FavoriteName, sc::Favorite));
  categories.push_back(Make(sc::LockName, sc::Lock));
  std::move(ordinary.begin(), ordinary.end(), std::back_inserter(categories));
  std::move(adult.begin(), adult.end(), std::back_inserter(categories));

  const bool outOfRange = liveCategoryIndex < 0 || liveCategoryIndex >= int(categories.size());
  if (outOfRange || categories[size_t(liveCategoryIndex)].id == sc::AddGroup) liveCategoryIndex = kLiveAllIndex;
}

void RebuildVodCategories(std::vector<Category>& categories, int& itemCategoryIndex) {
  std::vector<Category> server;
  server.reserve(categories.size());
  for (auto& c : categories) {
    if (!IsSpecialEntry(c, false)) server.push_back(std::move(c));
  }

  categories.clear();
  categories.reserve(4 + server.size());
  categories.push_back(Make(sc::RecentName, sc::Recent));
  categories.push_back(Make(sc::AllName, sc::All));
  categories.push_back(Make(sc::FavoriteName, sc::Favorite));
  categories.push_back(Make(sc::LockName, sc::Lock));
  std::move(server.begin(), server.end(), std::back_inserter(categories));

  if (itemCategoryIndex < 0 || itemCategoryIndex >= int(categories.size())) itemCategoryIndex = kItemAllIndex;
}

std::u16string_view SortKey(std::u16string_view name) {
  size_t begin = 0;
  while (begin < name.size() && !IsKeyStart(name[begin])) ++begin;
  if (begin == name.size()) return name;
  size_t end = name.size();
  while (end > begin && !IsKeyEnd(name[end - 1])) --end;
  return name.substr(begin, end - begin);
}

bool CurrentLiveCategoryLocked(const std::vector<Category>& liveCategories, int liveCategoryIndex) {
  if (liveCategoryIndex < 0 || liveCategoryIndex >= int(liveCategories.size())) return false;
  const Category& selected = liveCategories[size_t(liveCategoryIndex)];
  return selected.id == SpecialCategory::Lock || IsAdultCategory(selected);
}
