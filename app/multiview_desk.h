#pragma once
// The multi-view's players (MultiViewActions, ui/screens/screen_actions.h).
// The first tile keeps the stream the Player screen showed (the
// application's main Player: no new connection); each further tile gets a
// Player of its own, made on first use and kept, idle, for the next time.
// Tiles are numbered in layout order; each sits on one of four player
// slots (0 = the main Player), so removing a tile never moves a stream.
//
// The line's connection limit (the account answer's max_connections) caps
// the tiles; the main tile counts. Every stream but the focused one plays at
// volume 0. A tile whose stream is refused or cut says so and frees its
// connection, and so does one that draws no picture within 8 s of its load.
// Main thread only.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/host_window.h"
#include "player/player.h"
#include "state/app_state.h"
#include "ui/screens/screen_actions.h"

class MultiViewDesk final : public MultiViewActions {
 public:
  // Starts a further tile's Player: its engine, its picture in the window;
  // false when the engine cannot start.
  using PlayerStart = std::function<bool(Player&)>;
  // `askPin` asks for the PIN of a channel chosen for a tile;
  // `playSelected` plays VisibleLive[ChannelIndex] on the main Player as the
  // Player screen would (its history, guide and log line).
  MultiViewDesk(AppState& state, HostWindow& window, Player& main, PinAsker askPin, std::function<void()> playSelected,
                PlayerStart startPlayer);

  bool Open() override;
  void Close() override;
  bool SetChannel(int tile, const CatalogItem& channel) override;
  void StepChannel(int direction) override;
  void AddTile() override;
  void RemoveTile() override;
  void Focus(int tile) override;
  void Fill() override;
  void Unfill() override;

  // The tiles' rectangles for a width x height window, handed to the
  // window's compositor.
  void Place(int width, int height);
  // The focused tile follows the volume setting.
  void ApplyVolumes();
  // Once a second: the further tiles' supervision, the labels and the hint
  // going after their time, and every 5 s the frames each tile drew
  // ("multiview frames ...").
  void Tick(uint64_t nowMs);
  // How the main Player is supervised while the view is open.
  PlayerView MainView() const;
  // What the main Player reported while the view is open.
  void OnMainEvent(const PlayerEvent& event);
  // The further Players go (their render contexts first).
  void Shutdown();

 private:
  Player& PlayerAt(int slot);
  // Makes and attaches the further Player of `slot` (1..3); false when the
  // engine could not start.
  bool EnsurePlayer(int slot);
  int FreeSlot() const;
  void PlayTile(int tile, const CatalogItem& channel, uint64_t nowMs);
  void StopTile(int tile);
  void OnTileEvent(int slot, const PlayerEvent& event);
  void ShowLimit(int allowed);
  int Allowed() const;
  void Relayout();
  void LogFrames(uint64_t nowMs);

  AppState& state_;
  HostWindow& window_;
  Player& main_;
  PinAsker askPin_;
  std::function<void()> playSelected_;
  PlayerStart startPlayer_;
  std::array<std::unique_ptr<Player>, kMaxViewTiles> players_;  // [0] unused: the main Player
  std::vector<int> slots_;  // the player slot of each tile
  uint64_t framesSinceMs_ = 0;
  std::array<uint64_t, kMaxViewTiles> framesAt_{};
  // Per player slot: when its stream was loaded and the pictures it had
  // drawn by then.
  std::array<uint64_t, kMaxViewTiles> loadedAtMs_{}, picturesAtLoad_{};
};
