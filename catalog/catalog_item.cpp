#include "catalog/catalog_item.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <mutex>
#include <utility>

#include "platform/large_memory.h"

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

// Equal texts, compared as bytes: the standard comparison of UTF-16 texts
// orders them unit by unit, and every channel of a list is compared so.
bool SameText(std::u16string_view a, std::u16string_view b) {
  return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(char16_t)) == 0);
}

// The form number (1-based) of the pieces, adding them when new; 0 once the
// table is full. Each thread remembers its last answer, so a list of one
// account's channels takes the lock once.
uint16_t InternUrlForm(std::u16string_view prefix, std::u16string_view suffix) {
  thread_local uint16_t lastForm = 0;
  if (lastForm != 0) {
    const UrlForm& last = FormAt(lastForm);
    if (SameText(last.prefix, prefix) && SameText(last.suffix, suffix)) return lastForm;
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
  const Parts parts = PartsOf(f);
  Write(parts, new char16_t[RunUnits(parts)]);
}

CatalogItem::CatalogItem(const CatalogItem& other)
    : tvArchive_(other.tvArchive_),
      kind_(other.kind_),
      flags_(uint8_t(other.flags_ & ~kInListBlocks)),
      urlForm_(other.urlForm_) {
  if (!other.text_) return;
  const size_t units = other.OwnRunUnits();
  text_ = new char16_t[units];
  std::memcpy(text_, other.text_, units * sizeof(char16_t));
}

CatalogItem& CatalogItem::operator=(const CatalogItem& other) {
  if (this != &other) *this = CatalogItem(other);
  return *this;
}

CatalogItem::CatalogItem(CatalogItem&& other) noexcept
    : text_(std::exchange(other.text_, nullptr)),
      tvArchive_(other.tvArchive_),
      kind_(other.kind_),
      flags_(std::exchange(other.flags_, 0)),
      urlForm_(other.urlForm_) {}

CatalogItem& CatalogItem::operator=(CatalogItem&& other) noexcept {
  if (this == &other) return *this;
  Release();
  text_ = std::exchange(other.text_, nullptr);
  tvArchive_ = other.tvArchive_;
  kind_ = other.kind_;
  flags_ = std::exchange(other.flags_, 0);
  urlForm_ = other.urlForm_;
  return *this;
}

CatalogItem::~CatalogItem() { Release(); }

void CatalogItem::Release() {
  if (!(flags_ & kInListBlocks)) delete[] text_;
  text_ = nullptr;
}

size_t CatalogItem::OwnRunUnits() const { return HeadUnits() + EndOf(kFieldCount - 1); }

CatalogItem::Parts CatalogItem::PartsOf(const Fields& f) {
  urlForm_ = DerivedUrlForm(f.url, f.id);
  const std::u16string_view storedUrl = urlForm_ != 0 ? std::u16string_view() : f.url;
  return {f.id, f.name, f.categoryId, f.epgChannelId, f.containerExt, f.icon, f.num, storedUrl, f.added, f.rating};
}

size_t CatalogItem::RunUnits(const Parts& parts) {
  size_t total = 0;
  for (const auto& p : parts) total += p.size();
  return HeadUnitsOf(EndsFlag(total)) + total;
}

void CatalogItem::Write(const Parts& parts, char16_t* out) {
  size_t total = 0;
  for (const auto& p : parts) total += p.size();
  const uint8_t form = EndsFlag(total);
  flags_ = uint8_t((flags_ & kInListBlocks) | form);
  const size_t head = HeadUnitsOf(form);
  uint32_t end = 0;
  for (size_t i = 0; i < kFieldCount; ++i) {
    std::copy(parts[i].begin(), parts[i].end(), out + head + end);
    end += uint32_t(parts[i].size());
    if (form == kNarrowEnds) {
      reinterpret_cast<unsigned char*>(out)[i] = static_cast<unsigned char>(end);
    } else if (form == kWideEnds) {
      out[2 * i] = char16_t(end & 0xFFFF);
      out[2 * i + 1] = char16_t(end >> 16);
    } else {
      out[i] = char16_t(end);
    }
  }
  text_ = out;
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

// ---------------------------------------------------------------- lists

namespace {

// Blocks grow from a size that suits the demo's dozen channels to one that
// a million channels fill in a few hundred steps; from kLargeUnits on they
// come from LargeBlock (huge pages).
constexpr size_t kFirstBlockUnits = 8 * 1024;
constexpr size_t kLargeUnits = 1024 * 1024;
constexpr size_t kLastBlockUnits = 4 * 1024 * 1024;

}  // namespace

struct ItemListBuilder::Blocks {
  std::vector<std::unique_ptr<char16_t[]>> heap;
  std::vector<LargeBlock> large;
  char16_t* next = nullptr;
  size_t left = 0;  // units free at `next`
  size_t nextBlockUnits = kFirstBlockUnits;

  // Room for `units` units; null only when the system has no memory left.
  char16_t* Take(size_t units) {
    if (units > left) NewBlock(units);
    if (units > left) return nullptr;
    char16_t* out = next;
    next += units;
    left -= units;
    return out;
  }

  void NewBlock(size_t units) {
    const size_t size = std::max(units, nextBlockUnits);
    nextBlockUnits = std::min(kLastBlockUnits, nextBlockUnits * 2);
    if (size < kLargeUnits) {
      heap.push_back(std::make_unique_for_overwrite<char16_t[]>(size));
      next = heap.back().get();
      left = size;
      return;
    }
    LargeBlock block(size * sizeof(char16_t));
    if (!block.data()) return;
    next = static_cast<char16_t*>(block.data());
    left = block.size() / sizeof(char16_t);
    large.push_back(std::move(block));
  }

  // Returns what the newest block has left unused: it will never be
  // filled (the list is complete, or joins another).
  void TrimLast() {
    if (!large.empty() && next >= static_cast<char16_t*>(large.back().data()) &&
        next <= static_cast<char16_t*>(large.back().data()) + large.back().size() / sizeof(char16_t)) {
      const size_t used = size_t(next - static_cast<char16_t*>(large.back().data()));
      large.back().KeepFirst(used * sizeof(char16_t));
    }
    next = nullptr;
    left = 0;
  }
};

ItemListBuilder::ItemListBuilder() : blocks_(std::make_unique<Blocks>()) {}
ItemListBuilder::~ItemListBuilder() = default;
ItemListBuilder::ItemListBuilder(ItemListBuilder&&) noexcept = default;
ItemListBuilder& ItemListBuilder::operator=(ItemListBuilder&&) noexcept = default;

void ItemListBuilder::Add(ItemKind kind, const CatalogItem::Fields& fields, int32_t tvArchive) {
  CatalogItem& item = items_.emplace_back();
  item.kind_ = kind;
  item.tvArchive_ = tvArchive;
  const CatalogItem::Parts parts = item.PartsOf(fields);
  const size_t units = CatalogItem::RunUnits(parts);
  char16_t* run = blocks_->Take(units);
  if (run) {
    item.flags_ = CatalogItem::kInListBlocks;
  } else {
    run = new char16_t[units];
  }
  item.Write(parts, run);
}

SharedItems ItemListBuilder::Finish() {
  // The list and its blocks live and go together; the items go first.
  struct ListWithBlocks {
    std::unique_ptr<Blocks> blocks;
    ItemList items;
  };
  blocks_->TrimLast();
  // A badly over-estimated reservation is given back: moving the items
  // moves 16 bytes each.
  if (items_.capacity() > items_.size() + items_.size() / 2 + 64) items_.shrink_to_fit();
  auto whole = std::make_shared<ListWithBlocks>(ListWithBlocks{std::move(blocks_), std::move(items_)});
  blocks_ = std::make_unique<Blocks>();
  items_ = ItemList();
  return SharedItems(whole, &whole->items);
}
