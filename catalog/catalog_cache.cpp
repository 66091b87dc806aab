#include "catalog/catalog_cache.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <limits>
#include <system_error>

#include "net/text.h"
#include "store/data_folder.h"
#include "store/file_io.h"

namespace {

constexpr std::string_view kMagic = "VS43C1";
constexpr const char* kMetaFile = "meta.txt";
constexpr std::array<const char*, 3> kKindFiles = {"live.tsv", "vod.tsv", "series.tsv"};
// Read bounds: meta.txt holds one URL; a kind file of a million items runs
// to a few hundred megabytes.
constexpr uint64_t kMetaFileBound = 1024 * 1024;
constexpr uint64_t kKindFileBound = 2048ull * 1024 * 1024;

// The fields of an item line, in file order.
enum Field : size_t { kTag, kId, kName, kKind, kCategoryId, kEpg, kExt, kIcon, kNum, kUrl, kArchive, kAdded, kRating };
constexpr size_t kItemFields = 13;
constexpr size_t kItemFieldsWithoutRating = 12;

// ---- Writing -------------------------------------------------------------

// The field as UTF-8 with its tabs and line feeds turned into spaces, so it
// can neither split a line nor shift the fields after it. UTF-8 continuation
// bytes are never 0x09 or 0x0A, so replacing bytes after conversion is safe.
void AppendField(std::string& out, std::u16string_view field) {
  const size_t start = out.size();
  AppendWideAsUtf8(field, out);
  for (size_t i = start; i < out.size(); ++i) {
    if (out[i] == '\t' || out[i] == '\n') out[i] = ' ';
  }
}

void AppendNumber(std::string& out, int32_t value) {
  char digits[16];
  const auto result = std::to_chars(digits, digits + sizeof digits, value);
  out.append(digits, result.ptr);
}

void AppendItemLine(std::string& out, const CatalogItem& item) {
  const std::array<std::u16string_view, 8> leading = {item.id(),           item.name(),         item.kind(),
                                                      item.categoryId(),   item.epgChannelId(), item.containerExt(),
                                                      item.icon(),         item.num()};
  out += 'I';
  for (auto field : leading) {
    out += '\t';
    AppendField(out, field);
  }
  out += '\t';
  AppendField(out, item.url());
  out += '\t';
  AppendNumber(out, item.tvArchive());
  out += '\t';
  AppendField(out, item.added());
  out += '\t';
  AppendField(out, item.rating());
  out += '\n';
}

// ---- Reading -------------------------------------------------------------

// Fills `fields` with the first tab-separated fields of `line` and returns
// how many fields the line has, counting those beyond the array. An empty
// last field counts.
size_t SplitTabs(std::u16string_view line, std::array<std::u16string_view, kItemFields>& fields) {
  size_t count = 0;
  size_t begin = 0;
  while (true) {
    const size_t tab = line.find(u'\t', begin);
    const size_t end = tab == std::u16string_view::npos ? line.size() : tab;
    if (count < fields.size()) fields[count] = line.substr(begin, end - begin);
    ++count;
    if (tab == std::u16string_view::npos) return count;
    begin = tab + 1;
  }
}

// A decimal integer the way the C library reads one: leading blanks, an
// optional sign, digits up to the first non-digit; no digits give 0. Values
// beyond 32 bits are clamped instead of overflowing.
int32_t ParseArchive(std::u16string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == u' ' || text[i] == u'\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) negative = text[i++] == u'-';
  int64_t value = 0;
  for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
    value = std::min<int64_t>(value * 10 + (text[i] - u'0'), int64_t(std::numeric_limits<int32_t>::max()) + 1);
  }
  if (negative) value = -value;
  return int32_t(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

CatalogItem ItemFromFields(const std::array<std::u16string_view, kItemFields>& f, size_t count) {
  CatalogItem::Fields fields;
  fields.id = f[kId];
  fields.name = f[kName];
  fields.categoryId = f[kCategoryId];
  fields.epgChannelId = f[kEpg];
  fields.containerExt = f[kExt];
  fields.icon = f[kIcon];
  fields.num = f[kNum];
  fields.url = f[kUrl];
  fields.added = f[kAdded];
  fields.rating = count >= kItemFields ? f[kRating] : std::u16string_view();
  return CatalogItem(KindFromText(f[kKind]), fields, ParseArchive(f[kArchive]));
}

std::string_view FirstLine(std::string_view text) { return text.substr(0, text.find('\n')); }

bool MetaNames(const std::filesystem::path& dir, std::u16string_view playlistUrl) {
  const auto meta = ReadWholeFile(dir / kMetaFile, kMetaFileBound);
  return meta && Utf8ToWide(FirstLine(*meta)) == playlistUrl;
}

}  // namespace

std::filesystem::path CatalogDir() {
  auto dir = EnsureDataFolder() / "catalog";
  std::error_code ignored;
  std::filesystem::create_directories(dir, ignored);
  return dir;
}

std::string CacheFileText(const std::vector<Category>& categories, const ItemList& items) {
  std::string out;
  // Typical provider lines are 200-300 bytes; one reservation avoids most
  // regrowth of a text that reaches tens of megabytes.
  out.reserve(16 + categories.size() * 48 + items.size() * 256);
  out.append(kMagic).append("\n");
  for (const Category& c : categories) {
    out += "C\t";
    AppendField(out, c.id);
    out += '\t';
    AppendField(out, c.name);
    out += '\n';
  }
  for (const CatalogItem& item : items) AppendItemLine(out, item);
  return out;
}

void SaveCatalogCache(const Catalog& catalog, std::u16string_view playlistUrl) {
  const auto dir = CatalogDir();
  // Kind files always belong to the playlist meta.txt names. When that
  // changes, the old playlist's files go before the new name is written, so
  // a kind that is empty now cannot pass for the new playlist's later.
  if (!MetaNames(dir, playlistUrl)) {
    std::error_code ignored;
    for (const char* name : kKindFiles) std::filesystem::remove(dir / name, ignored);
  }
  std::string meta = WideToUtf8(playlistUrl);
  meta += '\n';
  if (!WriteFileAtomically(dir / kMetaFile, meta)) return;

  const std::array<const std::vector<Category>*, 3> categories = {&catalog.LiveCategories, &catalog.MovieCategories,
                                                                  &catalog.SeriesCategories};
  const std::array<const SharedItems*, 3> items = {&catalog.LiveChannels, &catalog.Movies, &catalog.Series};
  for (size_t kind = 0; kind < kKindFiles.size(); ++kind) {
    const SharedItems& list = *items[kind];
    if (!list || list->empty()) continue;
    WriteFileAtomically(dir / kKindFiles[kind], CacheFileText(*categories[kind], *list));
  }
}

bool ParseCacheFile(const std::filesystem::path& path, std::vector<Category>& categories, SharedItems& items) {
  const auto bytes = ReadWholeFile(path, kKindFileBound);
  return bytes && ParseCacheText(*bytes, categories, items);
}

bool ParseCacheText(std::string_view text, std::vector<Category>& categories, SharedItems& items) {
  const std::string_view first = FirstLine(text);
  if (first.size() < kMagic.size() || first.find(kMagic) == std::string_view::npos) return false;

  std::vector<Category> readCategories;
  auto readItems = std::make_shared<ItemList>();
  readItems->reserve(size_t(std::count(text.begin(), text.end(), '\n')));

  // One conversion buffer serves every line; fields are views into it and
  // each item copies its texts into its own single allocation.
  std::u16string wide;
  std::array<std::u16string_view, kItemFields> fields;
  size_t pos = first.size() + 1;
  while (pos < text.size()) {
    const size_t newline = text.find('\n', pos);
    const size_t end = newline == std::string_view::npos ? text.size() : newline;
    std::string_view line = text.substr(pos, end - pos);
    pos = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    // Only "C" and "I" lines carry data; skip the rest before converting.
    if (line.size() < 2 || line[1] != '\t' || (line[0] != 'C' && line[0] != 'I')) continue;

    wide.clear();
    AppendUtf8AsWide(line, wide);
    const size_t count = SplitTabs(wide, fields);
    if (line[0] == 'C') {
      if (count >= 3) readCategories.push_back(Category{std::u16string(fields[2]), std::u16string(fields[1])});
    } else if (count >= kItemFieldsWithoutRating && !fields[kId].empty()) {
      readItems->push_back(ItemFromFields(fields, count));
    }
  }

  categories = std::move(readCategories);
  items = std::move(readItems);
  return !items->empty();
}

bool LoadCatalogCache(std::u16string_view playlistUrl, Catalog& out) {
  const auto dir = CatalogDir();
  if (!MetaNames(dir, playlistUrl)) return false;
  const bool live = ParseCacheFile(dir / kKindFiles[0], out.LiveCategories, out.LiveChannels);
  ParseCacheFile(dir / kKindFiles[1], out.MovieCategories, out.Movies);
  ParseCacheFile(dir / kKindFiles[2], out.SeriesCategories, out.Series);
  return live;
}
