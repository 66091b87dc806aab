#pragma once
// The Player screen's five control strips: the back button (top), the
// volume bar (right), the two channel arrows and the bottom strip (the
// channel's information and buttons while live plays, the progress bar,
// transport and track buttons for a movie or episode). One layout serves the
// painter and the hit tests. They are painted with real alpha on the
// window's strip layer; transparent between them. Main thread only.
#include <cstdint>

#include "state/app_state.h"
#include "ui/render/render_resources.h"

enum class StripId { Top, Bottom, Right, LeftArrow, RightArrow };
inline constexpr int kStripCount = 5;

struct StripLayout {
  bool vod = false;       // a movie or episode: the arrows are hidden
  bool expanded = false;  // the live strip's taller form
  RectF rects[kStripCount];
  const RectF& operator[](StripId id) const { return rects[int(id)]; }
  bool Visible(StripId id) const { return !vod || (id != StripId::LeftArrow && id != StripId::RightArrow); }
};

// The strips of a W x H window.
StripLayout StripLayoutOf(int width, int height, bool vod, bool expanded);
// The strips for the state (what plays, the expanded flag).
StripLayout StripLayoutFor(const AppState& state, int width, int height);

// What a click on the strips does.
struct StripHit {
  enum class Kind {
    None,
    Back,           // the top strip: the back key
    StepChannel,    // value -1 / +1
    Volume,         // value 0..100
    ToggleExpand,   // the live strip's middle button
    StripButton,    // the expanded strip's eight buttons: value 0..7
    SeekShare,      // the progress bar: share 0..1 of the duration
    StepVod,        // value -1 / +1
    SeekBy,         // value -10 / +10 seconds
    TogglePause,
    Audio,
    Subtitle,
    Inside,         // on a strip, but on nothing that acts
  };
  Kind kind = Kind::None;
  int value = 0;
  double share = 0;
};

// Window coordinates.
StripHit StripHitTest(const StripLayout& layout, double x, double y);
// The volume for a pointer height on the volume strip (window coordinates).
int VolumeAt(const StripLayout& layout, double y);
// The strip under a window point (in the order top, bottom, right, arrows),
// or -1.
int StripAt(const StripLayout& layout, double x, double y);

// Paints the visible strips onto the strip layer (a cleared surface of the
// window's size). Reads the state only.
void PaintStrips(RenderResources& res, const AppState& state, int width, int height);
// The expanded live strip's button labels (0-7, left to right) in the
// interface language; out of range: empty.
std::u16string_view ExpandedButtonLabel(int button);

// The hover check (every 50 ms on the Player screen): the strips stay while
// the pointer rests inside the window or on a strip, show when it moves and
// go 2.8 s after it left the window. `inside` tells whether the point is in
// the window. True when the strips must be shown or hidden anew.
bool HoverCheck(AppState& state, const StripLayout& layout, int x, int y, bool inside, uint64_t nowMs);
