#include "ui/render/render_resources.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <cmath>

#include "extras/trending.h"
#include "net/json_scan.h"
#include "platform/image_decode.h"
#include "store/data_folder.h"
#include "store/file_io.h"
#include "tests/fixtures/temp_data_home.h"
#include "tests/scoped_env.h"
#include "tests/ui/render/test_pictures.h"
#include "ui/render/product_mark.h"

namespace {

TEST(AccentPalette, OutOfRangeIndexIsGreyAndTextOnEveryAccentReads) {
  const Rgba grey = AccentColor(0);
  EXPECT_EQ(AccentColor(kAccentCount), grey);
  EXPECT_EQ(AccentColor(-1), grey);

  // The frame applies the setting, so a change shows at the next paint.
  RenderResources res;
  { OffscreenFrame frame(res, 10, 10, 9); EXPECT_EQ(res.Brush().Accent, grey); }
  { OffscreenFrame frame(res, 10, 10, 1); EXPECT_EQ(res.Brush().Accent, AccentColor(1)); }

  EXPECT_NEAR(ContrastRatio(Rgba{1, 1, 1, 1}, Rgba{0, 0, 0, 1}), 21, 1e-9);
  for (int i = 0; i < kAccentCount; ++i) {
    const Rgba accent = AccentColor(i);
    EXPECT_GE(ContrastRatio(ReadableOn(accent), accent), 4.5) << i;
    EXPECT_GE(ContrastRatio(LegibleAccent(accent, Rgba{0.18, 0.16, 0.08, 1}), Rgba{0.18, 0.16, 0.08, 1}), 4.5) << i;
  }
}

TEST(Scrollbar, ThumbGeometryAndNothingDrawnWhenEverythingFits) {
  // 1000 items, 10 visible, 500 high: the proportional 5 is raised to 28.
  ScrollbarGeometry g = ScrollbarThumb(100, 50, 550, 0, 10, 1000);
  ASSERT_TRUE(g.shown);
  EXPECT_DOUBLE_EQ(g.thumb.Height(), 28);
  EXPECT_DOUBLE_EQ(g.thumb.top, 50);
  EXPECT_EQ(g.track, (RectF{100, 50, 114, 550}));

  // The last page puts the thumb at the bottom; a stale first row past it
  // keeps the thumb inside the track.
  EXPECT_DOUBLE_EQ(ScrollbarThumb(100, 50, 550, 990, 10, 1000).thumb.bottom, 550);
  EXPECT_DOUBLE_EQ(ScrollbarThumb(100, 50, 550, 5000, 10, 1000).thumb.bottom, 550);
  EXPECT_DOUBLE_EQ(ScrollbarThumb(100, 50, 550, -3, 10, 1000).thumb.top, 50);

  // Proportional when that is larger: half the items visible, half the track.
  EXPECT_DOUBLE_EQ(ScrollbarThumb(0, 0, 400, 0, 50, 100).thumb.Height(), 200);

  EXPECT_FALSE(ScrollbarThumb(0, 0, 500, 0, 10, 10).shown);  // everything fits
  EXPECT_FALSE(ScrollbarThumb(0, 0, 500, 0, 0, 10).shown);   // nothing visible
  EXPECT_FALSE(ScrollbarThumb(0, 0, 19, 0, 10, 100).shown);  // too low
  // A track lower than the minimum thumb: the thumb fills it.
  EXPECT_DOUBLE_EQ(ScrollbarThumb(0, 0, 24, 0, 1, 100).thumb.Height(), 24);

  RenderResources res;
  OffscreenFrame frame(res, 60, 120);
  res.DrawScrollbar(10, 0, 120, 0, 10, 10);
  EXPECT_FALSE(frame.AnyInk(0, 60));
  res.DrawScrollbar(10, 0, 120, 0, 10, 11);
  EXPECT_TRUE(frame.AnyInk(10, 24));
  EXPECT_FALSE(frame.AnyInk(24, 60));
}

TEST(CleanDisplayName, StripsDecorationAroundNamesInAnyAlphabet) {
  EXPECT_EQ(CleanDisplayName(u"★ Channel One ★"), u"Channel One");
  EXPECT_EQ(CleanDisplayName(u"* Sport 1 *"), u"Sport 1");
  // An opening parenthesis goes, its closing partner stays.
  EXPECT_EQ(CleanDisplayName(u"(HD) News"), u"HD) News");
  EXPECT_EQ(CleanDisplayName(u"Movie (2020)"), u"Movie (2020)");
  EXPECT_EQ(CleanDisplayName(u"[VIP] +18 Club |"), u"[VIP] +18 Club");
  EXPECT_EQ(CleanDisplayName(u"|UK| BBC One"), u"UK| BBC One");
  EXPECT_EQ(CleanDisplayName(u"»Élan«"), u"Élan");
  // Nothing would be left: unchanged.
  EXPECT_EQ(CleanDisplayName(u"****"), u"****");
  EXPECT_EQ(CleanDisplayName(u""), u"");

  EXPECT_EQ(CleanDisplayName(u"★ ΕΡΤ 1"), u"ΕΡΤ 1");
  EXPECT_EQ(CleanDisplayName(u"● Первый канал ●"), u"Первый канал");
  EXPECT_EQ(CleanDisplayName(u"ΣΚΑΪ"), u"ΣΚΑΪ");
}

TEST(DrawTrimmed, CutsLongTextButNotInATinyRectangle) {
  const std::u16string longText(60, u'W');
  RenderResources res;
  {
    OffscreenFrame frame(res, 600, 60);
    res.DrawTrimmed(FontId::Row, longText, RectF{0, 10, 200, 40}, Rgba{1, 1, 1, 1});
    EXPECT_TRUE(frame.AnyInk(0, 200));
    EXPECT_FALSE(frame.AnyInk(201, 600));
  }
  {
    // Below 4 x 4 the text is drawn whole, as a plain label: wrapped at the
    // rectangle's width (one letter a line here), never cut.
    OffscreenFrame frame(res, 1920, 1080);
    res.DrawTrimmed(FontId::Row, u"WWWWWW", RectF{0, 10, 3, 13}, Rgba{1, 1, 1, 1});
    bool inkFarBelow = false;
    for (int y = 100; y < 200; ++y) {
      for (int x = 0; x < 40; ++x) inkFarBelow = inkFarBelow || frame.At(x, y).a > 0;
    }
    EXPECT_TRUE(inkFarBelow);
  }
  {
    OffscreenFrame frame(res, 600, 60);
    res.DrawTrimmed(FontId::Row, u"", RectF{0, 10, 200, 40}, Rgba{1, 1, 1, 1});
    EXPECT_FALSE(frame.AnyInk(0, 600));
  }
}

TEST(DrawTrimmedLine, OneLineWhateverTheHeight) {
  RenderResources res;
  OffscreenFrame frame(res, 1920, 1080);
  // A box tall enough for three lines still gets one, cut at its width.
  res.DrawTrimmedLine(FontId::Row, u"VIP Sky Sports Premier League FHD\n" + std::u16string(70, u'W'),
                      RectF{0, 0, 300, 100}, Rgba{1, 1, 1, 1}, kAlignLeadingCentered);
  EXPECT_FALSE(frame.AnyInk(301, 1920));
  int inkRows = 0;
  for (int y = 0; y < 100; ++y) {
    bool ink = false;
    for (int x = 0; x < 300 && !ink; x += 2) ink = frame.At(x, y).a > 0;
    inkRows += ink;
  }
  EXPECT_GT(inkRows, 8);
  EXPECT_LT(inkRows, 30) << "one line of a 20-pixel font";
}

// Text grows and shrinks with the surface (the design is for 1080), never
// below the legibility floor; a narrow window scales by its width.
TEST(FontScale, FollowsTheSurfaceWithAFloor) {
  EXPECT_DOUBLE_EQ(FontScaleFor(1920, 1080), 1);
  EXPECT_DOUBLE_EQ(FontScaleFor(3840, 2160), 2);
  EXPECT_DOUBLE_EQ(FontScaleFor(1280, 1080), 1280 / 1920.0);
  EXPECT_DOUBLE_EQ(FontPxAt(FontId::Label, FontScaleFor(1280, 720)), 26 * 720 / 1080.0);
  EXPECT_DOUBLE_EQ(FontPxAt(FontId::Hint, FontScaleFor(640, 360)), kMinFontPx);
  RenderResources res;
  double heights[3] = {};
  const int sizes[3][2] = {{1280, 720}, {1920, 1080}, {3840, 2160}};
  for (int i = 0; i < 3; ++i) {
    OffscreenFrame frame(res, sizes[i][0], sizes[i][1]);
    heights[i] = res.MeasureText(FontId::Title, u"Catch up").second;
  }
  EXPECT_NEAR(heights[0] / heights[1], 720 / 1080.0, 0.08);
  EXPECT_NEAR(heights[2] / heights[1], 2, 0.1);
}

TEST(Toast, ShowsUntilItsHideTime) {
  RenderResources res;
  {
    OffscreenFrame frame(res, 2400, 1080);
    res.DrawToast(u"Channel added", 5000, 4999, RectF{40, 40, 900, 120});
    EXPECT_EQ(frame.At(45, 45).a, static_cast<int>(0.65 * 255 + 0.5));
  }
  {
    OffscreenFrame frame(res, 2400, 1080);
    res.DrawToast(u"Channel added", 5000, 5000, RectF{40, 40, 900, 120});
    res.DrawToast(u"", 5000, 10, RectF{40, 40, 900, 120});
    EXPECT_FALSE(frame.AnyInk(0, 2400));
  }
}

TEST(Pictures, BackdropIsKeyedByUrlAndReloadedWhenForgotten) {
  TempDataHome home;
  RenderResources res(home.Root());
  EXPECT_EQ(res.Backdrop(u"https://img/a.jpg"), nullptr);  // no file yet

  ASSERT_TRUE(WriteSolidPng(BackdropFile(), 4, 3, Rgba{0, 0, 1, 1}));
  const Picture* first = res.Backdrop(u"https://img/a.jpg");
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->Width(), 4);

