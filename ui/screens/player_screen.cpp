#include "ui/screens/player_screen.h"

#include <initializer_list>
#include <span>
#include <vector>

#include "platform/virtual_keys.h"
#include "ui/nav/navigator.h"
#include "ui/nav/spatial_focus.h"
#include "ui/screens/key_table.h"
#include "ui/screens/live_actions.h"
#include "ui/screens/player_strips.h"

namespace {

// Clicks on the video of a movie or episode: the bottom band seeks to the
// share of the width, the side bands step 10 s.
constexpr int kSeekBandHeight = 96;
constexpr double kSideBand = 0.12;
constexpr double kVodStepSeconds = 10;
constexpr double kLiveStepSeconds = 10;

void ShowControls(ScreenContext& ctx) {
  PlayerScreenControls& controls = ctx.state.playerScreen;
  const bool hidden = ctx.nowMs >= controls.stripsUntil;
  controls.stripsUntil = ctx.nowMs + kControlsShowMs;
  if (hidden) ctx.playback.UpdateStrips();
}

// Opening the row puts the keys on its first button.
void ToggleExpanded(ScreenContext& ctx) {
  PlayerScreenControls& controls = ctx.state.playerScreen;
  controls.liveStripExpanded = !controls.liveStripExpanded;
  if (controls.liveStripExpanded)
    controls.stripFocus = FirstExpandedControl(StripLayoutFor(ctx.state, ctx.width, ctx.height));
  ctx.playback.UpdateStrips();
}

// The open row takes the keys while live plays: the arrows move over its
// controls as drawn, Enter presses one, Esc closes it.
bool RowOpen(const AppState& state) {
  return state.playerScreen.liveStripExpanded && StripModeOf(state) == StripMode::Live;
}

void SetVolumeFromStrip(ScreenContext& ctx, double y) {
  const StripLayout l = StripLayoutFor(ctx.state, ctx.width, ctx.height);
  const int volume = VolumeAt(l, y);
  ctx.state.settings.Volume = volume;
  ctx.playback.ApplyVolume(volume);
  ctx.playback.UpdateStrips();
}

void PressStripButton(ScreenContext& ctx, int index) {
  const std::span<const StripButton> rows = StripButtons();
  if (index >= 0 && size_t(index) < rows.size()) rows[size_t(index)].press(ctx);
}

// What a strip control does, clicked or pressed with Enter.
void ActOnStrip(ScreenContext& ctx, const StripHit& hit) {
  const bool zaps = StripModeOf(ctx.state) == StripMode::Live;
  using K = StripHit::Kind;
  switch (hit.kind) {
    case K::Back: ctx.playback.LeavePlayer(); break;
    case K::StepChannel:
      if (zaps) ctx.playback.StepChannel(hit.value);
      break;
    case K::ToggleExpand: ToggleExpanded(ctx); break;
    case K::Record: ToggleRecordShown(ctx); break;
    case K::StripButton: PressStripButton(ctx, hit.value); break;
    case K::SeekShare: ctx.playback.SeekToShare(hit.share); break;
    case K::StepVod: ctx.playback.StepVod(hit.value); break;
    case K::SeekBy: ctx.playback.SeekBy(hit.value); break;
    case K::TogglePause: ctx.playback.TogglePause(); break;
    case K::Audio: ctx.playback.ChooseTrack(TrackKind::Audio); break;
    case K::Subtitle: ctx.playback.ChooseTrack(TrackKind::Subtitle); break;
    default: break;
  }
}

// True when the click was on a shown strip (and acted on).
bool ClickStrips(ScreenContext& ctx, const PointerEvent& event) {
  AppState& state = ctx.state;
  if (!state.playerScreen.stripsShown) return false;
  const StripHit hit = StripHitTest(StripLayoutFor(state, ctx.width, ctx.height), event.x, event.y);
  if (hit.kind == StripHit::Kind::None) return false;
  state.playerScreen.stripsUntil = ctx.nowMs + kControlsShowMs;
  ActOnStrip(ctx, hit);
  return true;
}

void RowKey(ScreenContext& ctx, int vk) {
  PlayerScreenControls& controls = ctx.state.playerScreen;
  const StripLayout l = StripLayoutFor(ctx.state, ctx.width, ctx.height);
  std::vector<RectF> rects;
  for (const StripControl& c : l.controls) rects.push_back(c.rect);
  if (controls.stripFocus < 0 || size_t(controls.stripFocus) >= rects.size())
    controls.stripFocus = FirstExpandedControl(l);
  if (vk == Vk::Return) {
    ActOnStrip(ctx, l.controls[size_t(controls.stripFocus)].hit);
    return;
  }
  const int to = SpatialNeighbour(rects, controls.stripFocus, vk);
  if (to >= 0) controls.stripFocus = to;
  ctx.playback.UpdateStrips();
}

void ClickVideo(ScreenContext& ctx, const PointerEvent& event) {
  if (!ctx.state.Playing().PlayingRecording()) return;
  const int w = std::max(ctx.width, 1);
  if (event.y >= ctx.height - kSeekBandHeight) {
    ctx.playback.SeekToShare(double(event.x) / w);
  } else if (event.x < kSideBand * w) {
    ctx.playback.SeekBy(-kVodStepSeconds);
  } else if (event.x > (1 - kSideBand) * w) {
    ctx.playback.SeekBy(kVodStepSeconds);
  }
}

}  // namespace

