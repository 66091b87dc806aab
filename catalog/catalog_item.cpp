#include "catalog/catalog_item.h"

#include <algorithm>

std::u16string_view KindText(ItemKind kind) {
  switch (kind) {
    case ItemKind::Live: return u"live";
    case ItemKind::Vod: return u"vod";
    case ItemKind::Series: return u"series";
  }
  return u"live";
}

ItemKind KindFromText(std::u16string_view text) {
  if (text == u"vod") return ItemKind::Vod;
  if (text == u"series") return ItemKind::Series;
  return ItemKind::Live;
}

CatalogItem::CatalogItem(ItemKind kind, const Fields& fields, int32_t tvArchive)
    : tvArchive_(tvArchive), kind_(kind) {
  Assign(fields);
}

CatalogItem::CatalogItem(const CatalogItem& other) : tvArchive_(other.tvArchive_), kind_(other.kind_) {
  Assign(other.fields());
}

CatalogItem& CatalogItem::operator=(const CatalogItem& other) {
  if (this == &other) return *this;
  tvArchive_ = other.tvArchive_;
  kind_ = other.kind_;
  Assign(other.fields());
  return *this;
}

void CatalogItem::Assign(const Fields& f) {
  const std::array<std::u16string_view, kFieldCount> parts = {f.id,  f.name, f.categoryId, f.epgChannelId,
                                                              f.containerExt, f.icon, f.num, f.url,
                                                              f.added, f.rating};
  size_t total = 0;
  for (const auto& p : parts) total += p.size();
  auto text = std::make_unique_for_overwrite<char16_t[]>(total == 0 ? 1 : total);
  uint32_t end = 0;
  for (size_t i = 0; i < kFieldCount; ++i) {
    std::copy(parts[i].begin(), parts[i].end(), text.get() + end);
    end += static_cast<uint32_t>(parts[i].size());
    ends_[i] = end;
  }
  text_ = std::move(text);
}

CatalogItem::Fields CatalogItem::fields() const {
  if (!text_) return Fields{};
  return Fields{id(), name(), categoryId(), epgChannelId(), containerExt(), icon(), num(), url(), added(), rating()};
}

bool CatalogItem::operator==(const CatalogItem& o) const {
  if (kind_ != o.kind_ || tvArchive_ != o.tvArchive_) return false;
  const Fields a = fields();
  const Fields b = o.fields();
  return a.id == b.id && a.name == b.name && a.categoryId == b.categoryId && a.epgChannelId == b.epgChannelId &&
         a.containerExt == b.containerExt && a.icon == b.icon && a.num == b.num && a.url == b.url &&
         a.added == b.added && a.rating == b.rating;
}