  // Same key: the picture already held is reused, even though the file changed.
  ASSERT_TRUE(WriteSolidPng(BackdropFile(), 6, 3, Rgba{0, 0, 1, 1}));
  EXPECT_EQ(res.Backdrop(u"https://img/a.jpg"), first);
  EXPECT_EQ(res.Backdrop(u"https://img/b.jpg")->Width(), 6);

  // A new generation of the file (the download finished) is read again.
  ASSERT_TRUE(WriteSolidPng(BackdropFile(), 7, 3, Rgba{0, 0, 1, 1}));
  EXPECT_EQ(res.Backdrop(u"https://img/b.jpg", 1)->Width(), 7);

  ASSERT_TRUE(WriteSolidPng(BackdropFile(), 8, 3, Rgba{0, 0, 1, 1}));
  res.ForgetBackdrop();
  EXPECT_EQ(res.Backdrop(u"https://img/b.jpg")->Width(), 8);

  // A file that does not decode leaves no picture; once rewritten it loads.
  std::filesystem::remove(BackdropFile());
  ASSERT_TRUE(WriteFileAtomically(BackdropFile(), "not a picture"));
  res.ForgetBackdrop();
  EXPECT_EQ(res.Backdrop(u"https://img/b.jpg"), nullptr);
  EXPECT_EQ(res.Backdrop(u"https://img/b.jpg"), nullptr);
  ASSERT_TRUE(WriteSolidPng(BackdropFile(), 9, 3, Rgba{0, 0, 1, 1}));
  ASSERT_NE(res.Backdrop(u"https://img/b.jpg"), nullptr);
  EXPECT_EQ(res.Backdrop(u"https://img/b.jpg")->Width(), 9);
}

