#include "platform/gl_compositor.h"

#include <SDL_opengl.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "platform/cairo_canvas.h"
#include "platform/layer_surface.h"

namespace {

// Video frames and layers are never larger than this on either side; a
// bigger rectangle is a layout fault, not a reason to exhaust memory.
constexpr int kMaxSide = 16384;
// More damaged rectangles than this in a frame are drawn as their bounding
// box; the damage of this many past frames is kept for older back buffers.
constexpr size_t kMaxRects = 8;
constexpr size_t kHistory = 4;

PixelRect Bounding(const PixelRect& a, const PixelRect& b) {
  if (a.empty()) return b;
  if (b.empty()) return a;
  const int x0 = std::min(a.x, b.x), y0 = std::min(a.y, b.y);
  const int x1 = std::max(a.x + a.w, b.x + b.w), y1 = std::max(a.y + a.h, b.y + b.h);
  return PixelRect{x0, y0, x1 - x0, y1 - y0};
}

}  // namespace

std::vector<PixelRect> Outside(const PixelRect& rect, const PixelRect& hole) {
  const PixelRect cut = Intersect(rect, hole);
  if (cut.empty()) return {rect};
  std::vector<PixelRect> pieces;
  const int right = rect.x + rect.w, bottom = rect.y + rect.h;
  const int cutRight = cut.x + cut.w, cutBottom = cut.y + cut.h;
  if (cut.y > rect.y) pieces.push_back(PixelRect{rect.x, rect.y, rect.w, cut.y - rect.y});
  if (cut.x > rect.x) pieces.push_back(PixelRect{rect.x, cut.y, cut.x - rect.x, cut.h});
  if (cutRight < right) pieces.push_back(PixelRect{cutRight, cut.y, right - cutRight, cut.h});
  if (cutBottom < bottom) pieces.push_back(PixelRect{rect.x, cutBottom, rect.w, bottom - cutBottom});
  return pieces;
}

bool Meets(const std::vector<PixelRect>& rects, const PixelRect& rect) {
  return std::any_of(rects.begin(), rects.end(), [&](const PixelRect& r) { return !Intersect(r, rect).empty(); });
}

PixelRect Intersect(const PixelRect& a, const PixelRect& b) {
  const int x0 = std::max(a.x, b.x), y0 = std::max(a.y, b.y);
  const int x1 = std::min(a.x + a.w, b.x + b.w), y1 = std::min(a.y + a.h, b.y + b.h);
  if (x1 <= x0 || y1 <= y0) return {};
  return PixelRect{x0, y0, x1 - x0, y1 - y0};
}

PixelRect ChangedBox(const uint8_t* a, const uint8_t* b, int width, int height, int stride) {
  const size_t rowBytes = static_cast<size_t>(width) * 4;
  // Compared with one row of zeros, a surface known to be transparent is
  // never read: its memory may not even be touched yet.
  const std::vector<uint32_t> zeros(b ? 0 : static_cast<size_t>(width), 0);
  auto rowA = [&](int y) { return reinterpret_cast<const uint32_t*>(a + static_cast<size_t>(y) * stride); };
  auto rowB = [&](int y) {
    return b ? reinterpret_cast<const uint32_t*>(b + static_cast<size_t>(y) * stride) : zeros.data();
  };
  auto same = [&](int y) { return std::memcmp(rowA(y), rowB(y), rowBytes) == 0; };

  int top = 0;
  while (top < height && same(top)) ++top;
  if (top == height) return {};
  int bottom = height - 1;
  while (same(bottom)) --bottom;

  int left = width, right = -1;
  for (int y = top; y <= bottom; ++y) {
    const uint32_t *p = rowA(y), *q = rowB(y);
    for (int x = 0; x < left; ++x) {
      if (p[x] != q[x]) { left = x; break; }
    }
    for (int x = width - 1; x > right; --x) {
      if (p[x] != q[x]) { right = x; break; }
    }
  }
  return PixelRect{left, top, right - left + 1, bottom - top + 1};
}

GlCompositor::~GlCompositor() {
  FreeLayer(interface_);
  FreeLayer(strips_);
  for (VideoTarget& target : videoTargets_) {
    if (gl_ && target.fbo) gl_->DeleteFramebuffers(1, &target.fbo);
    if (target.texture) glDeleteTextures(1, &target.texture);
  }
}

bool GlCompositor::Init(ProcLoader load) {
  auto gl = std::make_unique<GlFunctions>();
  if (!gl->Load(load)) return false;
  gl_ = std::move(gl);
  return true;
}

