#include "panel/device_identity.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/sha256.h"

namespace {

// SHA-256 of "PC1|ann|vistra-desk-043|linux", worked out independently.
constexpr char16_t kPc1AnnHash[] = u"066ef11b0a0482b844fd1ca4077965d913143b4e552cde9cb02a4c80cc7bd785";

}  // namespace

TEST(Sha256, KnownDigest) {
  const Sha256Digest digest = Sha256("abc");
  EXPECT_EQ(digest[0], 0xba);
  EXPECT_EQ(digest[1], 0x78);
  EXPECT_EQ(digest[31], 0xad);
}

TEST(DeviceIdentity, DerivesHashMacAndKeyFromTheNames) {
  EXPECT_EQ(DeviceHashText(u"PC1", u"ann"), u"PC1|ann|vistra-desk-043|linux");
  DeviceIdentity identity;
  identity.RefreshFrom(u"PC1", u"ann");
  EXPECT_EQ(identity.deviceHash, kPc1AnnHash);
  // "02:" and the first five hash bytes; the key is 0x066ef11b mod 1,000,000.
  EXPECT_EQ(identity.panelMac, u"02:06:6e:f1:1b:0a");
  EXPECT_EQ(identity.deviceKey, u"933979");
}

TEST(DeviceIdentity, EveryDeviceGetsItsOwnIdentity) {
  DeviceIdentity first, second, again;
  first.RefreshFrom(u"PC1", u"ann");
  second.RefreshFrom(u"PC2", u"ann");
  again.RefreshFrom(u"PC1", u"ann");
  EXPECT_NE(first.panelMac, second.panelMac);
  EXPECT_NE(first.deviceKey, second.deviceKey);
  EXPECT_EQ(first, again);
  EXPECT_EQ(second.deviceKey, u"810238");
}

TEST(DeviceIdentity, RefreshReadsThisMachine) {
  DeviceIdentity identity;
  identity.Refresh();
  EXPECT_EQ(identity.deviceHash.size(), 64u);
  EXPECT_EQ(identity.panelMac.substr(0, 3), u"02:");
  EXPECT_EQ(identity.deviceKey.size(), 6u);
}

TEST(DeviceIdentity, ShownMacFallsBackToTheHash) {
  DeviceIdentity identity;
  identity.RefreshFrom(u"PC1", u"ann");
  identity.panelMac = u"aa:bb:cc:dd:ee:ff";  // the panel's own value
  EXPECT_EQ(identity.ShownMac(), u"aa:bb:cc:dd:ee:ff");
  identity.panelMac.clear();
  EXPECT_EQ(identity.ShownMac(), kPc1AnnHash);
}

TEST(DeviceIdentity, InfoTextShowsADashForAnEmptyKey) {
  DeviceIdentity identity;
  identity.panelMac = u"02:06:6e:f1:1b:0a";
  identity.deviceKey = u"012345";
  EXPECT_EQ(identity.InfoText(), u"Mac Address: 02:06:6e:f1:1b:0a\nDevice Key: 012345");
  identity.deviceKey.clear();
  EXPECT_EQ(identity.InfoText(), u"Mac Address: 02:06:6e:f1:1b:0a\nDevice Key: -");
}

TEST(DeviceIdentity, PanelLinkEncodesTheMac) {
  setenv("VISTRA_PANEL_URL", "https://panel.test/", 1);
  DeviceIdentity identity;
  identity.panelMac = u"02:06:6e:f1:1b:0a";
  identity.deviceKey = u"933979";
  EXPECT_EQ(identity.PanelLink(), u"https://panel.test/vs4.3/playlists.html?mac=02%3A06%3A6e%3Af1%3A1b%3A0a&key=933979");
  unsetenv("VISTRA_PANEL_URL");
}