bool PlayerScreen::TakeKeyFirst(ScreenContext& ctx, int /*vk*/) {
  ShowControls(ctx);
  return false;
}

bool PlayerScreen::TakeKeyBeforeBack(ScreenContext& ctx, int vk) {
  if (!Vk::IsBack(vk)) return false;
  if (RowOpen(ctx.state)) {
    ToggleExpanded(ctx);
    return true;
  }
  ctx.playback.LeavePlayer();
  return true;
}

void PlayerScreen::PrepareFrame(RenderResources& res, const AppState& state, int /*width*/, int /*height*/) const {
  if (StripModeOf(state) == StripMode::Live) res.IconFor(state.Playing().currentChannel);
}

namespace {

// The Player's key modes: one bit per StripMode.
constexpr uint32_t Modes(std::initializer_list<StripMode> modes) {
  uint32_t bits = 0;
  for (const StripMode m : modes) bits |= 1u << int(m);
  return bits;
}
using M = StripMode;
constexpr uint32_t kAll = Modes({M::Live, M::Catchup, M::Movie, M::Trailer});
constexpr uint32_t kZaps = Modes({M::Live, M::Catchup});  // a trailer never zaps
constexpr uint32_t kNotTrailer = Modes({M::Live, M::Catchup, M::Movie});

template <void (PlaybackActions::*Do)()>
bool Call(ScreenContext& ctx, int /*vk*/) {
  (ctx.playback.*Do)();
  return true;
}
bool TakeRowKey(ScreenContext& ctx, int vk) {
  if (!RowOpen(ctx.state)) return false;
  RowKey(ctx, vk);
  return true;
}
// Left/Right on a live channel skip in its buffer while it is paused or
// behind live and decline at live (the zap rows below take the key).
bool SkipInBuffer(ScreenContext& ctx, int vk) {
  return ctx.playback.SkipLive((vk == Vk::Right ? 1 : -1) * kLiveStepSeconds);
}
bool Seek(ScreenContext& ctx, int vk) {
  ctx.playback.SeekBy((vk == Vk::Right ? 1 : -1) * kVodStepSeconds);
  return true;
}
void Previous(ScreenContext& ctx) { ctx.playback.StepChannel(-1); }
void Next(ScreenContext& ctx) { ctx.playback.StepChannel(+1); }
void ToLive(ScreenContext& ctx) { ctx.playback.JumpToLive(); }
void Audio(ScreenContext& ctx) { ctx.playback.ChooseTrack(TrackKind::Audio); }
void Subtitle(ScreenContext& ctx) { ctx.playback.ChooseTrack(TrackKind::Subtitle); }
// Enter without the open row: the strips show (again) for their time.
void ShowStrips(ScreenContext& ctx) {
  ctx.state.playerScreen.stripsUntil = ctx.nowMs + kControlsShowMs;
  ctx.playback.UpdateStrips();
}

// In the order the keys are tried: Space, then the open live row, then
// the seeks of a recording and the zaps (a catch-up programme seeks with
// Left/Right and still zaps with the other keys, back to live), then the
// keys common to all. A live channel that is paused or behind live skips in
// its buffer with Left/Right (at live they zap as ever); L or End return to
// live, Tab to the channel played before. While the live strip's row is
// open (V), the arrows and Enter belong to it: a remote has no other way to
// its buttons.
constexpr KeyRow kPlayerKeys[] = {
    {{Vk::Space}, kAll, Call<&PlaybackActions::TogglePause>, "help_pause"},
    {{Vk::Left, Vk::Right, Vk::Up, Vk::Down}, Modes({M::Live}), TakeRowKey, "help_row_buttons"},
    {{Vk::Return}, Modes({M::Live}), TakeRowKey, "help_row_buttons"},
    {{Vk::Tab}, kZaps, Call<&PlaybackActions::PlayPreviousChannel>, "help_played_before"},
    {{Vk::Left, Vk::Right}, Modes({M::Live}), SkipInBuffer, "help_skip_buffer"},
    {{Vk::Left, Vk::Right}, Modes({M::Catchup, M::Movie, M::Trailer}), Seek, "help_seek"},
    {{Vk::Letter('L'), Vk::End}, Modes({M::Live}), Run<ToLive>, "back_to_live"},
    {{Vk::Letter('W')}, Modes({M::Live}), Run<OpenMultiView>, "multiview"},
    {{Vk::Down}, Modes({M::Movie}), Run<ToggleExpanded>, "help_strip_buttons"},
    {{Vk::PageUp, Vk::Up}, kZaps, Run<Previous>, "prev_ch"},
    {{Vk::PageDown, Vk::Down}, kZaps, Run<Next>, "next_ch"},
    {{Vk::Left}, Modes({M::Live}), Run<Previous>, "prev_ch"},
    {{Vk::Right}, Modes({M::Live}), Run<Next>, "next_ch"},
    {{Vk::Letter('V')}, Modes({M::Live, M::Catchup, M::Trailer}), Run<ToggleExpanded>, "help_strip_buttons"},
    {{Vk::Grave}, kNotTrailer, Run<ToggleLiveFavorite>, "help_favorite"},
    {{kAnyDigit}, kNotTrailer, [](ScreenContext& ctx, int vk) { return EnterChannelDigit(ctx, DigitOfKey(vk)), true; },
     "help_number"},
    {{Vk::Letter('A')}, kAll, Run<Audio>, "audio"},
    {{Vk::Letter('T')}, kAll, Run<Subtitle>, "strip_subtitle"},
    {{Vk::Letter('E')}, kAll, Call<&PlaybackActions::OpenInExternalPlayer>, "help_external"},
    {{Vk::Letter('R')}, kAll, Call<&PlaybackActions::CycleAspect>, "aspect"},
    {{Vk::Letter('P')}, kZaps, Run<OpenGrid>, "tv_guide"},
    {{Vk::Record}, kZaps, Run<ToggleRecordShown>, "help_record_now"},
    {{Vk::Return}, kAll, Run<ShowStrips>, "help_show_strips"},
};

}  // namespace

