// The catalog cache's kind files.
#include "catalog/catalog_cache.h"
#include "tests/fuzz/fuzz_target.h"

VISTRA_FUZZ_TARGET(cache_file) {
  std::vector<Category> categories;
  SharedItems items;
  const bool any = ParseCacheText(input, categories, items);
  if (!items) {
    FUZZ_CHECK(!any);
    return;
  }
  FUZZ_CHECK(any == !items->empty());
  for (const CatalogItem& item : *items) FUZZ_CHECK(!item.id().empty());
  // What was read writes out as a file that reads back to the same items.
  std::vector<Category> categoriesAgain;
  SharedItems itemsAgain;
  ParseCacheText(CacheFileText(categories, *items), categoriesAgain, itemsAgain);
  FUZZ_CHECK(itemsAgain && itemsAgain->size() == items->size());
  FUZZ_CHECK(categoriesAgain.size() == categories.size());
}
