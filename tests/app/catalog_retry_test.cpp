// A load that left no channels is tried again on a growing pause, and the
// status line says why and when: a first start without an answer from the
// sign-in server, and a provider that did not answer.
#include <gtest/gtest.h>

#include "app/catalog_retry.h"
#include "catalog/account.h"
#include "tests/fixtures/message_recorder.h"
#include "tests/catalog/test_items.h"
#include "tests/fixtures/temp_data_home.h"

namespace {

TEST(CatalogRetry, PausesDoubleFromFiveSecondsToAMinute) {
  std::vector<uint64_t> pauses;
  for (int failures = 1; failures <= 7; ++failures) pauses.push_back(CatalogRetryPause(failures) / 1000);
  EXPECT_EQ(pauses, (std::vector<uint64_t>{5, 10, 20, 40, 60, 60, 60}));
}

TEST(CatalogRetry, NoChannelsPlanTheNextTryAndTheStatusSaysWhyUntilTheyCome) {
  TempDataHome home;
  AppState state;
  MessageRecorder recorder;
  JobMailbox mailbox(recorder);
  // A first start: the sign-in gave no playlist, so nothing was asked of a provider.
  FollowLiveLoad(state, 100'000);
  EXPECT_EQ(state.catalogRetry.nextMs, 105'000u);
  EXPECT_EQ(state.StatusText, u"The sign-in server did not answer  ·  Trying again in 5 s");
  CheckCatalogRetry(state, mailbox, 102'200);
  EXPECT_EQ(state.StatusText, u"The sign-in server did not answer  ·  Trying again in 3 s") << "counts down";
  state.flags.CatalogBusy = true;
  CheckCatalogRetry(state, mailbox, 106'000);
  EXPECT_EQ(state.catalogRetry.nextMs, 105'000u) << "never beside another load";

  // An Xtream account whose provider did not answer: the provider's status
  // line says why; the status adds when.
  state.account = DeriveXtreamSource(u"http://h:8080/get.php?username=u&password=p");
  state.provider.liveAnswer = ProviderAnswer{};
  FollowLiveLoad(state, 200'000);
  EXPECT_EQ(state.catalogRetry.failures, 2);
  EXPECT_EQ(state.StatusText, u"Trying again in 10 s");

  auto channels = std::make_shared<ItemList>();
  channels->push_back(TestItem(ItemKind::Live, {.id = u"1", .name = u"One", .categoryId = u"1"}));
  state.catalog.LiveChannels = channels;
  FollowLiveLoad(state, 300'000);
  EXPECT_EQ(state.catalogRetry.nextMs, 0u);
  EXPECT_EQ(state.catalogRetry.failures, 0);
}

}  // namespace
