#include "catalog/search.h"

#include <algorithm>
#include <cstring>

#include "net/text.h"

namespace {

constexpr char kNumberMark = '\x01';
constexpr char kItemEnd = '\n';

// Latin Extended-A pairs capitals and small letters as neighbours: the
// capital is even in most runs and odd in two (U+0139..U+0148, U+0179..U+017E).
char16_t FoldLatinExtendedA(char16_t c) {
  if (c == 0x0130) return u'i';
  if (c == 0x0178) return 0x00FF;
  const bool oddCapitals = (c >= 0x0139 && c <= 0x0148) || (c >= 0x0179 && c <= 0x017E);
  if (oddCapitals) return (c % 2 == 1) ? char16_t(c + 1) : c;
  if (c == 0x0138 || c == 0x0149 || c == 0x017F) return c;
  return (c % 2 == 0) ? char16_t(c + 1) : c;
}

char16_t FoldGreek(char16_t c) {
  if (c >= 0x0391 && c <= 0x03A9 && c != 0x03A2) return char16_t(c + 0x20);
  if (c == 0x0386) return 0x03AC;
  if (c >= 0x0388 && c <= 0x038A) return char16_t(c + 37);
  if (c == 0x038C) return 0x03CC;
  if (c == 0x038E || c == 0x038F) return char16_t(c + 63);
  return c;
}

char16_t FoldCyrillic(char16_t c) {
  if (c >= 0x0410 && c <= 0x042F) return char16_t(c + 0x20);
  if (c >= 0x0400 && c <= 0x040F) return char16_t(c + 0x50);
  const bool paired = (c >= 0x0460 && c <= 0x0481) || (c >= 0x048A && c <= 0x04BF) || (c >= 0x04D0 && c <= 0x04FF);
  if (paired && c % 2 == 0) return char16_t(c + 1);
  return c;
}

}  // namespace

namespace {

// Appends `text` as UTF-8, each unit passed through `fold` first. Units
// below 32 become spaces, so that no text can hold the index's separators;
// a lone surrogate becomes U+FFFD, as a typed query never holds one.
template <typename Fold>
void AppendFolded(std::u16string_view text, Fold fold, std::string& out) {
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c < 0x80) {
      out.push_back(c < 32 ? ' ' : char(fold(c)));
      continue;
    }
    char32_t cp = fold(c);
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((char32_t(c) - 0xD800) << 10) + (char32_t(text[i + 1]) - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      cp = 0xFFFD;
    }
    AppendCodePointAsUtf8(cp, out);
  }
}

char16_t Unfolded(char16_t c) { return c; }
char16_t Folded(char16_t c) { return FoldCase(c); }

}  // namespace

void BuildSearchIndex(SearchIndex& index, const SharedItems& items) {
  index = SearchIndex{};
  index.source = items;
  if (!items) return;
  size_t units = 0;
  for (const CatalogItem& item : *items) units += item.name().size() + item.num().size() + 2;
  index.text.reserve(units + units / 8);
  index.starts.reserve(items->size() + 1);
  index.numbers.reserve(items->size());
  for (const CatalogItem& item : *items) {
    index.starts.push_back(uint32_t(index.text.size()));
    AppendFolded(item.name(), Folded, index.text);
    index.text.push_back(kNumberMark);
    index.numbers.push_back(uint32_t(index.text.size()));
    AppendFolded(item.num(), Unfolded, index.text);
    index.text.push_back(kItemEnd);
  }
  index.starts.push_back(uint32_t(index.text.size()));
}

namespace {

SearchIndex& Prepared(SearchIndex& index, const SharedItems& items) {
  if (index.source.lock() != items || (items && index.numbers.size() != items->size())) BuildSearchIndex(index, items);
  return index;
}

// The item whose part of the text holds `pos`.
uint32_t ItemAt(const SearchIndex& index, size_t pos) {
  const auto it = std::upper_bound(index.starts.begin(), index.starts.end(), uint32_t(pos));
  return uint32_t(it - index.starts.begin()) - 1;
}

// Appends the matches of one list, in list order, until the limit.
void Scan(const SearchIndex& index, const CatalogItem* items, ItemKind kind, std::string_view folded,
          std::u16string_view typed, std::vector<SearchHit>& hits) {
  const std::string_view text = index.text;
  size_t pos = 0;
  while (hits.size() < kSearchLimit && pos < text.size()) {
    pos = text.find(folded, pos);
    if (pos == std::string_view::npos) return;
    const uint32_t item = ItemAt(index, pos);
    // A hit in the number part counts only as typed (numbers are not folded).
    bool match = pos < index.numbers[item];
    if (!match) match = items[item].num().find(typed) != std::u16string_view::npos;
    if (match) hits.push_back(SearchHit{kind, item});
    pos = index.starts[item + 1];
  }
}

}  // namespace

char16_t FoldCase(char16_t c) {
  if (c < 0x80) return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c;
  if (c >= 0x00C0 && c <= 0x00DE && c != 0x00D7) return char16_t(c + 32);
  if (c >= 0x0100 && c <= 0x017F) return FoldLatinExtendedA(c);
  if (c >= 0x0386 && c <= 0x03A9) return FoldGreek(c);
  if (c >= 0x0400 && c <= 0x04FF) return FoldCyrillic(c);
  return c;
}

std::u16string FoldCase(std::u16string_view text) {
  std::u16string out(text);
  for (char16_t& c : out) c = FoldCase(c);
  return out;
}

const CatalogItem& SearchResultList::operator[](size_t i) const {
  const SearchHit& hit = hits[i];
  const SharedItems& list = hit.kind == ItemKind::Live ? live : hit.kind == ItemKind::Vod ? movies : series;
  return (*list)[hit.index];
}

std::vector<int> SearchResultList::OfKind(ItemKind kind) const {
  std::vector<int> out;
  for (size_t i = 0; i < hits.size(); ++i)
    if (hits[i].kind == kind) out.push_back(int(i));
  return out;
}

SearchResultList RunSearch(const Catalog& catalog, std::u16string_view query, SearchIndexCache& cache) {
  SearchResultList results;
  results.live = catalog.LiveChannels;
  results.movies = catalog.Movies;
  results.series = catalog.Series;
  // Units below 32 never reach a query from the keyboard; one would match
  // the separators of the prepared text.
  if (query.empty() || std::any_of(query.begin(), query.end(), [](char16_t c) { return c < 32; })) return results;
  std::string folded;
  AppendFolded(query, Folded, folded);
  const struct {
    SearchIndex& index;
    const SharedItems& items;
    ItemKind kind;
  } lists[] = {{cache.live, results.live, ItemKind::Live},
               {cache.movies, results.movies, ItemKind::Vod},
               {cache.series, results.series, ItemKind::Series}};
  for (const auto& list : lists) {
    if (!list.items || list.items->empty()) continue;
    Scan(Prepared(list.index, list.items), list.items->data(), list.kind, folded, query, results.hits);
  }
  return results;
}
