#pragma once
// Puts the media engine's picture into the window: creates the video layer
// for the engine's player and ties its render context to the player's
// lifetime (the engine frees it before destroying the player).
#include <memory>

#include "platform/host_window.h"
#include "platform/mpv_video_layer.h"
#include "player/media_engine.h"

// The layer, made with `window`'s GL context (the owner puts it into a
// video tile, HostWindow::SetVideoTiles); null when the engine is not ready or no
// render context could be made (the program then runs without a picture).
// The engine must outlive the returned layer's render context: call
// engine.Shutdown() before destroying the layer.
std::unique_ptr<MpvVideoLayer> AttachVideoLayer(MediaEngine& engine, HostWindow& window);
