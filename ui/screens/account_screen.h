#pragma once
// The Account screen: the playlists on the left (an "add playlist" entry,
// then one row per playlist, the active one marked), the device's identity
// on the right (the panel site, its QR code, the MAC address and the
// device key). Enter on a playlist switches to it; Enter on the add entry
// asks for a playlist URL. Main thread only.
#include <string_view>
#include <vector>

#include "ui/screens/screen_view.h"

// AccountIndex -1 is the "add playlist" entry above the list.
constexpr int kAccountAddEntry = -1;

// --- Layout (pixels of a width x height surface) ----------------------------
RectF AccountAddRect(double width, double height);
// Rows visible in the list, at least 1.
int AccountVisibleRows(double height);
// The rectangle of visible row `slot` (0 = the first one shown).
RectF AccountRowRect(int slot, double width, double height);
// The QR code's square in the right area.
RectF AccountQrRect(double width, double height);
// Notices show in the right area under the device key.
RectF AccountNoticeRect(double width, double height);
// The first row shown so that `selected` is in view.
int AccountFirstRow(int selected, int visible);

// Draws the QR symbol of `text` into `square`: a white square, a quiet
// border of 8 % of its side, black modules. Nothing at all when the text
// does not fit any symbol.
void DrawQrCode(RenderResources& res, const RectF& square, std::u16string_view text);

void PaintAccount(RenderResources& res, const AppState& state);


class AccountScreen final : public ScreenView {
 public:
  void Paint(RenderResources& res, const AppState& state, const LocalTime& now) const override;
  void OnKey(ScreenContext& ctx, int vk) override;
  void OnPointer(ScreenContext& ctx, const PointerEvent& event) override;
  void OnEnter(ScreenContext& ctx, Screen from) override;
  ScreenHelp Help(const AppState& state) const override;
  RectF NoticeRect(const AppState& state, int width, int height) const override;
};
