#include "ui/render/render_resources.h"

#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>
#include <system_error>

#include "catalog/catalog_item.h"
#include "extras/trending.h"
#include "net/text.h"
#include "platform/layer_surface.h"
#include "ui/render/font_warmup.h"
#include "ui/render/icon_cache.h"
#include "ui/render/text_box_record.h"

// Sections: colours and fonts; geometry; display names; frame and helpers;
// pictures.

// ---------------------------------------------------------------------------
// Colours and fonts

Rgba AccentColor(int dashColor) {
  static constexpr Rgba kPalette[kAccentCount] = {
      {0.71, 0.71, 0.71, 1},  // grey
      {0.85, 0.19, 0.35, 1},  // crimson
      {0.09, 0.51, 0.67, 1},  // teal blue
      {0.10, 0.51, 0.05, 1},  // green
      {0.62, 0.49, 0.04, 1},  // ochre
      {0.56, 0.04, 0.62, 1},  // purple
      {0.43, 0.60, 0.04, 1},  // olive green
  };
  if (dashColor < 0 || dashColor >= kAccentCount) dashColor = 0;
  return kPalette[dashColor];
}

FontSpec FontSpecOf(FontId font) {
  switch (font) {
    case FontId::Label: return {600, 26};
    case FontId::Title: return {700, 48};
    case FontId::Hint: return {400, 18};
    case FontId::Row: return {500, 20};
    case FontId::Hero: return {700, 56};
    case FontId::Tile: return {700, 22};
    case FontId::StripSmall: return {600, 20};
    case FontId::StripLarge: return {600, 32};
  }
  return {400, 18};
}

namespace {
double Linear(double channel) {
  return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}
}  // namespace

double RelativeLuminance(Rgba c) { return 0.2126 * Linear(c.r) + 0.7152 * Linear(c.g) + 0.0722 * Linear(c.b); }

