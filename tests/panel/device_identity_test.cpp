#include "panel/device_identity.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/scoped_env.h"

namespace {

// What the device of computer PC1 and user ann is on each system; the
// hashes are worked out independently, so they also guard Sha256.
struct Pc1Ann {
  std::u16string_view hashText, hash, mac, key, pc2Key;
};
#ifdef _WIN32
constexpr Pc1Ann kPc1Ann{u"PC1|ann|vistra-desk-043|windows",
                         u"a3aae4cce450af69e80c629234b9fa6adcf411ca16e43bf8ea729e84975e7d75", u"02:a3:aa:e4:cc:e4",
                         u"885900", u"466469"};
#else
constexpr Pc1Ann kPc1Ann{u"PC1|ann|vistra-desk-043|linux",
                         u"066ef11b0a0482b844fd1ca4077965d913143b4e552cde9cb02a4c80cc7bd785", u"02:06:6e:f1:1b:0a",
                         u"933979", u"810238"};
#endif

}  // namespace

TEST(DeviceIdentity, DerivesHashMacAndKeyFromTheNamesOfEachDevice) {
  EXPECT_EQ(DeviceHashText(u"PC1", u"ann"), kPc1Ann.hashText);
  DeviceIdentity identity, second, again;
  identity.RefreshFrom(u"PC1", u"ann");
  EXPECT_EQ(identity.deviceHash, kPc1Ann.hash);
  // "02:" and the first five hash bytes; the key is the first four bytes
  // mod 1,000,000.
  EXPECT_EQ(identity.panelMac, kPc1Ann.mac);
  EXPECT_EQ(identity.deviceKey, kPc1Ann.key);
  second.RefreshFrom(u"PC2", u"ann");
  again.RefreshFrom(u"PC1", u"ann");
  EXPECT_NE(identity.panelMac, second.panelMac);
  EXPECT_EQ(second.deviceKey, kPc1Ann.pc2Key);
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
  identity.panelMac = u"02:06:6e:f1:1b:0a";
  identity.deviceKey = u"933979";
  EXPECT_EQ(identity.InfoText(), u"Mac Address: 02:06:6e:f1:1b:0a\nDevice Key: 933979");
  SetEnvVar("VISTRA_PANEL_URL", "https://panel.test/");
  EXPECT_EQ(identity.PanelLink(), u"https://panel.test/vs4.3/playlists.html?mac=02%3A06%3A6e%3Af1%3A1b%3A0a&key=933979");
  UnsetEnvVar("VISTRA_PANEL_URL");
  identity.deviceKey.clear();
  EXPECT_EQ(identity.InfoText(), u"Mac Address: 02:06:6e:f1:1b:0a\nDevice Key: -");
  identity.panelMac = u"aa:bb:cc:dd:ee:ff";  // the panel's own value
  EXPECT_EQ(identity.ShownMac(), u"aa:bb:cc:dd:ee:ff");
  identity.panelMac.clear();
  EXPECT_EQ(identity.ShownMac(), kPc1Ann.hash);
}
