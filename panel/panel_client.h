#pragma once
// The panel service client: signs the device in, keeps the bearer token,
// downloads the device's playlists and message thread, decides which
// playlist is active and sends messages.
//
// Threads. The panel state and the settings belong to the main thread, which
// paints from them; a panel job never writes them. A job builds a
// PanelClient from a copy of the panel state and of the few settings fields
// the panel uses, runs SignIn / CheckMine / SendMessage (blocking network
// calls: never on the main thread), and hands Result() back with its window
// message. The main thread then calls MergePanelResult, which takes over
// exactly the parts the job changed and saves the settings when the panel
// changed them. The same answers twice change nothing and save nothing.
//
// Every request goes to Endpoints::PanelUrl() + "/vs4.3/api/...". Failed
// requests give empty answers; the stored data is then kept.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalog/account.h"
#include "panel/device_identity.h"
#include "store/settings.h"

// One playlist object of a panel answer (transient).
struct PlaylistDescriptor {
  std::u16string name;
  std::u16string url;
  std::u16string id;
  bool operator==(const PlaylistDescriptor&) const = default;
};

// One message of the device's thread with its panel.
struct PanelMessage {
  std::u16string id;
  std::u16string title;
  std::u16string text;
  std::u16string from;  // "client" for the device's own messages
  std::u16string role;
  bool operator==(const PanelMessage&) const = default;
};

// The panel part of the application state (main thread).
struct PanelState {
  DeviceIdentity identity;
  std::u16string token;                   // empty = not signed in; also gates the five-second poll
  std::vector<PlaylistEntry> panelLists;  // the panel's playlists for this device, in panel order
  std::vector<PanelMessage> messages;     // the message thread, in answer order
  bool operator==(const PanelState&) const = default;
};

// The settings fields a panel job reads (DeviceType) and may change
// (PlaylistUrl, the active playlist; Extra, the device's further playlists).
struct PanelSettings {
  std::u16string PlaylistUrl;
  std::u16string DeviceType;
  std::vector<PlaylistEntry> Extra;

  static PanelSettings From(const Settings& settings);
};

// What a panel job hands back. Each optional is set only when the job
// replaced that value; the merge leaves everything else as the main thread
// has it.
struct PanelResult {
  bool changed = false;  // what SignIn / CheckMine returned: the panel's playlists changed

  std::optional<DeviceIdentity> identity;           // a sign-in ran
  std::optional<std::u16string> token;              // a sign-in ran (empty = signed out)
  std::optional<std::vector<PlaylistEntry>> panelLists;
  std::optional<std::vector<PanelMessage>> messages;

  // Settings the panel changed; the merge saves them.
  std::optional<std::u16string> PlaylistUrl;
  std::optional<std::vector<PlaylistEntry>> Extra;
  // The account derived from the active playlist, when the panel named one.
  std::optional<XtreamAccount> account;

  bool SettingsChanged() const { return PlaylistUrl.has_value() || Extra.has_value(); }
};

class PanelClient {
 public:
  PanelClient(PanelState state, PanelSettings settings);

  // The full sign-in: identity refreshed, token and messages cleared, login,
  // device registration, then CheckMine when a token came back. True when
  // the playlists changed at any step of it. Blocking.
  bool SignIn();

  // Messages and playlists with the token. False at once without a token;
  // otherwise true when the playlists changed. Blocking.
  bool CheckMine();

  // Sends one message to the thread. False without a token, with an empty
  // text, on a failed request or an "error" in the answer; on success the
  // thread and playlists are fetched again (CheckMine). Blocking.
  bool SendMessage(std::u16string_view title, std::u16string_view text);

  // Reads the playlists of an answer and stores them when they differ from
  // what is stored (see panel_client.cpp). Returns the number of playlists;
  // sets *changed when it stored something. An empty answer, or one that
  // names no playlists at all (an error answer, for instance), changes
  // nothing and returns 0.
  size_t ParsePanelLists(std::string_view answer, bool* changed = nullptr);

  // Replaces the message thread with the answer's "messages" array; an
  // answer without that array keeps the thread.
  void ParseMessages(std::string_view answer);

  const PanelState& State() const { return state_; }
  const PanelSettings& CurrentSettings() const { return settings_; }
  // Everything this client changed, for the main thread's merge.
  PanelResult Result() const;

 private:
  std::string Bearer() const;
  void StorePanelLists(const std::vector<PlaylistDescriptor>& found, const std::u16string& activeUrl);

  PanelState state_;
  PanelSettings settings_;
  XtreamAccount account_;

  bool signInRan_ = false;
  bool listsStored_ = false;
  bool messagesReplaced_ = false;
  bool playlistUrlChanged_ = false;
  bool accountApplied_ = false;
  bool lastChanged_ = false;
};

// The playlist object's URL: its own "url" / "m3u" / "link" / "playlistUrl",
// or a get.php URL built from "server" (or "host", "portal") with
// "username" (or "user") and "password" (or "pass"). Empty when there is
// none.
std::u16string DescriptorUrl(std::string_view object);

// One playlist object. `collected` is the number of descriptors taken before
// it (an object without a name is called "Playlist <collected + 1>").
// Nothing when the object has neither a name nor a URL.
std::optional<PlaylistDescriptor> ParsePlaylistDescriptor(std::string_view object, size_t collected);

// The "messages" array of an answer; nothing when the answer has no such
// array. Messages with neither text nor title are dropped.
std::optional<std::vector<PanelMessage>> ParseMessageList(std::string_view answer);

// Main thread: takes over what the job changed. Returns true when the
// settings changed (PlaylistUrl or Extra) and must be saved.
bool ApplyPanelResult(const PanelResult& result, PanelState& panel, Settings& settings, XtreamAccount& account);

// Main thread: ApplyPanelResult, then SaveSettings when the settings changed.
// Returns whether they did.
bool MergePanelResult(const PanelResult& result, PanelState& panel, Settings& settings, XtreamAccount& account);
