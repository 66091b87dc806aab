// Catalog items for tests, built from the few fields a test names; the
// others stay empty. The item copies the texts, so they need only outlive
// the call.
#pragma once

#include <cstdint>
#include <string_view>

#include "catalog/catalog_item.h"

struct TestFields {
  std::u16string_view id{}, name{}, categoryId{}, epgChannelId{}, containerExt{}, icon{}, num{}, url{};
};

inline CatalogItem TestItem(ItemKind kind, const TestFields& f, int32_t tvArchive = 0) {
  return CatalogItem(
      kind, CatalogItem::Fields{f.id, f.name, f.categoryId, f.epgChannelId, f.containerExt, f.icon, f.num, f.url, {}, {}},
      tvArchive);
}
