#pragma once
// The identity this installation shows the panel service: a device hash
// derived from the computer and user names, the MAC-shaped text sent to the
// panel and the numeric device key.
//
// Every installation derives its own MAC text and key from its hash, so no
// two devices share an identity (and no one is handed another user's
// playlists): the MAC text is "02:" followed by the first five hash bytes as
// lower-case hex pairs joined by ":" (a locally administered address), and
// the key is the first four hash bytes read as a big-endian number, modulo
// 1,000,000, written as six digits.
//
// A plain value: the main thread keeps one in its panel state, and a panel
// job works on its own copy (see panel/panel_client.h).
#include <string>
#include <string_view>

struct DeviceIdentity {
  std::u16string deviceHash;  // 64 lower-case hex digits
  std::u16string panelMac;    // the MAC text sent to the panel; the panel's own "mac" replaces it
  std::u16string deviceKey;   // six digits

  // Reads this computer's host name and user name and derives all three
  // fields from them. Runs at the start of every panel sign-in.
  void Refresh();
  // The same from given names.
  void RefreshFrom(std::u16string_view computerName, std::u16string_view userName);

  // panelMac when it is set, otherwise deviceHash.
  std::u16string ShownMac() const;

  // The account screen's text: "Mac Address: <shown MAC>\nDevice Key: <key>"
  // in the current language, "-" standing for an empty key.
  std::u16string InfoText() const;

  // The panel's playlists page for this device: the panel base URL +
  // "/vs4.3/playlists.html?mac=" + shown MAC + "&key=" + key, both
  // percent-encoded as UTF-8.
  std::u16string PanelLink() const;

  bool operator==(const DeviceIdentity&) const = default;
};

// The text whose SHA-256 is the device hash: computer name + "|" + user name
// + "|vistra-desk-043|" + the system's name ("linux", "windows").
std::u16string DeviceHashText(std::u16string_view computerName, std::u16string_view userName);
