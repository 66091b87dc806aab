#pragma once
// The drawing foundation every painter shares.
//
// Sections:
//   1. Colours, the accent palette and the six text styles.
//   2. Design coordinates: screens are laid out for 1920 x 1080 (a few wide
//      elements for a width of 2400) and scaled to the surface; font sizes,
//      radii and stroke widths stay in pixels.
//   3. Pure geometry shared by painting and hit testing (scroll bars).
//   4. CleanDisplayName, for names shown on rows and cards.
//   5. RenderResources: one frame's canvas (platform/canvas.h), the drawing
//      helpers that give the screens their common look, and the pictures
//      (logo, home backdrop, item icons).
//
// Everything here runs on the main thread.
#include <algorithm>
#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/canvas.h"

class Canvas;
class CatalogItem;
class FontWarmup;
class IconCache;
class TextBoxRecord;

// ---------------------------------------------------------------------------
// 1. Colours and text styles

// The eleven standard colours (Rgba and RectF are the canvas's types). A
// painter that needs a one-off colour simply passes it.
struct Brushes {
  Rgba White{1, 1, 1, 1};
  Rgba Accent{0.95, 0.78, 0.22, 1};  // replaced by the palette at every frame
  Rgba Dim{1, 1, 1, 0.55};
  Rgba Scratch{0.06, 0.07, 0.10, 0.82};
  Rgba Blue{0.20, 0.55, 0.95, 1};
  Rgba Red{0.82, 0.12, 0.16, 1};
  Rgba BlueDeep{0.12, 0.45, 0.90, 1};
  Rgba Yellow{0.92, 0.72, 0.10, 1};
  Rgba Shade{0, 0, 0, 0.55};
  Rgba ShadeLight{0, 0, 0, 0.35};
  // A modal's panel: opaque, so nothing of the screen behind reads through.
  Rgba Panel{0.08, 0.08, 0.10, 1};
};

// The usual clear colour of a screen body.
constexpr Rgba kScreenClear{0.04, 0.05, 0.08, 1};

// The seven accent colours chosen by the DashColor setting; a value outside
// 0..6 counts as 0 (grey).
constexpr int kAccentCount = 7;
Rgba AccentColor(int dashColor);

// Legibility of text on a fill, as the accessibility guidelines measure it:
// the relative luminance of an opaque colour, and the contrast ratio of two
// colours (1 to 21; 4.5 is the least for body text).
double RelativeLuminance(Rgba colour);
double ContrastRatio(Rgba a, Rgba b);
// Black or white, whichever reads better on `fill`: the text colour of a
// focused item drawn on a filled highlight in the accent colour.
Rgba ReadableOn(Rgba fill);
// The accent for text on `fill` when it reads there (ratio 4.5 or more),
// white otherwise.
Rgba LegibleAccent(Rgba accent, Rgba fill);
// The focus outline of cells and tiles, in pixels of a 1080-high surface;
// thinner rings cannot be made out from a sofa.
constexpr double kFocusRingPx = 4;

// StripSmall and StripLarge: the Player screen's control strips.
enum class FontId : int { Label, Title, Hint, Row, Hero, Tile, StripSmall, StripLarge };
constexpr int kFontCount = 8;

enum class VAlign { Near, Center, Far };
struct TextAlign {
  HAlign h = HAlign::Leading;
  VAlign v = VAlign::Near;
};
constexpr TextAlign kAlignCentered{HAlign::Center, VAlign::Center};
constexpr TextAlign kAlignLeadingCentered{HAlign::Leading, VAlign::Center};

// The text styles: one family list, fixed weights, and sizes in pixels of a
// 1920 x 1080 surface. Sizes follow the surface like positions do (see
// FontScaleFor), so a screen reads the same at every window size.
struct FontSpec {
  int weight;   // CSS weight: 400 regular, 500 medium, 600 semibold, 700 bold
  int sizePx;
};
FontSpec FontSpecOf(FontId font);

// Below this many pixels text stops being legible from a sofa; a style that
// is designed larger never shrinks under it.
constexpr double kMinFontPx = 12;
// The factor text sizes (and the pixel paddings that hold text) are scaled
// by on a width x height surface: the height against 1080, or the width
// against 1920 when that is smaller (a narrow window must not make text run
// past the boxes that scale with the width).
double FontScaleFor(int width, int height);
// The pixel size of `font` at `scale`: its design size scaled, never below
// kMinFontPx unless it is designed smaller.
double FontPxAt(FontId font, double scale);
// The face of `font` at `scale` (its weight, FontPxAt), in the canvas's
// family list kFontFamilies.
FontFace FaceAt(FontId font, double scale);

// ---------------------------------------------------------------------------
// 2. Design coordinates

constexpr double kDesignWidth = 1920;
constexpr double kDesignHeight = 1080;
constexpr double kWideDesignWidth = 2400;

