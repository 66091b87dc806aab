#pragma once
// Which lists of the catalog a merge replaced; `fromCache` when they came
// from the cache at start (the Live list then selects its default channel).
struct CatalogChange {
  bool live = false, movies = false, series = false;
  bool fromCache = false;
};
