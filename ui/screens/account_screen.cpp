#include "ui/screens/account_screen.h"

#include <algorithm>
#include <string>

#include "catalog/account.h"
#include "net/endpoints.h"
#include "net/text.h"
#include "platform/qr_code.h"
#include "platform/virtual_keys.h"
#include "i18n/translate.h"
#include "ui/modals/text_prompt.h"
#include "ui/nav/navigator.h"
#include "ui/screens/playlists.h"
#include "ui/screens/provider_status_text.h"

namespace {

constexpr double kLeftAreaRight = 1344;  // design x
constexpr double kListTop = 380, kRowHeight = 72, kListBottom = 1040;
constexpr double kIdentityBottom = 960;  // design y: the device key's line ends here

std::vector<PlaylistEntry> Playlists(const AppState& state) { return AccountScreenPlaylists(state); }

std::u16string Number(size_t n) { return AsciiToWide(std::to_string(n)); }

// The panel site's host, as shown above the QR code.
std::u16string PanelHost() {
  std::u16string url = Endpoints::PanelUrl();
  const size_t scheme = url.find(u"://");
  if (scheme != std::u16string::npos) url.erase(0, scheme + 3);
  return url;
}

}  // namespace

// --- Layout ---------------------------------------------------------------------

RectF AccountAddRect(double width, double height) { return DesignRect(54, 196, 1290, 364, width, height); }

// The rows are laid out in design units, so the count is the same at every size.
int AccountVisibleRows(double /*height*/) { return std::max(1, static_cast<int>((kListBottom - kListTop) / kRowHeight)); }

RectF AccountRowRect(int slot, double width, double height) {
  const double top = kListTop + slot * kRowHeight;
  return DesignRect(54, top, 1290, top + kRowHeight - 8, width, height);
}

RectF AccountQrRect(double width, double height) {
  const double side = std::min(DesignX(480, width), DesignY(540, height));
  const double centre = DesignX((kLeftAreaRight + 1920) / 2, width);
  const double top = DesignY(150, height);
  return RectF{centre - side / 2, top, centre + side / 2, top + side};
}

RectF AccountNoticeRect(double width, double height) {
  return RectF{DesignX(kLeftAreaRight + 24, width), DesignY(kIdentityBottom + 16, height), width - DesignX(24, width),
               DesignY(kIdentityBottom + 92, height)};
}

int AccountFirstRow(int selected, int visible) { return std::max(0, selected - visible + 1); }

// --- Painting -------------------------------------------------------------------

void DrawQrCode(RenderResources& res, const RectF& square, std::u16string_view text) {
  if (!res.Drawing()) return;
  const std::optional<QrSymbol> symbol = EncodeQr(WideToUtf8(text));
  if (!symbol) return;
  const double side = std::min(square.Width(), square.Height());
  res.FillRect(RectF{square.left, square.top, square.left + side, square.top + side}, Rgba{1, 1, 1, 1});
  const double border = 0.08 * side;
  const double module = (side - 2 * border) / symbol->modules;
  Canvas& canvas = res.Target();
  canvas.ClearPath();
  for (int y = 0; y < symbol->modules; ++y) {
    for (int x = 0; x < symbol->modules; ++x) {
      if (!symbol->Dark(x, y)) continue;
      const double left = square.left + border + x * module, top = square.top + border + y * module;
      canvas.Rectangle(RectF{left, top, left + module, top + module});
    }
  }
  canvas.Fill(Rgba{0, 0, 0, 1});
}

