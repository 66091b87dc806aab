#include "catalog/catalog_item.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <mutex>

namespace {

// A stream URL's shared pieces around the id: "<server>/live/<user>/<pass>/"
// and ".<ext>". An account gives a handful of them (one per kind and
// extension), so a small fixed table serves the process; once it is full,
// items keep their URLs as text. Forms are never removed, so the views an
// item hands out stay valid, and a slot once published never changes.
struct UrlForm {
  std::u16string prefix, suffix;
};

constexpr size_t kMaxUrlForms = 256;
std::array<std::atomic<const UrlForm*>, kMaxUrlForms> gUrlForms{};
std::atomic<size_t> gUrlFormCount{0};
std::mutex gUrlFormsMutex;

const UrlForm& FormAt(uint16_t form) { return *gUrlForms[form - 1].load(std::memory_order_acquire); }

// The form number (1-based) of the pieces, adding them when new; 0 once the
// table is full. Each thread remembers its last answer, so a list of one
// account's channels takes the lock once.
uint16_t InternUrlForm(std::u16string_view prefix, std::u16string_view suffix) {
  thread_local uint16_t lastForm = 0;
  if (lastForm != 0) {
    const UrlForm& last = FormAt(lastForm);
    if (last.prefix == prefix && last.suffix == suffix) return lastForm;
  }
  std::lock_guard lock(gUrlFormsMutex);
  const size_t count = gUrlFormCount.load(std::memory_order_relaxed);
  // A full table means a provider's URLs do not share their pieces: every
  // later miss would scan it all, so the URL stays text instead.
  if (count == kMaxUrlForms) return 0;
  for (size_t i = 0; i < count; ++i) {
    const UrlForm& form = *gUrlForms[i].load(std::memory_order_relaxed);
    if (form.prefix == prefix && form.suffix == suffix) return lastForm = uint16_t(i + 1);
  }
  gUrlForms[count].store(new UrlForm{std::u16string(prefix), std::u16string(suffix)}, std::memory_order_release);
  gUrlFormCount.store(count + 1, std::memory_order_release);
  return lastForm = uint16_t(count + 1);
}

// The form of `url` around `id` when it is "<prefix ending in />" + id +
// "" or ".<ext without />"; 0 otherwise.
uint16_t DerivedUrlForm(std::u16string_view url, std::u16string_view id) {
  if (id.empty() || url.size() <= id.size()) return 0;
  const size_t slash = url.rfind(u'/');
  if (slash == std::u16string_view::npos) return 0;
  const std::u16string_view tail = url.substr(slash + 1);
  if (!tail.starts_with(id)) return 0;
  const std::u16string_view suffix = tail.substr(id.size());
  if (!suffix.empty() && suffix.front() != u'.') return 0;
  return InternUrlForm(url.substr(0, slash + 1), suffix);
}

}  // namespace

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

CatalogItem::CatalogItem(ItemKind kind, const Fields& f, int32_t tvArchive) : tvArchive_(tvArchive), kind_(kind) {
  urlForm_ = DerivedUrlForm(f.url, f.id);
  const std::u16string_view storedUrl = urlForm_ != 0 ? std::u16string_view() : f.url;
  Assign({f.id, f.name, f.categoryId, f.epgChannelId, f.containerExt, f.icon, f.num, storedUrl, f.added, f.rating});
}

CatalogItem::CatalogItem(const CatalogItem& other)
    : tvArchive_(other.tvArchive_), kind_(other.kind_), flags_(other.flags_), urlForm_(other.urlForm_) {
  if (!other.text_) return;
  const size_t head = (flags_ & kWideEnds) ? 2 * kFieldCount : kFieldCount;
  const size_t total = head + ((flags_ & kWideEnds) ? other.WideEnd(kFieldCount - 1) : other.text_[kFieldCount - 1]);
  text_ = std::make_unique_for_overwrite<char16_t[]>(total);
  std::memcpy(text_.get(), other.text_.get(), total * sizeof(char16_t));
}

CatalogItem& CatalogItem::operator=(const CatalogItem& other) {
  if (this != &other) *this = CatalogItem(other);
  return *this;
}

void CatalogItem::Assign(const std::array<std::u16string_view, kFieldCount>& parts) {
  size_t total = 0;
  for (const auto& p : parts) total += p.size();
  const bool wide = total > 0xFFFF;
  flags_ = wide ? kWideEnds : 0;
  const size_t head = wide ? 2 * kFieldCount : kFieldCount;
  text_ = std::make_unique_for_overwrite<char16_t[]>(head + total);
  char16_t* out = text_.get();
  uint32_t end = 0;
  for (size_t i = 0; i < kFieldCount; ++i) {
    std::copy(parts[i].begin(), parts[i].end(), out + head + end);
    end += uint32_t(parts[i].size());
    if (wide) {
      out[2 * i] = char16_t(end & 0xFFFF);
      out[2 * i + 1] = char16_t(end >> 16);
    } else {
      out[i] = char16_t(end);
    }
  }
}

CatalogItem::UrlPieces CatalogItem::urlPieces() const {
  if (urlForm_ == 0) return UrlPieces{Field(7), {}, {}};
  const UrlForm& form = FormAt(urlForm_);
  return UrlPieces{form.prefix, id(), form.suffix};
}

std::u16string CatalogItem::url() const {
  const UrlPieces pieces = urlPieces();
  std::u16string out;
  out.reserve(pieces.size());
  out.append(pieces.prefix).append(pieces.id).append(pieces.suffix);
  return out;
}

CatalogItem::Fields CatalogItem::fields() const {
  if (!text_) return Fields{};
  return Fields{id(), name(), categoryId(), epgChannelId(), containerExt(), icon(), num(), Field(7), added(), rating()};
}

bool CatalogItem::operator==(const CatalogItem& o) const {
  if (kind_ != o.kind_ || tvArchive_ != o.tvArchive_) return false;
  const Fields a = fields();
  const Fields b = o.fields();
  if (!(a.id == b.id && a.name == b.name && a.categoryId == b.categoryId && a.epgChannelId == b.epgChannelId &&
        a.containerExt == b.containerExt && a.icon == b.icon && a.num == b.num && a.added == b.added &&
        a.rating == b.rating)) {
    return false;
  }
  if (urlForm_ == o.urlForm_) return a.url == b.url;
  const UrlPieces x = urlPieces();
  const UrlPieces y = o.urlPieces();
  return x.size() == y.size() && url() == o.url();
}
