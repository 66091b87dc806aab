#include "platform/image_decode.h"

#include <SDL.h>
#include <SDL_image.h>

#include <cstdint>
#include <limits>

#include "platform/cairo_canvas.h"
#include "platform/layer_surface.h"

namespace {

struct SdlSurfaceRelease {
  void operator()(SDL_Surface* surface) const { SDL_FreeSurface(surface); }
};
using SdlSurfacePtr = std::unique_ptr<SDL_Surface, SdlSurfaceRelease>;

// SDL's ARGB8888 is a native-endian 32-bit word A,R,G,B from the high byte
// down, which is exactly cairo's ARGB32 layout; only the premultiplication
// differs (SDL keeps straight alpha, cairo wants premultiplied).
PicturePtr ToCairoPicture(SDL_Surface* decoded) {
  if (!decoded) return nullptr;
  SdlSurfacePtr argb(SDL_ConvertSurfaceFormat(decoded, SDL_PIXELFORMAT_ARGB8888, 0));
  if (!argb || argb->w <= 0 || argb->h <= 0) return nullptr;
  if (static_cast<long>(argb->w) * argb->h > kMaxDecodedPixels) return nullptr;

  auto picture = std::make_unique<CairoPicture>(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, argb->w, argb->h));
  cairo_surface_t* surface = picture->Surface();
  if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) return nullptr;
  cairo_surface_flush(surface);
  unsigned char* target = cairo_image_surface_get_data(surface);
  const int targetStride = cairo_image_surface_get_stride(surface);

  if (SDL_LockSurface(argb.get()) != 0) return nullptr;
  for (int y = 0; y < argb->h; ++y) {
    const auto* in = reinterpret_cast<const uint32_t*>(static_cast<const unsigned char*>(argb->pixels) + y * argb->pitch);
    auto* out = reinterpret_cast<uint32_t*>(target + y * targetStride);
    for (int x = 0; x < argb->w; ++x) {
      const uint32_t p = in[x];
      const uint32_t a = p >> 24;
      if (a == 255) {
        out[x] = p;
        continue;
      }
      // Rounded division by 255 of each channel times alpha.
      auto scale = [a](uint32_t c) {
        const uint32_t t = c * a + 128;
        return (t + (t >> 8)) >> 8;
      };
      out[x] = (a << 24) | (scale((p >> 16) & 0xFF) << 16) | (scale((p >> 8) & 0xFF) << 8) | scale(p & 0xFF);
    }
  }
  SDL_UnlockSurface(argb.get());
  cairo_surface_mark_dirty(surface);
  return picture;
}

}  // namespace

PicturePtr DecodeImageBytes(std::string_view bytes) {
  if (bytes.empty() || bytes.size() > static_cast<size_t>(std::numeric_limits<int>::max())) return nullptr;
  SDL_RWops* stream = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
  if (!stream) return nullptr;
  SdlSurfacePtr decoded(IMG_Load_RW(stream, 1));
  return ToCairoPicture(decoded.get());
}

PicturePtr ScalePicture(const Picture& picture, int width, int height) {
  if (width <= 0 || height <= 0 || picture.Width() <= 0 || picture.Height() <= 0) return nullptr;
  // Window-sized copies take the layers' memory (platform/layer_surface.h).
  auto scaled = std::make_unique<CairoPicture>(CreateLayerSurface(width, height));
  if (cairo_surface_status(scaled->Surface()) != CAIRO_STATUS_SUCCESS) return nullptr;
  cairo_t* scaler = cairo_create(scaled->Surface());
  cairo_scale(scaler, static_cast<double>(width) / picture.Width(), static_cast<double>(height) / picture.Height());
  cairo_set_source_surface(scaler, static_cast<const CairoPicture&>(picture).Surface(), 0, 0);
  cairo_pattern_set_filter(cairo_get_source(scaler), CAIRO_FILTER_GOOD);
  cairo_pattern_set_extend(cairo_get_source(scaler), CAIRO_EXTEND_PAD);
  cairo_paint(scaler);
  cairo_destroy(scaler);
  cairo_surface_flush(scaled->Surface());
  return scaled;
}
