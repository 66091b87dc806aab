#include "panel/device_identity.h"

#include <cstdint>
#include <cstdio>

#include "net/endpoints.h"
#include "net/http_client.h"
#include "net/text.h"
#include "platform/device_names.h"
#include "platform/sha256.h"
#include "i18n/translate.h"

namespace {

constexpr char16_t kHexDigits[] = u"0123456789abcdef";
constexpr size_t kMacHashBytes = 5;
constexpr uint32_t kDeviceKeyModulus = 1000000;

void AppendHexByte(uint8_t byte, std::u16string& out) {
  out.push_back(kHexDigits[byte >> 4]);
  out.push_back(kHexDigits[byte & 0x0F]);
}

std::u16string HexOf(const Sha256Digest& digest) {
  std::u16string hex;
  hex.reserve(digest.size() * 2);
  for (uint8_t byte : digest) AppendHexByte(byte, hex);
  return hex;
}

// "02" marks a locally administered address, so the text can never collide
// with a real network card's address.
std::u16string MacFromDigest(const Sha256Digest& digest) {
  std::u16string mac = u"02";
  for (size_t i = 0; i < kMacHashBytes; ++i) {
    mac.push_back(u':');
    AppendHexByte(digest[i], mac);
  }
  return mac;
}

std::u16string KeyFromDigest(const Sha256Digest& digest) {
  const uint32_t leading = (uint32_t(digest[0]) << 24) | (uint32_t(digest[1]) << 16) |
                           (uint32_t(digest[2]) << 8) | uint32_t(digest[3]);
  char digits[8];
  std::snprintf(digits, sizeof digits, "%06u", static_cast<unsigned>(leading % kDeviceKeyModulus));
  return AsciiToWide(digits);
}

}  // namespace

std::u16string DeviceHashText(std::u16string_view computerName, std::u16string_view userName) {
  std::u16string text(computerName);
  text.append(u"|").append(userName).append(u"|vistra-desk-043|").append(SystemName());
  return text;
}

void DeviceIdentity::Refresh() { RefreshFrom(ComputerName(), UserName()); }

void DeviceIdentity::RefreshFrom(std::u16string_view computerName, std::u16string_view userName) {
  const Sha256Digest digest = Sha256(WideToUtf8(DeviceHashText(computerName, userName)));
  deviceHash = HexOf(digest);
  panelMac = MacFromDigest(digest);
  deviceKey = KeyFromDigest(digest);
}

std::u16string DeviceIdentity::ShownMac() const { return panelMac.empty() ? deviceHash : panelMac; }

std::u16string DeviceIdentity::InfoText() const {
  std::u16string text(Translate("mac_address"));
  text.append(u": ").append(ShownMac()).append(u"\n");
  text.append(Translate("device_key")).append(u": ");
  text.append(deviceKey.empty() ? std::u16string_view(u"-") : std::u16string_view(deviceKey));
  return text;
}

std::u16string DeviceIdentity::PanelLink() const {
  std::string link = WideToUtf8(Endpoints::PanelUrl());
  link.append("/vs4.3/playlists.html?mac=").append(UrlEncode(WideToUtf8(ShownMac())));
  link.append("&key=").append(UrlEncode(WideToUtf8(deviceKey)));
  return Utf8ToWide(link);
}
