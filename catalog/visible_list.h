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
#include <string>
#include <string_view>
#include <unordered_map>
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

// What a live rebuild needs of one item list, prepared once per list: the
// name and number orders (sorting 170,000 names costs several frames) and
// the rows of each category (a category change then copies its rows instead
// of comparing every item's category id). The catalog jobs prepare it before
// they post a new list, so the main thread never pays for the sort; a list
// that arrives without it (tests, the hidden-categories picker before any
// download) is prepared on its first rebuild.
struct LiveOrders {
  std::weak_ptr<const ItemList> source;
  std::vector<uint32_t> categoryOf;                             // per row: its category's ordinal
  std::unordered_map<std::u16string, uint32_t> categoryOrdinal;  // category id -> ordinal
  std::vector<std::vector<uint32_t>> rowsOf;                    // per ordinal: its rows in catalog order
  std::vector<uint32_t> byName, byNumber;                       // rows by ascending SortKey / num text
  std::vector<uint32_t> nameRank, numberRank;                   // per row: its position in those orders

  bool PreparedFor(const SharedItems& items) const { return source.lock() == items; }
};

std::shared_ptr<const LiveOrders> PrepareLiveOrders(const SharedItems& items);

// What selects the live list, and what the live list keeps between
// rebuilds. Owned by the navigation state; main thread only.
struct LiveListSelection {
  int LiveCategoryIndex = 2;  // into Catalog::LiveCategories; 2 is "All"
  int ActiveGroup = -1;       // into Settings::Groups; -1 when no group filters
  std::shared_ptr<const LiveOrders> orders;  // of the list last shown
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
