#pragma once
// Live channels for tests that need a list of them: each named
// "Channel <id>", in category "1", without archive.
#include <memory>
#include <string>
#include <string_view>

#include "catalog/catalog_item.h"
#include "net/text.h"

inline CatalogItem TestChannel(std::u16string_view id, std::u16string_view num = {}) {
  const std::u16string name = u"Channel " + std::u16string(id);
  CatalogItem::Fields f{};
  f.id = id;
  f.name = name;
  f.num = num;
  f.categoryId = u"1";
  return CatalogItem(ItemKind::Live, f, 0);
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
