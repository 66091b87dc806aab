#include "catalog/visible_list.h"

#include <algorithm>
#include <utility>

#include "catalog/categories.h"
#include "catalog/special_categories.h"
#include "store/id_set.h"

VisibleList::VisibleList(SharedItems items, std::vector<uint32_t> rows)
    : items_(std::move(items)), rows_(std::move(rows)) {}

int VisibleList::find(std::u16string_view id) const {
  for (size_t row = 0; row < rows_.size(); ++row) {
    if ((*this)[row].id() == id) return int(row);
  }
  return -1;
}

void VisibleList::clear() {
  items_.reset();
  rows_.clear();
}

namespace {

namespace sc = SpecialCategory;

// Which items of a kind a category shows, decided once per rebuild so the
// per-item test is a hash lookup or a text comparison, never a scan of a
// collection.
class CategoryFilter {
 public:
  CategoryFilter(std::u16string_view selectedId, const IdList& hidden, const IdList& history, const IdList& favorites,
                 const IdList& locked)
      : selectedId_(selectedId), hidden_(hidden) {
    if (selectedId == sc::Recent) members_ = IdSet(history);
    if (selectedId == sc::Favorite) members_ = IdSet(favorites);
    if (selectedId == sc::Lock) members_ = IdSet(locked);
    byMembership_ = selectedId == sc::Recent || selectedId == sc::Favorite || selectedId == sc::Lock;
  }

  bool listsNothing() const { return selectedId_ == sc::AddGroup; }

  bool keeps(const CatalogItem& item) const {
    if (!hidden_.empty() && hidden_.contains(item.categoryId())) return false;
    if (byMembership_) return members_.contains(item.id());
    if (selectedId_.empty()) return true;
    return item.categoryId() == selectedId_;
  }

