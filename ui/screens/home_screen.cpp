#include "ui/screens/home_screen.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>

#include "net/text.h"
#include "panel/messages.h"
#include "platform/date_format.h"
#include "platform/virtual_keys.h"
#include "i18n/translate.h"
#include "ui/modals/question_dialog.h"
#include "ui/render/product_mark.h"
#include "ui/nav/navigator.h"
#include "ui/render/line_icon.h"
#include "ui/screens/provider_status_text.h"

// Sections: the view; layout; texts; the tile icons; painting (one function
// per layer, called by PaintHome in drawing order); keys and clicks.

HomeView HomeViewOf(const AppState& state, const LocalTime& now) {
  HomeView view;
  view.homeIndex = state.nav.HomeIndex;
  view.dashColor = state.settings.DashColor;
  view.twelveHour = state.settings.TimeFormat == 1;
  view.language = CurrentLanguage();
  view.backdropKey = state.trending.empty() ? std::u16string() : state.trending.front().imageUrl;
  view.backdropGeneration = state.BackdropGeneration;
  view.messageCount = static_cast<int>(state.panel.messages.size());
  if (!state.panel.messages.empty()) {
    const PanelMessage& newest = state.panel.messages.back();
    view.newestMessageKey = std::u16string(MessageSeenKey(newest.id, newest.text));
  }
  view.inboxSeenId = state.settings.InboxSeenId;
  view.statusText = state.StatusText;
  view.providerStatus = ProviderStatusText(state.provider);
  view.reloading = state.nav.ReloadingNotice;
  view.panelOpen = state.nav.MessagesOpen;
  view.messagesMode = state.nav.MessagesMode;
  view.replyOpen = state.nav.compose.composeOpen;
  view.panelText = state.nav.PanelBody;
  view.replyText = state.nav.compose.composeText;
  view.now = now;
  return view;
}

// ---------------------------------------------------------------------------
// Layout

namespace {

constexpr double kTileLeft = 43;    // of 1920
constexpr double kTileRight = 389;  // of 1920
constexpr double kTileTop = 150;    // of 1080
constexpr double kTileGap = 7;      // of 1080
constexpr double kTileBottomMargin = 18;
constexpr double kTileMaxHeight = 72;  // of 1080
constexpr double kTileMinHeight = 32;  // pixels
constexpr double kTileFloorHeight = 28;

// The menu words of the tiles, top to bottom.
constexpr int kTileWords[kHomeTileCount] = {kMenuLive,     kMenuMovies,   kMenuSeries, kMenuSports,
                                            kMenuPlaylist, kMenuSettings, kMenuReload, kMenuExit};

// A language index outside the list reads as English.
int ValidLanguage(int language) { return language >= 0 && language < kLanguageCount ? language : 0; }

}  // namespace

double HomeColumnWidth(double width) { return WideX(540, width); }

double HomeTileHeight(double height) {
  const double top = DesignY(kTileTop, height);
  const double gap = DesignY(kTileGap, height);
  const double space = height - DesignY(kTileBottomMargin, height) - top;
  const double natural = (space - 7 * gap) / 8;
  const double h = std::max(std::min(natural, DesignY(kTileMaxHeight, height)), kTileMinHeight);
  if (8 * h + 7 * gap <= space) return h;
  return std::max(natural, kTileFloorHeight);
}

RectF HomeTileRect(int index, double width, double height) {
  const double h = HomeTileHeight(height);
  const double top = DesignY(kTileTop, height) + index * (h + DesignY(kTileGap, height));
  return RectF{DesignX(kTileLeft, width), top, DesignX(kTileRight, width), top + h};
}

RectF HomeTileIconRect(int index, double width, double height) {
  const RectF tile = HomeTileRect(index, width, height);
  const double side = std::max(18.0, 0.45 * tile.Height());
  const double left = tile.left + WideX(15, width);
  const double top = tile.top + (tile.Height() - side) / 2;
  return RectF{left, top, left + side, top + side};
}

RectF HomeTileLabelRect(int index, double width, double height) {
  const RectF tile = HomeTileRect(index, width, height);
  return RectF{tile.left + WideX(87, width), tile.top, tile.right - 8, tile.bottom};
}

RectF HomeLogoRect(double width, double height) {
  const double column = HomeColumnWidth(width);
  const double side = std::min(DesignY(136, height), 0.7 * column);
  const double left = (column - side) / 2;
  const double top = DesignY(8, height);
  return RectF{left, top, left + side, top + side};
}

