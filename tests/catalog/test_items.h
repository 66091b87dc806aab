// Catalog items for tests, built from the few fields a test names; the
// others stay empty. The item copies the texts, so they need only outlive
// the call.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "catalog/catalog_item.h"
#include "catalog/categories.h"
#include "net/text.h"

struct TestFields {
  std::u16string_view id{}, name{}, categoryId{}, epgChannelId{}, containerExt{}, icon{}, num{}, url{};
};

inline CatalogItem TestItem(ItemKind kind, const TestFields& f, int32_t tvArchive = 0) {
  return CatalogItem(
      kind, CatalogItem::Fields{f.id, f.name, f.categoryId, f.epgChannelId, f.containerExt, f.icon, f.num, f.url, {}, {}},
      tvArchive);
}

// A live channel named "Channel <id>", in category "1", without archive.
inline CatalogItem TestChannel(std::u16string_view id, std::u16string_view num = {}) {
  const std::u16string name = u"Channel " + std::u16string(id);
  return TestItem(ItemKind::Live, {.id = id, .name = name, .categoryId = u"1", .num = num});
}

// Items of `kind` <prefix>1 to <prefix><count>, numbered 1 to count, named as
// TestChannel names them, in `category`.
inline std::shared_ptr<ItemList> TestItems(ItemKind kind, std::u16string_view prefix, int count,
                                           std::u16string_view category = u"1") {
  auto list = std::make_shared<ItemList>();
  for (int i = 1; i <= count; ++i) {
    const std::u16string n = AsciiToWide(std::to_string(i)), id = std::u16string(prefix) + n, name = u"Channel " + id;
    list->push_back(TestItem(kind, {.id = id, .name = name, .categoryId = category, .num = n}));
  }
  return list;
}

inline std::shared_ptr<ItemList> TestChannels(std::u16string_view prefix, int count) {
  return TestItems(ItemKind::Live, prefix, count);
}

// A live category list as a download leaves it: the specials (whose names
// and order categories_test pins), then the provider's own categories as
// given.
inline std::vector<Category> TestLiveCategories(const std::vector<Category>& provider) {
  std::vector<Category> list;
  int index = kLiveAllIndex;
  RebuildLiveCategories(list, index);
  list.insert(list.end(), provider.begin(), provider.end());
  return list;
}
