#pragma once
// The catalog cache: the last downloaded catalog on disk, so that a start
// shows it at once. Four files in the data folder's "catalog" folder, UTF-8,
// lines ended by a single line feed:
//
//   meta.txt                       the playlist URL the cache belongs to
//   live.tsv, vod.tsv, series.tsv  "VS43C1", then "C" <tab> id <tab> name per
//                                  category and a 13-field "I" line per item
//
// Text fields are written as they are, except that tabs and line feeds
// inside them become spaces. Every file is written to a temporary file and
// renamed over the old one, so a crash never leaves a half-written file.
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "catalog/catalog_item.h"

// Data folder + "catalog", created with missing parents (errors ignored).
std::filesystem::path CatalogDir();

// Writes meta.txt naming `playlistUrl`, then each kind file whose item list
// is not empty; a kind whose list is empty keeps its old file when the cache
// already belonged to this playlist. When it belonged to another playlist
// (or to none), the old kind files are removed first, so a kind that failed
// to download is never later taken for the new playlist's. Failures are
// silent. Any thread, given a catalog that nobody changes meanwhile (a job
// passes its own copy); never concurrently with another save or a load.
void SaveCatalogCache(const Catalog& catalog, std::u16string_view playlistUrl);

// Fills `out` from the cache when meta.txt names exactly `playlistUrl`
// (nothing else is read otherwise). Each kind's lists are replaced only when
// its file has the right first line. Returns true when the live file gave
// at least one channel.
bool LoadCatalogCache(std::u16string_view playlistUrl, Catalog& out);

// Reads one kind file. A missing file or a first line without the magic
// leaves both lists untouched and returns false; otherwise both lists are
// replaced by what the file holds (lines that are neither a category nor an
// item with an id are skipped) and the result says whether any item came.
bool ParseCacheFile(const std::filesystem::path& path, std::vector<Category>& categories, SharedItems& items);
// The same for a kind file's text.
bool ParseCacheText(std::string_view text, std::vector<Category>& categories, SharedItems& items);

// The exact bytes of one kind file. An item line's fields: I, id, name,
// kind, categoryId, epgChannelId, containerExt, icon, num, url, tvArchive
// (decimal, minus sign when negative), added, rating.
std::string CacheFileText(const std::vector<Category>& categories, const ItemList& items);
