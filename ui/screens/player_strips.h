#pragma once
// The Player screen's control strips: the back button (top), the volume bar
// (right), the two channel arrows and the bottom strip. The bottom strip
// has two forms: the live one (the channel's logo, category, number and
// name, with a red REC while the channel records, the now/next programmes
// with a progress bar of the current one, and the button row: back, the
// chevron, next and Record (Stop REC while it records); expanded, the
// StripButtons() below) and the recording one
// for a movie, an episode, a trailer or a catch-up programme (title, time,
// a seek bar, the transport and the track buttons).
//
// One layout serves the painter and the hit tests: every control is one
// rectangle, painted exactly there and answering exactly there, and no two
// controls overlap. Sizes are laid out for 1080 lines and grow with taller
// windows (never shrink). The strips are painted with real alpha on the
// window's strip layer; transparent between them. Main thread only.
#include <cstdint>
#include <vector>

#include "state/app_state.h"
#include "ui/render/render_resources.h"
#include "ui/screens/player_strip_buttons.h"

enum class StripId { Top, Bottom, Right, LeftArrow, RightArrow };
inline constexpr int kStripCount = 5;

// What the bottom strip shows.
enum class StripMode {
  Live,     // a live channel: zap arrows, the guide lines
  Movie,    // a movie or an episode
  Trailer,  // the trending movie's trailer: seeks, never zaps
  Catchup,  // a past programme from the archive: seeks
};

// The mode for what plays now.
StripMode StripModeOf(const AppState& state);

// What a click on the strips does.
struct StripHit {
  enum class Kind {
    None,
    Back,           // the top strip: the back key
    StepChannel,    // value -1 / +1
    Volume,         // value 0..100
    ToggleExpand,   // the live strip's middle button
    Record,         // the live strip's last button: record the channel now, or stop
    StripButton,    // the expanded strip's buttons: value 0..kStripButtonCount-1
    SeekShare,      // the seek bar: share 0..1 of the duration
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

// One control of the bottom strip: drawn over `rect` and answering there.
struct StripControl {
  RectF rect;
  StripHit hit;
};

struct StripLayout {
  StripMode mode = StripMode::Live;
  bool expanded = false;  // the live strip's taller form
  double scale = 1;       // window height / 1080, at least 1
  RectF rects[kStripCount];
  // Text places of the bottom strip (window coordinates). Live: logo,
  // category, resolution, title (number and name), now, next, progress,
  // and the live buffer's state and bar (`shift`).
  // Recording: title, time, progress (the seek bar's track).
  RectF logo, category, resolution, title, now, next, progress, time, shift;
  // The buttons of the bottom strip, left to right.
  std::vector<StripControl> controls;

  const RectF& operator[](StripId id) const { return rects[int(id)]; }
  bool Visible(StripId id) const {
    return mode == StripMode::Live || (id != StripId::LeftArrow && id != StripId::RightArrow);
  }
};

// The index in `controls` of the expanded row's first button (where the
// keys start when the row opens); 0 when the row is not laid out.
int FirstExpandedControl(const StripLayout& layout);

// The strips of a W x H window.
StripLayout StripLayoutOf(int width, int height, StripMode mode, bool expanded);
// The strips for the state (what plays, the expanded flag).
StripLayout StripLayoutFor(const AppState& state, int width, int height);

// Window coordinates.
StripHit StripHitTest(const StripLayout& layout, double x, double y);
// The volume for a pointer height on the volume strip (window coordinates).
int VolumeAt(const StripLayout& layout, double y);
// The strip under a window point (in the order top, bottom, right, arrows),
// or -1.
int StripAt(const StripLayout& layout, double x, double y);
// The words' part of the live strip's `shift` place (its bar takes the
// right end).
RectF TimeshiftTextRect(const StripLayout& layout);
// Where notices show on the Player: at the top, clear of the strips.
RectF PlayerToastRect(const StripLayout& layout, int width);

// Where subtitles stand (the engine's "sub-pos", in percent of the window
// height from the top): at the bottom (100) while the strips are hidden,
// raised above the bottom strip while they show, so no strip covers them.
int SubtitlePosition(const StripLayout& layout, int height, bool stripsShown);

// What the live strip says of the buffer of the channel playing: "PAUSED"
// and how far behind live, only how far behind while playing behind, "LIVE"
// at live; empty without a buffer.
std::u16string TimeshiftText(const TimeshiftState& shift);

// A play time as the strips and the seek notice write it: "m:ss", from an
// hour on "h:mm:ss"; below zero as "0:00".
std::u16string PlayTimeText(double seconds);
// The seek notice from the player's "time-pos" and "duration" texts
// ("24.354000"): "0:24 / 1:30", the position alone while the duration is
// unknown; empty without a position.
std::u16string SeekNoticeText(const std::u16string& timePos, const std::u16string& duration);

// The recording strip's title line: the movie's name, the series' name
// with the episode ("S01 E01 · Arrival"), the trailer's film,
// or the catch-up programme with its day and time (after "Loading..." while
// its archive addresses are still being tried).
std::u16string RecordingTitle(const AppState& state, StripMode mode);

// Paints the visible strips onto the strip layer (a cleared surface of the
// window's size). Reads the state only; `nowUnix` places the programme's
// progress. While the live row is open, the control the keys stand on
// (PlayerScreenControls::stripFocus) wears a ring.
void PaintStrips(RenderResources& res, const AppState& state, int width, int height, int64_t nowUnix);

// The expanded live strip's button labels (StripButtons() rows, left to
// right) in the interface language; out of range: empty.
std::u16string_view ExpandedButtonLabel(int button);

// The hover check (every 50 ms on the Player screen): a pointer movement
// inside the window shows the strips for 2.8 s; a pointer resting over a
// shown strip keeps them; otherwise they go 2.8 s after the last movement,
// key or click, wherever the pointer rests. `inside` tells whether the point
// is in the window. While catch-up is still trying its candidates the strips
// stay (they say what loads), and while live is paused (they say how far
// behind). True when the strips must be shown or hidden
// anew.
bool HoverCheck(AppState& state, const StripLayout& layout, int x, int y, bool inside, uint64_t nowMs);
