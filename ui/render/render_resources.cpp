#include "ui/render/render_resources.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <system_error>

#include "catalog/catalog_item.h"
#include "extras/trending.h"
#include "net/text.h"
#include "platform/font_warmup.h"
#include "platform/image_decode.h"
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

FontFace FaceAt(FontId font, double scale) { return FontFace{FontSpecOf(font).weight, FontPxAt(font, scale)}; }

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

void RoundedPath(Canvas& canvas, const RectF& r, double radius) {
  radius = std::max(0.0, std::min({radius, r.Width() / 2, r.Height() / 2}));
  constexpr double kQuarter = std::numbers::pi / 2;
  canvas.NewFigure();
  canvas.Arc(r.right - radius, r.top + radius, radius, -kQuarter, 0);
  canvas.Arc(r.right - radius, r.bottom - radius, radius, 0, kQuarter);
  canvas.Arc(r.left + radius, r.bottom - radius, radius, kQuarter, 2 * kQuarter);
  canvas.Arc(r.left + radius, r.top + radius, radius, 2 * kQuarter, 3 * kQuarter);
  canvas.ClosePath();
}

// Whole pixels around `r`: what the text boxes are placed and recorded by.
RectF Outward(const RectF& r) {
  return RectF{std::floor(r.left), std::floor(r.top), std::ceil(r.right), std::ceil(r.bottom)};
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
      textBoxes_(TextBoxRecord::FromEnvironment()) {}

RenderResources::~RenderResources() {
  EndFrame();
  fontWarmup_.reset();
}

void RenderResources::PrepareFontsAhead(int width, int height, std::function<void()> ready) {
  if (fontWarmup_) return;
  const double scale = FontScaleFor(width, height);
  std::vector<FontFace> faces;
  for (int i = 0; i < kFontCount; ++i) faces.push_back(FaceAt(static_cast<FontId>(i), scale));
  fontWarmup_ = std::make_unique<FontWarmup>(std::move(faces), std::move(ready));
}

void RenderResources::AwaitFonts() {
  if (!fontWarmup_) return;
  fontWarmup_->Adopt();
  fontWarmup_.reset();
}

void RenderResources::BeginFrame(Canvas& canvas, int width, int height, int dashColor) {
  EndFrame();
  AwaitFonts();
  canvas_ = &canvas;
  width_ = std::max(1, width);
  height_ = std::max(1, height);
  fontScale_ = FontScaleFor(width_, height_);
  ApplyAccent(dashColor);
}

void RenderResources::EndFrame() {
  if (textBoxes_ && canvas_) textBoxes_->EndLayer();
  canvas_ = nullptr;
}

void RenderResources::RecordTexts(std::string_view layer) {
  if (!textBoxes_ || !canvas_) return;
  textBoxes_->BeginLayer(layer);
  textPart_ = "screen";
}

void RenderResources::MarkTexts(std::string_view part) {
  if (textBoxes_) textPart_ = std::string(part);
}

// The ink that the clip lets through, in window pixels (a frame's canvas
// draws without a transform).
void RenderResources::RecordText(const std::string& utf8, const RectF& ink, double x, double y, const RectF& box,
                                 const char* kind) {
  if (!textBoxes_) return;
  const RectF pixels = Outward(ink);
  if (pixels.Width() <= 0 || pixels.Height() <= 0) return;
  const RectF clip = canvas_->ClipBox();
  const RectF shown{std::max(x + pixels.left, clip.left), std::max(y + pixels.top, clip.top),
                    std::min(x + pixels.right, clip.right), std::min(y + pixels.bottom, clip.bottom)};
  if (shown.right <= shown.left || shown.bottom <= shown.top) return;
  textBoxes_->Add(RecordedText{textPart_, kind, utf8, box, shown});
}

void RenderResources::ApplyAccent(int dashColor) { brushes_.Accent = AccentColor(dashColor); }

void RenderResources::Clear(Rgba colour) {
  if (canvas_) canvas_->Clear(colour);
}

void RenderResources::FillRect(const RectF& rect, Rgba colour) {
  if (!canvas_) return;
  canvas_->Rectangle(rect);
  canvas_->Fill(colour);
}

void RenderResources::FillRounded(const RectF& rect, double radius, Rgba colour) {
  if (!canvas_) return;
  RoundedPath(*canvas_, rect, radius);
  canvas_->Fill(colour);
}

void RenderResources::StrokeRounded(const RectF& rect, double radius, Rgba colour, double strokeWidth) {
  if (!canvas_) return;
  RoundedPath(*canvas_, rect, radius);
  canvas_->Stroke(colour, strokeWidth);
}

void RenderResources::FillDisc(double cx, double cy, double radius, Rgba colour) {
  if (!canvas_) return;
  canvas_->NewFigure();
  canvas_->Arc(cx, cy, radius, 0, 2 * std::numbers::pi);
  canvas_->Fill(colour);
}

void RenderResources::StrokeCircle(double cx, double cy, double radius, Rgba colour, double strokeWidth) {
  if (!canvas_) return;
  canvas_->NewFigure();
  canvas_->Arc(cx, cy, radius, 0, 2 * std::numbers::pi);
  canvas_->Stroke(colour, strokeWidth);
}

void RenderResources::PlaceText(FontId font, const std::string& utf8, const TextFlow& flow, const RectF& rect,
                                Rgba colour, VAlign valign, const char* kind, const RectF* box) {
  const FontFace face = Face(font);
  const double height = Outward(canvas_->MeasureText(face, utf8, flow).logical).Height();
  double y = rect.top;
  if (valign == VAlign::Center) y += (rect.Height() - height) / 2;
  if (valign == VAlign::Far) y += rect.Height() - height;
  const TextExtents drawn = canvas_->DrawText(face, utf8, flow, rect.left, y, colour);
  RecordText(utf8, drawn.ink, rect.left, y, box ? *box : rect, kind);
}

void RenderResources::DrawLabel(FontId font, std::u16string_view text, const RectF& rect, Rgba colour,
                                TextAlign align) {
  if (!canvas_ || text.empty()) return;
  PlaceText(font, WideToUtf8(text), TextFlow{rect.Width(), 0, false, align.h}, rect, colour, align.v, "label");
}

void RenderResources::DrawTrimmed(FontId font, std::u16string_view text, const RectF& rect, Rgba colour,
                                  TextAlign align) {
  if (!canvas_ || text.empty()) return;
  if (rect.Width() < 4 || rect.Height() < 4) {
    DrawLabel(font, text, rect, colour, align);
    return;
  }
  // A low rectangle holds one line (per paragraph); a taller one wraps and
  // puts the ellipsis on the last line that fits.
  const double height = rect.Height() < Px(40) ? 0 : rect.Height();
  PlaceText(font, WideToUtf8(text), TextFlow{rect.Width(), height, true, align.h}, rect, colour, align.v, "trimmed");
}

void RenderResources::DrawTrimmedLine(FontId font, std::u16string_view text, const RectF& rect, Rgba colour,
                                      TextAlign align) {
  if (!canvas_ || text.empty() || rect.Width() < 4 || rect.Height() < 4) return;
  std::u16string line(text);
  for (char16_t& c : line) {
    if (c == u'\n' || c == u'\r' || c == u'\t' || c == 0x2028 || c == 0x2029) c = u' ';
  }
  // One line per paragraph, and there is one paragraph.
  PlaceText(font, WideToUtf8(line), TextFlow{rect.Width(), 0, true, align.h}, rect, colour, align.v, "trimmed");
}

void RenderResources::DrawSingleLine(FontId font, std::u16string_view text, const RectF& rect, Rgba colour,
                                     TextAlign align) {
  if (!canvas_ || text.empty()) return;
  const std::string utf8 = WideToUtf8(text);
  const double width = Outward(canvas_->MeasureText(Face(font), utf8, {}).logical).Width();
  RectF placed = rect;
  if (align.h == HAlign::Center) placed.left += (rect.Width() - width) / 2;
  if (align.h == HAlign::Trailing) placed.left = rect.right - width;
  PlaceText(font, utf8, {}, placed, colour, align.v, "line", &rect);
}

void RenderResources::DrawTextTail(FontId font, std::u16string_view text, const RectF& rect, Rgba colour) {
  if (!canvas_ || text.empty() || rect.Width() <= 0 || rect.Height() <= 0) return;
  const std::string utf8 = WideToUtf8(text);
  const FontFace face = Face(font);
  const TextFlow flow{rect.Width(), 0, false, HAlign::Leading};
  const double height = Outward(canvas_->MeasureText(face, utf8, flow).logical).Height();
  canvas_->PushClip(rect);
  const double overflow = std::max(0.0, height - rect.Height());
  const TextExtents drawn = canvas_->DrawText(face, utf8, flow, rect.left, rect.top - overflow, colour);
  RecordText(utf8, drawn.ink, rect.left, rect.top - overflow, rect, "tail");
  canvas_->PopClip();
}

std::pair<double, double> RenderResources::MeasureText(FontId font, std::u16string_view text) {
  if (!canvas_ || text.empty()) return {0, 0};
  const RectF logical = Outward(canvas_->MeasureText(Face(font), WideToUtf8(text), {}).logical);
  return {logical.Width(), logical.Height()};
}

void RenderResources::DrawButton(const RectF& rect, std::u16string_view text, bool selected, bool outlined) {
  if (!canvas_) return;
  FillRounded(rect, 10, selected ? Rgba{0.75, 0.62, 0.18, 1} : Rgba{0.12, 0.12, 0.14, 1});
  if (outlined) StrokeRounded(rect, 10, brushes_.Accent, 2);
  // White on the gold fill would have a contrast of 2.6; near-black has 7.
  DrawLabel(FontId::Label, text, rect, selected ? Rgba{0.06, 0.06, 0.08, 1} : brushes_.White, kAlignCentered);
}

void RenderResources::DrawTextField(const RectF& rect, std::u16string_view text, std::u16string_view placeholder,
                                    bool focused) {
  if (!canvas_) return;
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
  if (!canvas_) return;
  const ScrollbarGeometry g = ScrollbarThumb(x, top, bottom, first, visible, total);
  if (!g.shown) return;
  FillRect(g.track, WithAlpha(brushes_.Dim, 0.18));
  FillRect(g.thumb, brushes_.Accent);
}

void RenderResources::DrawBackButton(const RectF& rect) {
  if (!canvas_) return;
  FillRounded(rect, 12, brushes_.Shade);
  DrawLabel(FontId::Label, u"<", rect, brushes_.White, kAlignCentered);
}

void RenderResources::DrawToast(std::u16string_view text, uint64_t hideAtMs, uint64_t nowMs, const RectF& box) {
  if (!canvas_ || text.empty() || nowMs >= hideAtMs) return;
  MarkTexts("toast");
  FillRounded(box, 12, Rgba{0, 0, 0, 0.65});
  const double pad = box.Height() / 5;
  DrawTrimmed(FontId::Label, text, RectF{box.left + pad, box.top + pad / 2, box.right - pad, box.bottom - pad / 2},
              brushes_.White, kAlignCentered);
}

void RenderResources::DrawPicture(const Picture* picture, const RectF& rect, double opacity) {
  if (!canvas_ || !picture || rect.Width() <= 0 || rect.Height() <= 0) return;
  if (picture->Width() <= 0 || picture->Height() <= 0) return;
  canvas_->DrawPicture(*picture, rect, opacity);
}

// ---------------------------------------------------------------------------
// Pictures

const Picture* RenderResources::Logo() {
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

const Picture* RenderResources::Backdrop(std::u16string_view key, uint32_t generation) {
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
  // The size as well: some systems keep the time to the second only, and a
  // download finishes within the second of the file it replaces.
  const uintmax_t size = std::filesystem::file_size(file, error);
  if (error) return nullptr;
  if (backdropTried_ && stamp == backdropTriedStamp_ && size == backdropTriedSize_) return nullptr;
  backdrop_ = DecodeImageFile(file);
  backdropTried_ = !backdrop_;
  backdropTriedStamp_ = stamp;
  backdropTriedSize_ = size;
  return backdrop_.get();
}

void RenderResources::ForgetBackdrop() {
  backdrop_.reset();
  backdropScaled_.reset();
  backdropKey_.clear();
  backdropTried_ = false;
}

bool RenderResources::DrawBackdrop(std::u16string_view key, uint32_t generation) {
  const Picture* picture = Backdrop(key, generation);
  if (!canvas_ || !picture) return false;
  // Scaling a large picture on every paint is the most expensive thing a
  // frame would do; the scaled copy is redone only when the size changes.
  if (!backdropScaled_ || backdropScaled_->Width() != width_ || backdropScaled_->Height() != height_) {
    backdropScaled_ = ScalePicture(*picture, width_, height_);
    if (!backdropScaled_) return false;
  }
  canvas_->DrawPicture(*backdropScaled_, RectF{0, 0, double(width_), double(height_)});
  return true;
}

const Picture* RenderResources::IconFor(const CatalogItem& item) { return icons_->IconFor(item, Drawing()); }

void RenderResources::SetIconCache(std::unique_ptr<IconCache> icons) {
  if (icons) icons_ = std::move(icons);
}