inline double DesignX(double x, double width) { return x * width / kDesignWidth; }
inline double DesignY(double y, double height) { return y * height / kDesignHeight; }
// How many rows `rowHeight` high (in 1080ths, like `top` and `bottomMargin`)
// fit between `top` and the bottom margin of a surface `height` high: at
// least one.
inline int DesignRowsThatFit(double height, double top, double rowHeight, double bottomMargin) {
  const double row = std::max(1.0, DesignY(rowHeight, height));
  return std::max(1, static_cast<int>((height - DesignY(top + bottomMargin, height)) / row + 1e-9));
}
inline double WideX(double x, double width) { return x * width / kWideDesignWidth; }

// A rectangle in the 1920 x 1080 space, or with x in the 2400-wide space.
RectF DesignRect(double left, double top, double right, double bottom, double width, double height);
RectF WideRect(double left, double top, double right, double bottom, double width, double height);

// ---------------------------------------------------------------------------
// 3. Scroll bars

constexpr double kScrollbarWidth = 14;
constexpr double kScrollbarMinThumb = 28;

struct ScrollbarGeometry {
  bool shown = false;  // false: nothing is drawn (everything fits, or too small)
  RectF track;
  RectF thumb;
};

// The track is x..x+14 between top and bottom; the thumb is at least 28
// high (never more than the track) and its position follows `first`
// (clamped to the last full page). Shown only when total > visible >= 1 and
// the track is at least 20 high.
ScrollbarGeometry ScrollbarThumb(double x, double top, double bottom, int first, int visible, int total);

// ---------------------------------------------------------------------------
// 4. Display names

// Strips decoration around a channel, movie or series name: leading
// characters up to the first letter, digit, "[" or "+", and trailing ones
// after the last letter, digit, "]" or ")". Latin letters with diacritics and
// the letters of other alphabets (Greek, Cyrillic, ...) count as letters.
// When nothing would be left, the text comes back unchanged.
std::u16string CleanDisplayName(std::u16string_view text);

// ---------------------------------------------------------------------------
// 5. RenderResources

class RenderResources {
 public:
  // `programFolder` is where the logo is looked for (the executable's folder
  // when empty).
  explicit RenderResources(std::filesystem::path programFolder = {});
  ~RenderResources();
  RenderResources(const RenderResources&) = delete;
  RenderResources& operator=(const RenderResources&) = delete;

  // --- Frame ---------------------------------------------------------------
  // Binds one paint of a surface of width x height pixels. Sets the drawing
  // flag (icon files are never decoded while it is set) and applies the
  // accent colour of `dashColor`, so a changed setting shows at once. The
  // icons missed so far are kept: one window frame paints several layers,
  // and the caller forgets them (IconCache::ForgetMisses) when a new frame
  // of the interface starts.
  void BeginFrame(Canvas& canvas, int width, int height, int dashColor);
  void EndFrame();
  bool Drawing() const { return canvas_ != nullptr; }

