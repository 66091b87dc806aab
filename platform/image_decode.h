#pragma once
// Picture decoding: PNG, JPEG, WebP (whatever SDL2_image reads) into cairo
// image surfaces ready to paint: ARGB32 with premultiplied alpha.
//
// Any thread may decode; the surfaces are plain memory until painted.
// Decoding is slow next to painting, so painters never call these inside a
// frame (the icon cache and the backdrop loader decode between frames).
#include <cairo.h>

#include <filesystem>
#include <memory>
#include <string_view>

struct CairoSurfaceRelease {
  void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
using SurfacePtr = std::unique_ptr<cairo_surface_t, CairoSurfaceRelease>;

// Null when the file is missing, unreadable or not a picture SDL2_image
// knows, or when the picture is larger than kMaxDecodedPixels.
SurfacePtr DecodeImageFile(const std::filesystem::path& path);
SurfacePtr DecodeImageBytes(std::string_view bytes);

// A downloaded icon or backdrop is a few hundred kilobytes, but a small
// compressed file can claim an enormous canvas. Pictures beyond this many
// pixels (64 MiB of ARGB32) are refused after decoding rather than turned
// into a cairo surface that every frame would have to scale.
constexpr long kMaxDecodedPixels = 16L * 1024 * 1024;
