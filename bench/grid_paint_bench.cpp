// Painting the programme grid with the real painter into an offscreen
// 1920x1080 image: "All" with 170,000 channels must cost what it costs with
// 12, because only the visible rows are laid out and drawn. The store holds
// a day of programmes (half-hour and hour slots, as a full table lists
// them, past ones first) for each row on screen.
#include <benchmark/benchmark.h>
#include "bench/catalog_fixture.h"
#include "catalog/categories.h"
#include "platform/clock.h"
#include "platform/offscreen_canvas.h"
#include "state/app_state.h"
#include "ui/render/render_resources.h"
#include "ui/screens/grid_screen.h"

namespace {

std::vector<EpgEntry> DayOfProgrammes(int64_t now, int seed) {
  std::vector<EpgEntry> rows;
  int64_t start = HalfHourAtOrBefore(now) - 12 * 3600 + (seed % 3) * 600;
  for (int i = 0; start < now + 12 * 3600; ++i) {
    const int32_t minutes = (i + seed) % 3 == 0 ? 60 : 30;
    rows.push_back(EpgEntry{u"", u"Programme title that is rather long " + std::u16string(1, char16_t(u'A' + i % 26)),
                            start, minutes, u"What happens in it, told at some length so that the band wraps it."});
    start += int64_t(minutes) * 60;
  }
  return rows;
}

void BM_PaintGrid(benchmark::State& state) {
  static const Catalog big = MakeBrowseBenchCatalog();
  const int channels = int(state.range(0));
  AppState app;
  app.catalog = big;
  if (channels < int(big.LiveChannels->size())) {
    auto few = std::make_shared<ItemList>(big.LiveChannels->begin(), big.LiveChannels->begin() + channels);
    app.catalog.LiveChannels = std::move(few);
  }
  // The provider's order: a name order of a long list is sorted on a
  // second thread, which would run beside the frames measured here.
  app.settings.LiveSort = 0;
  app.nav.live.LiveCategoryIndex = kLiveAllIndex;
  RebuildLiveList(app.catalog, app.settings, app.nav.live, app.VisibleLive);
  app.CurrentScreen = Screen::Grid;
  app.nav.ChannelIndex = int(app.VisibleLive.size()) / 2;
  const int64_t now = NowUnix();
  const GridPosition at = GridPositionAt(now);
  app.nav.grid.windowStart = at.windowStart;
  app.nav.grid.focusTime = at.focusTime;
  const GuideGridLayout first = GuideGridLayoutOf(app, 1920, 1080);
  app.nav.grid.first = std::max(0, app.nav.ChannelIndex - first.rows.visible / 2);
  const GuideGridLayout l = GuideGridLayoutOf(app, 1920, 1080);
  for (int row = l.first; row < std::min(int(app.VisibleLive.size()), l.first + l.rows.visible); ++row)
    app.guide.Fill(app.VisibleLive[size_t(row)].id(), DayOfProgrammes(now, row), GuideOrigin::FullTable, now);

  OffscreenCanvas image(1920, 1080);
  RenderResources res;
  GridScreen screen;
  const LocalTime local = ToLocalTime(now);
  for (auto _ : state) {
    res.BeginFrame(image.Draw(), 1920, 1080, 0);
    screen.Paint(res, app, local);
    res.EndFrame();
    benchmark::DoNotOptimize(image.PixelAt(960, 540));
  }
  state.counters["channels"] = double(app.VisibleLive.size());
  state.counters["rows_painted"] = double(l.rows.visible);
}

}  // namespace

BENCHMARK(BM_PaintGrid)->Arg(12)->Arg(170000)->Unit(benchmark::kMillisecond);