double ContrastRatio(Rgba a, Rgba b) {
  const double la = RelativeLuminance(a), lb = RelativeLuminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

Rgba ReadableOn(Rgba fill) {
  constexpr Rgba kBlack{0, 0, 0, 1}, kWhite{1, 1, 1, 1};
  return ContrastRatio(fill, kBlack) > ContrastRatio(fill, kWhite) ? kBlack : kWhite;
}

Rgba LegibleAccent(Rgba accent, Rgba fill) { return ContrastRatio(accent, fill) >= 4.5 ? accent : Rgba{1, 1, 1, 1}; }

double FontScaleFor(int width, int height) {
  return std::min(std::max(1, height) / kDesignHeight, std::max(1, width) / kDesignWidth);
}

double FontPxAt(FontId font, double scale) {
  const double design = FontSpecOf(font).sizePx;
  return std::max(design * scale, std::min(design, kMinFontPx));
}

PangoFontDescription* NewFontDescription(FontId font, double scale) {
  const FontSpec spec = FontSpecOf(font);
  PangoFontDescription* description = pango_font_description_new();
  pango_font_description_set_family(description, kFontFamilies);
  pango_font_description_set_weight(description, static_cast<PangoWeight>(spec.weight));
  pango_font_description_set_style(description, PANGO_STYLE_NORMAL);
  pango_font_description_set_stretch(description, PANGO_STRETCH_NORMAL);
  pango_font_description_set_absolute_size(description, FontPxAt(font, scale) * PANGO_SCALE);
  return description;
}

// ---------------------------------------------------------------------------
// Geometry

RectF DesignRect(double left, double top, double right, double bottom, double width, double height) {
  return RectF{DesignX(left, width), DesignY(top, height), DesignX(right, width), DesignY(bottom, height)};
}

RectF WideRect(double left, double top, double right, double bottom, double width, double height) {
  return RectF{WideX(left, width), DesignY(top, height), WideX(right, width), DesignY(bottom, height)};
}

ScrollbarGeometry ScrollbarThumb(double x, double top, double bottom, int first, int visible, int total) {
  ScrollbarGeometry g;
  const double height = bottom - top;
  if (total <= visible || visible < 1 || height < 20) return g;
  g.shown = true;
  g.track = RectF{x, top, x + kScrollbarWidth, bottom};
  const double thumb = std::min(height, std::max(kScrollbarMinThumb, visible * height / total));
  // A first row past the last full page (a list that just shrank) keeps the
  // thumb inside the track.
  const int lastFirst = total - visible;
  first = std::clamp(first, 0, lastFirst);
  const double thumbTop = top + (height - thumb) * first / lastFirst;
  g.thumb = RectF{x, thumbTop, x + kScrollbarWidth, thumbTop + thumb};
  return g;
}

// ---------------------------------------------------------------------------
// Display names

namespace {

bool IsAsciiLetterOrDigit(char16_t c) {
  return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9');
}

// Latin letters with diacritics (U+00C0-U+024F), and the letters of the
// other alphabets of the interface's languages and beyond: Greek, Cyrillic,
// Armenian, Hebrew, Arabic and the other scripts up to Greek Extended
// (U+0370-U+1FFF), and the CJK and Hangul blocks. Decoration (stars, bullets,
// arrows, box drawing, dingbats, emoji) lies outside these ranges.
bool IsOtherLetter(char16_t c) {
  return (c >= 0x00C0 && c <= 0x024F) || (c >= 0x0370 && c <= 0x1FFF) || (c >= 0x3040 && c <= 0x9FFF) ||
         (c >= 0xAC00 && c <= 0xD7A3);
}

bool StartsName(char16_t c) { return IsAsciiLetterOrDigit(c) || c == u'[' || c == u'+' || IsOtherLetter(c); }
bool EndsName(char16_t c) { return IsAsciiLetterOrDigit(c) || c == u']' || c == u')' || IsOtherLetter(c); }

}  // namespace

std::u16string CleanDisplayName(std::u16string_view text) {
  size_t begin = 0;
  while (begin < text.size() && !StartsName(text[begin])) ++begin;
  size_t end = text.size();
  while (end > begin && !EndsName(text[end - 1])) --end;
  if (begin >= end) return std::u16string(text);
  return std::u16string(text.substr(begin, end - begin));
}

// ---------------------------------------------------------------------------
// Frame and helpers

namespace {

void SetColour(cairo_t* cr, Rgba c) { cairo_set_source_rgba(cr, c.r, c.g, c.b, c.a); }

void RoundedPath(cairo_t* cr, const RectF& r, double radius) {
  radius = std::max(0.0, std::min({radius, r.Width() / 2, r.Height() / 2}));
  constexpr double kQuarter = M_PI / 2;
  cairo_new_sub_path(cr);
  cairo_arc(cr, r.right - radius, r.top + radius, radius, -kQuarter, 0);
  cairo_arc(cr, r.right - radius, r.bottom - radius, radius, 0, kQuarter);
  cairo_arc(cr, r.left + radius, r.bottom - radius, radius, kQuarter, 2 * kQuarter);
  cairo_arc(cr, r.left + radius, r.top + radius, radius, 2 * kQuarter, 3 * kQuarter);
  cairo_close_path(cr);
}

std::filesystem::path ExecutableFolder() {
  std::error_code error;
  const auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::filesystem::path() : exe.parent_path();
}

}  // namespace

RenderResources::RenderResources(std::filesystem::path programFolder)
    : programFolder_(std::move(programFolder)),
      icons_(std::make_unique<IconCache>(ThreadedIconDownloads({}))),
      textBoxes_(TextBoxRecord::FromEnvironment()) {
  for (int i = 0; i < kFontCount; ++i) fonts_[i] = NewFontDescription(static_cast<FontId>(i), 1);
  fontScale_ = 1;
}

void RenderResources::ScaleFonts(double scale) {
  if (scale == fontScale_) return;
  fontScale_ = scale;
  for (int i = 0; i < kFontCount; ++i) {
    const double px = FontPxAt(static_cast<FontId>(i), scale);
    pango_font_description_set_absolute_size(fonts_[i], px * PANGO_SCALE);
  }
}

RenderResources::~RenderResources() {
  EndFrame();
  fontWarmup_.reset();
  for (PangoFontDescription* font : fonts_) pango_font_description_free(font);
}

void RenderResources::PrepareFontsAhead(int width, int height, std::function<void()> ready) {
  if (fontWarmup_) return;
  fontWarmup_ = std::make_unique<FontWarmup>(width, height, std::move(ready));
}

void RenderResources::AwaitFonts() {
  if (!fontWarmup_) return;
  fontWarmup_->Adopt();
  fontWarmup_.reset();
}

void RenderResources::BeginFrame(cairo_t* cr, int width, int height, int dashColor) {
  EndFrame();
  if (!cr) return;
  AwaitFonts();
  cr_ = cr;
  width_ = std::max(1, width);
  height_ = std::max(1, height);
  ScaleFonts(FontScaleFor(width_, height_));
  layout_ = pango_cairo_create_layout(cr_);
  ApplyAccent(dashColor);
}

void RenderResources::EndFrame() {
  if (textBoxes_ && cr_) textBoxes_->EndLayer();
  if (layout_) g_object_unref(layout_);
  layout_ = nullptr;
  cr_ = nullptr;
}

void RenderResources::RecordTexts(std::string_view layer) {
  if (!textBoxes_ || !cr_) return;
  textBoxes_->BeginLayer(layer);
  textPart_ = "screen";
}

void RenderResources::MarkTexts(std::string_view part) {
  if (textBoxes_) textPart_ = std::string(part);
}

// The ink that the clip lets through, in window pixels.
void RenderResources::RecordText(PangoLayout* layout, double x, double y, const RectF& box, const char* kind) {
  if (!textBoxes_) return;
  PangoRectangle ink;
  pango_layout_get_pixel_extents(layout, &ink, nullptr);
  if (ink.width <= 0 || ink.height <= 0) return;
  double inkLeft = x + ink.x, inkTop = y + ink.y, inkRight = inkLeft + ink.width, inkBottom = inkTop + ink.height;
  double clipLeft, clipTop, clipRight, clipBottom;
  cairo_clip_extents(cr_, &clipLeft, &clipTop, &clipRight, &clipBottom);
  inkLeft = std::max(inkLeft, clipLeft);
  inkTop = std::max(inkTop, clipTop);
  inkRight = std::min(inkRight, clipRight);
  inkBottom = std::min(inkBottom, clipBottom);
  if (inkRight <= inkLeft || inkBottom <= inkTop) return;
  const auto toWindow = [this](double left, double top, double right, double bottom) {
    cairo_user_to_device(cr_, &left, &top);
    cairo_user_to_device(cr_, &right, &bottom);
    return RectF{left, top, right, bottom};
  };
  textBoxes_->Add(RecordedText{textPart_, kind, pango_layout_get_text(layout),
                               toWindow(box.left, box.top, box.right, box.bottom),
                               toWindow(inkLeft, inkTop, inkRight, inkBottom)});
}

void RenderResources::ApplyAccent(int dashColor) { brushes_.Accent = AccentColor(dashColor); }

const PangoFontDescription* RenderResources::Font(FontId font) const { return fonts_[static_cast<int>(font)]; }

void RenderResources::Clear(Rgba colour) {
  if (!cr_) return;
  cairo_save(cr_);
  cairo_set_operator(cr_, CAIRO_OPERATOR_SOURCE);
  SetColour(cr_, colour);
  cairo_paint(cr_);
  cairo_restore(cr_);
}

void RenderResources::FillRect(const RectF& rect, Rgba colour) {
  if (!cr_) return;
  cairo_rectangle(cr_, rect.left, rect.top, rect.Width(), rect.Height());
  SetColour(cr_, colour);
  cairo_fill(cr_);
}

void RenderResources::FillRounded(const RectF& rect, double radius, Rgba colour) {
  if (!cr_) return;
  RoundedPath(cr_, rect, radius);
  SetColour(cr_, colour);
  cairo_fill(cr_);
}

void RenderResources::StrokeRounded(const RectF& rect, double radius, Rgba colour, double strokeWidth) {
  if (!cr_) return;
  RoundedPath(cr_, rect, radius);
  SetColour(cr_, colour);
  cairo_set_line_width(cr_, strokeWidth);
  cairo_stroke(cr_);
}

void RenderResources::FillDisc(double cx, double cy, double radius, Rgba colour) {
  if (!cr_) return;
  cairo_new_sub_path(cr_);
  cairo_arc(cr_, cx, cy, radius, 0, 2 * M_PI);
  SetColour(cr_, colour);
  cairo_fill(cr_);
}

PangoLayout* RenderResources::LayoutFor(FontId font, std::u16string_view text, double width, TextAlign align) {
  const std::string utf8 = WideToUtf8(text);
  pango_layout_set_font_description(layout_, Font(font));
  pango_layout_set_text(layout_, utf8.data(), static_cast<int>(utf8.size()));
  pango_layout_set_attributes(layout_, nullptr);
  pango_layout_set_ellipsize(layout_, PANGO_ELLIPSIZE_NONE);
  pango_layout_set_height(layout_, -1);
  pango_layout_set_wrap(layout_, PANGO_WRAP_WORD_CHAR);
  pango_layout_set_width(layout_, width > 0 ? static_cast<int>(width * PANGO_SCALE) : -1);
  PangoAlignment alignment = PANGO_ALIGN_LEFT;
  if (align.h == HAlign::Center) alignment = PANGO_ALIGN_CENTER;
  if (align.h == HAlign::Trailing) alignment = PANGO_ALIGN_RIGHT;
  pango_layout_set_alignment(layout_, alignment);
  return layout_;
}

void RenderResources::DrawLayout(PangoLayout* layout, const RectF& rect, Rgba colour, VAlign valign,
                                 const char* kind, const RectF* box) {
  PangoRectangle logical;
  pango_layout_get_pixel_extents(layout, nullptr, &logical);
  double y = rect.top;
  if (valign == VAlign::Center) y += (rect.Height() - logical.height) / 2;
  if (valign == VAlign::Far) y += rect.Height() - logical.height;
  SetColour(cr_, colour);
  cairo_move_to(cr_, rect.left, y);
  pango_cairo_show_layout(cr_, layout);
  cairo_new_path(cr_);
  RecordText(layout, rect.left, y, box ? *box : rect, kind);
}

void RenderResources::DrawLabel(FontId font, std::u16string_view text, const RectF& rect, Rgba colour,
                                TextAlign align) {
  if (!cr_ || text.empty()) return;
  PangoLayout* layout = LayoutFor(font, text, rect.Width(), align);
  DrawLayout(layout, rect, colour, align.v);
}

void RenderResources::DrawTrimmed(FontId font, std::u16string_view text, const RectF& rect, Rgba colour,
                                  TextAlign align) {
  if (!cr_ || text.empty()) return;
  if (rect.Width() < 4 || rect.Height() < 4) {
    DrawLabel(font, text, rect, colour, align);
    return;
  }
  PangoLayout* layout = LayoutFor(font, text, rect.Width(), align);
  pango_layout_set_ellipsize(layout, PANGO_ELLIPSIZE_END);
  // A low rectangle holds one line (per paragraph); a taller one wraps and
  // puts the ellipsis on the last line that fits.
  pango_layout_set_height(layout, rect.Height() < Px(40) ? -1 : static_cast<int>(rect.Height() * PANGO_SCALE));
  DrawLayout(layout, rect, colour, align.v, "trimmed");
}

void RenderResources::DrawTrimmedLine(FontId font, std::u16string_view text, const RectF& rect, Rgba colour,
                                      TextAlign align) {
  if (!cr_ || text.empty() || rect.Width() < 4 || rect.Height() < 4) return;
  std::u16string line(text);
  for (char16_t& c : line) {
    if (c == u'\n' || c == u'\r' || c == u'\t' || c == 0x2028 || c == 0x2029) c = u' ';
  }
  PangoLayout* layout = LayoutFor(font, line, rect.Width(), align);
  pango_layout_set_ellipsize(layout, PANGO_ELLIPSIZE_END);
  pango_layout_set_height(layout, -1);  // one line per paragraph, and there is one paragraph
  DrawLayout(layout, rect, colour, align.v, "trimmed");
}

void RenderResources::DrawSingleLine(FontId font, std::u16string_view text, const RectF& rect, Rgba colour,
                                     TextAlign align) {
  if (!cr_ || text.empty()) return;
  PangoLayout* layout = LayoutFor(font, text, -1, {});
  PangoRectangle logical;
  pango_layout_get_pixel_extents(layout, nullptr, &logical);
  RectF placed = rect;
  if (align.h == HAlign::Center) placed.left += (rect.Width() - logical.width) / 2;
  if (align.h == HAlign::Trailing) placed.left = rect.right - logical.width;
  DrawLayout(layout, placed, colour, align.v, "line", &rect);
}

void RenderResources::DrawTextTail(FontId font, std::u16string_view text, const RectF& rect, Rgba colour) {
  if (!cr_ || text.empty() || rect.Width() <= 0 || rect.Height() <= 0) return;
  PangoLayout* layout = LayoutFor(font, text, rect.Width(), {});
  PangoRectangle logical;
  pango_layout_get_pixel_extents(layout, nullptr, &logical);
  cairo_save(cr_);
  cairo_rectangle(cr_, rect.left, rect.top, rect.Width(), rect.Height());
  cairo_clip(cr_);
  const double overflow = std::max(0.0, logical.height - rect.Height());
  SetColour(cr_, colour);
  cairo_move_to(cr_, rect.left, rect.top - overflow);
  pango_cairo_show_layout(cr_, layout);
  cairo_new_path(cr_);
  RecordText(layout, rect.left, rect.top - overflow, rect, "tail");
  cairo_restore(cr_);
}

std::pair<double, double> RenderResources::MeasureText(FontId font, std::u16string_view text) {
  if (!cr_ || text.empty()) return {0, 0};
  PangoLayout* layout = LayoutFor(font, text, -1, {});
  PangoRectangle logical;
  pango_layout_get_pixel_extents(layout, nullptr, &logical);
  return {logical.width, logical.height};
}

void RenderResources::DrawButton(const RectF& rect, std::u16string_view text, bool selected, bool outlined) {
  if (!cr_) return;
  FillRounded(rect, 10, selected ? Rgba{0.75, 0.62, 0.18, 1} : Rgba{0.12, 0.12, 0.14, 1});
  if (outlined) StrokeRounded(rect, 10, brushes_.Accent, 2);
  // White on the gold fill would have a contrast of 2.6; near-black has 7.
  DrawLabel(FontId::Label, text, rect, selected ? Rgba{0.06, 0.06, 0.08, 1} : brushes_.White, kAlignCentered);
}

void RenderResources::DrawTextField(const RectF& rect, std::u16string_view text, std::u16string_view placeholder,
                                    bool focused) {
  if (!cr_) return;
  FillRounded(rect, 8, Rgba{0.08, 0.08, 0.10, 1});
  if (focused) {
    StrokeRounded(rect, 8, brushes_.Accent, 2);
  } else {
    StrokeRounded(rect, 8, brushes_.Dim, 1);
  }
  std::u16string shown(text.empty() ? placeholder : text);
  if (focused) shown += u'|';
  const RectF inner{rect.left + 12, rect.top, rect.right - 8, rect.bottom};
  DrawTrimmed(FontId::Label, shown, inner, text.empty() ? brushes_.Dim : brushes_.White, kAlignLeadingCentered);
}

void RenderResources::DrawScrollbar(double x, double top, double bottom, int first, int visible, int total) {
  if (!cr_) return;
  const ScrollbarGeometry g = ScrollbarThumb(x, top, bottom, first, visible, total);
  if (!g.shown) return;
  FillRect(g.track, WithAlpha(brushes_.Dim, 0.18));
  FillRect(g.thumb, brushes_.Accent);
}

void RenderResources::DrawBackButton(const RectF& rect) {
  if (!cr_) return;
  FillRounded(rect, 12, brushes_.Shade);
  DrawLabel(FontId::Label, u"<", rect, brushes_.White, kAlignCentered);
}

void RenderResources::DrawToast(std::u16string_view text, uint64_t hideAtMs, uint64_t nowMs, const RectF& box) {
  if (!cr_ || text.empty() || nowMs >= hideAtMs) return;
  MarkTexts("toast");
  FillRounded(box, 12, Rgba{0, 0, 0, 0.65});
  const double pad = box.Height() / 5;
  DrawTrimmed(FontId::Label, text, RectF{box.left + pad, box.top + pad / 2, box.right - pad, box.bottom - pad / 2},
              brushes_.White, kAlignCentered);
}

void RenderResources::DrawPicture(cairo_surface_t* picture, const RectF& rect, double opacity) {
  if (!cr_ || !picture || rect.Width() <= 0 || rect.Height() <= 0) return;
  const int w = cairo_image_surface_get_width(picture);
  const int h = cairo_image_surface_get_height(picture);
  if (w <= 0 || h <= 0) return;
  cairo_save(cr_);
  cairo_translate(cr_, rect.left, rect.top);
  cairo_scale(cr_, rect.Width() / w, rect.Height() / h);
  cairo_set_source_surface(cr_, picture, 0, 0);
  cairo_pattern_set_filter(cairo_get_source(cr_), CAIRO_FILTER_GOOD);
  cairo_paint_with_alpha(cr_, opacity);
  cairo_restore(cr_);
}

// ---------------------------------------------------------------------------
// Pictures

cairo_surface_t* RenderResources::Logo() {
  if (logoLooked_) return logo_.get();
  logoLooked_ = true;
  const std::filesystem::path folder = programFolder_.empty() ? ExecutableFolder() : programFolder_;
  if (folder.empty()) return nullptr;
  for (const char* name : {"vs-logo.png", "assets/vs-logo.png", "logo.png"}) {
    logo_ = DecodeImageFile(folder / name);
    if (logo_) break;
  }
  return logo_.get();
}

cairo_surface_t* RenderResources::Backdrop(std::u16string_view key, uint32_t generation) {
  const bool same = key == backdropKey_ && generation == backdropGeneration_;
  if (same && backdrop_) return backdrop_.get();
  if (!same) {
    backdropKey_ = std::u16string(key);
    backdropGeneration_ = generation;
    backdropTried_ = false;
  }
  backdrop_.reset();
  backdropScaled_.reset();

  // A missing file costs one look per paint; a file that would not decode is
  // not decoded again until it is rewritten (or the key changes).
  const std::filesystem::path file = BackdropFile();
  std::error_code error;
  const auto stamp = std::filesystem::last_write_time(file, error);
  if (error) return nullptr;
  if (backdropTried_ && stamp == backdropTriedStamp_) return nullptr;
  backdrop_ = DecodeImageFile(file);
  backdropTried_ = !backdrop_;
  backdropTriedStamp_ = stamp;
  return backdrop_.get();
}

void RenderResources::ForgetBackdrop() {
  backdrop_.reset();
  backdropScaled_.reset();
  backdropKey_.clear();
  backdropTried_ = false;
}

bool RenderResources::DrawBackdrop(std::u16string_view key, uint32_t generation) {
  cairo_surface_t* picture = Backdrop(key, generation);
  if (!cr_ || !picture) return false;
  // Scaling a large picture on every paint is the most expensive thing a
  // frame would do; the scaled copy is redone only when the size changes.
  // It is window-sized, so it takes the layers' memory: the first frame of
  // Home scales it, and ordinary pages would fault in two thousand times.
  if (!backdropScaled_ || cairo_image_surface_get_width(backdropScaled_.get()) != width_ ||
      cairo_image_surface_get_height(backdropScaled_.get()) != height_) {
    SurfacePtr scaled(CreateLayerSurface(width_, height_));
    if (cairo_surface_status(scaled.get()) != CAIRO_STATUS_SUCCESS) return false;
    cairo_t* scaler = cairo_create(scaled.get());
    cairo_scale(scaler, static_cast<double>(width_) / cairo_image_surface_get_width(picture),
                static_cast<double>(height_) / cairo_image_surface_get_height(picture));
    cairo_set_source_surface(scaler, picture, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(scaler), CAIRO_FILTER_GOOD);
    cairo_pattern_set_extend(cairo_get_source(scaler), CAIRO_EXTEND_PAD);
    cairo_paint(scaler);
    cairo_destroy(scaler);
    backdropScaled_ = std::move(scaled);
  }
  cairo_set_source_surface(cr_, backdropScaled_.get(), 0, 0);
  cairo_paint(cr_);
  return true;
}

cairo_surface_t* RenderResources::IconFor(const CatalogItem& item) { return icons_->IconFor(item, Drawing()); }

void RenderResources::SetIconCache(std::unique_ptr<IconCache> icons) {
  if (icons) icons_ = std::move(icons);
}
