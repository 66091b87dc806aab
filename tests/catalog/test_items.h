// Catalog items for tests, built from the few fields a test names; the
// others stay empty. The item copies the texts, so they need only outlive
// the call.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "catalog/catalog_item.h"
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

// Channels <prefix>1 to <prefix><count>, numbered 1 to count.
inline std::shared_ptr<ItemList> TestChannels(std::u16string_view prefix, int count) {
  auto list = std::make_shared<ItemList>();
  for (int i = 1; i <= count; ++i) {
    const std::u16string n = AsciiToWide(std::to_string(i));
    list->push_back(TestChannel(std::u16string(prefix) + n, n));
  }
  return list;
}
