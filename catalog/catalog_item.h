#pragma once
// The catalog records: one item type for live channels, movies and series,
// the categories, and the catalog that holds them.
//
// A catalog of a million channels must stay small and load fast, so an item
// is 16 bytes and one run of text holding its field lengths and texts, and
// hands out views. The run is a heap block of its own, or a part of the
// large blocks of the list it was built in (ItemListBuilder). A stream URL of the usual form "<prefix>/<id>.<ext>" is
// not stored: the item keeps a reference to the shared prefix and suffix
// (see url()). Items are immutable once built; a download builds new items
// and a new list.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

enum class ItemKind : uint8_t { Live, Vod, Series };

// "live", "vod" or "series"; the same words are written to the cache files.
std::u16string_view KindText(ItemKind kind);
// The kind for those words; Live for anything else.
ItemKind KindFromText(std::u16string_view text);

class CatalogItem {
 public:
  // The texts of an item, in the order the cache file writes them.
  struct Fields {
    std::u16string_view id, name, categoryId, epgChannelId, containerExt, icon, num, url, added, rating;
  };
  // A URL as three pieces: prefix + id + suffix, or the whole text in
  // `prefix` when it is not of the derived form.
  struct UrlPieces {
    std::u16string_view prefix, id, suffix;
    size_t size() const { return prefix.size() + id.size() + suffix.size(); }
  };

  CatalogItem() = default;
  CatalogItem(ItemKind kind, const Fields& fields, int32_t tvArchive);
  // A copy always has a heap block of its own, so it outlives the list of
  // the item it was copied from.
  CatalogItem(const CatalogItem& other);
  CatalogItem& operator=(const CatalogItem& other);
  CatalogItem(CatalogItem&& other) noexcept;
  CatalogItem& operator=(CatalogItem&& other) noexcept;
  ~CatalogItem();

  std::u16string_view id() const { return Field(0); }
  std::u16string_view name() const { return Field(1); }
  std::u16string_view categoryId() const { return Field(2); }
  std::u16string_view epgChannelId() const { return Field(3); }
  std::u16string_view containerExt() const { return Field(4); }
  std::u16string_view icon() const { return Field(5); }
  std::u16string_view num() const { return Field(6); }
  // The stream URL, put together from its pieces (a new string each call).
  std::u16string url() const;
  UrlPieces urlPieces() const;
  bool hasUrl() const { return urlForm_ != 0 || !Field(7).empty(); }
  std::u16string_view added() const { return Field(8); }
  std::u16string_view rating() const { return Field(9); }
  std::u16string_view kind() const { return KindText(kind_); }
  ItemKind kindCode() const { return kind_; }
  int32_t tvArchive() const { return tvArchive_; }

  // The stored texts as views. `url` holds the URL only when it is not of
  // the derived form; it is empty otherwise (use url() for the URL), so
  // building an item from another's fields() loses a derived URL.
  Fields fields() const;
  bool operator==(const CatalogItem& other) const;

 private:
  friend class ItemListBuilder;
  static constexpr size_t kFieldCount = 10;
  using Parts = std::array<std::u16string_view, kFieldCount>;
  // The text run starts with the ten field ends: one byte each when the
  // texts take at most 255 units, as nearly every channel's do (kNarrowEnds,
  // five units), else one char16_t each, or two (a uint32_t) each when the
  // texts exceed 65,535 units (kWideEnds).
  static constexpr uint8_t kWideEnds = 1;
  // The run lies in a list's blocks, which free it; else it is this item's.
  static constexpr uint8_t kInListBlocks = 2;
  static constexpr uint8_t kNarrowEnds = 4;
  static_assert(kFieldCount % 2 == 0, "one-byte ends fill whole units");

