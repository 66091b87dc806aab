#pragma once
// One row of the table of screens: how a screen paints, which keys,
// characters and pointer events it takes, and what happens when it is
// entered or left. A screen computes its layout from the window size and
// read-only state in one function that both painting and hit tests use, so
// clicks and pixels agree.
//
// Keys reach a screen in three places of the navigator's order (the modal
// slot always comes first): TakeKeyFirst before the global keys (a text box
// that takes every key), TakeKeyBeforeBack before Esc/Backspace go back (an
// overlay of the screen that closes first), and OnKey last. Handlers change
// the state; Paint only reads it. Main thread only.
#include <cstdint>

#include "platform/clock.h"
#include "platform/host_window.h"
#include "state/app_state.h"
#include "ui/render/render_resources.h"
#include "ui/screens/key_help.h"
#include "ui/screens/screen_actions.h"

class Navigator;
class ModalSlot;

// What a handler works with.
struct ScreenContext {
  AppState& state;
  WindowActions& window;
  ContentActions& content;
  PlaybackActions& playback;
  RecordActions& recording;
  GuideActions& guides;
  Navigator& navigator;
  ModalSlot& modal;
  uint64_t nowMs = 0;
  int width = 0, height = 0;  // client area in pixels
};

class ScreenView {
 public:
  virtual ~ScreenView() = default;
  virtual void Paint(RenderResources& res, const AppState& state, const LocalTime& now) const = 0;
  // Before the frame of a width x height surface: pictures are decoded
  // here, never inside a frame.
  virtual void PrepareFrame(RenderResources& /*res*/, const AppState& /*state*/, int /*width*/, int /*height*/) const {}
  virtual bool TakeKeyFirst(ScreenContext& /*ctx*/, int /*vk*/) { return false; }
  virtual bool TakeKeyBeforeBack(ScreenContext& /*ctx*/, int /*vk*/) { return false; }
  virtual void OnKey(ScreenContext& /*ctx*/, int /*vk*/) {}
  // A printable character; true when the screen took it.
  virtual bool OnChar(ScreenContext& /*ctx*/, char16_t /*ch*/) { return false; }
  virtual void OnPointer(ScreenContext& /*ctx*/, const PointerEvent& /*event*/) {}
  // After CurrentScreen became this screen; `from` is the one left.
  virtual void OnEnter(ScreenContext& /*ctx*/, Screen /*from*/) {}
  // Before CurrentScreen changes to `to`.
  virtual void OnLeave(ScreenContext& /*ctx*/, Screen /*to*/) {}
  // The catalog's lists changed (`change` says which). Called for every
  // screen of the table, shown or not, in table order: each rebuilds the
  // lists it owns (the Live screen the live list that the Player, the grid
  // and the multi-view show too; the Movies and Series grids the item list).
  virtual void OnCatalogChanged(ScreenContext& /*ctx*/, const CatalogChange& /*change*/) {}
  // Guides arrived, or a second passed: the shown screen hands the guides
  // it lacks to the guide queue (ContentActions::RequestGuides).
  virtual void OnGuidesUpdated(ScreenContext& /*ctx*/) {}
  // Where the screen's notices (toasts) show in a width x height window: a
  // place of its layout where nothing else is drawn. Every screen names its
  // own: no corner is free on all of them.
  virtual RectF NoticeRect(const AppState& state, int width, int height) const = 0;
  // The screen's keys for the key help (F1, or ? where no text is typed),
  // in its current mode; the keys every screen shares are added to them.
  virtual ScreenHelp Help(const AppState& /*state*/) const { return {}; }
};