TEST(Pictures, LogoIsTheFirstFileThatLoads) {
  TempDataHome home;
  {
    RenderResources res(home.Root());
    EXPECT_EQ(res.Logo(), nullptr);
  }
  ASSERT_TRUE(WriteSolidPng(home.Root() / "logo.png", 5, 5, Rgba{1, 0, 0, 1}));
  ASSERT_TRUE(WriteSolidPng(home.Root() / "assets" / "vs-logo.png", 7, 7, Rgba{1, 0, 0, 1}));
  RenderResources res(home.Root());
  ASSERT_NE(res.Logo(), nullptr);
  EXPECT_EQ(res.Logo()->Width(), 7);
}

// The walk's record of texts: each text's ink in window pixels (clipped
// where the helper clips), the box it was
// given and who drew it; the file changes only when the texts do.
TEST(TextBoxRecord, WritesEachTextsInkAndBoxPerLayer) {
  TempDataHome home;
  const std::filesystem::path file = home.Root() / "boxes.json";
  SetEnvVar("VISTRA_TEXT_BOXES", file.string().c_str());
  RenderResources res;
  UnsetEnvVar("VISTRA_TEXT_BOXES");
  const Rgba white{1, 1, 1, 1};
  const auto paint = [&](std::u16string_view first) {
    OffscreenFrame frame(res, 800, 400);
    res.RecordTexts("interface");
    res.DrawTrimmed(FontId::Row, first, RectF{100, 50, 300, 80}, white);
    res.DrawSingleLine(FontId::Row, u"A line far longer than its box", RectF{100, 90, 160, 120}, white);
    res.MarkTexts("modal");
    res.DrawTextTail(FontId::Row, u"one\ntwo\nthree\nfour", RectF{100, 150, 300, 180}, white);
  };
  const auto rect = [](std::string_view object, std::string_view key) {
    RectF r;
    std::sscanf(JsonScan::Array(object, key).c_str(), "[%lf,%lf,%lf,%lf]", &r.left, &r.top, &r.right, &r.bottom);
    return r;
  };

  paint(u"Live \"TV\"");
  const std::string first = ReadWholeFile(file).value_or("");
  const std::string list = JsonScan::Array(first, "texts");
  std::vector<std::string_view> t = JsonScan::Objects(list);
  ASSERT_EQ(t.size(), 3u) << first;
  EXPECT_EQ(JsonScan::Value(t[0], "text"), "Live \"TV\"");
  EXPECT_EQ(JsonScan::Value(t[0], "part"), "screen");
  EXPECT_EQ(rect(t[0], "box"), (RectF{100, 50, 300, 80}));
  const RectF ink = rect(t[0], "ink");
  EXPECT_TRUE(ink.left >= 100 && ink.top >= 50 && ink.right <= 300 && ink.bottom <= 80 && ink.Width() > 20);
  EXPECT_EQ(JsonScan::Value(t[1], "kind"), "line");
  EXPECT_EQ(rect(t[1], "box"), (RectF{100, 90, 160, 120}));
  EXPECT_GT(rect(t[1], "ink").right, 200) << "a single line that runs out of its box shows as such";
  EXPECT_EQ(JsonScan::Value(t[2], "part"), "modal");
  const RectF tail = rect(t[2], "ink");
  EXPECT_TRUE(tail.top >= 150 && tail.bottom <= 180 && tail.Height() > 10) << "the clip cuts the ink";

  paint(u"Live \"TV\"");
  EXPECT_EQ(ReadWholeFile(file).value_or(""), first) << "the same texts leave the file alone";
  paint(u"Movies");
  const std::string second = ReadWholeFile(file).value_or("");
  EXPECT_EQ(JsonScan::Value(second, "frame"), "2");
  EXPECT_NE(JsonScan::Array(second, "texts").find("\"text\":\"Movies\""), std::string::npos);
}

