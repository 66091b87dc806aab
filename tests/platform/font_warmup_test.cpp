#include "platform/font_warmup.h"

#include <gtest/gtest.h>
#include <pango/pangocairo.h>

#include <atomic>
#include <thread>

#include "platform/cairo_canvas.h"
#include "tests/ui/render/test_pictures.h"
#include "ui/render/render_resources.h"

namespace {

// The fonts are prepared on a thread of their own; the thread that paints
// takes the prepared font map over as its default only once that thread
// ended, and the frame that follows draws its text with it.
TEST(FontWarmup, HandsItsFontMapToThePaintingThreadAfterItEnded) {
  const std::thread::id painter = std::this_thread::get_id();
  std::atomic<bool> readyOnOtherThread{false};
  PangoFontMap* before = pango_cairo_font_map_get_default();
  g_object_ref(before);
  {
    FontWarmup warmup({FontFace{600, 26}}, [&] { readyOnOtherThread = std::this_thread::get_id() != painter; });
    warmup.Adopt();
    EXPECT_TRUE(readyOnOtherThread) << "ready runs on the preparing thread, before Adopt returns";
    warmup.Adopt();  // a second call does nothing
  }
  PangoFontMap* after = pango_cairo_font_map_get_default();
  EXPECT_NE(after, before) << "the prepared map is this thread's default now";
  g_object_unref(before);

  RenderResources res;
  OffscreenFrame frame(res, 200, 60);
  res.DrawLabel(FontId::Label, u"Live 12:34", RectF{0, 0, 200, 60}, Rgba{1, 1, 1, 1});
  EXPECT_TRUE(frame.AnyInk(0, 200));
}

// RenderResources starts the preparation and the first frame waits for it;
// a preparation nobody waits for ends with its owner.
TEST(FontWarmup, FirstFrameWaitsForPreparedFontsAndAnUnusedOneEndsCleanly) {
  std::atomic<bool> ready{false};
  RenderResources res;
  res.PrepareFontsAhead(1920, 1080, [&] { ready = true; });
  {
    OffscreenFrame frame(res, 200, 60);
    EXPECT_TRUE(ready);
    res.DrawSingleLine(FontId::Title, u"Movies", RectF{0, 0, 200, 60}, Rgba{1, 1, 1, 1});
    EXPECT_TRUE(frame.AnyInk(0, 200));
  }
  res.AwaitFonts();  // nothing left to wait for

  RenderResources unused;
  unused.PrepareFontsAhead(640, 360, {});
}

// The family list keeps only what is installed (the first family is absent
// here) and ends in the generic face; every script of the interface's
// languages and of channel names finds a face with its glyphs.
TEST(CanvasFonts, AbsentFamiliesAreDroppedAndEveryScriptHasGlyphs) {
  const std::string& families = ResolvedFontFamilies();
  EXPECT_EQ(families.find("Segoe UI"), std::string::npos) << families;
  EXPECT_NE(families.find("sans-serif"), std::string::npos) << families;

  PangoFontMap* map = pango_cairo_font_map_new();
  PangoContext* context = pango_font_map_create_context(map);
  PangoLayout* layout = pango_layout_new(context);
  PangoFontDescription* face = NewFaceDescription(FontFace{600, 26});
  pango_layout_set_font_description(layout, face);
  for (const char* text : {"Ελληνικά", "Русский", "العربية", "עברית", "中文频道", "Magyar ő ű"}) {
    pango_layout_set_text(layout, text, -1);
    EXPECT_EQ(pango_layout_get_unknown_glyphs_count(layout), 0) << text;
  }
  pango_font_description_free(face);
  g_object_unref(layout);
  g_object_unref(context);
  g_object_unref(map);
}

}  // namespace
