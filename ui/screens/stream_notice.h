#pragma once
// The message over a live stream that was lost: "Connection lost —
// reconnecting…" with the attempt, or that the reconnection gave up, drawn
// in the middle of the video where the stream shows (the Player's whole
// window, or the Live preview). Main thread only; painting reads state.
#include <string>

#include "state/playback_state.h"
#include "ui/render/render_resources.h"

// The two lines of the message (the second may be empty); both empty when
// there is nothing to say.
struct StreamNoticeText {
  std::u16string headline, detail;
};
StreamNoticeText StreamNoticeOf(const ReconnectState& reconnect);

// Draws the message centred in `video`; nothing when there is none.
void PaintStreamNotice(RenderResources& res, const ReconnectState& reconnect, const RectF& video);