void GlCompositor::SetSize(int width, int height) {
  width = std::clamp(width, 1, kMaxSide);
  height = std::clamp(height, 1, kMaxSide);
  if (width == width_ && height == height_ && interface_.surface) return;
  width_ = width;
  height_ = height;
  AllocateLayer(interface_);
  AllocateLayer(strips_);
  wholeFrame_ = true;
}

void GlCompositor::FreeLayer(Layer& layer) {
  if (layer.surface) cairo_surface_destroy(layer.surface);
  if (layer.previous) cairo_surface_destroy(layer.previous);
  if (layer.texture) glDeleteTextures(1, &layer.texture);
  layer = Layer{};
}

// Both surfaces start transparent; the texture is made by the first upload,
// so a layer that never shows ink (the strips off the Player) costs no GL
// memory and no transfer.
void GlCompositor::AllocateLayer(Layer& layer) {
  FreeLayer(layer);
  layer.surface = CreateLayerSurface(width_, height_);
  layer.previous = CreateLayerSurface(width_, height_);
  layer.surfaceClear = layer.previousClear = true;
  layer.ink.Reset(width_, height_);
}

void GlCompositor::PaintLayer(LayerId id, const Painter& paint) {
  Layer& layer = LayerFor(id);
  if (!layer.surface || cairo_surface_status(layer.surface) != CAIRO_STATUS_SUCCESS) return;
  if (cairo_surface_status(layer.previous) != CAIRO_STATUS_SUCCESS) return;

  // Painted into the older surface, which then becomes the current one.
  std::swap(layer.surface, layer.previous);
  std::swap(layer.surfaceClear, layer.previousClear);
  const int stride = cairo_image_surface_get_stride(layer.surface);
  if (!layer.surfaceClear) {
    cairo_surface_flush(layer.surface);
    std::memset(cairo_image_surface_get_data(layer.surface), 0, static_cast<size_t>(stride) * height_);
    cairo_surface_mark_dirty(layer.surface);
  }

  bool drew = false;
  {
    CairoCanvas canvas(layer.surface);
    drew = paint(canvas, width_, height_);
  }
  cairo_surface_flush(layer.surface);

  const uint8_t* now = cairo_image_surface_get_data(layer.surface);
  const PixelRect changed = ChangeOf(layer, drew);
  if (changed.empty()) {
    layer.surfaceClear = layer.previousClear;
    return;
  }
  layer.ink.Update(now, stride, changed);
  layer.surfaceClear = layer.ink.Bounds().empty();
  Upload(layer, changed);
  AddDamage(changed);
}

// What a paint changed against what the texture holds. Nothing drawn leaves
// the surface as transparent as it was cleared: the change is the ink there
// was. Only a layer that was and is inked has both surfaces read.
PixelRect GlCompositor::ChangeOf(const Layer& layer, bool drew) const {
  if (!drew) return layer.ink.Bounds();
  const uint8_t* now = cairo_image_surface_get_data(layer.surface);
  const uint8_t* before = layer.previousClear ? nullptr : cairo_image_surface_get_data(layer.previous);
  return ChangedBox(now, before, width_, height_, cairo_image_surface_get_stride(layer.surface));
}

// cairo's ARGB32 is a native-endian 32-bit word, which GL reads as BGRA
// with the reversed packed type on any byte order.
// The first upload makes the texture from the whole surface, so every texel
// is defined (the pixels outside `box` are still transparent); later ones
// carry only the box.
void GlCompositor::Upload(Layer& layer, const PixelRect& box) {
  if (box.empty()) return;
  const bool first = layer.texture == 0;
  if (first) glGenTextures(1, &layer.texture);
  glBindTexture(GL_TEXTURE_2D, layer.texture);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, cairo_image_surface_get_stride(layer.surface) / 4);
  const uint8_t* pixels = cairo_image_surface_get_data(layer.surface);
  if (first) {
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width_, height_, 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, pixels);
  } else {
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, box.x);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, box.y);
    glTexSubImage2D(GL_TEXTURE_2D, 0, box.x, box.y, box.w, box.h, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, pixels);
  }
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
  glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
  glBindTexture(GL_TEXTURE_2D, 0);
}

