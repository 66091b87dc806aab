#pragma once
// The multi-view: up to four live channels at once, one Player each
// (app/multiview_desk.h), on the Multi-view screen
// (ui/screens/multiview_screen.h). The desk writes the tiles as it plays
// and stops them; the screen's handlers move the focus; painters read.
// Main thread only.
#include <cstdint>
#include <vector>

#include "catalog/catalog_item.h"

inline constexpr int kMaxViewTiles = 4;

struct ViewTile {
  CatalogItem channel;
  // The number and name show until this tick (3 s after a start or a
  // focus); `labelShown` is what the painter reads, kept by the desk's tick.
  uint64_t labelUntil = 0;
  bool labelShown = false;
  bool failed = false;   // the stream did not play: the tile says so
  bool stopped = false;  // stopped (its connection freed) while another tile fills the window
};

struct MultiViewState {
  std::vector<ViewTile> tiles;  // in layout order
  int focus = 0;                // the tile with the sound
  bool filled = false;          // the focused tile fills the window, the others stopped
  // Streams the line allows at once, as the account answer told when the
  // view opened (0: it did not say).
  int limit = 0;
  uint64_t hintUntil = 0;  // the key hint shows until this tick
  bool hintShown = false;

  bool Open() const { return !tiles.empty(); }
};