RectF HomeClockBand(double width, double height) {
  const double k = FontScaleFor(int(width), int(height));
  const double c = 0.78 * width;
  const double w = std::min(0.24 * width, 360 * k);
  const double b = std::max(0.48 * width, c - w);
  return RectF{b, 6 * k, c, 110 * k};
}

RectF HomeNoticeRect(double width, double height) {
  const double left = HomeColumnWidth(width) + WideX(40, width);
  const double right = HomeClockBand(width, height).left - WideX(40, width);
  return RectF{left, DesignY(20, height), std::max(left, right), DesignY(100, height)};
}

double HomeBellCenterX(double width, double height) { return width - 44 * FontScaleFor(int(width), int(height)); }

RectF HomeBellHitRect(double width, double height) {
  const double k = FontScaleFor(int(width), int(height));
  const double x = HomeBellCenterX(width, height);
  return RectF{x - 22 * k, 20 * k, x + 22 * k, 72 * k};
}

Circle HomeBadgeCircle(double width, double height) {
  const double k = FontScaleFor(int(width), int(height));
  return Circle{width - 26 * k, 22 * k, 11 * k};
}

Circle HomeSwatchCircle(int index, int dashColor, double width, double height) {
  const double x = (width - 24) - WideX(245, width) + index * WideX(35, width);
  return Circle{x, DesignY(128, height), index == dashColor ? 8.0 : 6.0};
}

RectF HomeActionButtonRect(int index, double width, double height) {
  const double k = FontScaleFor(int(width), int(height));
  const double first = std::max(width - 552 * k, DesignX(450, width));
  const double left = first + index * 180 * k;
  return RectF{left, height - 60 * k, left + 168 * k, height - 16 * k};
}

RectF HomeStatusRect(double width, double height) { return WideRect(562, 820, 1475, 858, width, height); }

// As wide as the free band allows: nothing else is drawn to its right.
RectF HomeProviderStatusRect(double width, double height) { return WideRect(562, 776, 2350, 816, width, height); }

RectF HomePanelRect(double width, double height) { return WideRect(500, 180, 2125, 900, width, height); }

RectF HomePanelTitleRect(double width, double height) { return WideRect(537, 210, 1500, 290, width, height); }

RectF HomePanelBodyRect(double width, double height, bool replyOpen) {
  return WideRect(537, 300, 2075, replyOpen ? 660 : 800, width, height);
}

RectF HomePanelButtonRect(int index, double width, double height) {
  if (index == 0) return WideRect(537, 820, 1025, 880, width, height);
  return WideRect(1050, 820, 1425, 880, width, height);
}

RectF HomeReplyBoxRect(double width, double height) { return WideRect(537, 680, 2075, 800, width, height); }

RectF HomeReplyTextRect(double width, double height) { return WideRect(562, 690, 2050, 790, width, height); }

HomeHit HomeHitTest(double x, double y, double width, double height, const HomeView& view) {
  using Kind = HomeHit::Kind;
  if (view.panelOpen) {
    if (view.messagesMode) {
      for (int i = 0; i < 2; ++i) {
        if (HomePanelButtonRect(i, width, height).Contains(x, y)) return {Kind::PanelButton, i};
      }
    }
    if (HomePanelRect(width, height).Contains(x, y)) return {Kind::Panel, -1};
    return {};
  }
  for (int i = 0; i < kHomeTileCount; ++i) {
    if (HomeTileRect(i, width, height).Contains(x, y)) return {Kind::Tile, i};
  }
  for (int i = 0; i < kAccentCount; ++i) {
    Circle target = HomeSwatchCircle(i, view.dashColor, width, height);
    target.radius = std::max(target.radius, 12.0);  // a 6-pixel disc is too small to aim at
    if (target.Contains(x, y)) return {Kind::Swatch, i};
  }
  if (HomeBellHitRect(width, height).Contains(x, y)) return {Kind::Bell, -1};
  for (int i = 0; i < 3; ++i) {
    if (HomeActionButtonRect(i, width, height).Contains(x, y)) return {Kind::ActionButton, i};
  }
  return {};
}

// ---------------------------------------------------------------------------
// Texts

