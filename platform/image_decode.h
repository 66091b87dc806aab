#pragma once
// Picture decoding: PNG, JPEG, WebP (whatever the system's decoder reads)
// into pictures ready to draw on a canvas (platform/canvas.h).
//
// Any thread may decode; the pictures are plain memory until drawn.
// Decoding is slow next to painting, so painters never call these inside a
// frame (the icon cache and the backdrop loader decode between frames).
#include <filesystem>
#include <string_view>

#include "platform/canvas.h"

// Null when the file is missing, unreadable or not a picture the decoder
// knows, or when the picture is larger than kMaxDecodedPixels.
PicturePtr DecodeImageFile(const std::filesystem::path& path);
PicturePtr DecodeImageBytes(std::string_view bytes);

// A copy of `picture` scaled to width x height (smoothly filtered, its edges
// extended rather than faded), for a picture drawn at one size on every
// paint. Null when either size is not positive or the memory cannot be had.
PicturePtr ScalePicture(const Picture& picture, int width, int height);

// A downloaded icon or backdrop is a few hundred kilobytes, but a small
// compressed file can claim an enormous canvas. Pictures beyond this many
// pixels (64 MiB of ARGB32) are refused after decoding rather than turned
// into a picture that every frame would have to scale.
constexpr long kMaxDecodedPixels = 16L * 1024 * 1024;
