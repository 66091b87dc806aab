#include "state/connection_budget.h"

#include <gtest/gtest.h>

#include <climits>

#include "tests/fixtures/temp_data_home.h"

TEST(ConnectionBudget, AnOwnerHoldsOneSlotAndAFullLineRefusesEveryOtherOwner) {
  TempDataHome home;
  home.CreateFolder();
  ConnectionBudget budget;
  budget.SetLimitSource([] { return std::optional<int32_t>(2); });
  EXPECT_TRUE(budget.Take("main"));
  EXPECT_TRUE(budget.Take("main")) << "a switch keeps the slot it has";
  EXPECT_TRUE(budget.Take("tile1"));
  EXPECT_FALSE(budget.Take("rec"));
  EXPECT_EQ(budget.Holders(), (std::vector<std::string>{"main", "tile1"}));
  EXPECT_EQ(budget.Free(), 0);
  budget.Give("main");
  budget.Give("main");  // holds none any more: nothing to give
  budget.Give("rec");
  EXPECT_TRUE(budget.Take("rec"));
  EXPECT_FALSE(budget.Holds("main"));
  EXPECT_EQ(home.LogText(), "conn take main 1/2\nconn take tile1 2/2\nconn give main 1/2\nconn take rec 2/2\n");
}

TEST(ConnectionBudget, ALimitOfNothingZeroOrLessBoundsNothingAndALoweredOneRefusesNewOwners) {
  TempDataHome home;
  home.CreateFolder();
  std::optional<int32_t> limit;
  ConnectionBudget budget;
  budget.SetLimitSource([&limit] { return limit; });
  for (std::optional<int32_t> none : {std::optional<int32_t>(), std::optional<int32_t>(0), std::optional<int32_t>(-1)}) {
    limit = none;
    for (const char* owner : {"a", "b", "c", "d", "e"}) EXPECT_TRUE(budget.Take(owner));
    EXPECT_EQ(budget.Free(), INT_MAX);
    EXPECT_FALSE(budget.Slots());
    for (const char* owner : {"a", "b", "c", "d", "e"}) budget.Give(owner);
  }
  EXPECT_EQ(home.LogText().substr(0, 18), "conn take a 1/-\nco");

  limit = 3;
  for (const char* owner : {"a", "b", "c"}) ASSERT_TRUE(budget.Take(owner));
  limit = 1;  // the account answer changed
  EXPECT_EQ(budget.Free(), 0);
  EXPECT_FALSE(budget.Take("d"));
  budget.Give("a");
  budget.Give("b");
  EXPECT_FALSE(budget.Take("d")) << "one is still held, the one the limit allows";
  budget.Give("c");
  EXPECT_TRUE(budget.Take("d"));
}
