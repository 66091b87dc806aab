#include "ui/screens/player_strip_buttons.h"

#include <iterator>

#include "i18n/translate.h"
#include "ui/nav/navigator.h"
#include "ui/screens/live_actions.h"

namespace {

constexpr Rgba Hex(uint32_t rgb) {
  return Rgba{((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0, 1};
}
constexpr Rgba kGrey = Hex(0xB4B4BA), kRed = Hex(0xC83030), kGreen = Hex(0x30AA50), kYellow = Hex(0xDCC440),
               kBlue = Hex(0x4078DC);

constexpr StripButton kRows[] = {
    {-1, "epg", kGrey, [](ScreenContext& ctx) { ctx.navigator.SetScreen(Screen::Catchup); }},
    {-1, "lock", kGrey, ToggleLiveLock},
    {kMenuMovies, {}, kRed, [](ScreenContext& ctx) { ctx.navigator.SetScreen(Screen::Movies); }},
    {kMenuSeries, {}, kGreen, [](ScreenContext& ctx) { ctx.navigator.SetScreen(Screen::Series); }},
    {-1, "favorite", kYellow, ToggleLiveFavorite},
    {kMenuSearch, {}, kBlue, [](ScreenContext& ctx) { ctx.navigator.SetScreen(Screen::Search); }},
    {-1, "strip_subtitle", kGrey, [](ScreenContext& ctx) { ctx.playback.ChooseTrack(TrackKind::Subtitle); }},
    {-1, "audio", kGrey, [](ScreenContext& ctx) { ctx.playback.ChooseTrack(TrackKind::Audio); }},
    {-1, "tv_guide", kGrey, OpenGrid},
    {-1, "prev_channel", kGrey, [](ScreenContext& ctx) { ctx.playback.PlayPreviousChannel(); }},
    {-1, "back_to_live", kRed, [](ScreenContext& ctx) { ctx.playback.JumpToLive(); }},
    {-1, "multiview", kBlue, OpenMultiView},
};

}  // namespace

std::span<const StripButton> StripButtons() { return kRows; }

const int kStripButtonCount = int(std::size(kRows));