  // The frame's canvas, for painters that draw shapes of their own. Only
  // while Drawing().
  Canvas& Target() const { return *canvas_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  double X(double designX) const { return DesignX(designX, width_); }
  double Y(double designY) const { return DesignY(designY, height_); }
  double WX(double wideX) const { return WideX(wideX, width_); }
  RectF Design(double left, double top, double right, double bottom) const {
    return DesignRect(left, top, right, bottom, width_, height_);
  }
  RectF Wide(double left, double top, double right, double bottom) const {
    return WideRect(left, top, right, bottom, width_, height_);
  }

  // A pixel length of the design that holds text (a padding, a line
  // height), scaled like the fonts.
  double Px(double designPx) const { return designPx * fontScale_; }
  double FontScale() const { return fontScale_; }
  // The width of a focus outline: kFocusRingPx scaled, 3 pixels at least.
  double FocusRing() const { return std::max(3.0, Px(kFocusRingPx)); }

  // --- Text boxes (only while VISTRA_TEXT_BOXES names a file) --------------
  // Starts recording this frame's texts as those of `layer` (the record is
  // written at EndFrame when they changed); `part` tags the texts that
  // follow ("screen" until told otherwise). No effect when not recording.
  void RecordTexts(std::string_view layer);
  void MarkTexts(std::string_view part);

  // --- Fonts made ready ahead (the program's start) ---------------------
  // Starts preparing the fonts for a width x height surface on a thread of
  // their own (ui/render/font_warmup.h); `ready` runs on that thread once
  // they are. Call before the first frame, at most once.
  void PrepareFontsAhead(int width, int height, std::function<void()> ready);
  // Waits for that preparation and takes its fonts over; does nothing when
  // none is under way. The first frame does this itself.
  void AwaitFonts();

  const Brushes& Brush() const { return brushes_; }
  void ApplyAccent(int dashColor);
  // The face of `font` on this frame's surface.
  FontFace Face(FontId font) const { return FaceAt(font, fontScale_); }

  // --- Drawing helpers (do nothing outside a frame) -----------------------
  void Clear(Rgba colour);
  void FillRect(const RectF& rect, Rgba colour);
  void FillRounded(const RectF& rect, double radius, Rgba colour);
  void StrokeRounded(const RectF& rect, double radius, Rgba colour, double strokeWidth);
  void FillDisc(double cx, double cy, double radius, Rgba colour);
  void StrokeCircle(double cx, double cy, double radius, Rgba colour, double strokeWidth);

  // The text wrapped at the rectangle's width, not clipped. Empty text draws
  // nothing.
  void DrawLabel(FontId font, std::u16string_view text, const RectF& rect, Rgba colour, TextAlign align = {});
  // The text cut with an ellipsis where it does not fit: one line per
  // paragraph when the rectangle is lower than Px(40), wrapped lines
  // otherwise (for boxes of several lines). A rectangle smaller than 4 x 4
  // falls back to DrawLabel.
  void DrawTrimmed(FontId font, std::u16string_view text, const RectF& rect, Rgba colour, TextAlign align = {});
  // Exactly one line whatever the rectangle's height, cut with an ellipsis
  // at the rectangle's width; line breaks in the text show as blanks. For
  // list rows, captions and titles. A rectangle smaller than 4 x 4 draws
  // nothing.
  void DrawTrimmedLine(FontId font, std::u16string_view text, const RectF& rect, Rgba colour, TextAlign align = {});
  // One line, never wrapped nor trimmed, placed by `align` in the rectangle
  // (a longer text runs over its ends).
  void DrawSingleLine(FontId font, std::u16string_view text, const RectF& rect, Rgba colour, TextAlign align = {});
  // Like DrawLabel, clipped to the rectangle; when the text is taller than
  // the rectangle its end is shown (a message thread shows its newest part).
  void DrawTextTail(FontId font, std::u16string_view text, const RectF& rect, Rgba colour);
  // Width and height in pixels of the text on one line.
  std::pair<double, double> MeasureText(FontId font, std::u16string_view text);

  void DrawButton(const RectF& rect, std::u16string_view text, bool selected, bool outlined);
  // `text` is shown as typed; a password is passed as a run of "*".
  void DrawTextField(const RectF& rect, std::u16string_view text, std::u16string_view placeholder, bool focused);
  void DrawScrollbar(double x, double top, double bottom, int first, int visible, int total);
  // The standard place is BackButtonRect().
  void DrawBackButton(const RectF& rect);
  RectF BackButtonRect() const { return Design(54, 24, 144, 114); }
  // The toast shows in `box` while nowMs < hideAtMs and the text is not
  // empty. The box is the screen's to give: no place is free everywhere.
  void DrawToast(std::u16string_view text, uint64_t hideAtMs, uint64_t nowMs, const RectF& box);
  // A picture stretched over `rect`; nothing for a null picture.
  void DrawPicture(const Picture* picture, const RectF& rect, double opacity = 1.0);

  // --- Pictures --------------------------------------------------------------
  // The logo: the first of vs-logo.png, assets/vs-logo.png and logo.png in
  // the program folder that decodes; looked for once. Null: draw the wordmark.
  const Picture* Logo();
  // The home backdrop (backdrop.jpg in the data folder) for `key`, the image
  // URL of the first trending movie (empty when there is none). The picture
  // is reused while the key and `generation` (counted up each time the file
  // is rewritten) stay the same, and read again when either changes.
  const Picture* Backdrop(std::u16string_view key, uint32_t generation = 0);
  // Drops the backdrop so the next Backdrop call reads the file again (after
  // the file was rewritten or deleted).
  void ForgetBackdrop();
  // Draws the backdrop stretched over the whole surface, from a copy scaled
  // once per surface size. False when there is no backdrop.
  bool DrawBackdrop(std::u16string_view key, uint32_t generation = 0);

  // The icon of a catalog item, or null while it is not available. Outside a
  // frame it may decode a downloaded file; inside one it never does.
  const Picture* IconFor(const CatalogItem& item);
  IconCache& Icons() { return *icons_; }
  // Replaces the icon cache (the app installs one with the real downloader).
  void SetIconCache(std::unique_ptr<IconCache> icons);

 private:
  // Draws `utf8` laid out by `flow` from rect.left, placed in the height of
  // `rect` by `valign`. `box` (the rectangle the caller gave, `rect` when
  // null) and `kind` only go to the text-box record.
  void PlaceText(FontId font, const std::string& utf8, const TextFlow& flow, const RectF& rect, Rgba colour,
                 VAlign valign, const char* kind, const RectF* box = nullptr);
  void RecordText(const std::string& utf8, const RectF& ink, double x, double y, const RectF& box, const char* kind);

  std::filesystem::path programFolder_;
  double fontScale_ = 1;  // of the frame's surface (FontScaleFor)
  Brushes brushes_;

  Canvas* canvas_ = nullptr;  // while a frame is painted
  int width_ = 1, height_ = 1;

  bool logoLooked_ = false;
  PicturePtr logo_;
  PicturePtr backdrop_;
  std::u16string backdropKey_;
  uint32_t backdropGeneration_ = 0;
  bool backdropTried_ = false;
  std::filesystem::file_time_type backdropTriedStamp_{};
  uintmax_t backdropTriedSize_ = 0;
  PicturePtr backdropScaled_;

  std::unique_ptr<IconCache> icons_;
  std::unique_ptr<TextBoxRecord> textBoxes_;  // null unless recording
  std::unique_ptr<FontWarmup> fontWarmup_;    // until the first frame takes its fonts
  std::string textPart_;
};