std::u16string HomeClockTime(const LocalTime& now, bool twelveHour) {
  char text[16];
  if (twelveHour) {
    const int hour = now.hour % 12 == 0 ? 12 : now.hour % 12;
    std::snprintf(text, sizeof text, "%02d:%02d %s", hour, now.minute, now.hour >= 12 ? "PM" : "AM");
  } else {
    std::snprintf(text, sizeof text, "%02d:%02d", now.hour, now.minute);
  }
  return AsciiToWide(text);
}

std::u16string HomeDayText(const LocalTime& now) {
  char text[8];
  std::snprintf(text, sizeof text, "%02d", now.day);
  return AsciiToWide(text);
}

std::u16string HomeMonthYearText(int language, const LocalTime& now) {
  std::u16string text = MonthYearText(DateLocale(ValidLanguage(language)), now);
  if (!text.empty()) return text;
  char fallback[24];
  std::snprintf(fallback, sizeof fallback, "%02d - %04d", now.month, now.year);
  return AsciiToWide(fallback);
}

std::u16string_view MessageSeenKey(std::u16string_view id, std::u16string_view text) {
  return id.empty() ? text : id;
}

int UnreadBadgeCount(int messageCount, std::u16string_view newestKey, std::u16string_view seenId) {
  if (messageCount <= 0 || newestKey == seenId) return 0;
  const int count = seenId.empty() ? messageCount : 1;
  return std::min(count, 9);
}

// ---------------------------------------------------------------------------
// Tile icons: white line drawings in a square box, one per tile.

