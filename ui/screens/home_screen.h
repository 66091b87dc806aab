#pragma once
// The Home screen: the backdrop of the week's trending movie behind a menu
// column of eight tiles, the clock block, the message bell with its unread
// badge, the seven accent swatches, three action buttons, the status line,
// and two overlays of its own (the reloading notice and the
// information/messages panel).
//
// Four pieces: HomeView (what the painter and the hit test read, made from
// the state by HomeViewOf), the layout functions (shared by painting and
// pointer hit tests, so clicks and pixels agree), PaintHome, and HomeScreen,
// the row of the screen table that takes Home's keys and clicks. Main
// thread only.
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/clock.h"
#include "state/app_state.h"
#include "ui/render/render_resources.h"
#include "ui/screens/screen_view.h"

constexpr int kHomeTileCount = 8;

struct HomeView {
  int homeIndex = 0;         // focused tile, 0-7
  int dashColor = 0;         // accent palette index
  bool twelveHour = false;   // TimeFormat == 1
  int language = 0;          // language index (texts and month names)
  std::u16string backdropKey;  // image URL of the first trending movie, or empty
  uint32_t backdropGeneration = 0;  // counted up each time backdrop.jpg is rewritten

  // The panel's messages: how many there are and the seen-key of the newest
  // (MessageSeenKey of the last message), against the InboxSeenId setting.
  int messageCount = 0;
  std::u16string newestMessageKey;
  std::u16string inboxSeenId;

  std::u16string statusText;
  // What the provider said of the account when it is wrong (refused,
  // expired, no answer), else empty.
  std::u16string providerStatus;

  bool reloading = false;     // the reloading notice
  bool panelOpen = false;     // the information/messages panel
  bool messagesMode = false;  // the panel shows the message thread
  bool replyOpen = false;     // the reply box of the messages panel
  std::u16string panelText;   // the panel's body
  std::u16string replyText;   // the reply being typed

  LocalTime now;  // local time of this paint
};

// Everything Home shows, read from the state at local time `now`.
HomeView HomeViewOf(const AppState& state, const LocalTime& now);

// --- Layout (pixels of a W x H surface) ---------------------------------------

// The menu column's veil, 540 of 2400 wide.
double HomeColumnWidth(double width);
// Tile height: 72/1080 of the height at most and 32 at least, unless eight
// tiles of 32 do not fit; then the natural height, never below 28 (the last
// tiles then run over the bottom edge).
double HomeTileHeight(double height);
RectF HomeTileRect(int index, double width, double height);
RectF HomeTileIconRect(int index, double width, double height);
RectF HomeTileLabelRect(int index, double width, double height);
RectF HomeLogoRect(double width, double height);

// The clock band: from x = band.left (b) to band.right (c), y 6 to 110.
// Its pixel lengths hold text, so they grow and shrink with the fonts
// (FontScaleFor); the band is 360 wide at most instead of 280, where the
// month and year of the long month names fit.
RectF HomeClockBand(double width, double height);
// Notices show at the top between the menu column and the clock band.
RectF HomeNoticeRect(double width, double height);

struct Circle {
  double x = 0, y = 0, radius = 0;
  bool Contains(double px, double py) const { return (px - x) * (px - x) + (py - y) * (py - y) <= radius * radius; }
};
// The bell's centre line and the unread badge, scaled like the fonts.
double HomeBellCenterX(double width, double height);
RectF HomeBellHitRect(double width, double height);
Circle HomeBadgeCircle(double width, double height);
// Swatch `index` (0-6); the one of `dashColor` is larger.
Circle HomeSwatchCircle(int index, int dashColor, double width, double height);
// Action buttons 0-2: trailer, movies, information; their pixel sizes scale
// like the fonts.
RectF HomeActionButtonRect(int index, double width, double height);
RectF HomeStatusRect(double width, double height);
// The provider's account status, the line above the status text.
RectF HomeProviderStatusRect(double width, double height);

RectF HomePanelRect(double width, double height);
RectF HomePanelTitleRect(double width, double height);
RectF HomePanelBodyRect(double width, double height, bool replyOpen);
// Panel buttons 0-1 (messages mode): reply/send, close.
RectF HomePanelButtonRect(int index, double width, double height);
RectF HomeReplyBoxRect(double width, double height);
RectF HomeReplyTextRect(double width, double height);

// What a pointer position hits, topmost first: the open panel takes every
// click (its buttons, or nothing); otherwise tiles, swatches, the bell and
// the action buttons.
struct HomeHit {
  enum class Kind { None, Tile, Swatch, Bell, ActionButton, PanelButton, Panel };
  Kind kind = Kind::None;
  int index = -1;
  bool operator==(const HomeHit&) const = default;
};
HomeHit HomeHitTest(double x, double y, double width, double height, const HomeView& view);

// --- Texts ------------------------------------------------------------------

// "%02d:%02d %s" with the hour 1-12 and AM/PM, or "%02d:%02d".
std::u16string HomeClockTime(const LocalTime& now, bool twelveHour);
// "%02d" day of the month.
std::u16string HomeDayText(const LocalTime& now);
// The month and year in the language's words; "%02d - %04d" (month, year)
// when they cannot be formatted. An unknown language index uses English.
std::u16string HomeMonthYearText(int language, const LocalTime& now);

// The key a message is remembered by once seen: its id, or its text when it
// has no id.
std::u16string_view MessageSeenKey(std::u16string_view id, std::u16string_view text);
// The unread badge: 0 with no messages or when the newest was seen; 1 for
// news after a seen message; the number of messages when none was ever seen;
// never more than 9.
int UnreadBadgeCount(int messageCount, std::u16string_view newestKey, std::u16string_view seenId);

// --- Painting ---------------------------------------------------------------

// Paints the whole Home screen into the frame `res` is bound to.
void PaintHome(RenderResources& res, const HomeView& view);

// --- The screen ---------------------------------------------------------------

class HomeScreen final : public ScreenView {
 public:
  void Paint(RenderResources& res, const AppState& state, const LocalTime& now) const override;
  // The reply box of the messages panel takes every key, F11 included.
  bool TakeKeyFirst(ScreenContext& ctx, int vk) override;
  // The open messages panel: Esc/Backspace close it, Enter replies.
  bool TakeKeyBeforeBack(ScreenContext& ctx, int vk) override;
  // Up/Down move over the tiles (no wrap), Enter opens one, R opens the
  // Recordings screen.
  void OnKey(ScreenContext& ctx, int vk) override;
  bool OnChar(ScreenContext& ctx, char16_t ch) override;
  void OnPointer(ScreenContext& ctx, const PointerEvent& event) override;
  ScreenHelp Help(const AppState& state) const override;
  RectF NoticeRect(const AppState& state, int width, int height) const override;
};

// What tile `index` opens; keys and clicks share it.
void ActivateHomeTile(ScreenContext& ctx, int index);
// The bell (messages) and the information button open the panel.
void OpenMessagesPanel(ScreenContext& ctx, bool messagesMode);
