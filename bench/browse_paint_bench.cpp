// Painting the Live screen with the real painter into an offscreen
// 1920x1080 image: "All" with 170,000 channels must cost what it costs with
// 12, because only the visible rows are drawn (and the category counts are
// kept per item list).
#include <benchmark/benchmark.h>
#include "bench/catalog_fixture.h"
#include "catalog/categories.h"
#include "platform/clock.h"
#include "platform/offscreen_canvas.h"
#include "state/app_state.h"
#include "ui/render/render_resources.h"
#include "ui/screens/live_screen.h"

namespace {

void BM_PaintLive(benchmark::State& state) {
  static const Catalog big = MakeBrowseBenchCatalog();
  const int channels = int(state.range(0));
  AppState app;
  app.catalog = big;
  if (channels < int(big.LiveChannels->size())) {
    auto few = std::make_shared<ItemList>(big.LiveChannels->begin(), big.LiveChannels->begin() + channels);
    app.catalog.LiveChannels = std::move(few);
  }
  app.settings.LiveSort = 1;
  app.nav.live.LiveCategoryIndex = kLiveAllIndex;
  RebuildLiveList(app.catalog, app.settings, app.nav.live, app.VisibleLive);
  app.nav.ChannelIndex = int(app.VisibleLive.size()) / 2;
  app.nav.ChannelScroll = app.nav.ChannelIndex;

  OffscreenCanvas image(1920, 1080);
  RenderResources res;
  LiveScreen screen;
  const LocalTime now = ToLocalTime(NowUnix());
  for (auto _ : state) {
    res.BeginFrame(image.Draw(), 1920, 1080, 0);
    screen.Paint(res, app, now);
    res.EndFrame();
    benchmark::DoNotOptimize(image.PixelAt(960, 540));
  }
  state.counters["channels"] = double(app.VisibleLive.size());
}

}  // namespace

BENCHMARK(BM_PaintLive)->Arg(12)->Arg(40)->Arg(170000)->Unit(benchmark::kMillisecond);
