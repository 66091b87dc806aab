// Guide requests during a zap storm: 50 channels in 10 s (one every 200 ms),
// each asked for through the real queue, jobs and HTTP client against the
// stand-in provider (answers take 700 ms, as a slow panel's do), then the
// same 50 again. It counts what reached the provider and never fails on
// time: at most one request per channel, never more than two at once, and
// none in the second pass for a channel answered in the first.
//
//   build/vistra_bench --benchmark_filter=GuideZap
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "app/guide_jobs.h"
#include "net/text.h"
#include "platform/clock.h"
#include "tests/fixtures/guide_fixture.h"
#include "tests/fixtures/message_recorder.h"
#include "tests/fixtures/stand_in_server.h"
#include "tests/fixtures/temp_data_home.h"

namespace {

constexpr int kChannels = 50;
constexpr auto kZapEvery = std::chrono::milliseconds(200);
constexpr int kAnswerMs = 700;

struct App {
  MessageRecorder recorder;
  JobMailbox mailbox{recorder};
  ResultPump pump{recorder, mailbox};
  AppState state;
};

// Merges results as the main loop would, for `span`.
void RunFor(App& app, std::chrono::milliseconds span) {
  app.pump.Until(app.state, [](const JobResult&) { return false; }, span);
}

// Until nothing is queued or under way (or 10 s passed).
void Settle(App& app) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while ((app.state.guideRequests.InFlight() > 0 || app.state.guideRequests.Queued() > 0) &&
         std::chrono::steady_clock::now() < deadline)
    RunFor(app, std::chrono::milliseconds(50));
}

void Zap(App& app, const std::vector<std::string>& ids) {
  for (const std::string& id : ids) {
    StartGuideJob(app.state, app.mailbox, AsciiToWide(id));
    RunFor(app, kZapEvery);
  }
  Settle(app);
}

void BM_GuideZapStorm50In10s(benchmark::State& state) {
  TempDataHome home;
  home.CreateFolder();
  StandInServer server;
  auto guide = std::make_shared<GuideFixture>();
  AddGuideRoutes(server, guide);
  const int64_t now = NowUnix();
  std::vector<std::string> ids;
  for (int i = 0; i < kChannels; ++i) {
    ids.push_back(std::to_string(1000 + i));
    GuideScript script;
    script.programmes = MakeGuideDay(now, 0, 12, unsigned(i + 1));
    script.upcomingOnly = true;
    script.delayMs = kAnswerMs;
    guide->SetShortGuide(ids.back(), script);
  }
  if (!server.Start()) {
    state.SkipWithError("stand-in server did not start");
    return;
  }
  // Kept to the end of the process, as the program keeps its application:
  // a wake-up job of the queue may still hold the mailbox.
  static std::vector<std::unique_ptr<App>> kept;
  kept.push_back(std::make_unique<App>());
  App& app = *kept.back();
  app.state.account = XtreamAccount{AsciiToWide(server.BaseUrl()), u"user", u"pass", true};

  std::vector<int> first(kChannels), second(kChannels);
  int answered = 0;
  for (auto _ : state) {
    Zap(app, ids);
    for (int i = 0; i < kChannels; ++i) first[i] = guide->AskedFor(ids[i]);
    Zap(app, ids);
    for (int i = 0; i < kChannels; ++i) second[i] = guide->AskedFor(ids[i]) - first[i];
  }
  int maxPerChannel = 0, firstTotal = 0, secondTotal = 0, repeats = 0;
  for (int i = 0; i < kChannels; ++i) {
    maxPerChannel = std::max(maxPerChannel, first[i] + second[i]);
    firstTotal += first[i];
    secondTotal += second[i];
    if (first[i] > 0) {
      ++answered;
      repeats += second[i];
    }
  }
  state.counters["requests_pass1"] = firstTotal;
  state.counters["requests_pass2"] = secondTotal;
  state.counters["pass2_for_answered"] = repeats;
  state.counters["channels_answered_pass1"] = answered;
  state.counters["max_per_channel"] = maxPerChannel;
  state.counters["max_in_flight"] = guide->MaxInFlight();
  state.counters["channels_stored"] = double(app.state.guide.Channels());
}
BENCHMARK(BM_GuideZapStorm50In10s)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace
