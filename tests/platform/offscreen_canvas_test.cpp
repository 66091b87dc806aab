// The canvas's guarantees, checked on the pixels of an offscreen image with
// whichever drawing library the system has.
#include "platform/offscreen_canvas.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace {

constexpr Rgba kWhite{1, 1, 1, 1};

uint32_t Alpha(const OffscreenCanvas& image, int x, int y) { return image.PixelAt(x, y) >> 24; }

// Pixels with any alpha inside `box` and outside it.
std::pair<int, int> InkInAndOut(const OffscreenCanvas& image, const RectF& box) {
  int in = 0, out = 0;
  for (int y = 0; y < image.Height(); ++y) {
    for (int x = 0; x < image.Width(); ++x) {
      if (Alpha(image, x, y) == 0) continue;
      (box.Contains(x + 0.5, y + 0.5) ? in : out) += 1;
    }
  }
  return {in, out};
}

RectF Grown(const RectF& r, double by, double dx, double dy) {
  return RectF{r.left + dx - by, r.top + dy - by, r.right + dx + by, r.bottom + dy + by};
}

// No script of the interface's languages or of channel names draws as
// nothing (the first family of the list is absent here, and CJK comes from
// another face than Latin), and the ink stays where the canvas says it is.
TEST(OffscreenCanvas, EveryScriptDrawsInkWhereItsExtentsSay) {
  const FontFace face{600, 26};
  for (const char* text : {"Ελληνικά", "Русский", "العربية", "עברית", "中文频道", "Magyar ő ű"}) {
    OffscreenCanvas image(300, 60);
    const TextExtents measured = image.Draw().MeasureText(face, text, {});
    const TextExtents drawn = image.Draw().DrawText(face, text, {}, 10, 12, kWhite);
    EXPECT_EQ(measured.logical, drawn.logical) << text;
    EXPECT_EQ(measured.ink, drawn.ink) << text;
    EXPECT_GT(drawn.ink.Width(), 10) << text;
    const auto [in, out] = InkInAndOut(image, Grown(drawn.ink, 2, 10, 12));
    EXPECT_GT(in, 40) << text;
    EXPECT_EQ(out, 0) << text;
  }
}

// A text cut to a width and a height wraps, keeps the lines that fit and
// draws nothing past the box; measuring gives what drawing gives. Wrapping
// breaks inside a word too long for a line.
TEST(OffscreenCanvas, TextCutToAHeightStaysInItsBox) {
  const std::string text = "The quick brown fox jumps over the lazy dog, then over the fence and far away again";
  const TextFlow flow{150, 70, true, HAlign::Leading};
  OffscreenCanvas image(400, 300);
  const TextExtents measured = image.Draw().MeasureText(FontFace{400, 22}, text, flow);
  const TextExtents drawn = image.Draw().DrawText(FontFace{400, 22}, text, flow, 0, 0, kWhite);
  EXPECT_EQ(measured.logical, drawn.logical);
  EXPECT_GT(drawn.logical.Height(), 40) << "two lines fit";
  EXPECT_LE(drawn.logical.bottom, 70.5);
  EXPECT_LE(drawn.logical.right, 150.5);
  const auto [in, out] = InkInAndOut(image, RectF{0, 0, 152, 72});
  EXPECT_GT(in, 100);
  EXPECT_EQ(out, 0);

  // A word longer than the width breaks inside it.
  const TextExtents word = image.Draw().MeasureText(FontFace{400, 22}, "Abcdefghijklmnopqrstuvwxyz", TextFlow{80});
  EXPECT_LE(word.logical.right, 80.5);
  EXPECT_GT(word.logical.Height(), 3 * 22);
}

// Angles are clockwise on screen from 3 o'clock; an end before the start
// goes on round the circle.
TEST(OffscreenCanvas, ArcsTurnClockwiseFromThreeOClock) {
  OffscreenCanvas quarter(100, 100);
  Canvas& c = quarter.Draw();
  c.MoveTo(50, 50);
  c.Arc(50, 50, 40, 0, std::numbers::pi / 2);
  c.ClosePath();
  c.Fill(kWhite);
  EXPECT_EQ(Alpha(quarter, 70, 70), 255u) << "below and right of the centre";
  EXPECT_EQ(Alpha(quarter, 70, 30), 0u);
  EXPECT_EQ(Alpha(quarter, 30, 70), 0u);

  OffscreenCanvas rest(100, 100);
  rest.Draw().MoveTo(50, 50);
  rest.Draw().Arc(50, 50, 40, std::numbers::pi / 2, 0);
  rest.Draw().Fill(kWhite);
  EXPECT_EQ(Alpha(rest, 70, 70), 0u);
  EXPECT_EQ(Alpha(rest, 30, 30), 255u);
  EXPECT_EQ(Alpha(rest, 30, 70), 255u);
}

// Clear reaches every pixel of the clip, alpha included; Erase leaves a
// hole; square ends stop at the end points, round ones go past them.
TEST(OffscreenCanvas, ClearEraseClipsAndLineEnds) {
  OffscreenCanvas image(100, 100);
  Canvas& c = image.Draw();
  c.Clear(Rgba{0, 0, 1, 0.5});
  c.PushClip(RectF{60, 0, 120, 40});
  EXPECT_EQ(c.ClipBox(), (RectF{60, 0, 100, 40}));
  c.Clear(Rgba{0, 1, 0, 1});
  c.PopClip();
  EXPECT_EQ(c.ClipBox(), (RectF{0, 0, 100, 100}));
  c.Erase(RectF{0, 0, 50, 50});
  EXPECT_EQ(image.PixelAt(80, 20), 0xFF00FF00u);
  EXPECT_EQ(image.PixelAt(10, 10), 0u);
  const uint32_t half = image.PixelAt(55, 20);
  EXPECT_NEAR(half >> 24, 128, 1);
  EXPECT_NEAR(half & 0xFF, 128, 1);

  // The same canvas draws on after its pixels were read.
  c.MoveTo(20, 75);
  c.LineTo(80, 75);
  c.Stroke(kWhite, 10, LineEnds::Square);
  c.MoveTo(20, 90);
  c.LineTo(80, 90);
  c.Stroke(kWhite, 10, LineEnds::Round);
  EXPECT_EQ(image.PixelAt(50, 75), 0xFFFFFFFFu);
  EXPECT_EQ(image.PixelAt(17, 75), image.PixelAt(17, 60)) << "nothing past a square end";
  EXPECT_EQ(image.PixelAt(17, 90), 0xFFFFFFFFu) << "a round end goes on by half the width";
}

}  // namespace