// The icons the build drew: each size square, transparent round corners,
// the dark ground, and the mark in the default accent across the middle.
// (The Windows build has no icons of its own yet.)
TEST(ProductIcon, EachSizeIsTheMarkOnTheGround) {
#ifndef VISTRA_ICON_DIR
  GTEST_SKIP() << "this build draws no icons";
#else
  const auto channel = [](uint32_t pixel, int shift) { return int((pixel >> shift) & 0xFF); };
  const Rgba accent = AccentColor(0);
  for (int size : {48, 128, 256, 512}) {
    SCOPED_TRACE(size);
    const std::string theme = std::to_string(size) + "x" + std::to_string(size);
    const std::string file = std::string(VISTRA_ICON_DIR) + "/" + theme + "/apps/vistra.png";
    const PicturePtr png = DecodeImageFile(file);
    ASSERT_TRUE(png) << file;
    EXPECT_EQ(png->Width(), size);
    EXPECT_EQ(png->Height(), size);
    OffscreenCanvas image(size, size);
    image.Draw().DrawPicture(*png, RectF{0, 0, double(size), double(size)});
    auto at = [&](int x, int y) { return image.PixelAt(x, y); };
    EXPECT_EQ(channel(at(0, 0), 24), 0) << "a rounded corner";
    const uint32_t ground = at(size / 2, size / 20);
    EXPECT_EQ(channel(ground, 24), 255);
    EXPECT_NEAR(channel(ground, 16), kMarkGround.r * 255, 2);
    EXPECT_NEAR(channel(ground, 0), kMarkGround.b * 255, 2);
    // The accent's pixels: a fair share of the square, their box centred.
    int count = 0, left = size, right = -1, top = size, bottom = -1;
    for (int y = 0; y < size; ++y) {
      for (int x = 0; x < size; ++x) {
        const uint32_t p = at(x, y);
        if (std::abs(channel(p, 16) - accent.r * 255) > 6 || std::abs(channel(p, 8) - accent.g * 255) > 6 ||
            std::abs(channel(p, 0) - accent.b * 255) > 6) continue;
        ++count;
        left = std::min(left, x), right = std::max(right, x), top = std::min(top, y), bottom = std::max(bottom, y);
      }
    }
    EXPECT_GT(count, size * size / 20);
    EXPECT_NEAR((left + right) / 2.0, size / 2.0, size / 24.0 + 1);
    EXPECT_NEAR((top + bottom) / 2.0, size / 2.0, size / 24.0 + 1);
    EXPECT_GT(bottom - top, size / 3) << "the letters take about half the height";
  }
  const auto svg = ReadWholeFile(std::string(VISTRA_ICON_DIR) + "/scalable/apps/vistra.svg", 1 << 20);
  ASSERT_TRUE(svg.has_value());
  EXPECT_NE(svg->find("<svg"), std::string::npos);
  EXPECT_NE(svg->find("width=\"256px\""), std::string::npos);
#endif
}

}  // namespace