namespace {

void PaintPlaylists(RenderResources& res, const AppState& state, const std::vector<PlaylistEntry>& playlists) {
  const double W = res.Width(), H = res.Height();
  const Brushes& brush = res.Brush();
  const int selected = state.nav.AccountIndex;

  const RectF add = AccountAddRect(W, H);
  if (selected == kAccountAddEntry) {
    res.FillRounded(add, 12, Rgba{0.14, 0.14, 0.16, 1});
    res.StrokeRounded(add, 12, brush.Accent, res.FocusRing());
  }
  res.DrawTrimmedLine(FontId::Label, u"+  " + std::u16string(Translate("add_playlist")), res.Design(80, 200, 1270, 280),
                      brush.White, kAlignLeadingCentered);
  res.DrawTrimmedLine(FontId::Hint, Translate("open_site"), res.Design(80, 290, 1270, 360), brush.Dim,
                      kAlignLeadingCentered);

  const int visible = AccountVisibleRows(H);
  const int first = AccountFirstRow(std::max(0, selected), visible);
  const int total = static_cast<int>(playlists.size());
  for (int slot = 0; slot < visible && first + slot < total; ++slot) {
    const int index = first + slot;
    const RectF row = AccountRowRect(slot, W, H);
    if (index == selected) {
      res.FillRounded(row, 10, Rgba{0.14, 0.14, 0.16, 1});
      res.StrokeRounded(row, 10, brush.Accent, res.FocusRing());
    }
    double textLeft = row.left + res.X(24);
    if (playlists[index].url == state.settings.PlaylistUrl) {
      res.DrawSingleLine(FontId::Label, u"●  ", RectF{textLeft, row.top, row.right, row.bottom}, brush.Accent,
                         kAlignLeadingCentered);
      textLeft += res.MeasureText(FontId::Label, u"●  ").first;
    }
    res.DrawTrimmedLine(FontId::Label, PlaylistRowName(playlists[index], index),
                        RectF{textLeft, row.top, row.right - 24, row.bottom}, brush.White, kAlignLeadingCentered);
  }
  res.DrawScrollbar(res.X(1300), res.Y(kListTop), res.Y(kListBottom), first, visible, total);
}

void PaintIdentity(RenderResources& res, const AppState& state) {
  const Brushes& brush = res.Brush();
  const DeviceIdentity& identity = state.panel.identity;
  const double left = res.X(kLeftAreaRight + 24), right = res.Width() - res.X(24);
  auto band = [&](double top, double bottom) { return RectF{left, res.Y(top), right, res.Y(bottom)}; };
  const TextAlign centred{HAlign::Center, VAlign::Center};
  res.DrawTrimmedLine(FontId::Hint, PanelHost(), band(40, 80), brush.Accent, centred);
  res.DrawTrimmedLine(FontId::Hint, Translate("scan_code"), band(90, 140), brush.White, centred);
  DrawQrCode(res, AccountQrRect(res.Width(), res.Height()), identity.PanelLink());
  res.DrawTrimmedLine(FontId::Hint, Translate("mac_address"), band(720, 760), brush.White, centred);
  // A long address is written smaller rather than cut.
  const std::u16string mac = identity.ShownMac();
  const bool fits = res.MeasureText(FontId::Title, mac).first <= right - left;
  res.DrawTrimmedLine(fits ? FontId::Title : FontId::Label, mac, band(760, 830), brush.Accent, centred);
  res.DrawTrimmedLine(FontId::Hint, Translate("device_key"), band(850, 890), brush.White, centred);
  res.DrawTrimmedLine(FontId::Title, identity.deviceKey.empty() ? u"-" : identity.deviceKey, band(890, kIdentityBottom),
                      brush.Accent, centred);
}

}  // namespace

void PaintAccount(RenderResources& res, const AppState& state) {
  if (!res.Drawing()) return;
  const double H = res.Height();
  const Brushes& brush = res.Brush();
  res.Clear(Rgba{0.02, 0.02, 0.03, 1});
  res.FillRect(RectF{0, 0, res.X(kLeftAreaRight), H}, Rgba{0.05, 0.05, 0.07, 1});
  res.FillRect(RectF{res.X(kLeftAreaRight), 0, res.X(kLeftAreaRight) + 2, H}, brush.Accent);
  res.DrawBackButton(res.BackButtonRect());
  res.DrawTrimmedLine(FontId::Title, Translate("change_playlist"), res.Design(168, 16, 1320, 90), brush.White,
                      kAlignLeadingCentered);

  const std::vector<PlaylistEntry> playlists = Playlists(state);
  const int active = PlaylistIndexOf(playlists, state.settings.PlaylistUrl);
  const std::u16string activeName =
      active >= 0 ? PlaylistRowName(playlists[active], active) : std::u16string(Translate("playlist"));
  std::u16string heading = activeName + u"  ·  " + Number(playlists.size());
  if (const std::u16string details = AccountLineDetails(state.provider); !details.empty())
    heading.append(u"  ·  ").append(details);
  res.DrawTrimmedLine(FontId::Hint, heading, res.Design(168, 86, 1320, 118), brush.Accent, kAlignLeadingCentered);
  // A message of the last action comes first; the provider's word on the
  // account shows whenever there is none.
  const RectF statusBand = res.Design(168, 120, 1320, 190);
  if (!state.StatusText.empty()) {
    res.DrawTrimmedLine(FontId::Hint, state.StatusText, statusBand, brush.Accent, kAlignLeadingCentered);
  } else if (const std::u16string provider = ProviderStatusText(state.provider); !provider.empty()) {
    res.DrawTrimmedLine(FontId::Hint, provider, statusBand, brush.Red, kAlignLeadingCentered);
  }
  PaintPlaylists(res, state, playlists);
  PaintIdentity(res, state);
}

