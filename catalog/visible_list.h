#pragma once
// The visible lists: the live channels of the selected category or group,
// filtered and ordered (VisibleLive), and the movies or series of the
// selected category (VisibleItems).
//
// A visible list keeps the item list it was built from alive and names its
// rows by index, so it costs 4 bytes a row instead of a copy of each item,
// and a download that swaps a new list into the catalog never changes a
// list already on screen: the screen goes on showing the old items until
// the next rebuild.
//
// Rebuilds run on the main thread only.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "catalog/catalog_item.h"
#include "store/settings.h"

class VisibleList {
 public:
  VisibleList() = default;
  // `rows` are indices into `*items`; each must be in range.
  VisibleList(SharedItems items, std::vector<uint32_t> rows);

  size_t size() const { return rows_.size(); }
  bool empty() const { return rows_.empty(); }
  const CatalogItem& operator[](size_t row) const { return (*items_)[rows_[row]]; }
  // The row's position in the item list the visible list was built from.
  uint32_t catalogIndex(size_t row) const { return rows_[row]; }
  // The list the rows index; empty (null) for a list never built.
  const SharedItems& items() const { return items_; }

  // The first row whose item has this id; -1 when none.
  int find(std::u16string_view id) const;
  void clear();

 private:
  SharedItems items_;
  std::vector<uint32_t> rows_;
};

// The name and number orders of one live item list. Sorting 160,000 names
// costs several frames, while filtering is cheap, so each order is sorted
// once per item list on first use and every later rebuild only filters in
// that order. A new item list (a download or cache load) starts over.
struct LiveSortCache {
  std::weak_ptr<const ItemList> source;
  std::optional<std::vector<uint32_t>> byName;    // ascending SortKey of the name
  std::optional<std::vector<uint32_t>> byNumber;  // ascending num text
};

// What selects the live list, and what the live list keeps between
// rebuilds. Owned by the navigation state; main thread only.
struct LiveListSelection {
  int LiveCategoryIndex = 2;  // into Catalog::LiveCategories; 2 is "All"
  int ActiveGroup = -1;       // into Settings::Groups; -1 when no group filters
  LiveSortCache sortCache;
};

// Rebuilds the live categories, then `out`: the channels of the active group
// in catalog order when a group is active, else those of the selected
// category that are not in a hidden category, ordered by LiveSort (0 catalog
// order, 1 name A-Z, 2 name Z-A, 3 channel number; names by SortKey, all
// comparisons ordinal over UTF-16 code units).
void RebuildLiveList(Catalog& catalog, const Settings& settings, LiveListSelection& selection, VisibleList& out);

// Rebuilds the kind's categories, then `out`: the movies or series of the
// selected category that are not in a hidden category, always in catalog
// order (VodSort plays no part).
void RebuildItemList(Catalog& catalog, VodKind kind, const Settings& settings, int& itemCategoryIndex,
                     VisibleList& out);
