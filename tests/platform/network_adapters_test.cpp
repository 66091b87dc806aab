#include "platform/network_adapters.h"

#include <gtest/gtest.h>

#include <algorithm>

TEST(ListNetworkAdapters, ListsTheLoopbackAdapterAsLoopback) {
  // Every machine, containers included, has a loopback interface.
  const auto adapters = ListNetworkAdapters();
  const auto lo = std::find_if(adapters.begin(), adapters.end(),
                               [](const NetworkAdapter& a) { return a.type == kAdapterTypeLoopback; });
  ASSERT_NE(lo, adapters.end());
  EXPECT_FALSE(lo->wireless);
  EXPECT_FALSE(lo->name.empty());
  for (const NetworkAdapter& adapter : adapters) {
    // Names are unique: each interface is one adapter with all its addresses.
    EXPECT_EQ(std::count_if(adapters.begin(), adapters.end(),
                            [&](const NetworkAdapter& a) { return a.name == adapter.name; }),
              1);
    for (const std::string& address : adapter.ipv4) EXPECT_EQ(std::count(address.begin(), address.end(), '.'), 3);
  }
}
