#pragma once
// The machine's network adapters, as the speed-test report lists them.
// Types use the interface-type numbers the report reasons with (the IANA
// ifType values): loopback 24, Ethernet 6, IEEE 802.11 Wi-Fi 71, other 1.
#include <string>
#include <vector>

inline constexpr int kAdapterTypeOther = 1;
inline constexpr int kAdapterTypeEthernet = 6;
inline constexpr int kAdapterTypeLoopback = 24;
inline constexpr int kAdapterTypeWifi = 71;

struct NetworkAdapter {
  std::string name;                // interface name, e.g. "wlp2s0"
  std::string description;         // the text shown beside its addresses
  std::vector<std::string> ipv4;   // dotted-quad addresses, in the system's order
  int type = kAdapterTypeOther;
  bool wireless = false;
};

// Every interface the system lists, in its order, with or without
// addresses. Empty when the list cannot be read. Any thread.
std::vector<NetworkAdapter> ListNetworkAdapters();
