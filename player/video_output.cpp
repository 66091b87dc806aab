#include "player/video_output.h"

std::unique_ptr<MpvVideoLayer> AttachVideoLayer(MediaEngine& engine, HostWindow& window) {
  if (!engine.Ready()) return nullptr;
  MpvPlayerRef player{&engine.Api(), engine.Handle(), engine.Renderer() == VideoRenderer::Preferred,
                      [&engine] { engine.DrainEvents(); }};
  auto layer = std::make_unique<MpvVideoLayer>(std::move(player), window);
  if (!layer->Create()) return nullptr;
  engine.SetFrameService([raw = layer.get()] { raw->ServeDueFrame(); });
  engine.SetRenderRelease([raw = layer.get()] { raw->Release(); });
  return layer;
}
