#pragma once
// The search over the whole catalog: live channels, then movies, then
// series, each in catalog order, at most kSearchLimit results.
//
// Aggregated accounts list a million names, and the search answers on every
// keystroke, so each item list gets a prepared index once: every name folded
// to lower case, laid end to end in one UTF-8 buffer with the channel number
// after it. A keystroke is then one byte-wise substring scan of that buffer
// (half the bytes of UTF-16 for the mostly-Latin names of real lists, and the
// C library's vectorised search). UTF-8 keeps code points whole, so a byte
// match is a match of the folded texts. A new item list (a download) gets a
// new index on its first search unless a job prepared one.
// RunSearch: main thread only; BuildSearchIndex: any thread.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "catalog/catalog_item.h"

inline constexpr size_t kSearchLimit = 200;

// Lower case of one UTF-16 unit: ASCII, Latin-1 and Latin Extended-A,
// Greek and Cyrillic capitals; every other unit is returned unchanged.
char16_t FoldCase(char16_t c);
std::u16string FoldCase(std::u16string_view text);

struct SearchHit {
  ItemKind kind = ItemKind::Live;
  uint32_t index = 0;  // into the kind's item list of the results
  bool operator==(const SearchHit&) const = default;
};

// One item list prepared for searching.
struct SearchIndex {
  std::weak_ptr<const ItemList> source;
  std::string text;               // per item, UTF-8: folded name, U+0001, number, U+000A
  std::vector<uint32_t> starts;   // where each item's part of `text` begins, and its end
  std::vector<uint32_t> numbers;  // where each item's number begins (== its end of name + 1)
};

// The results and the lists they index (kept alive while shown).
struct SearchResultList {
  SharedItems live, movies, series;
  std::vector<SearchHit> hits;

  size_t size() const { return hits.size(); }
  bool empty() const { return hits.empty(); }
  const CatalogItem& operator[](size_t i) const;
  // Results of one kind, in order, as positions into `hits`.
  std::vector<int> OfKind(ItemKind kind) const;
};

// The three prepared indices; rebuilt for a list when it changed.
struct SearchIndexCache {
  SearchIndex live, movies, series;
};

// Prepares `index` for `items` (a catalog job does this off the main thread
// for a new list, so that the first keystroke after a download only scans).
void BuildSearchIndex(SearchIndex& index, const SharedItems& items);

// An item matches when its lower-cased name contains the lower-cased query,
// or its number text contains the query as typed. An empty query finds
// nothing. Scanning stops at kSearchLimit results.
SearchResultList RunSearch(const Catalog& catalog, std::u16string_view query, SearchIndexCache& cache);