std::span<const KeyRow> PlayerKeyRows() { return kPlayerKeys; }

ScreenHelp PlayerScreen::Help(const AppState& state) const {
  // The Player's name follows what plays.
  constexpr const char* kTitles[] = {"live_tv", "movies", "trailer", "catchup"};  // in StripMode order
  const StripMode mode = StripModeOf(state);
  return {kTitles[int(mode)], HelpOfRows(kPlayerKeys, 1u << int(mode))};
}

void PlayerScreen::OnKey(ScreenContext& ctx, int vk) {
  DispatchKey(kPlayerKeys, 1u << int(StripModeOf(ctx.state)), ctx, vk);
}

void PlayerScreen::OnPointer(ScreenContext& ctx, const PointerEvent& event) {
  AppState& state = ctx.state;
  PlayerScreenControls& controls = state.playerScreen;
  switch (event.kind) {
    case PointerEvent::Kind::Move:
      if (controls.volumeDrag) SetVolumeFromStrip(ctx, event.y);
      ShowControls(ctx);
      return;
    case PointerEvent::Kind::DoubleClick:
      controls.stripsUntil = 0;
      ctx.playback.UpdateStrips();
      return;
    case PointerEvent::Kind::Wheel: {
      const StripMode mode = StripModeOf(state);
      const bool zaps = mode == StripMode::Live || mode == StripMode::Catchup;
      if (!zaps || state.VisibleLive.empty() || event.wheelNotches == 0) return;
      ctx.playback.StepChannel(event.wheelNotches > 0 ? -1 : +1);
      return;
    }
    case PointerEvent::Kind::Down: {
      ShowControls(ctx);
      const StripLayout l = StripLayoutFor(state, ctx.width, ctx.height);
      if (controls.stripsShown && StripAt(l, event.x, event.y) == int(StripId::Right)) {
        controls.volumeDrag = true;
        controls.stripsUntil = ctx.nowMs + kControlsShowMs;
        SetVolumeFromStrip(ctx, event.y);
        return;
      }
      if (!controls.stripsShown || StripAt(l, event.x, event.y) < 0) ClickVideo(ctx, event);
      return;
    }
    case PointerEvent::Kind::Up:
      if (controls.volumeDrag) {
        controls.volumeDrag = false;
        ctx.window.SaveSettingsNow();
        return;
      }
      ClickStrips(ctx, event);
      return;
  }
}

RectF PlayerScreen::NoticeRect(const AppState& state, int width, int height) const {
  return PlayerToastRect(StripLayoutFor(state, width, height), width);
}

void PlayerScreen::OnLeave(ScreenContext& ctx, Screen to) {
  PlayerScreenControls& controls = ctx.state.playerScreen;
  controls.stripsUntil = 0;
  controls.volumeDrag = false;
  StopUnlessVideoStays(ctx, to);
}