void GlCompositor::ResetState() const {
  gl_->BindFramebuffer(GL_FRAMEBUFFER, 0);
  if (gl_->UseProgram) gl_->UseProgram(0);
  if (gl_->BindVertexArray) gl_->BindVertexArray(0);
  if (gl_->BindBuffer) {
    gl_->BindBuffer(GL_ARRAY_BUFFER, 0);
    gl_->BindBuffer(GL_PIXEL_UNPACK_BUFFER, 0);
    gl_->BindBuffer(GL_PIXEL_PACK_BUFFER, 0);
  }
  gl_->ActiveTexture(GL_TEXTURE0);
  glBindTexture(GL_TEXTURE_2D, 0);
  glDisable(GL_SCISSOR_TEST);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_STENCIL_TEST);
  glDisable(GL_CULL_FACE);
  glDisable(GL_BLEND);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glPixelStorei(GL_PACK_ROW_LENGTH, 0);
  glViewport(0, 0, width_, height_);
}

void GlCompositor::AddDamage(const PixelRect& rect) {
  const PixelRect part = Intersect(rect, PixelRect{0, 0, width_, height_});
  if (part.empty()) return;
  if (damage_.size() < kMaxRects) {
    damage_.push_back(part);
    return;
  }
  PixelRect all = part;
  for (const PixelRect& r : damage_) all = Bounding(all, r);
  damage_.assign(1, all);
}

// What the back buffer lacks: this frame's damage and that of the frames
// since the one it holds.
std::vector<PixelRect> GlCompositor::Redrawn(int bufferAge) const {
  const PixelRect whole{0, 0, width_, height_};
  if (wholeFrame_ || bufferAge <= 0 || static_cast<size_t>(bufferAge - 1) > history_.size()) return {whole};
  std::vector<PixelRect> rects = damage_;
  for (int i = 0; i < bufferAge - 1; ++i) rects.insert(rects.end(), history_[i].begin(), history_[i].end());
  if (rects.size() <= kMaxRects) return rects;
  PixelRect all;
  for (const PixelRect& r : rects) all = Bounding(all, r);
  return {all};
}

std::vector<PixelRect> GlCompositor::Compose(const std::vector<VideoTile>& tiles,
                                             const std::vector<bool>& newPicture, int bufferAge) {
  if (!gl_ || !interface_.surface) return {};
  ResetState();

  // New pictures are rendered into the tiles' framebuffer objects first.
  if (videoTargets_.size() < tiles.size()) videoTargets_.resize(tiles.size());
  const bool straight = StraightToWindow(tiles);
  PixelRect inWindow;  // where a picture went straight into the back buffer, now or before
  for (size_t i = 0; i < tiles.size(); ++i) {
    const VideoTile& tile = tiles[i];
    const bool moved = i >= lastTiles_.size() || !(lastTiles_[i] == tile);
    if (moved && i < lastTiles_.size()) AddDamage(lastTiles_[i].rect);
    if (!tile.layer || tile.rect.empty()) {
      if (moved) AddDamage(tile.rect);
      continue;
    }
    VideoTarget& target = videoTargets_[i];
    const bool fresh = i < newPicture.size() && newPicture[i];
    if (straight) {
      // The back buffer still holds this tile's last picture, and nothing
      // it lacks meets the tile: there is nothing to draw there.
      if (target.stale && !fresh && !moved && !Meets(Redrawn(bufferAge), tile.rect)) {
        inWindow = tile.rect;
        continue;
      }
      if (RenderToWindow(tile)) {
        target.stale = true;
        inWindow = tile.rect;
        AddDamage(tile.rect);
        continue;
      }
      // This renderer cannot draw into a part of the window: its framebuffer object then.
    }
    const bool resized = target.width != std::min(tile.rect.w, kMaxSide) ||
                         target.height != std::min(tile.rect.h, kMaxSide);
    if (!fresh && !moved && !resized && !target.stale) continue;
    RenderVideo(target, tile.rect, tile.layer);
    target.stale = false;
    AddDamage(tile.rect);
  }
  for (size_t i = tiles.size(); i < lastTiles_.size(); ++i) AddDamage(lastTiles_[i].rect);
  lastTiles_ = tiles;

  std::vector<PixelRect> frame = damage_;
  if (wholeFrame_) frame.assign(1, PixelRect{0, 0, width_, height_});
  // A picture drawn straight into the window is final there: nothing is
  // drawn over it, so only what lies around it is redrawn.
  for (const PixelRect& rect : Redrawn(bufferAge)) {
    for (const PixelRect& piece : Outside(rect, inWindow)) Redraw(piece, tiles);
  }

  history_.insert(history_.begin(), frame);
  if (history_.size() > kHistory) history_.pop_back();
  damage_.clear();
  wholeFrame_ = false;
  return frame;
}

