#include "platform/network_adapters.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace {

// ARP hardware types from /sys/class/net/<if>/type.
constexpr int kHardwareEther = 1;
constexpr int kHardwareLoopback = 772;

int HardwareType(const std::filesystem::path& folder) {
  std::ifstream in(folder / "type");
  int type = -1;
  if (!(in >> type)) return -1;
  return type;
}

bool IsWireless(const std::filesystem::path& folder) {
  std::error_code ignored;
  return std::filesystem::exists(folder / "wireless", ignored) || std::filesystem::exists(folder / "phy80211", ignored);
}

// Classifies one adapter the way the report expects: a wireless interface
// reports Ethernet framing to the kernel, so the wireless test comes first.
void Classify(NetworkAdapter& adapter, bool loopbackFlag) {
  const std::filesystem::path folder = std::filesystem::path("/sys/class/net") / adapter.name;
  const int hardware = HardwareType(folder);
  adapter.wireless = IsWireless(folder);
  if (loopbackFlag || hardware == kHardwareLoopback) {
    adapter.type = kAdapterTypeLoopback;
  } else if (adapter.wireless) {
    adapter.type = kAdapterTypeWifi;
  } else if (hardware == kHardwareEther) {
    adapter.type = kAdapterTypeEthernet;
  } else {
    adapter.type = kAdapterTypeOther;
  }
}

}  // namespace

std::vector<NetworkAdapter> ListNetworkAdapters() {
  ifaddrs* list = nullptr;
  if (getifaddrs(&list) != 0) return {};

  std::vector<NetworkAdapter> adapters;
  std::vector<bool> loopback;
  for (const ifaddrs* entry = list; entry; entry = entry->ifa_next) {
    if (!entry->ifa_name) continue;
    auto it = std::find_if(adapters.begin(), adapters.end(),
                           [&](const NetworkAdapter& a) { return a.name == entry->ifa_name; });
    if (it == adapters.end()) {
      NetworkAdapter adapter;
      adapter.name = entry->ifa_name;
      adapter.description = entry->ifa_name;
      adapters.push_back(std::move(adapter));
      loopback.push_back(false);
      it = adapters.end() - 1;
    }
    const size_t index = static_cast<size_t>(it - adapters.begin());
    if (entry->ifa_flags & IFF_LOOPBACK) loopback[index] = true;
    if (!entry->ifa_addr || entry->ifa_addr->sa_family != AF_INET) continue;
    char text[INET_ADDRSTRLEN] = {};
    const auto* address = reinterpret_cast<const sockaddr_in*>(entry->ifa_addr);
    if (inet_ntop(AF_INET, &address->sin_addr, text, sizeof text)) it->ipv4.emplace_back(text);
  }
  freeifaddrs(list);

  for (size_t i = 0; i < adapters.size(); ++i) Classify(adapters[i], loopback[i]);
  return adapters;
}
