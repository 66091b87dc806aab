#include "app/multiview_desk.h"

#include <algorithm>
#include <string>

#include "app/playback_control.h"
#include "i18n/translate.h"
#include "net/text.h"
#include "platform/clock.h"
#include "store/collections.h"
#include "store/runtime_log.h"
#include "ui/modals/pin_gate.h"
#include "ui/screens/multiview_rules.h"

namespace {

constexpr uint64_t kLabelMs = 3000;
constexpr uint64_t kHintMs = 6000;
constexpr uint64_t kLimitNoticeMs = 4000;
constexpr uint64_t kFramesLogMs = 5000;
// A further tile that has drawn no picture this long after its load failed.
constexpr uint64_t kFirstPictureMs = 8000;

std::string U8(std::u16string_view text) { return WideToUtf8(text); }

PlayerEvent FailedEvent() {
  PlayerEvent event;
  event.kind = PlayerEvent::Kind::Failed;
  event.failure = PlayerFailure::StreamRefused;
  return event;
}

std::u16string LimitText(int allowed) {
  std::u16string text(Translate("mv_limit"));
  const size_t at = text.find(u"{}");
  if (at != std::u16string::npos) text.replace(at, 2, AsciiToWide(std::to_string(allowed)));
  return text;
}

}  // namespace

MultiViewDesk::MultiViewDesk(AppState& state, HostWindow& window, Player& main, PinAsker askPin,
                             std::function<void()> playSelected, PlayerStart startPlayer)
    : state_(state), window_(window), main_(main), askPin_(std::move(askPin)), playSelected_(std::move(playSelected)),
      startPlayer_(std::move(startPlayer)) {}

Player& MultiViewDesk::PlayerAt(int slot) { return slot == 0 ? main_ : *players_[size_t(slot)]; }

bool MultiViewDesk::EnsurePlayer(int slot) {
  if (slot == 0 || players_[size_t(slot)]) return true;
  auto player = std::make_unique<Player>();
  player->SetDiagnosticLog(false);
  player->SetBudget(&state_.connections, "tile" + std::to_string(slot));
  // A further tile whose stream stops says so in its place and frees its
  // connection (OnTileEvent) rather than holding it for reconnections.
  player->SetReconnects(false);
  player->PreferSoftwareDecoding();
  // A tile opens the sound output the main player found instead of probing
  // for one: probes of several engines at once meet in the sound libraries'
  // process-wide state and could hang them all.
  const std::string found = main_.Engine().AudioOutput();
  player->UseAudioOutputs(found.empty() ? kConcurrentAudioOutputs : found);
  if (!startPlayer_ || !startPlayer_(*player)) {
    WriteLogF(64, "multiview tile player not available slot=%d", slot);
    return false;
  }
  player->SetObserver([this, slot](const PlayerEvent& event) { OnTileEvent(slot, event); });
  players_[size_t(slot)] = std::move(player);
  return true;
}

int MultiViewDesk::FreeSlot() const {
  for (int slot = 0; slot < kMaxViewTiles; ++slot)
    if (std::find(slots_.begin(), slots_.end(), slot) == slots_.end()) return slot;
  return -1;
}

// Beyond the line's limit, the tiles share the connections with whatever
// else streams (a recording): the view's own players count, the others'
// slots do not.
int MultiViewDesk::Allowed() const {
  const int tiles = TilesAllowed(kMaxViewTiles, state_.provider.MaxConnections());
  const ConnectionBudget& budget = state_.connections;
  if (!budget.Slots()) return tiles;
  int own = main_.HoldsSlot();
  for (const std::unique_ptr<Player>& player : players_) own += player && player->HoldsSlot();
  return std::min(tiles, budget.Free() + own);
}

void MultiViewDesk::ShowLimit(int allowed) {
  WriteLogF(64, "multiview limit allowed=%d", allowed);
  ShowNotice(state_, LimitText(allowed), kLimitNoticeMs, TickMs());
}

