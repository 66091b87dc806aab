#include "platform/font_warmup.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/offscreen_canvas.h"

namespace {

// DirectWrite has one factory for every thread, so there is no font map to
// hand over: the thread prepares, Adopt waits for it, and text drawn after
// it has ink.
TEST(FontWarmup, PreparesOnItsOwnThreadAndAdoptWaitsForIt) {
  const std::thread::id painter = std::this_thread::get_id();
  std::atomic<bool> readyOnOtherThread{false};
  {
    FontWarmup warmup({FontFace{600, 26}, FontFace{400, 18}},
                      [&] { readyOnOtherThread = std::this_thread::get_id() != painter; });
    warmup.Adopt();
    EXPECT_TRUE(readyOnOtherThread) << "ready runs on the preparing thread, before Adopt returns";
    warmup.Adopt();  // a second call does nothing
  }
  OffscreenCanvas image(200, 60);
  const TextExtents drawn = image.Draw().DrawText(FontFace{600, 26}, "Live 12:34", {}, 0, 0, Rgba{1, 1, 1, 1});
  EXPECT_GT(drawn.ink.Width(), 0);
  uint32_t alpha = 0;
  for (int y = 0; y < image.Height(); ++y) {
    for (int x = 0; x < image.Width(); ++x) alpha |= image.PixelAt(x, y) >> 24;
  }
  EXPECT_NE(alpha, 0u);

  // One nobody waits for ends with its owner.
  FontWarmup unused({FontFace{400, 18}}, {});
}

}  // namespace
