#pragma once
// The multi-view's rules, apart from any engine or window: where the tiles
// sit, how the focus moves between them, how many streams may open, and
// which channels fill them. Pure functions.
#include <functional>
#include <optional>
#include <vector>

#include "catalog/catalog_item.h"
#include "catalog/visible_list.h"
#include "platform/host_window.h"
#include "state/multiview_state.h"

// The tiles of a width x height window: one fills it, two sit side by side,
// three are two above one (centred), four are the quarters. Out of 1..4:
// none. The rectangles tile without gaps or overlap (odd sizes give the
// spare pixel to the right and lower tiles).
std::vector<PixelRect> TileRects(int count, int width, int height);

// The tile under a window point, or -1.
int TileAt(const std::vector<PixelRect>& tiles, int x, int y);

// The focus after an arrow (dx, dy of -1/0/+1): the nearest tile whose
// centre lies that way (ahead along the arrow by more than it lies aside,
// nearest first); the focus stays where no tile lies that way.
int FocusAfterArrow(const std::vector<PixelRect>& tiles, int focus, int dx, int dy);

// How many tiles may play: `wanted`, at most kMaxViewTiles, and no more
// than the line's connection limit when the account answer told one (a
// limit of 0 or less says nothing: some panels write 0 for unlimited).
int TilesAllowed(int wanted, std::optional<int32_t> maxConnections);

// The channels of a new multi-view: the one at `current` and those after it
// in `list` (wrapping around), skipping those `playable` refuses and
// repeats, at most `count`. Indexes into `list`; empty when `current` is
// not one.
std::vector<int> FirstTileChannels(const VisibleList& list, int current, int count,
                                   const std::function<bool(const CatalogItem&)>& playable);

// The channel after (direction +1) or before (-1) `from` in `list`, with
// wrap-around, that `playable` passes and no tile of `view` other than
// `tile` shows; -1 when none. A `from` not in the list starts at its ends.
int NextFreeChannel(const VisibleList& list, int from, int direction, const MultiViewState& view,
                    int tile, const std::function<bool(const CatalogItem&)>& playable);

// The focus after tile `removed` went: the tile that took its place, or the
// last one.
int FocusAfterRemoval(int focus, int removed, int remaining);

// Where each tile of `view` is drawn in a width x height window: the
// layout of its tiles, or, while one fills the window, that one whole and
// the others nowhere (empty rectangles). One entry per tile.
std::vector<PixelRect> ViewTileRects(const MultiViewState& view, int width, int height);
