// The Xtream list answers: categories, live streams, movies and series.
#include "catalog/xtream_client.h"
#include "tests/fuzz/fuzz_target.h"

VISTRA_FUZZ_TARGET(xtream_lists) {
  const XtreamAccount account{u"http://h:8080", u"u", u"p", true};
  for (const Category& category : ParseServerCategories(input)) FUZZ_CHECK(!category.id.empty());
  const SharedItems live = ParseLiveStreams(input, account, u"m3u8");
  for (const CatalogItem& item : *live) {
    FUZZ_CHECK(!item.id().empty());
    FUZZ_CHECK(item.url().starts_with(u"http://h:8080/live/u/p/"));
    FUZZ_CHECK(item.url().ends_with(u".m3u8"));
  }
  for (const VodKind kind : {VodKind::Movies, VodKind::Series}) {
    const SharedItems items = ParseVodOrSeries(input, account, kind);
    for (const CatalogItem& item : *items) {
      FUZZ_CHECK(!item.id().empty() && !item.containerExt().empty());
    }
  }
}
