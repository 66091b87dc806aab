#include "catalog/catalog_cache.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <limits>
#include <cstring>
#include <memory>
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

// Appends the field as UTF-8 with its tabs and line feeds turned into
// spaces, so it can neither split a line nor shift the fields after it.
// ASCII is copied straight into the output; the first other unit hands the
// rest to the one encoder (UTF-8 continuation bytes are never 0x09 or 0x0A,
// so replacing bytes after conversion is safe).
void AppendField(std::string& out, std::u16string_view field) {
  const size_t start = out.size();
  out.resize(start + field.size());
  char* to = out.data() + start;
  size_t i = 0;
  for (; i < field.size() && field[i] < 0x80; ++i) {
    const char c = char(field[i]);
    to[i] = c == '\t' || c == '\n' ? ' ' : c;
  }
  if (i == field.size()) return;
  out.resize(start + i);
  const size_t rest = out.size();
  AppendWideAsUtf8(field.substr(i), out);
  for (size_t k = rest; k < out.size(); ++k) {
    if (out[k] == '\t' || out[k] == '\n') out[k] = ' ';
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
  const CatalogItem::UrlPieces url = item.urlPieces();
  AppendField(out, url.prefix);
  AppendField(out, url.id);
  AppendField(out, url.suffix);
  out += '\t';
  AppendNumber(out, item.tvArchive());
  out += '\t';
  AppendField(out, item.added());
  out += '\t';
  AppendField(out, item.rating());
  out += '\n';
}

// ---- Reading -------------------------------------------------------------

// A decimal integer the way the C library reads one: leading blanks, an
// optional sign, digits up to the first non-digit; no digits give 0. Values
// beyond 32 bits are clamped instead of overflowing.
int32_t ParseArchive(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  int64_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = std::min<int64_t>(value * 10 + (text[i] - '0'), int64_t(std::numeric_limits<int32_t>::max()) + 1);
  }
  if (negative) value = -value;
  return int32_t(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

ItemKind KindFromUtf8(std::string_view text) {
  if (text == "vod") return ItemKind::Vod;
  if (text == "series") return ItemKind::Series;
  return ItemKind::Live;
}

// Turns the UTF-8 fields of one line into UTF-16 views of one buffer that
// every line of a thread reuses, so a line costs no allocation but its
// item's own. Tabs are ASCII and never part of a longer sequence, so
// splitting the bytes first splits the text exactly as converting first.
class LineFields {
 public:
  // Splits `line` at its tabs; returns how many fields it has, counting
  // those beyond kItemFields. An empty last field counts.
  size_t Split(std::string_view line) {
    size_t count = 0;
    size_t begin = 0;
    while (true) {
      const void* tab = std::memchr(line.data() + begin, '\t', line.size() - begin);
      const size_t end = tab ? size_t(static_cast<const char*>(tab) - line.data()) : line.size();
      if (count < kItemFields) bytes_[count] = line.substr(begin, end - begin);
      ++count;
      if (!tab) return count;
      begin = end + 1;
    }
  }
  std::string_view Bytes(size_t field) const { return bytes_[field]; }

  // The fields [first, first + n) as UTF-16 views, valid until the next call.
  // They stand one tab apart in the line and are converted as one text:
  // a tab converts to itself and nothing else converts to a tab, so the
  // converted text splits at its tabs exactly as the bytes did.
  template <size_t n>
  std::array<std::u16string_view, n> Wide(size_t first, size_t available) {
    std::array<std::u16string_view, n> out;
    const size_t count = std::min(n, available > first ? available - first : 0);
    if (count == 0) return out;
    const char* begin = bytes_[first].data();
    const std::string_view span(begin, size_t(bytes_[first + count - 1].data() - begin) + bytes_[first + count - 1].size());
    // UTF-16 never takes more units than UTF-8 bytes.
    if (span.size() > capacity_) {
      capacity_ = std::max(span.size(), 2 * capacity_);
      wide_ = std::make_unique<char16_t[]>(capacity_);
    }
    const char16_t* wide = wide_.get();
    const size_t units = Utf8ToWideInto(span, wide_.get());
    // No byte sequence gives more units than it has bytes, so as many units
    // as bytes means one unit per byte: each field sits where its bytes do.
    if (units == span.size()) {
      for (size_t k = 0; k < count; ++k)
        out[k] = std::u16string_view(wide + (bytes_[first + k].data() - begin), bytes_[first + k].size());
      return out;
    }
    const std::u16string_view all(wide, units);
    size_t at = 0;
    for (size_t k = 0; k < count; ++k) {
      const size_t tab = k + 1 < count ? std::min(all.find(u'\t', at), units) : units;
      out[k] = all.substr(at, tab - at);
      at = std::min(tab + 1, units);
    }
    return out;
  }

 private:
  std::array<std::string_view, kItemFields> bytes_;
  std::unique_ptr<char16_t[]> wide_;
  size_t capacity_ = 0;
};

// What a kind file holds.
struct ParsedPart {
  std::vector<Category> categories;
  ItemListBuilder items;
};

// Line feeds found by memchr, which looks at many bytes at once: a count
// byte by byte took as long as reading the lines.
size_t CountLines(std::string_view text) {
  size_t lines = 1;
  const char* at = text.data();
  const char* const end = at + text.size();
  while (const void* newline = std::memchr(at, '\n', size_t(end - at))) {
    ++lines;
    at = static_cast<const char*>(newline) + 1;
  }
  return lines;
}

// Reads the lines of `text` (whole lines; the magic line already gone).
ParsedPart ParseLines(std::string_view text) {
  ParsedPart part;
  part.items.Reserve(CountLines(text));
  LineFields fields;
  size_t pos = 0;
  while (pos < text.size()) {
    const void* newline = std::memchr(text.data() + pos, '\n', text.size() - pos);
    const size_t end = newline ? size_t(static_cast<const char*>(newline) - text.data()) : text.size();
    std::string_view line = text.substr(pos, end - pos);
    pos = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    // Only "C" and "I" lines carry data.
    if (line.size() < 2 || line[1] != '\t' || (line[0] != 'C' && line[0] != 'I')) continue;

    const size_t count = fields.Split(line);
    if (line[0] == 'C') {
      if (count < 3) continue;
      const auto texts = fields.Wide<2>(1, count);
      part.categories.push_back(Category{std::u16string(texts[1]), std::u16string(texts[0])});
    } else if (count >= kItemFieldsWithoutRating && !fields.Bytes(kId).empty()) {
      const ItemKind kind = KindFromUtf8(fields.Bytes(kKind));
      const int32_t archive = ParseArchive(fields.Bytes(kArchive));
      // id name kind categoryId epg ext icon num url archive added rating
      const auto t = fields.Wide<12>(kId, count);
      const CatalogItem::Fields f{t[0], t[1], t[3], t[4], t[5], t[6], t[7], t[8], t[10], t[11]};
      part.items.Add(kind, f, archive);
    }
  }
  return part;
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
  // Mapped rather than read: a list of a million channels is a file of a
  // few hundred megabytes, read once and then dropped.
  const auto file = MapWholeFile(path, kKindFileBound);
  return file && ParseCacheText(file->bytes(), categories, items);
}

// One thread: the cache is read while the main thread makes the window and
// draws the first frame, and on two cores a second reader only slows both
// (a million channels came in later, and the first frame too).
bool ParseCacheText(std::string_view text, std::vector<Category>& categories, SharedItems& items) {
  const std::string_view first = FirstLine(text);
  if (first.size() < kMagic.size() || first.find(kMagic) == std::string_view::npos) return false;
  ParsedPart part = ParseLines(text.substr(std::min(text.size(), first.size() + 1)));
  categories = std::move(part.categories);
  items = part.items.Finish();
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
