#pragma once
// The catalog records: one item type for live channels, movies and series,
// the categories, and the catalog that holds them.
//
// A catalog of a million channels must stay small and load fast, so an item
// is 16 bytes and one allocation holding its field lengths and texts, and
// hands out views. A stream URL of the usual form "<prefix>/<id>.<ext>" is
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
  CatalogItem(const CatalogItem& other);
  CatalogItem& operator=(const CatalogItem& other);
  CatalogItem(CatalogItem&&) noexcept = default;
  CatalogItem& operator=(CatalogItem&&) noexcept = default;

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
  static constexpr size_t kFieldCount = 10;
  // The allocation starts with the ten field ends: one char16_t each, or
  // two (a uint32_t) each when the texts exceed 65,535 units (kWideEnds).
  static constexpr uint8_t kWideEnds = 1;

  std::u16string_view Field(size_t index) const {
    if (!text_) return {};
    const char16_t* head = text_.get();
    if (!(flags_ & kWideEnds)) {
      const uint32_t begin = index == 0 ? 0 : head[index - 1];
      return std::u16string_view(head + kFieldCount + begin, head[index] - begin);
    }
    const uint32_t begin = index == 0 ? 0 : WideEnd(index - 1);
    return std::u16string_view(head + 2 * kFieldCount + begin, WideEnd(index) - begin);
  }
  uint32_t WideEnd(size_t index) const {
    return uint32_t(text_[2 * index]) | (uint32_t(text_[2 * index + 1]) << 16);
  }
  void Assign(const std::array<std::u16string_view, kFieldCount>& parts);

  std::unique_ptr<char16_t[]> text_;
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
