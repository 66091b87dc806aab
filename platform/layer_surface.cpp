#include "platform/layer_surface.h"

#include <sys/mman.h>

#include <cstddef>
#include <cstdint>
#include <limits>

namespace {

// The size of a transparent huge page on the systems we run on; a mapping
// aligned to it can be backed by them from its first byte.
constexpr size_t kHugePage = size_t{2} << 20;

struct Mapping {
  void* start = nullptr;
  size_t length = 0;
};

cairo_user_data_key_t g_mappingKey;

void Unmap(void* data) {
  auto* mapping = static_cast<Mapping*>(data);
  munmap(mapping->start, mapping->length);
  delete mapping;
}

// An anonymous mapping of at least `bytes`, aligned to a huge page and
// advised to use them. Anonymous memory reads as 0 until written.
Mapping MapAligned(size_t bytes) {
  const size_t length = (bytes + kHugePage - 1) / kHugePage * kHugePage;
  void* raw = mmap(nullptr, length + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (raw == MAP_FAILED) return {};
  const auto base = reinterpret_cast<uintptr_t>(raw);
  const uintptr_t aligned = (base + kHugePage - 1) & ~(uintptr_t{kHugePage} - 1);
  // The slack before and after the aligned part goes back at once.
  if (aligned > base) munmap(raw, aligned - base);
  const size_t tail = (base + length + kHugePage) - (aligned + length);
  if (tail > 0) munmap(reinterpret_cast<void*>(aligned + length), tail);
  auto* start = reinterpret_cast<void*>(aligned);
  // Advice only: without huge pages the memory works as small pages do.
  madvise(start, length, MADV_HUGEPAGE);
  return Mapping{start, length};
}

}  // namespace

cairo_surface_t* CreateLayerSurface(int width, int height) {
  if (width <= 0 || height <= 0) return cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
  const int stride = cairo_format_stride_for_width(CAIRO_FORMAT_ARGB32, width);
  if (stride <= 0 || static_cast<size_t>(height) > std::numeric_limits<size_t>::max() / static_cast<size_t>(stride))
    return cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
  const Mapping mapping = MapAligned(static_cast<size_t>(stride) * static_cast<size_t>(height));
  if (!mapping.start) return cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);

  cairo_surface_t* surface =
      cairo_image_surface_create_for_data(static_cast<unsigned char*>(mapping.start), CAIRO_FORMAT_ARGB32, width,
                                          height, stride);
  auto* owned = new Mapping(mapping);
  if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS ||
      cairo_surface_set_user_data(surface, &g_mappingKey, owned, Unmap) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(surface);
    Unmap(owned);
    return cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
  }
  return surface;
}