namespace {

void DrawLiveIcon(const IconPen& p) {  // a screen with an antenna
  p.Rect(0.08, 0.30, 0.92, 0.90);
  p.Stroke(1.7);
  p.Line(0.50, 0.30, 0.30, 0.06);
  p.Line(0.50, 0.30, 0.70, 0.06);
  p.Stroke(1.5);
}

void DrawMoviesIcon(const IconPen& p) {  // a strip of film
  p.Rect(0.10, 0.16, 0.90, 0.84);
  p.Stroke(1.6);
  for (double x : {0.20, 0.45, 0.70}) {
    p.Rect(x, 0.23, x + 0.10, 0.33);
    p.Rect(x, 0.67, x + 0.10, 0.77);
  }
  p.Fill();
}

void DrawSeriesIcon(const IconPen& p) {  // a stack of screens
  p.Rect(0.10, 0.36, 0.90, 0.90);
  p.Stroke(1.7);
  p.Rect(0.20, 0.22, 0.80, 0.27);
  p.Rect(0.30, 0.09, 0.70, 0.14);
  p.Stroke(1.4);
}

void DrawSportsIcon(const IconPen& p) {  // a ball with its seam
  p.Ellipse(0.50, 0.50, 0.42, 0.42);
  p.Stroke(1.7);
  p.Ellipse(0.50, 0.50, 0.17, 0.42);
  p.Stroke(1.4);
}

void DrawPlaylistIcon(const IconPen& p) {  // a page with lines
  p.Rect(0.16, 0.08, 0.84, 0.92);
  p.Stroke(1.7);
  p.Line(0.32, 0.38, 0.68, 0.38);
  p.Line(0.32, 0.62, 0.68, 0.62);
  p.Stroke(1.5);
}

void DrawSettingsIcon(const IconPen& p) {  // a cog: ring, hub and three teeth lines
  p.Ellipse(0.50, 0.50, 0.30, 0.30);
  p.Stroke(1.7);
  p.Ellipse(0.50, 0.50, 0.11, 0.11);
  p.Stroke(1.4);
  for (int i = 0; i < 3; ++i) {
    const double a = i * std::numbers::pi / 3;
    const double c = std::cos(a), s = std::sin(a);
    p.Line(0.50 + 0.30 * c, 0.50 + 0.30 * s, 0.50 + 0.46 * c, 0.50 + 0.46 * s);
    p.Line(0.50 - 0.30 * c, 0.50 - 0.30 * s, 0.50 - 0.46 * c, 0.50 - 0.46 * s);
  }
  p.Stroke(1.8);
}

void DrawReloadIcon(const IconPen& p) {  // a circular arrow
  constexpr double kCx = 0.50, kCy = 0.52, kR = 0.38;
  constexpr double kStart = -0.38 * std::numbers::pi, kEnd = 1.30 * std::numbers::pi;
  p.Arc(kCx, kCy, kR, kStart, kEnd);
  p.Stroke(1.7);
  // The head at the arc's end, its two strokes swept back from the tangent.
  const double tipX = kCx + kR * std::cos(kEnd), tipY = kCy + kR * std::sin(kEnd);
  const double along = kEnd + std::numbers::pi / 2;  // direction of travel at the end
  constexpr double kHead = 0.20, kSpread = 0.75;
  p.MoveTo(tipX - kHead * std::cos(along - kSpread), tipY - kHead * std::sin(along - kSpread));
  p.LineTo(tipX, tipY);
  p.LineTo(tipX - kHead * std::cos(along + kSpread), tipY - kHead * std::sin(along + kSpread));
  p.Stroke(1.6);
}

void DrawExitIcon(const IconPen& p) {  // a door and an arrow out of it
  p.Rect(0.10, 0.08, 0.56, 0.92);
  p.Stroke(1.7);
  p.Line(0.36, 0.50, 0.92, 0.50);
  p.MoveTo(0.76, 0.34);
  p.LineTo(0.92, 0.50);
  p.LineTo(0.76, 0.66);
  p.Stroke(1.6);
}

void DrawTileIcon(Canvas& canvas, int index, const RectF& box) {
  using IconDrawer = void (*)(const IconPen&);
  static constexpr IconDrawer kIcons[kHomeTileCount] = {DrawLiveIcon,     DrawMoviesIcon,   DrawSeriesIcon,
                                                        DrawSportsIcon,   DrawPlaylistIcon, DrawSettingsIcon,
                                                        DrawReloadIcon,   DrawExitIcon};
  canvas.ClearPath();
  kIcons[index](IconPen{canvas, box});
}

// ---------------------------------------------------------------------------
// Painting, layer by layer

constexpr Rgba kPanelCloseFill{0.22, 0.22, 0.26, 1};

void PaintBackground(RenderResources& res, const HomeView& view) {
  res.Clear(Rgba{0.02, 0.02, 0.04, 1});
  res.DrawBackdrop(view.backdropKey, view.backdropGeneration);
  res.FillRect(RectF{0, 0, HomeColumnWidth(res.Width()), static_cast<double>(res.Height())}, Rgba{0, 0, 0, 0.55});
}

void PaintLogo(RenderResources& res) {
  if (const Picture* logo = res.Logo()) {
    res.DrawPicture(logo, HomeLogoRect(res.Width(), res.Height()));
    return;
  }
  DrawProductMark(res.Target(), res.Wide(26, 4, 512, 108), res.Px(FontSpecOf(FontId::Hero).sizePx), res.Brush().Accent);
  res.DrawSingleLine(FontId::Tile, u"PLAYER", res.Wide(26, 94, 512, 138), res.Brush().White, kAlignCentered);
}

void PaintTiles(RenderResources& res, const HomeView& view) {
  const double W = res.Width(), H = res.Height();
  for (int i = 0; i < kHomeTileCount; ++i) {
    const RectF tile = HomeTileRect(i, W, H);
    if (i == kHomeTileCount - 1) {
      // In the middle of the gap above the exit tile: 10/1080 above it was
      // inside the reload tile, the gap being 7/1080.
      const double line = std::round(tile.top - res.Y(kTileGap) / 2 - 0.5);
      res.FillRect(RectF{tile.left, line, tile.right, line + 1}, Rgba{1, 1, 1, 0.22});
    }
    const bool focused = i == view.homeIndex;
    res.FillRounded(tile, 18, focused ? Rgba{0.36, 0.36, 0.38, 0.95} : Rgba{0.22, 0.22, 0.24, 0.92});
    if (focused) {
      const double ring = res.FocusRing() / 2;
      res.StrokeRounded(RectF{tile.left + ring, tile.top + ring, tile.right - ring, tile.bottom - ring}, 18 - ring,
                        res.Brush().Accent, 2 * ring);
    }
    DrawTileIcon(res.Target(), i, HomeTileIconRect(i, W, H));
    res.DrawTrimmedLine(FontId::Row, MenuWord(ValidLanguage(view.language), kTileWords[i]), HomeTileLabelRect(i, W, H),
                        res.Brush().White, kAlignLeadingCentered);
  }
}

void PaintClock(RenderResources& res, const HomeView& view) {
  const RectF band = HomeClockBand(res.Width(), res.Height());
  res.FillRect(band, Rgba{0, 0, 0, 0.7});
  const double b = band.left, c = band.right;
  auto px = [&res](double design) { return res.Px(design); };
  res.DrawTrimmedLine(FontId::Title, HomeDayText(view.now), RectF{b + px(6), px(6), b + px(86), px(82)},
                      res.Brush().White);
  res.DrawTrimmedLine(FontId::Label, HomeClockTime(view.now, view.twelveHour),
                      RectF{b + px(90), px(6), c - px(6), px(82)}, res.Brush().White);
  // A month name too long for the band ends with an ellipsis inside it.
  res.DrawTrimmedLine(FontId::Label, HomeMonthYearText(view.language, view.now),
                      RectF{b + px(90), px(78), c - px(6), px(108)}, Rgba{1, 1, 1, 0.92});
}

void PaintBell(RenderResources& res) {
  Canvas& canvas = res.Target();
  const double x = HomeBellCenterX(res.Width(), res.Height());
  // Drawn in the pixels of a 1080-high surface around its centre line.
  const double s = res.FontScale();
  const auto across = [x, s](double dx) { return x + dx * s; };
  const auto down = [s](double y) { return y * s; };
  constexpr Rgba kWhite{1, 1, 1, 1};
  canvas.Ellipse(x, down(45.84), 15.84 * s, 17.16 * s);
  canvas.Stroke(kWhite, 2.2 * s);
  canvas.MoveTo(across(-12.1), down(59.94));
  canvas.LineTo(across(12.1), down(59.94));
  canvas.Stroke(kWhite, 2.2 * s);
  canvas.Ellipse(x, down(63.68), 5 * s, 4 * s);
  canvas.Stroke(kWhite, 2 * s);
  canvas.MoveTo(x, down(27.6));
  canvas.LineTo(x, down(32.44));
  canvas.Stroke(kWhite, 2 * s);
}

void PaintBadge(RenderResources& res, const HomeView& view) {
  const int count = UnreadBadgeCount(view.messageCount, view.newestMessageKey, view.inboxSeenId);
  if (count <= 0) return;
  const Circle disc = HomeBadgeCircle(res.Width(), res.Height());
  res.FillDisc(disc.x, disc.y, disc.radius, res.Brush().Red);
  const double r = disc.radius + res.Px(2);
  res.DrawSingleLine(FontId::Hint, AsciiToWide(std::to_string(count)),
                     RectF{disc.x - r, disc.y - r, disc.x + r, disc.y + r}, res.Brush().White, kAlignCentered);
}

void PaintSwatches(RenderResources& res, const HomeView& view) {
  for (int i = 0; i < kAccentCount; ++i) {
    const Circle disc = HomeSwatchCircle(i, view.dashColor, res.Width(), res.Height());
    res.FillDisc(disc.x, disc.y, disc.radius, AccentColor(i));
  }
}

void PaintActionButtons(RenderResources& res, const HomeView& view) {
  const Brushes& brush = res.Brush();
  const std::u16string_view captions[3] = {TranslateIn(view.language, "trailer"),
                                           MenuWord(ValidLanguage(view.language), kMenuMovies),
                                           TranslateIn(view.language, "information")};
  const Rgba fills[3] = {brush.Red, brush.BlueDeep, brush.Yellow};
  for (int i = 0; i < 3; ++i) {
    const RectF button = HomeActionButtonRect(i, res.Width(), res.Height());
    res.FillRect(button, fills[i]);
    res.DrawTrimmedLine(FontId::Hint, captions[i], button, brush.White, kAlignCentered);
  }
}

void PaintStatus(RenderResources& res, const HomeView& view) {
  if (view.statusText.empty()) return;
  res.DrawLabel(FontId::Hint, view.statusText, HomeStatusRect(res.Width(), res.Height()), res.Brush().Accent);
}

void PaintProviderStatus(RenderResources& res, const HomeView& view) {
  if (view.providerStatus.empty()) return;
  res.DrawTrimmed(FontId::Hint, view.providerStatus, HomeProviderStatusRect(res.Width(), res.Height()),
                  res.Brush().Red);
}

void PaintReloadingNotice(RenderResources& res, const HomeView& view) {
  if (!view.reloading) return;
  const double W = res.Width(), H = res.Height();
  res.FillRect(RectF{0, 0, W, H}, Rgba{0, 0, 0, 0.62});
  res.FillRounded(RectF{0.28 * W, 0.38 * H, 0.72 * W, 0.58 * H}, 16, res.Brush().Shade);
  res.DrawLabel(FontId::Title, TranslateIn(view.language, "reloading"), RectF{0.28 * W, 0.40 * H, 0.72 * W, 0.56 * H},
                res.Brush().Accent, kAlignCentered);
}

void PaintPanel(RenderResources& res, const HomeView& view) {
  if (!view.panelOpen) return;
  const double W = res.Width(), H = res.Height();
  const Brushes& brush = res.Brush();
  res.FillRect(RectF{0, 0, W, H}, Rgba{0, 0, 0, 0.72});
  res.FillRounded(HomePanelRect(W, H), 16, brush.Shade);
  res.DrawTrimmedLine(FontId::Title, TranslateIn(view.language, view.messagesMode ? "messages" : "information"),
                      HomePanelTitleRect(W, H), brush.Accent, kAlignLeadingCentered);

  const RectF body = HomePanelBodyRect(W, H, view.messagesMode && view.replyOpen);
  if (!view.messagesMode) {
    res.DrawTrimmed(FontId::Hint, view.panelText, body, brush.White);
    return;
  }
  // The thread grows at its end; when it is taller than the panel, the
  // newest messages are the part shown.
  res.DrawTextTail(FontId::Hint, view.panelText, body, brush.White);

  const RectF reply = HomePanelButtonRect(0, W, H);
  res.FillRounded(reply, 12, brush.Red);
  res.DrawTrimmedLine(FontId::Hint, TranslateIn(view.language, view.replyOpen ? "send" : "reply_send"), reply,
                      brush.White, kAlignCentered);
  const RectF close = HomePanelButtonRect(1, W, H);
  // Black on the dark panel left the button invisible: it takes the grey
  // face of the other screens' buttons.
  res.FillRounded(close, 12, kPanelCloseFill);
  res.DrawTrimmedLine(FontId::Hint, TranslateIn(view.language, "close"), close, brush.White, kAlignCentered);

  if (!view.replyOpen) return;
  res.FillRounded(HomeReplyBoxRect(W, H), 10, brush.White);
  res.DrawTextTail(FontId::Hint, view.replyText + u"|", HomeReplyTextRect(W, H), Rgba{0.05, 0.05, 0.07, 1});
}

}  // namespace

