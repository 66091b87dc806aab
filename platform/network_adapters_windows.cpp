// The network adapters through IP Helper. GetAdaptersAddresses rather than
// the older GetAdaptersInfo: it also lists the loopback adapter and gives
// the names people see ("Wi-Fi", "Ethernet").
#include <winsock2.h>
#include <ws2tcpip.h>
#include <iphlpapi.h>

#include <vector>

#include "net/text.h"
#include "platform/network_adapters.h"

namespace {

// The list grows between the size query and the read when an adapter
// appears meanwhile: a few tries cover that.
constexpr int kTries = 3;

std::string Utf8Of(const wchar_t* text) {
  if (!text) return {};
  return WideToUtf8(reinterpret_cast<const char16_t*>(text));
}

int TypeOf(IFTYPE type) {
  switch (type) {
    case IF_TYPE_SOFTWARE_LOOPBACK:
      return kAdapterTypeLoopback;
    case IF_TYPE_ETHERNET_CSMACD:
      return kAdapterTypeEthernet;
    case IF_TYPE_IEEE80211:
      return kAdapterTypeWifi;
    default:
      return kAdapterTypeOther;
  }
}

std::vector<std::string> Ipv4Addresses(const IP_ADAPTER_UNICAST_ADDRESS* address) {
  std::vector<std::string> addresses;
  for (; address; address = address->Next) {
    const SOCKADDR* socket = address->Address.lpSockaddr;
    if (!socket || socket->sa_family != AF_INET) continue;
    char text[INET_ADDRSTRLEN] = {};
    const auto* ipv4 = reinterpret_cast<const sockaddr_in*>(socket);
    if (inet_ntop(AF_INET, &ipv4->sin_addr, text, sizeof text)) addresses.emplace_back(text);
  }
  return addresses;
}

}  // namespace

std::vector<NetworkAdapter> ListNetworkAdapters() {
  constexpr ULONG kFlags = GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_DNS_SERVER;
  ULONG size = 16 * 1024;
  std::vector<unsigned char> buffer;
  ULONG result = ERROR_BUFFER_OVERFLOW;
  for (int i = 0; i < kTries && result == ERROR_BUFFER_OVERFLOW; ++i) {
    buffer.resize(size);
    result = GetAdaptersAddresses(AF_INET, kFlags, nullptr, reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()), &size);
  }
  if (result != NO_ERROR) return {};

  std::vector<NetworkAdapter> adapters;
  for (auto* entry = reinterpret_cast<const IP_ADAPTER_ADDRESSES*>(buffer.data()); entry; entry = entry->Next) {
    NetworkAdapter adapter;
    adapter.name = Utf8Of(entry->FriendlyName);
    if (adapter.name.empty()) adapter.name = entry->AdapterName ? entry->AdapterName : "";
    adapter.description = Utf8Of(entry->Description);
    if (adapter.description.empty()) adapter.description = adapter.name;
    adapter.ipv4 = Ipv4Addresses(entry->FirstUnicastAddress);
    adapter.type = TypeOf(entry->IfType);
    adapter.wireless = entry->IfType == IF_TYPE_IEEE80211;
    adapters.push_back(std::move(adapter));
  }
  return adapters;
}