bool MultiViewDesk::Open() {
  if (state_.multiView.Open()) return true;
  const PlaybackState& playing = main_.Playback();
  const int current = state_.VisibleLive.find(playing.currentChannel.id());
  if (current < 0 || !main_.Ready()) return false;
  const auto open = [this](const CatalogItem& channel) { return ChannelOpen(state_, channel); };
  const std::vector<int> channels = FirstTileChannels(state_.VisibleLive, current, kMaxViewTiles, open);
  const int allowed = Allowed();
  if (allowed < int(channels.size())) ShowLimit(allowed);
  const int count = std::min(int(channels.size()), allowed);
  if (count < 2) return false;
  for (int slot = 1; slot < count; ++slot)
    if (!EnsurePlayer(slot)) return false;

  const uint64_t now = TickMs();
  MultiViewState& view = state_.multiView;
  view = MultiViewState{};
  view.limit = state_.provider.MaxConnections().value_or(0);
  view.hintUntil = now + kHintMs;
  view.hintShown = true;
  framesSinceMs_ = 0;
  view.tiles.resize(size_t(count));
  slots_.clear();
  for (int tile = 0; tile < count; ++tile) slots_.push_back(tile);
  // The first tile is what plays already: the same stream goes on.
  view.tiles[0].channel = playing.currentChannel;
  view.tiles[0].labelUntil = now + kLabelMs;
  view.tiles[0].labelShown = true;
  std::string ids = U8(playing.currentChannel.id());
  for (int tile = 1; tile < count; ++tile) {
    PlayTile(tile, state_.VisibleLive[size_t(channels[size_t(tile)])], now);
    ids += "," + U8(view.tiles[size_t(tile)].channel.id());
  }
  WriteLogF(256, "multiview open tiles=%d limit=%d ids=%s", count, view.limit, ids.c_str());
  // The new tiles were loaded muted; only the main tile's volume is set.
  main_.SetVolume(state_.settings.Volume);
  return true;
}

void MultiViewDesk::PlayTile(int tile, const CatalogItem& channel, uint64_t nowMs) {
  ViewTile& t = state_.multiView.tiles[size_t(tile)];
  t.channel = channel;
  t.failed = t.stopped = false;
  t.labelUntil = nowMs + kLabelMs;
  t.labelShown = true;
  PlayRequest request;
  request.kind = PlayKind::Live;
  request.channel = channel;
  request.url = request.channelUrl = LiveStreamUrl(state_.account, channel.id(), state_.settings.LiveFormat);
  request.preferences = PreferencesFrom(state_.settings);
  if (tile != state_.multiView.focus) request.preferences.volume = 0;
  Player& player = PlayerAt(slots_[size_t(tile)]);
  // The tile's own connection: its old stream ends before the new one opens.
  player.Stop();
  player.ForceNextLiveLoad();
  if (!player.Play(request, nowMs)) {
    t.failed = NoticeIfRefused(state_, player, nowMs);
    return;
  }
  const size_t slot = size_t(slots_[size_t(tile)]);
  loadedAtMs_[slot] = nowMs;
  picturesAtLoad_[slot] = player.PicturesRendered();
  WriteLogF(768, "multiview play tile=%d id=%s url=%s", tile, U8(channel.id()).c_str(), U8(request.url).c_str());
}

void MultiViewDesk::StopTile(int tile) { PlayerAt(slots_[size_t(tile)]).Stop(); }

// Back to the one video tile: the focused tile's channel goes on in the
// main Player, which keeps its stream when it is that tile's.
void MultiViewDesk::Close() {
  MultiViewState& view = state_.multiView;
  if (!view.Open()) return;
  const int focus = std::clamp(view.focus, 0, int(view.tiles.size()) - 1);
  const int focusSlot = slots_[size_t(focus)];
  const ViewTile kept = view.tiles[size_t(focus)];
  for (size_t tile = 0; tile < slots_.size(); ++tile)
    if (slots_[tile] != 0) PlayerAt(slots_[tile]).Stop();
  const bool mainKeeps = focusSlot == 0 && !kept.stopped && !kept.failed &&
                         main_.Playback().lastChannelId == kept.channel.id();
  if (!mainKeeps && focusSlot != 0) main_.Stop();
  view = MultiViewState{};
  slots_.clear();
  Place(0, 0);
  main_.SetVolume(state_.settings.Volume);
  const int index = state_.VisibleLive.find(kept.channel.id());
  if (index >= 0) state_.nav.ChannelIndex = index;
  WriteLogF(128, "multiview close id=%s kept=%s", U8(kept.channel.id()).c_str(), mainKeeps ? "yes" : "no");
  if (mainKeeps) {
    // A channel picked for the first tile played without the history.
    if (state_.LastLiveChannelId != kept.channel.id()) NoteLiveChannelPlayed(state_, kept.channel.id(), false);
    return;
  }
  main_.ForceNextLiveLoad();
  if (index >= 0 && playSelected_) playSelected_();
}

bool MultiViewDesk::SetChannel(int tile, const CatalogItem& channel) {
  if (tile < 0 || tile >= int(state_.multiView.tiles.size())) return false;
  if (!ChannelGate(askPin_, state_, channel, LiveStart::Chosen)) return false;
  PlayTile(tile, channel, TickMs());
  Relayout();
  return true;
}