void PaintHome(RenderResources& res, const HomeView& view) {
  if (!res.Drawing()) return;
  PaintBackground(res, view);
  PaintLogo(res);
  PaintTiles(res, view);
  PaintClock(res, view);
  PaintBell(res);
  PaintBadge(res, view);
  PaintSwatches(res, view);
  PaintActionButtons(res, view);
  PaintStatus(res, view);
  PaintProviderStatus(res, view);
  PaintReloadingNotice(res, view);
  PaintPanel(res, view);
}

// ---------------------------------------------------------------------------
// Keys and clicks

namespace {

// Enter in the messages panel: opens the reply box, or sends what it holds.
void ComposeEnterKey(ScreenContext& ctx) {
  const ComposeStep step = ComposeEnter(ctx.state.nav.compose);
  ctx.state.StatusText = std::u16string(Translate(step.statusKey));
  if (step.action == ComposeAction::Send) ctx.content.SendReply(step.text);
}

// The panel's close button and Esc: the reply box closes first.
void ClosePanelOrReply(NavState& nav, int vk) {
  if (nav.compose.composeOpen && vk == Vk::Escape) {
    nav.compose = ComposeState{};
    return;
  }
  nav.MessagesOpen = false;
  nav.compose.composeOpen = false;
}

}  // namespace

