#include "platform/image_decode.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "platform/direct2d_canvas_windows.h"

using Microsoft::WRL::ComPtr;

namespace {

// A picture of `width` x `height` premultiplied BGRA pixels, filled by
// `fill` through its locked memory (stride in bytes).
template <typename FillFn>
PicturePtr MakePicture(int width, int height, FillFn fill) {
  IWICImagingFactory* wic = SharedWicFactory();
  ComPtr<IWICBitmap> bitmap;
  if (!wic || FAILED(wic->CreateBitmap(static_cast<UINT>(width), static_cast<UINT>(height),
                                       GUID_WICPixelFormat32bppPBGRA, WICBitmapCacheOnLoad, &bitmap))) {
    return nullptr;
  }
  {
    const WICRect all{0, 0, width, height};
    ComPtr<IWICBitmapLock> lock;
    UINT stride = 0, size = 0;
    BYTE* data = nullptr;
    if (FAILED(bitmap->Lock(&all, WICBitmapLockWrite, &lock)) || FAILED(lock->GetStride(&stride)) ||
        FAILED(lock->GetDataPointer(&size, &data)) || !data) {
      return nullptr;
    }
    if (!fill(data, stride)) return nullptr;
  }
  return std::make_unique<WicPicture>(std::move(bitmap));
}

}  // namespace

PicturePtr DecodeImageBytes(std::string_view bytes) {
  IWICImagingFactory* wic = SharedWicFactory();
  if (!wic || bytes.empty() || bytes.size() > static_cast<size_t>(std::numeric_limits<DWORD>::max())) return nullptr;
  ComPtr<IWICStream> stream;
  ComPtr<IWICBitmapDecoder> decoder;
  ComPtr<IWICBitmapFrameDecode> frame;
  // The decoder reads the caller's bytes in place; everything is copied out
  // before they go.
  auto* data = reinterpret_cast<BYTE*>(const_cast<char*>(bytes.data()));
  if (FAILED(wic->CreateStream(&stream)) ||
      FAILED(stream->InitializeFromMemory(data, static_cast<DWORD>(bytes.size()))) ||
      FAILED(wic->CreateDecoderFromStream(stream.Get(), nullptr, WICDecodeMetadataCacheOnDemand, &decoder)) ||
      FAILED(decoder->GetFrame(0, &frame))) {
    return nullptr;
  }
  UINT w = 0, h = 0;
  if (FAILED(frame->GetSize(&w, &h)) || w == 0 || h == 0) return nullptr;
  if (static_cast<long long>(w) * h > kMaxDecodedPixels) return nullptr;
  ComPtr<IWICBitmapSource> premultiplied;
  if (FAILED(WICConvertBitmapSource(GUID_WICPixelFormat32bppPBGRA, frame.Get(), &premultiplied))) return nullptr;
  // Decoded here, in full: a file cut short fails now rather than when drawn.
  return MakePicture(static_cast<int>(w), static_cast<int>(h), [&](BYTE* out, UINT stride) {
    return SUCCEEDED(premultiplied->CopyPixels(nullptr, stride, stride * h, out));
  });
}

namespace {

// One axis of a resampling: for each target pixel, the source pixels it
// takes and their weights (a tent as wide as the scale when shrinking, so
// every source pixel counts; linear between neighbours when growing).
// Source positions past an edge take the edge pixel.
struct Taps {
  std::vector<int> first;    // per target pixel, index into `source`
  std::vector<int> count;    // per target pixel
  std::vector<int> source;   // source pixel of each tap
  std::vector<float> weight; // weight of each tap
};

Taps TapsFor(int from, int to) {
  Taps taps;
  const double scale = static_cast<double>(from) / to;
  const double radius = scale > 1 ? scale : 1.0;
  for (int i = 0; i < to; ++i) {
    const double centre = (i + 0.5) * scale - 0.5;
    const int lo = static_cast<int>(std::floor(centre - radius)) + 1;
    const int hi = static_cast<int>(std::ceil(centre + radius)) - 1;
    taps.first.push_back(static_cast<int>(taps.source.size()));
    double total = 0;
    const size_t start = taps.weight.size();
    for (int s = lo; s <= hi; ++s) {
      const double w = 1 - std::abs(s - centre) / radius;
      if (w <= 0) continue;
      taps.source.push_back(std::clamp(s, 0, from - 1));
      taps.weight.push_back(static_cast<float>(w));
      total += w;
    }
    if (taps.weight.size() == start) {
      taps.source.push_back(std::clamp(static_cast<int>(std::lround(centre)), 0, from - 1));
      taps.weight.push_back(1);
      total = 1;
    }
    for (size_t t = start; t < taps.weight.size(); ++t) taps.weight[t] = static_cast<float>(taps.weight[t] / total);
    taps.count.push_back(static_cast<int>(taps.weight.size() - start));
  }
  return taps;
}

}  // namespace

PicturePtr ScalePicture(const Picture& picture, int width, int height) {
  const int sw = picture.Width(), sh = picture.Height();
  if (width <= 0 || height <= 0 || sw <= 0 || sh <= 0) return nullptr;
  IWICBitmap* source = static_cast<const WicPicture&>(picture).Bitmap();
  std::vector<uint8_t> in;
  try {
    in.resize(static_cast<size_t>(sw) * sh * 4);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
  if (!source || FAILED(source->CopyPixels(nullptr, sw * 4, static_cast<UINT>(in.size()), in.data()))) return nullptr;
  const Taps across = TapsFor(sw, width), down = TapsFor(sh, height);
  // Rows first (source height x target width), then columns; premultiplied
  // channels average without fringes.
  std::vector<float> rows;
  try {
    rows.resize(static_cast<size_t>(sh) * width * 4);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
  for (int y = 0; y < sh; ++y) {
    const uint8_t* line = &in[static_cast<size_t>(y) * sw * 4];
    float* out = &rows[static_cast<size_t>(y) * width * 4];
    for (int x = 0; x < width; ++x) {
      float acc[4] = {0, 0, 0, 0};
      for (int t = across.first[x]; t < across.first[x] + across.count[x]; ++t) {
        const uint8_t* p = line + across.source[t] * 4;
        for (int c = 0; c < 4; ++c) acc[c] += across.weight[t] * p[c];
      }
      for (int c = 0; c < 4; ++c) out[x * 4 + c] = acc[c];
    }
  }
  return MakePicture(width, height, [&](BYTE* out, UINT stride) {
    for (int y = 0; y < height; ++y) {
      BYTE* line = out + static_cast<size_t>(y) * stride;
      for (int x = 0; x < width; ++x) {
        float acc[4] = {0, 0, 0, 0};
        for (int t = down.first[y]; t < down.first[y] + down.count[y]; ++t) {
          const float* p = &rows[(static_cast<size_t>(down.source[t]) * width + x) * 4];
          for (int c = 0; c < 4; ++c) acc[c] += down.weight[t] * p[c];
        }
        for (int c = 0; c < 4; ++c) line[x * 4 + c] = static_cast<BYTE>(std::clamp(std::lround(acc[c]), 0L, 255L));
      }
    }
    return true;
  });
}
