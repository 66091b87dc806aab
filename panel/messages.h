#pragma once
// The device's message thread with its panel: the text the messages panel
// shows, the reply box's typing and Enter key, and the send job.
//
// The compose state belongs to the main thread; ComposeEnter only decides.
// The send job runs RunSendJob on its own thread with copies of the panel
// state and settings and hands the SendJobResult back with the
// panel-updated message; the main thread merges it with MergeSendResult.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "panel/panel_client.h"

// The thread as one text: per message the author ("You" for "client",
// "Panel" when empty, else the sender as given), " · " and the title when
// there is one, a line feed, the text and two line feeds. The "no_messages"
// text when the thread is empty. Any thread (translations are read-only).
std::u16string BuildThreadText(const std::vector<PanelMessage>& messages);

// The reply box.
struct ComposeState {
  bool composeOpen = false;
  std::u16string composeText;
};

// Typing into the open box: characters below 32 and 127 are ignored.
void ComposeType(ComposeState& compose, char16_t character);
// Backspace removes the last character (a surrogate pair as a whole).
void ComposeBackspace(ComposeState& compose);

enum class ComposeAction {
  Opened,    // the reply box was opened
  Refused,   // nothing to send yet
  Send,      // start the send job with `text`
};

struct ComposeStep {
  ComposeAction action = ComposeAction::Opened;
  std::string_view statusKey;  // the StatusText's translation key
  std::u16string text;         // what to send (Send only)
};

// The Enter key of the messages panel: opens the box; in an open box, sends
// the text without its trailing spaces and line breaks (clearing the box),
// or refuses when nothing else is left.
ComposeStep ComposeEnter(ComposeState& compose);

// The send job's outcome.
struct SendJobResult {
  bool ok = false;
  PanelResult panel;                         // the client's changes (the thread, maybe playlists)
  std::u16string threadText;                 // BuildThreadText of the resulting thread
  std::optional<std::u16string> inboxSeenId;  // the newest message's id (its text without one)
  std::string_view statusKey;                // "sent" or "send_fail"
};

// The send job: sends `text` titled "Reply" and reads the thread back.
// Blocking; runs on the job's thread with copies taken on the main thread.
SendJobResult RunSendJob(PanelState panel, PanelSettings settings, std::u16string text);

// Main thread: takes over the job's panel changes and InboxSeenId, and saves
// the settings when either changed them. The caller then opens the messages
// panel, shows `threadText` and sets StatusText to Translate(statusKey).
// Returns whether the settings were saved.
bool ApplySendResult(const SendJobResult& result, PanelState& panel, Settings& settings, XtreamAccount& account);
bool MergeSendResult(const SendJobResult& result, PanelState& panel, Settings& settings, XtreamAccount& account);