void HomeScreen::Paint(RenderResources& res, const AppState& state, const LocalTime& now) const {
  PaintHome(res, HomeViewOf(state, now));
}

bool HomeScreen::TakeKeyFirst(ScreenContext& ctx, int vk) {
  NavState& nav = ctx.state.nav;
  if (!(nav.compose.composeOpen && nav.MessagesOpen)) return false;
  if (vk == Vk::Escape) ClosePanelOrReply(nav, vk);
  else if (vk == Vk::Back) ComposeBackspace(nav.compose);
  else if (vk == Vk::Return) ComposeEnterKey(ctx);
  return true;
}

bool HomeScreen::TakeKeyBeforeBack(ScreenContext& ctx, int vk) {
  NavState& nav = ctx.state.nav;
  if (!nav.MessagesOpen) return false;
  if (Vk::IsBack(vk)) ClosePanelOrReply(nav, vk);
  else if (vk == Vk::Return && nav.MessagesMode) ComposeEnterKey(ctx);
  return true;
}

RectF HomeScreen::NoticeRect(const AppState& /*state*/, int width, int height) const {
  return HomeNoticeRect(width, height);
}

void HomeScreen::OnKey(ScreenContext& ctx, int vk) {
  int& index = ctx.state.nav.HomeIndex;
  if (vk == Vk::Down) index = std::min(kHomeTileCount - 1, index + 1);
  else if (vk == Vk::Up) index = std::max(0, index - 1);
  else if (vk == Vk::Return) ActivateHomeTile(ctx, index);
  // The eight tiles are Home's whole column: the recordings have a key.
  else if (vk == Vk::Letter('R')) ctx.navigator.SetScreen(Screen::Recordings);
}