 private:
  std::u16string_view selectedId_;
  IdSet hidden_;
  IdSet members_;
  bool byMembership_ = false;
};

// A catalog member reset by hand may hold no list; it shows as empty.
SharedItems OrEmpty(const SharedItems& items) { return items ? items : std::make_shared<const ItemList>(); }

std::u16string_view SelectedId(const std::vector<Category>& categories, int index) {
  if (index < 0 || index >= int(categories.size())) return {};
  return categories[size_t(index)].id;
}

std::vector<uint32_t> FilterRows(const ItemList& items, const CategoryFilter& filter) {
  std::vector<uint32_t> rows;
  if (filter.listsNothing()) return rows;
  for (uint32_t i = 0; i < uint32_t(items.size()); ++i) {
    if (filter.keeps(items[i])) rows.push_back(i);
  }
  return rows;
}

std::vector<uint32_t> GroupRows(const ItemList& items, const ChannelGroup& group) {
  const IdSet members(group.ids);
  std::vector<uint32_t> rows;
  for (uint32_t i = 0; i < uint32_t(items.size()); ++i) {
    if (members.contains(items[i].id())) rows.push_back(i);
  }
  return rows;
}

enum class LiveSort : int { Catalog = 0, NameAscending = 1, NameDescending = 2, Number = 3 };

// Sorting keys ordinally, eight code units at a time: each row carries the
// next eight units of its key packed into two integers (integer order is
// the units' ordinal order, missing units count as 0) and the number of
// units left, capped at 9. Rows are sorted by those; runs that still tie
// with more than eight units left are refined on the next eight. Compared
// with comparing whole texts this keeps almost every comparison in the
// array instead of in item texts spread over the heap, which matters on
// provider lists where thousands of names share a prefix like "UK: Sky ".
struct KeyedRow {
  uint64_t head0 = 0;
  uint64_t head1 = 0;
  uint32_t left = 0;
  uint32_t row = 0;
  std::u16string_view key;
};

uint64_t PackUnits(std::u16string_view key, size_t offset) {
  uint64_t packed = 0;
  for (size_t i = offset; i < offset + 4; ++i) packed = (packed << 16) | (i < key.size() ? key[i] : 0u);
  return packed;
}

void LoadHeads(KeyedRow& k, size_t offset) {
  k.head0 = PackUnits(k.key, offset);
  k.head1 = PackUnits(k.key, offset + 4);
  k.left = uint32_t(std::min<size_t>(k.key.size() - std::min(k.key.size(), offset), 9));
}

bool SameHeads(const KeyedRow& a, const KeyedRow& b) {
  return a.head0 == b.head0 && a.head1 == b.head1 && a.left == b.left;
}

// Beyond this many units a tie is settled by comparing the rest of the texts,
// which keeps the recursion shallow whatever the names hold.
constexpr size_t kMaxRefinedUnits = 64;

void SortKeyed(std::vector<KeyedRow>::iterator first, std::vector<KeyedRow>::iterator last, size_t offset) {
  if (offset >= kMaxRefinedUnits) {
    std::sort(first, last, [](const KeyedRow& a, const KeyedRow& b) { return a.key < b.key; });
    return;
  }
  for (auto it = first; it != last; ++it) LoadHeads(*it, offset);
  std::sort(first, last, [](const KeyedRow& a, const KeyedRow& b) {
    if (a.head0 != b.head0) return a.head0 < b.head0;
    if (a.head1 != b.head1) return a.head1 < b.head1;
    return a.left < b.left;
  });
  for (auto run = first; run != last;) {
    auto end = std::find_if(run + 1, last, [&](const KeyedRow& k) { return !SameHeads(k, *run); });
    if (run->left == 9 && end - run > 1) SortKeyed(run, end, offset + 8);
    run = end;
  }
}

// Every row of `items`, ordered ordinally by `keyOf`.
template <class KeyOf>
std::vector<uint32_t> SortedOrder(const ItemList& items, KeyOf keyOf) {
  std::vector<KeyedRow> keyed(items.size());
  for (uint32_t row = 0; row < uint32_t(items.size()); ++row) {
    keyed[row].row = row;
    keyed[row].key = keyOf(items[row]);
  }
  SortKeyed(keyed.begin(), keyed.end(), 0);
  std::vector<uint32_t> order(keyed.size());
  for (size_t i = 0; i < keyed.size(); ++i) order[i] = keyed[i].row;
  return order;
}

const std::vector<uint32_t>& CachedOrder(LiveSortCache& cache, const SharedItems& items, LiveSort sort) {
  if (cache.source.lock() != items) cache = LiveSortCache{items, std::nullopt, std::nullopt};
  if (sort == LiveSort::Number) {
    if (!cache.byNumber) cache.byNumber = SortedOrder(*items, [](const CatalogItem& i) { return i.num(); });
    return *cache.byNumber;
  }
  if (!cache.byName) cache.byName = SortedOrder(*items, [](const CatalogItem& i) { return SortKey(i.name()); });
  return *cache.byName;
}

// Puts the filtered rows into the list's sort order: one pass over the
// cached order, keeping the rows that passed the filter.
void SortRows(LiveSortCache& cache, const SharedItems& items, LiveSort sort, std::vector<uint32_t>& rows) {
  if (sort != LiveSort::NameAscending && sort != LiveSort::NameDescending && sort != LiveSort::Number) return;
  if (rows.size() < 2) return;
  const std::vector<uint32_t>& order = CachedOrder(cache, items, sort);
  std::vector<uint8_t> kept(items->size(), 0);
  for (uint32_t row : rows) kept[row] = 1;
  rows.clear();
  if (sort == LiveSort::NameDescending) {
    for (auto it = order.rbegin(); it != order.rend(); ++it) {
      if (kept[*it]) rows.push_back(*it);
    }
  } else {
    for (uint32_t row : order) {
      if (kept[row]) rows.push_back(row);
    }
  }
}

}  // namespace

void RebuildLiveList(Catalog& catalog, const Settings& settings, LiveListSelection& selection, VisibleList& out) {
  RebuildLiveCategories(catalog.LiveCategories, selection.LiveCategoryIndex);
  const SharedItems items = OrEmpty(catalog.LiveChannels);

  const int group = selection.ActiveGroup;
  if (group >= 0 && group < int(settings.Groups.size())) {
    out = VisibleList(items, GroupRows(*items, settings.Groups[size_t(group)]));
    return;
  }

  const CategoryFilter filter(SelectedId(catalog.LiveCategories, selection.LiveCategoryIndex), settings.HideLive,
                              settings.HistoryLive, settings.FavLive, settings.LockCh);
  std::vector<uint32_t> rows = FilterRows(*items, filter);
  SortRows(selection.sortCache, items, LiveSort(settings.LiveSort), rows);
  out = VisibleList(items, std::move(rows));
}

void RebuildItemList(Catalog& catalog, VodKind kind, const Settings& settings, int& itemCategoryIndex,
                     VisibleList& out) {
  std::vector<Category>& categories = CategoriesOf(catalog, kind);
  RebuildVodCategories(categories, itemCategoryIndex);
  const SharedItems items = OrEmpty(ItemsOf(catalog, kind));

  const bool movies = kind == VodKind::Movies;
  const CategoryFilter filter(SelectedId(categories, itemCategoryIndex), movies ? settings.HideVod : settings.HideSeries,
                              movies ? settings.HistoryMovies : settings.HistorySeries,
                              movies ? settings.FavVod : settings.FavSeries, settings.LockCh);
  out = VisibleList(items, FilterRows(*items, filter));
}
