#include "catalog/visible_list.h"

#include <algorithm>
#include <thread>
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

std::vector<uint32_t> RanksOf(const std::vector<uint32_t>& order) {
  std::vector<uint32_t> rank(order.size());
  for (uint32_t i = 0; i < uint32_t(order.size()); ++i) rank[order[i]] = i;
  return rank;
}

// A rebuild's rows, read from the prepared orders: one category's rows, or
// every row outside the hidden categories, or the members of a collection.
class LiveRows {
 public:
  LiveRows(const LiveOrders& orders, const ItemList& items, LiveSort sort)
      : orders_(orders), items_(items), sort_(sort) {}

  std::vector<uint32_t> Build(std::u16string_view selectedId, const Settings& settings) const {
    if (selectedId == sc::AddGroup) return {};
    const std::vector<uint8_t> hidden = HiddenOrdinals(settings.HideLive);
    if (selectedId.empty()) return AllRows(hidden);
    if (selectedId == sc::Recent || selectedId == sc::Favorite || selectedId == sc::Lock) {
      const CategoryFilter filter(selectedId, settings.HideLive, settings.HistoryLive, settings.FavLive,
                                  settings.LockCh);
      return Sorted(FilterRows(items_, filter));
    }
    const auto it = orders_.categoryOrdinal.find(std::u16string(selectedId));
    if (it == orders_.categoryOrdinal.end() || hidden[it->second]) return {};
    return Sorted(orders_.rowsOf[it->second]);
  }

 private:
  std::vector<uint8_t> HiddenOrdinals(const IdList& hiddenIds) const {
    std::vector<uint8_t> hidden(orders_.rowsOf.size(), 0);
    for (const std::u16string& id : hiddenIds) {
      const auto it = orders_.categoryOrdinal.find(id);
      if (it != orders_.categoryOrdinal.end()) hidden[it->second] = 1;
    }
    return hidden;
  }

  // "All": one pass over the list's order, skipping hidden categories.
  std::vector<uint32_t> AllRows(const std::vector<uint8_t>& hidden) const {
    std::vector<uint32_t> rows;
    rows.reserve(items_.size());
    auto keep = [&](uint32_t row) {
      if (!hidden[orders_.categoryOf[row]]) rows.push_back(row);
    };
    if (sort_ == LiveSort::NameAscending) for (uint32_t row : orders_.byName) keep(row);
    else if (sort_ == LiveSort::NameDescending)
      for (auto it = orders_.byName.rbegin(); it != orders_.byName.rend(); ++it) keep(*it);
    else if (sort_ == LiveSort::Number) for (uint32_t row : orders_.byNumber) keep(row);
    else for (uint32_t row = 0; row < uint32_t(items_.size()); ++row) keep(row);
    return rows;
  }

  // A subset in the list's order: sorted by the rows' ranks, so a category
  // of 5,000 channels costs 5,000 log 5,000 integer comparisons.
  std::vector<uint32_t> Sorted(std::vector<uint32_t> rows) const {
    const bool byName = sort_ == LiveSort::NameAscending || sort_ == LiveSort::NameDescending;
    const std::vector<uint32_t>* rank = byName                     ? &orders_.nameRank
                                        : sort_ == LiveSort::Number ? &orders_.numberRank
                                                                    : nullptr;
    if (!rank || rows.size() < 2) return rows;
    std::sort(rows.begin(), rows.end(), [rank](uint32_t a, uint32_t b) { return (*rank)[a] < (*rank)[b]; });
    if (sort_ == LiveSort::NameDescending) std::reverse(rows.begin(), rows.end());
    return rows;
  }

  const LiveOrders& orders_;
  const ItemList& items_;
  LiveSort sort_;
};

const LiveOrders& OrdersFor(LiveListSelection& selection, const SharedItems& items) {
  if (!selection.orders || !selection.orders->PreparedFor(items)) selection.orders = PrepareLiveOrders(items);
  return *selection.orders;
}

}  // namespace

// Below this many rows a second thread costs more than it saves.
constexpr size_t kParallelOrderRows = 20000;

std::shared_ptr<const LiveOrders> PrepareLiveOrders(const SharedItems& items) {
  auto orders = std::make_shared<LiveOrders>();
  orders->source = items;
  if (!items) return orders;
  const ItemList& list = *items;
  // The name order is the longest part; on a large list it is sorted on a
  // second thread while this one groups the categories and sorts by number.
  const auto byName = [&list, &orders] {
    orders->byName = SortedOrder(list, [](const CatalogItem& i) { return SortKey(i.name()); });
    orders->nameRank = RanksOf(orders->byName);
  };
  std::thread names;
  if (list.size() >= kParallelOrderRows) {
    names = std::thread(byName);
  } else {
    byName();
  }
  orders->categoryOf.resize(list.size());
  for (uint32_t row = 0; row < uint32_t(list.size()); ++row) {
    const auto [it, added] =
        orders->categoryOrdinal.try_emplace(std::u16string(list[row].categoryId()), uint32_t(orders->rowsOf.size()));
    if (added) orders->rowsOf.emplace_back();
    orders->categoryOf[row] = it->second;
    orders->rowsOf[it->second].push_back(row);
  }
  orders->byNumber = SortedOrder(list, [](const CatalogItem& i) { return i.num(); });
  orders->numberRank = RanksOf(orders->byNumber);
  if (names.joinable()) names.join();
  return orders;
}

void RebuildLiveList(Catalog& catalog, const Settings& settings, LiveListSelection& selection, VisibleList& out) {
  RebuildLiveCategories(catalog.LiveCategories, selection.LiveCategoryIndex);
  const SharedItems items = OrEmpty(catalog.LiveChannels);

  const int group = selection.ActiveGroup;
  if (group >= 0 && group < int(settings.Groups.size())) {
    out = VisibleList(items, GroupRows(*items, settings.Groups[size_t(group)]));
    return;
  }

  const LiveRows rows(OrdersFor(selection, items), *items, LiveSort(settings.LiveSort));
  out = VisibleList(items, rows.Build(SelectedId(catalog.LiveCategories, selection.LiveCategoryIndex), settings));
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