// Draws one rectangle of the frame from the kept sources, as a whole frame
// would be drawn there: black, the tiles, the interface, the strips.
void GlCompositor::Redraw(const PixelRect& rect, const std::vector<VideoTile>& tiles) {
  if (!InsideOnePicture(rect, tiles)) {
    glEnable(GL_SCISSOR_TEST);
    glScissor(rect.x, height_ - rect.y - rect.h, rect.w, rect.h);
    glClearColor(0.f, 0.f, 0.f, 1.f);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
  }

  for (size_t i = 0; i < tiles.size(); ++i) {
    if (!tiles[i].layer || tiles[i].rect.empty()) continue;
    CopyVideo(videoTargets_[i], tiles[i].rect, Intersect(rect, tiles[i].rect));
  }

  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, width_, height_, 0, -1, 1);  // y down, as the layers are drawn
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glEnable(GL_TEXTURE_2D);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
  glEnable(GL_BLEND);
  glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
  DrawLayer(interface_, rect);
  DrawLayer(strips_, rect);
  glDisable(GL_BLEND);
  glDisable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, 0);
}

// True when one tile's picture covers all of `rect`: its copy replaces
// every pixel there, so the black beneath would be drawn for nothing (a
// tile's damage is its own rectangle, so this is the usual case).
bool GlCompositor::InsideOnePicture(const PixelRect& rect, const std::vector<VideoTile>& tiles) const {
  for (size_t i = 0; i < tiles.size(); ++i) {
    const VideoTarget& target = videoTargets_[i];
    if (!tiles[i].layer || !target.fbo || target.stale) continue;
    const PixelRect picture = Intersect(tiles[i].rect, {tiles[i].rect.x, tiles[i].rect.y, target.width, target.height});
    if (Intersect(rect, picture) == rect) return true;
  }
  return false;
}

bool GlCompositor::EnsureVideoTarget(VideoTarget& target, int width, int height) {
  if (target.fbo && width == target.width && height == target.height) return true;
  if (!target.fbo) gl_->GenFramebuffers(1, &target.fbo);
  if (!target.texture) glGenTextures(1, &target.texture);
  glBindTexture(GL_TEXTURE_2D, target.texture);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
  glBindTexture(GL_TEXTURE_2D, 0);
  gl_->BindFramebuffer(GL_FRAMEBUFFER, target.fbo);
  gl_->FramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, target.texture, 0);
  const bool complete = gl_->CheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
  gl_->BindFramebuffer(GL_FRAMEBUFFER, 0);
  target.width = complete ? width : 0;
  target.height = complete ? height : 0;
  return complete;
}

// One tile inside the window with no ink of either layer over it: drawn
// last, its picture need not be kept for the layers to be blended over it.
bool GlCompositor::StraightToWindow(const std::vector<VideoTile>& tiles) const {
  if (tiles.size() != 1 || !tiles[0].layer) return false;
  const PixelRect& rect = tiles[0].rect;
  if (rect.empty() || Intersect(rect, PixelRect{0, 0, width_, height_}) != rect) return false;
  return !InkOver(interface_, rect) && !InkOver(strips_, rect);
}

// Whether the layer has a pixel that is not transparent inside `rect`. Its
// inked cells are coarse (a label just above a picture may share a cell
// with its top rows): where one meets `rect`, the pixels there decide.
bool GlCompositor::InkOver(const Layer& layer, const PixelRect& rect) const {
  if (Intersect(layer.ink.Bounds(), rect).empty()) return false;
  const uint8_t* data = cairo_image_surface_get_data(layer.surface);
  const int stride = cairo_image_surface_get_stride(layer.surface);
  for (const PixelRect& inked : layer.ink.Rects()) {
    const PixelRect part = Intersect(inked, rect);
    if (part.empty()) continue;
    for (int y = part.y; y < part.y + part.h; ++y) {
      const auto* row = reinterpret_cast<const uint32_t*>(data + static_cast<size_t>(y) * stride) + part.x;
      if (std::any_of(row, row + part.w, [](uint32_t pixel) { return pixel != 0; })) return true;
    }
  }
  return false;
}