  std::u16string_view Field(size_t index) const {
    if (!text_) return {};
    const uint32_t begin = index == 0 ? 0 : EndOf(index - 1);
    return std::u16string_view(text_ + HeadUnits() + begin, EndOf(index) - begin);
  }
  size_t HeadUnits() const { return HeadUnitsOf(flags_); }
  static size_t HeadUnitsOf(uint8_t flags) {
    return (flags & kNarrowEnds) ? kFieldCount / 2 : (flags & kWideEnds) ? 2 * kFieldCount : kFieldCount;
  }
  // Where field `index` ends, in units after the head.
  uint32_t EndOf(size_t index) const {
    if (flags_ & kNarrowEnds) return reinterpret_cast<const unsigned char*>(text_)[index];
    if (!(flags_ & kWideEnds)) return text_[index];
    return uint32_t(text_[2 * index]) | (uint32_t(text_[2 * index + 1]) << 16);
  }
  // The ends' form for texts of `total` units.
  static uint8_t EndsFlag(size_t total) { return total <= 0xFF ? kNarrowEnds : total <= 0xFFFF ? 0 : kWideEnds; }
  // The parts of an item built from `fields` (a derived URL left out, its
  // form set in urlForm_), and the length of the run that holds them.
  Parts PartsOf(const Fields& fields);
  static size_t RunUnits(const Parts& parts);
  // Writes the run into `out` (RunUnits long) and takes it as the text.
  void Write(const Parts& parts, char16_t* out);
  size_t OwnRunUnits() const;
  void Release();

  char16_t* text_ = nullptr;
  int32_t tvArchive_ = 0;
  ItemKind kind_ = ItemKind::Live;
  uint8_t flags_ = 0;
  // 0: the URL is field 7's text; n: shared form n - 1 wraps the id.
  uint16_t urlForm_ = 0;
};

struct Category {
  std::u16string name;
  std::u16string id;
  bool operator==(const Category&) const = default;
};

using ItemList = std::vector<CatalogItem>;
using SharedItems = std::shared_ptr<const ItemList>;

// Builds a list whose items keep their texts in a few large blocks that the
// list owns, instead of a heap block per item: a million channels then take
// a few hundred allocations and fill memory at the speed of copying. The
// items are valid as long as the list is (a SharedItems keeps it alive);
// an item copied out of it gets a heap block of its own.
class ItemListBuilder {
 public:
  ItemListBuilder();
  ~ItemListBuilder();
  ItemListBuilder(ItemListBuilder&&) noexcept;
  ItemListBuilder& operator=(ItemListBuilder&&) noexcept;

  void Reserve(size_t items) { items_.reserve(items); }
  void Add(ItemKind kind, const CatalogItem::Fields& fields, int32_t tvArchive);
  size_t size() const { return items_.size(); }
  bool empty() const { return items_.empty(); }
  // The list; the builder is empty afterwards.
  SharedItems Finish();

 private:
  struct Blocks;
  std::unique_ptr<Blocks> blocks_;
  ItemList items_;
};

// The whole catalog. Item lists are shared and immutable: a download builds
// a new list privately and the main thread swaps it in, so a list that a
// screen already shows (see VisibleList) never changes under it. Copying a
// Catalog is cheap (three pointers and the small category lists).
struct Catalog {
  SharedItems LiveChannels = std::make_shared<const ItemList>();
  SharedItems Movies = std::make_shared<const ItemList>();
  SharedItems Series = std::make_shared<const ItemList>();
  std::vector<Category> LiveCategories;
  std::vector<Category> MovieCategories;
  std::vector<Category> SeriesCategories;
};

// Kind index used by the movie and series functions: 0 movies, 1 series.
enum class VodKind : int { Movies = 0, Series = 1 };

inline const SharedItems& ItemsOf(const Catalog& c, VodKind k) { return k == VodKind::Movies ? c.Movies : c.Series; }
inline SharedItems& ItemsOf(Catalog& c, VodKind k) { return k == VodKind::Movies ? c.Movies : c.Series; }
inline const std::vector<Category>& CategoriesOf(const Catalog& c, VodKind k) {
  return k == VodKind::Movies ? c.MovieCategories : c.SeriesCategories;
}
inline std::vector<Category>& CategoriesOf(Catalog& c, VodKind k) {
  return k == VodKind::Movies ? c.MovieCategories : c.SeriesCategories;
}
