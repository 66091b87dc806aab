#pragma once
// A large, realistic live catalog for the catalog benchmarks: provider-style
// names with country prefixes and decorations, some non-ASCII, ~70-character
// icon URLs and ~60-character stream URLs.
#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "catalog/catalog_item.h"

inline std::u16string AsciiLikeNumber(int value) {
  const std::string digits = std::to_string(value);
  return std::u16string(digits.begin(), digits.end());
}

// `bigEvery` > 0 puts every bigEvery-th channel into the first category, so
// that one category is provider-sized (170,000 / 34 = 5,000 channels).
inline Catalog MakeBenchCatalog(int channels, int categories = 600, int bigEvery = 0) {
  static const std::array<std::u16string_view, 8> prefixes = {u"UK: ", u"|FR| ", u"\u2605 DE ", u"US - ",
                                                              u"AR: ", u"[PT] ", u"",      u"IT| "};
  static const std::array<std::u16string_view, 8> words = {u"Sky Sports", u"BBC One", u"Canal+ S\u00e9ries",
                                                           u"\u041f\u0435\u0440\u0432\u044b\u0439 \u043a\u0430\u043d\u0430\u043b",
                                                           u"beIN Sports", u"M\u00fcnchen TV", u"RAI Uno", u"ESPN"};
  static const std::array<std::u16string_view, 4> suffixes = {u" HD", u" FHD *", u" 4K", u" (backup)"};

  Catalog catalog;
  for (int c = 0; c < categories; ++c) {
    catalog.LiveCategories.push_back(Category{u"Category " + AsciiLikeNumber(c), AsciiLikeNumber(1000 + c)});
  }

  auto list = std::make_shared<ItemList>();
  list->reserve(size_t(channels));
  uint32_t seed = 12345;
  auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
  for (int i = 0; i < channels; ++i) {
    const std::u16string id = AsciiLikeNumber(100000 + i);
    std::u16string name(prefixes[next() >> 29]);
    name += words[next() >> 29];
    name += u' ';
    name += AsciiLikeNumber(int((next() >> 8) % 500));
    name += suffixes[next() >> 30];
    std::u16string categoryId = AsciiLikeNumber(1000 + int((next() >> 8) % uint32_t(categories)));
    if (bigEvery > 0 && i % bigEvery == 0) categoryId = u"1000";
    const std::u16string epg = u"channel" + AsciiLikeNumber(i) + u".uk";
    const std::u16string icon = u"http://images.provider-cdn.example.net/logos/2023/channels/" + id + u"_logo.png";
    const std::u16string url = u"http://line.provider.example:8080/live/user01/pass02/" + id + u".ts";
    const std::u16string num = AsciiLikeNumber(i + 1);
    const std::u16string added = u"1699" + AsciiLikeNumber(100000 + i);
    CatalogItem::Fields f{id, name, categoryId, epg, u"ts", icon, num, url, added, u""};
    list->emplace_back(ItemKind::Live, f, int32_t((next() >> 30) == 0 ? 1 : 0));
  }
  catalog.LiveChannels = std::move(list);
  return catalog;
}

// The browsing catalog of 230,000 items: 170,000 live channels (one
// category of about 5,000 among 600), 50,000 movies and 10,000 series.
inline Catalog MakeBrowseBenchCatalog() {
  Catalog c = MakeBenchCatalog(170000, 600, 34);
  const Catalog extra = MakeBenchCatalog(50000, 50);
  auto retitled = [&](int count, ItemKind kind) {
    auto list = std::make_shared<ItemList>();
    list->reserve(size_t(count));
    for (int i = 0; i < count; ++i) {
      const CatalogItem& source = (*extra.LiveChannels)[size_t(i)];
      CatalogItem::Fields f = source.fields();
      const std::u16string url = source.url();
      f.url = url;
      list->emplace_back(kind, f, 0);
    }
    return list;
  };
  c.Movies = retitled(50000, ItemKind::Vod);
  c.Series = retitled(10000, ItemKind::Series);
  return c;
}