void MultiViewDesk::StepChannel(int direction) {
  const MultiViewState& view = state_.multiView;
  if (view.focus < 0 || view.focus >= int(view.tiles.size())) return;
  const int from = state_.VisibleLive.find(view.tiles[size_t(view.focus)].channel.id());
  const auto open = [this](const CatalogItem& channel) { return ChannelOpen(state_, channel); };
  const int next = NextFreeChannel(state_.VisibleLive, from, direction, view, view.focus, open);
  if (next < 0 || next == from) return;
  SetChannel(view.focus, state_.VisibleLive[size_t(next)]);
}

void MultiViewDesk::AddTile() {
  MultiViewState& view = state_.multiView;
  if (!view.Open() || view.filled) return;
  const int allowed = Allowed();
  if (int(view.tiles.size()) >= allowed) {
    if (allowed < kMaxViewTiles) ShowLimit(allowed);
    return;
  }
  const int slot = FreeSlot();
  const int from = state_.VisibleLive.find(view.tiles.back().channel.id());
  const auto open = [this](const CatalogItem& channel) { return ChannelOpen(state_, channel); };
  const int next = NextFreeChannel(state_.VisibleLive, from, +1, view, -1, open);
  if (slot < 0 || next < 0 || !EnsurePlayer(slot)) return;
  view.tiles.emplace_back();
  slots_.push_back(slot);
  PlayTile(int(view.tiles.size()) - 1, state_.VisibleLive[size_t(next)], TickMs());
  Relayout();
}

void MultiViewDesk::RemoveTile() {
  MultiViewState& view = state_.multiView;
  if (view.tiles.size() <= 1 || view.filled) return;
  const int removed = std::clamp(view.focus, 0, int(view.tiles.size()) - 1);
  StopTile(removed);
  WriteLogF(128, "multiview remove tile=%d id=%s", removed, U8(view.tiles[size_t(removed)].channel.id()).c_str());
  view.tiles.erase(view.tiles.begin() + removed);
  slots_.erase(slots_.begin() + removed);
  view.focus = FocusAfterRemoval(view.focus, removed, int(view.tiles.size()));
  Focus(view.focus);
  Relayout();
}

void MultiViewDesk::Focus(int tile) {
  MultiViewState& view = state_.multiView;
  if (tile < 0 || tile >= int(view.tiles.size())) return;
  view.focus = tile;
  ViewTile& t = view.tiles[size_t(tile)];
  t.labelUntil = TickMs() + kLabelMs;
  t.labelShown = true;
  ApplyVolumes();
  // The volumes as the engines hold them now, for whoever checks the sound.
  std::string volumes;
  for (size_t i = 0; i < slots_.size(); ++i) {
    if (i) volumes += ",";
    const size_t slot = size_t(slots_[i]);
    Player& player = PlayerAt(int(slot));
    const bool drawing = slot == 0 || player.PicturesRendered() != picturesAtLoad_[slot];
    volumes += drawing ? U8(player.Property("volume")) : std::string("starting");
  }
  WriteLogF(256, "multiview focus tile=%d id=%s volumes=%s", tile, U8(t.channel.id()).c_str(), volumes.c_str());
  window_.RequestPaint();
}

void MultiViewDesk::ApplyVolumes() {
  const MultiViewState& view = state_.multiView;
  for (size_t tile = 0; tile < slots_.size(); ++tile)
    PlayerAt(slots_[tile]).SetVolume(int(tile) == view.focus ? state_.settings.Volume : 0);
}

void MultiViewDesk::Fill() {
  MultiViewState& view = state_.multiView;
  if (!view.Open() || view.filled) return;
  view.filled = true;
  for (size_t tile = 0; tile < view.tiles.size(); ++tile) {
    if (int(tile) == view.focus) continue;
    StopTile(int(tile));
    view.tiles[tile].stopped = true;
  }
  WriteLogF(96, "multiview fill tile=%d id=%s", view.focus, U8(view.tiles[size_t(view.focus)].channel.id()).c_str());
  Relayout();
}

void MultiViewDesk::Unfill() {
  MultiViewState& view = state_.multiView;
  if (!view.filled) return;
  view.filled = false;
  const uint64_t now = TickMs();
  int restarted = 0;
  for (size_t tile = 0; tile < view.tiles.size(); ++tile) {
    if (!view.tiles[tile].stopped) continue;
    PlayTile(int(tile), CatalogItem(view.tiles[tile].channel), now);
    ++restarted;
  }
  WriteLogF(64, "multiview restore tiles=%d", restarted);
  Relayout();
}

void MultiViewDesk::Relayout() {
  Place(window_.Width(), window_.Height());
  window_.RequestPaint();
}