// --- The screen -------------------------------------------------------------------

namespace {

// Asks for a playlist URL and switches to it; a URL that cannot be one is
// refused at once with the reason in the status line.
void AddPlaylistByUrl(ScreenContext& ctx) {
  const std::u16string url =
      AskText(ctx.modal, std::u16string(Translate("add_playlist")), std::u16string(Translate("put_m3u")), u"");
  if (url.empty()) return;
  if (const std::string_view problem = PlaylistUrlProblem(url); !problem.empty()) {
    ctx.state.StatusText = Translate(problem);
    return;
  }
  ctx.content.ReloadPlaylist(url);
}

void Activate(ScreenContext& ctx, int index) {
  if (index == kAccountAddEntry) {
    AddPlaylistByUrl(ctx);
    return;
  }
  const std::vector<PlaylistEntry> playlists = Playlists(ctx.state);
  if (index < 0 || index >= static_cast<int>(playlists.size())) return;
  ctx.content.ReloadPlaylist(playlists[index].url);
}

}  // namespace

void AccountScreen::Paint(RenderResources& res, const AppState& state, const LocalTime& /*now*/) const {
  PaintAccount(res, state);
}

RectF AccountScreen::NoticeRect(const AppState& /*state*/, int width, int height) const {
  return AccountNoticeRect(width, height);
}

void AccountScreen::OnKey(ScreenContext& ctx, int vk) {
  int& index = ctx.state.nav.AccountIndex;
  const int last = static_cast<int>(Playlists(ctx.state).size()) - 1;
  switch (vk) {
    case Vk::Down: index = std::clamp(index + 1, kAccountAddEntry, std::max(kAccountAddEntry, last)); break;
    case Vk::Up: index = std::clamp(index - 1, kAccountAddEntry, std::max(kAccountAddEntry, last)); break;
    case Vk::Return: Activate(ctx, index); break;
    default: break;
  }
}

void AccountScreen::OnPointer(ScreenContext& ctx, const PointerEvent& event) {
  int& index = ctx.state.nav.AccountIndex;
  const int total = static_cast<int>(Playlists(ctx.state).size());
  if (event.kind == PointerEvent::Kind::Wheel) {
    index = std::clamp(index + (event.wheelNotches > 0 ? -1 : 1), kAccountAddEntry, std::max(kAccountAddEntry, total - 1));
    return;
  }
  if (event.kind != PointerEvent::Kind::Up) return;
  const double W = ctx.width, H = ctx.height;
  if (DesignRect(54, 24, 144, 114, W, H).Contains(event.x, event.y)) {
    ctx.navigator.SetScreen(ctx.state.nav.AccountFromHome ? Screen::Home : Screen::Settings);
    return;
  }
  if (AccountAddRect(W, H).Contains(event.x, event.y)) {
    index = kAccountAddEntry;
    Activate(ctx, index);
    return;
  }
  const int visible = AccountVisibleRows(H);
  const int first = AccountFirstRow(std::max(0, index), visible);
  for (int slot = 0; slot < visible && first + slot < total; ++slot) {
    if (!AccountRowRect(slot, W, H).Contains(event.x, event.y)) continue;
    index = first + slot;
    Activate(ctx, index);
    return;
  }
}

void AccountScreen::OnEnter(ScreenContext& ctx, Screen /*from*/) {
  const int active = PlaylistIndexOf(Playlists(ctx.state), ctx.state.settings.PlaylistUrl);
  ctx.state.nav.AccountIndex = std::max(0, active);
}

ScreenHelp AccountScreen::Help(const AppState& /*state*/) const {
  return {nullptr, {{{Vk::Up, Vk::Down}, "help_move"}, {{Vk::Return}, "help_open"}}};
}
