#pragma once
// The marks of recordings and reminders, drawn alike on every screen (the
// grid, the Live list, the Player's strip) in the one red of the brushes:
// a filled dot for a recording in progress, a ring for a scheduled one, a
// small clock for a reminder. Painters decide what to mark from
// state.recordings (ChannelRecording, MarkOf) and never change it. Main
// thread only.
#include "player/recording_schedule.h"
#include "ui/render/render_resources.h"

// Draws `mark` in a square of side `size` centred at (cx, cy); None draws
// nothing. `clockColour` is the reminder's (it is no recording, so it
// takes the colour of the text beside it rather than the red).
void PaintRecordMark(RenderResources& res, ProgrammeMark mark, double cx, double cy, double size, Rgba clockColour);