void MultiViewDesk::Place(int width, int height) {
  const MultiViewState& view = state_.multiView;
  const std::vector<PixelRect> rects = ViewTileRects(view, width, height);
  std::vector<VideoTile> tiles;
  for (int slot = 1; slot < kMaxViewTiles; ++slot)
    if (players_[size_t(slot)]) players_[size_t(slot)]->Place(PixelRect{});
  for (size_t tile = 0; tile < view.tiles.size() && tile < rects.size(); ++tile) {
    const ViewTile& t = view.tiles[tile];
    Player& player = PlayerAt(slots_[tile]);
    player.Place(t.failed || t.stopped ? PixelRect{} : rects[tile]);
    tiles.push_back(player.Tile());
  }
  if (view.Open()) window_.SetVideoTiles(std::move(tiles));
}

PlayerView MultiViewDesk::MainView() const {
  const MultiViewState& view = state_.multiView;
  for (size_t tile = 0; tile < slots_.size(); ++tile) {
    if (slots_[tile] != 0) continue;
    const ViewTile& t = view.tiles[tile];
    return t.failed || t.stopped ? PlayerView::Hidden : PlayerView::Full;
  }
  return PlayerView::Hidden;
}

void MultiViewDesk::OnMainEvent(const PlayerEvent& event) { OnTileEvent(0, event); }

// A tile's stream that was refused or cut frees its connection and says so
// in its place; the other events (buffering, a movie's end) do not concern
// a tile of live channels.
void MultiViewDesk::OnTileEvent(int slot, const PlayerEvent& event) {
  if (event.kind != PlayerEvent::Kind::Failed) return;
  const auto found = std::find(slots_.begin(), slots_.end(), slot);
  if (found == slots_.end()) return;
  const size_t tile = size_t(found - slots_.begin());
  ViewTile& t = state_.multiView.tiles[tile];
  t.failed = true;
  PlayerAt(slot).Stop();
  WriteLogF(128, "multiview tile failed tile=%zu id=%s", tile, U8(t.channel.id()).c_str());
  Relayout();
}

void MultiViewDesk::Tick(uint64_t nowMs) {
  MultiViewState& view = state_.multiView;
  if (!view.Open()) return;
  for (size_t tile = 0; tile < slots_.size(); ++tile) {
    const int slot = slots_[tile];
    if (slot == 0 || view.tiles[tile].failed || view.tiles[tile].stopped) continue;
    Player& player = PlayerAt(slot);
    // Until its first picture the tile's engine is not asked anything: a
    // property read while its video chain starts can wait on the main
    // thread's render (see MediaEngine::PreferSoftwareDecoding). Without a
    // picture in time, the stream failed.
    if (player.PicturesRendered() == picturesAtLoad_[size_t(slot)]) {
      if (nowMs - loadedAtMs_[size_t(slot)] >= kFirstPictureMs) OnTileEvent(slot, FailedEvent());
      continue;
    }
    player.Tick(nowMs, PlayerView::Full);
  }
  bool changed = false;
  for (ViewTile& t : view.tiles) {
    const bool shown = nowMs < t.labelUntil;
    changed |= shown != t.labelShown;
    t.labelShown = shown;
  }
  const bool hint = nowMs < view.hintUntil;
  changed |= hint != view.hintShown;
  view.hintShown = hint;
  if (changed) window_.RequestPaint();
  LogFrames(nowMs);
}

// The frames each tile drew, and the engine's own count of dropped ones:
// what the multi-view's benchmark reads.
void MultiViewDesk::LogFrames(uint64_t nowMs) {
  if (framesSinceMs_ == 0 || nowMs < framesSinceMs_) {
    framesSinceMs_ = nowMs;
    for (int slot = 0; slot < kMaxViewTiles; ++slot)
      framesAt_[size_t(slot)] = slot == 0 || players_[size_t(slot)] ? PlayerAt(slot).PicturesRendered() : 0;
    return;
  }
  if (nowMs - framesSinceMs_ < kFramesLogMs) return;
  const double seconds = double(nowMs - framesSinceMs_) / 1000.0;
  for (size_t tile = 0; tile < slots_.size(); ++tile) {
    Player& player = PlayerAt(slots_[tile]);
    const uint64_t rendered = player.PicturesRendered();
    WriteLogF(192, "multiview frames tile=%zu id=%s fps=%.1f dropped=%s", tile,
              U8(state_.multiView.tiles[tile].channel.id()).c_str(),
              double(rendered - framesAt_[size_t(slots_[tile])]) / seconds,
              U8(player.Property("frame-drop-count")).c_str());
  }
  framesSinceMs_ = 0;
  LogFrames(nowMs);
}

void MultiViewDesk::Shutdown() {
  for (auto& player : players_)
    if (player) player->Shutdown();
}