bool HomeScreen::OnChar(ScreenContext& ctx, char16_t ch) {
  NavState& nav = ctx.state.nav;
  if (!(nav.compose.composeOpen && nav.MessagesOpen)) return false;
  ComposeType(nav.compose, ch);
  return true;
}

void HomeScreen::OnPointer(ScreenContext& ctx, const PointerEvent& event) {
  if (event.kind != PointerEvent::Kind::Up) return;
  AppState& state = ctx.state;
  const HomeView view = HomeViewOf(state, LocalTime{});
  const HomeHit hit = HomeHitTest(event.x, event.y, ctx.width, ctx.height, view);
  switch (hit.kind) {
    case HomeHit::Kind::Tile:
      state.nav.HomeIndex = hit.index;
      ActivateHomeTile(ctx, hit.index);
      break;
    case HomeHit::Kind::Bell: OpenMessagesPanel(ctx, true); break;
    case HomeHit::Kind::Swatch:
      state.settings.DashColor = hit.index;
      ctx.window.SaveSettingsNow();
      break;
    case HomeHit::Kind::ActionButton:
      if (hit.index == 0) ctx.playback.PlayTrailer();
      if (hit.index == 1) ActivateHomeTile(ctx, 1);
      if (hit.index == 2) OpenMessagesPanel(ctx, false);
      break;
    case HomeHit::Kind::PanelButton:
      if (hit.index == 0) ComposeEnterKey(ctx);
      else ClosePanelOrReply(state.nav, Vk::Escape);
      break;
    default: break;
  }
}

void ActivateHomeTile(ScreenContext& ctx, int index) {
  NavState& nav = ctx.state.nav;
  switch (index) {
    case 0:
      nav.live.LiveCategoryIndex = 2;
      nav.LiveCategoryScroll = 0;
      ctx.navigator.SetScreen(Screen::Live);
      break;
    case 1: ctx.navigator.SetScreen(Screen::Movies); break;
    case 2: ctx.navigator.SetScreen(Screen::Series); break;
    case 3: ctx.navigator.SetScreen(Screen::Sports); break;
    case 4:
      nav.AccountFromHome = true;
      ctx.navigator.SetScreen(Screen::Account);
      ctx.content.StartPanelCheck();
      break;
    case 5: ctx.navigator.SetScreen(Screen::Settings); break;
    case 6: ctx.content.StartFullReload(); break;
    case 7:
      if (AskYesNo(ctx.modal, u"Vistra", std::u16string(Translate("exit_ask")), false)) ctx.window.Quit();
      break;
    default: break;
  }
}

void OpenMessagesPanel(ScreenContext& ctx, bool messagesMode) {
  AppState& state = ctx.state;
  NavState& nav = state.nav;
  nav.MessagesOpen = true;
  nav.MessagesMode = messagesMode;
  nav.compose.composeOpen = false;
  if (messagesMode) {
    nav.PanelBody = BuildThreadText(state.panel.messages);
    if (!state.panel.messages.empty()) {
      const PanelMessage& newest = state.panel.messages.back();
      state.settings.InboxSeenId = newest.id.empty() ? newest.text : newest.id;
      ctx.window.SaveSettingsNow();
    }
  } else if (!state.trending.empty()) {
    const TrendingMovie& movie = state.trending.front();
    nav.PanelBody = movie.title + u" (" + movie.year + u")\n" + movie.genreLine + u"  ★ " + movie.rating + u"\n\n" +
                    movie.overview;
  } else {
    nav.PanelBody.clear();
  }
}

ScreenHelp HomeScreen::Help(const AppState& /*state*/) const {
  return {nullptr, {{{Vk::Up, Vk::Down}, "help_move"}, {{Vk::Return}, "help_open"}, {{Vk::Letter('R')}, "recordings"}}};
}