// A tile over the whole window is the window itself, which any renderer
// can draw: black first, as in a tile's framebuffer object, since a layer
// without a picture yet draws nothing. A part of the window needs the
// renderer's consent, and it fills the part itself. False when it declined
// (it drew nothing).
bool GlCompositor::RenderToWindow(const VideoTile& tile) {
  const PixelRect& r = tile.rect;
  const int bottom = height_ - r.y - r.h;
  gl_->BindFramebuffer(GL_FRAMEBUFFER, 0);
  glViewport(r.x, bottom, r.w, r.h);
  bool drew = true;
  if (r == PixelRect{0, 0, width_, height_}) {
    glClearColor(0.f, 0.f, 0.f, 1.f);
    glClear(GL_COLOR_BUFFER_BIT);
    tile.layer->Render(0, width_, height_);
  } else {
    drew = tile.layer->RenderIntoWindow(r.x, bottom, r.w, r.h);
  }
  ResetState();
  return drew;
}

// The renderer draws into a framebuffer object the size of the rectangle
// (renderers draw whole framebuffers, and at this size no second scaling
// is needed), kept until the next picture.
void GlCompositor::RenderVideo(VideoTarget& target, const PixelRect& rect, VideoLayer* video) {
  const int w = std::min(rect.w, kMaxSide), h = std::min(rect.h, kMaxSide);
  if (!EnsureVideoTarget(target, w, h)) return;

  gl_->BindFramebuffer(GL_FRAMEBUFFER, target.fbo);
  glViewport(0, 0, w, h);
  glClearColor(0.f, 0.f, 0.f, 1.f);
  glClear(GL_COLOR_BUFFER_BIT);
  video->Render(static_cast<int>(target.fbo), w, h);
  ResetState();
}

// Copies the part of a tile's picture inside `part` (window coordinates,
// within the tile) one to one. Both are bottom-up as GL framebuffers are.
void GlCompositor::CopyVideo(const VideoTarget& target, const PixelRect& tile, const PixelRect& part) const {
  const PixelRect p = Intersect(part, PixelRect{tile.x, tile.y, target.width, target.height});
  if (p.empty() || !target.fbo) return;
  const int srcX = p.x - tile.x, srcBottom = target.height - (p.y - tile.y) - p.h;
  const int dstBottom = height_ - p.y - p.h;
  gl_->BindFramebuffer(GL_READ_FRAMEBUFFER, target.fbo);
  gl_->BindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
  gl_->BlitFramebuffer(srcX, srcBottom, srcX + p.w, srcBottom + p.h, p.x, dstBottom, p.x + p.w, dstBottom + p.h,
                       GL_COLOR_BUFFER_BIT, GL_NEAREST);
  gl_->BindFramebuffer(GL_FRAMEBUFFER, 0);
}

// Blends the layer's inked cells inside `rect`, one quad per cell run.
void GlCompositor::DrawLayer(const Layer& layer, const PixelRect& rect) const {
  if (!layer.texture || Intersect(rect, layer.ink.Bounds()).empty()) return;
  glBindTexture(GL_TEXTURE_2D, layer.texture);
  glBegin(GL_QUADS);
  for (const PixelRect& inked : layer.ink.Rects()) {
    const PixelRect b = Intersect(rect, inked);
    if (b.empty()) continue;
    const float u0 = static_cast<float>(b.x) / width_, u1 = static_cast<float>(b.x + b.w) / width_;
    const float v0 = static_cast<float>(b.y) / height_, v1 = static_cast<float>(b.y + b.h) / height_;
    glTexCoord2f(u0, v0);
    glVertex2i(b.x, b.y);
    glTexCoord2f(u1, v0);
    glVertex2i(b.x + b.w, b.y);
    glTexCoord2f(u1, v1);
    glVertex2i(b.x + b.w, b.y + b.h);
    glTexCoord2f(u0, v1);
    glVertex2i(b.x, b.y + b.h);
  }
  glEnd();
}

std::vector<uint8_t> GlCompositor::ReadBack() const {
  if (width_ <= 0 || height_ <= 0) return {};
  const size_t rowBytes = static_cast<size_t>(width_) * 4;
  std::vector<uint8_t> bottomUp(rowBytes * height_);
  glReadBuffer(GL_BACK);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, width_, height_, GL_RGBA, GL_UNSIGNED_BYTE, bottomUp.data());
  glPixelStorei(GL_PACK_ALIGNMENT, 4);

  std::vector<uint8_t> topDown(bottomUp.size());
  for (int y = 0; y < height_; ++y) {
    std::memcpy(&topDown[y * rowBytes], &bottomUp[(height_ - 1 - y) * rowBytes], rowBytes);
  }
  return topDown;
}
