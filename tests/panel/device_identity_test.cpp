#include "panel/device_identity.h"

#include <gtest/gtest.h>

#include <cstdlib>


namespace {

// SHA-256 of "PC1|ann|vistra-desk-043|linux", worked out independently.
constexpr char16_t kPc1AnnHash[] = u"066ef11b0a0482b844fd1ca4077965d913143b4e552cde9cb02a4c80cc7bd785";

}  // namespace

// The hash below is worked out independently, so it also guards Sha256.
TEST(DeviceIdentity, DerivesHashMacAndKeyFromTheNamesOfEachDevice) {
  EXPECT_EQ(DeviceHashText(u"PC1", u"ann"), u"PC1|ann|vistra-desk-043|linux");
  DeviceIdentity identity, second, again;
  identity.RefreshFrom(u"PC1", u"ann");
  EXPECT_EQ(identity.deviceHash, kPc1AnnHash);
  // "02:" and the first five hash bytes; the key is 0x066ef11b mod 1,000,000.
  EXPECT_EQ(identity.panelMac, u"02:06:6e:f1:1b:0a");
  EXPECT_EQ(identity.deviceKey, u"933979");
  second.RefreshFrom(u"PC2", u"ann");
  again.RefreshFrom(u"PC1", u"ann");
  EXPECT_NE(identity.panelMac, second.panelMac);
  EXPECT_EQ(second.deviceKey, u"810238");
  EXPECT_EQ(identity, again);

  DeviceIdentity here;
  here.Refresh();
  EXPECT_EQ(here.deviceHash.size(), 64u);
  EXPECT_EQ(here.panelMac.substr(0, 3), u"02:");
  EXPECT_EQ(here.deviceKey.size(), 6u);
}

TEST(DeviceIdentity, ShownMacInfoTextAndPanelLink) {
  DeviceIdentity identity;
  identity.RefreshFrom(u"PC1", u"ann");
  EXPECT_EQ(identity.InfoText(), u"Mac Address: 02:06:6e:f1:1b:0a\nDevice Key: 933979");
  setenv("VISTRA_PANEL_URL", "https://panel.test/", 1);
  EXPECT_EQ(identity.PanelLink(), u"https://panel.test/vs4.3/playlists.html?mac=02%3A06%3A6e%3Af1%3A1b%3A0a&key=933979");
  unsetenv("VISTRA_PANEL_URL");
  identity.deviceKey.clear();
  EXPECT_EQ(identity.InfoText(), u"Mac Address: 02:06:6e:f1:1b:0a\nDevice Key: -");
  identity.panelMac = u"aa:bb:cc:dd:ee:ff";  // the panel's own value
  EXPECT_EQ(identity.ShownMac(), u"aa:bb:cc:dd:ee:ff");
  identity.panelMac.clear();
  EXPECT_EQ(identity.ShownMac(), kPc1AnnHash);
}
