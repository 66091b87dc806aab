#include "ui/screens/player_strips.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "catalog/guide.h"
#include "net/text.h"
#include "player/remote_control.h"
#include "ui/i18n/translate.h"

namespace {

constexpr Rgba Hex(uint32_t rgb, double alpha = 1.0) {
  return Rgba{((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0, alpha};
}

constexpr Rgba kText = Hex(0xFAFAFC);
constexpr Rgba kPanel = Hex(0x1C1C22);
constexpr Rgba kArrowRing = Hex(0xE6C450);
constexpr Rgba kVolumeTrack = Hex(0x505058);
constexpr Rgba kVolumeFill = Hex(0x46A0E6);
constexpr Rgba kProgressTrack = Hex(0x5A5A60);
constexpr Rgba kProgressFill = Hex(0xF0F0F5);
constexpr Rgba kLiveBox = Hex(0x38383E);
constexpr Rgba kButtonFill = Hex(0x28282E);
// The bottom strip's ground: the video shows through it a little, which the
// colour key could not do.
constexpr Rgba kStripGround{0.05, 0.05, 0.07, 0.72};

// The transport glyphs around the centre, in the order they are tested.
struct Glyph {
  double from, to;
  std::u16string_view text;
};
constexpr Glyph kTransport[] = {{-122, -70, u"|<"}, {-74, -22, u"<<"}, {-26, 26, u"||"}, {22, 74, u">>"}, {70, 122, u">|"}};

RectF Offset(const RectF& r, double dx, double dy) { return RectF{r.left + dx, r.top + dy, r.right + dx, r.bottom + dy}; }

double Seconds(const std::u16string& text) {
  const std::string ascii = WideToUtf8(text);
  if (ascii.empty()) return -1;
  char* end = nullptr;
  const double value = std::strtod(ascii.c_str(), &end);
  return end == ascii.c_str() || !std::isfinite(value) ? -1 : value;
}

std::u16string MinutesSeconds(double seconds) {
  const long total = seconds > 0 ? long(seconds) : 0;
  char text[32];
  std::snprintf(text, sizeof text, "%ld:%02ld", total / 60, total % 60);
  return AsciiToWide(text);
}

// The expanded strip's buttons name the screens they open by the menu words
// the header tabs use, everything else by its interface text.
struct ButtonLabel {
  int menuWord;         // -1: the text of key
  std::string_view key;
};
constexpr ButtonLabel kExpandedLabels[8] = {{-1, "epg"},        {-1, "lock"},   {kMenuMovies, {}},         {kMenuSeries, {}},
                                            {-1, "favorite"},   {kMenuSearch, {}}, {-1, "strip_subtitle"}, {-1, "audio"}};

}  // namespace

std::u16string_view ExpandedButtonLabel(int button) {
  if (button < 0 || button >= 8) return {};
  const ButtonLabel& label = kExpandedLabels[button];
  return label.menuWord >= 0 ? MenuWord(CurrentLanguage(), label.menuWord) : Translate(label.key);
}

StripLayout StripLayoutOf(int W, int H, bool vod, bool expanded) {
  StripLayout l;
  l.vod = vod;
  l.expanded = expanded;
  int bw = vod ? W - 48 : W - 40;
  if (bw < 640) bw = W - 40;
  const int bh = vod ? 88 : (expanded ? 220 : 148);
  auto rect = [](double x, double y, double w, double h) { return RectF{x, y, x + w, y + h}; };
  l.rects[int(StripId::Top)] = rect(16, 10, 88, 48);
  l.rects[int(StripId::Right)] = rect(W - 56, (H - 200) / 2, 36, 200);
  l.rects[int(StripId::Bottom)] = rect((W - bw) / 2, H - bh - 12, bw, bh);
  l.rects[int(StripId::LeftArrow)] = rect(28, (H - 72) / 2, 72, 72);
  l.rects[int(StripId::RightArrow)] = rect(W - 100, (H - 72) / 2, 72, 72);
  return l;
}

StripLayout StripLayoutFor(const AppState& state, int width, int height) {
  return StripLayoutOf(width, height, PlayingVod(state), state.player.liveStripExpanded);
}

int StripAt(const StripLayout& l, double x, double y) {
  constexpr StripId kOrder[] = {StripId::Top, StripId::Bottom, StripId::Right, StripId::LeftArrow, StripId::RightArrow};
  for (StripId id : kOrder) {
    if (l.Visible(id) && l[id].Contains(x, y)) return int(id);
  }
  return -1;
}

int VolumeAt(const StripLayout& l, double y) {
  const RectF& r = l[StripId::Right];
  const double h = r.Height();
  const double v = (h - (y - r.top) - 16) * 100 / std::max(h - 32, 1.0);
  return std::clamp(int(v), 0, 100);
}

namespace {

StripHit LiveBottomHit(const StripLayout& l, double x, double y) {
  const double w = l[StripId::Bottom].Width(), h = l[StripId::Bottom].Height();
  if (l.expanded && y >= h - 68) {
    const int index = std::clamp(int(std::max(0.0, x) * 8 / std::max(w, 1.0)), 0, 7);
    return {StripHit::Kind::StripButton, index};
  }
  if (y < (l.expanded ? h - 108 : h - 44)) return {StripHit::Kind::Inside};
  if (x < w / 3) return {StripHit::Kind::StepChannel, -1};
  if (x <= 2 * w / 3) return {StripHit::Kind::ToggleExpand};
  return {StripHit::Kind::StepChannel, +1};
}

StripHit VodBottomHit(const StripLayout& l, double x, double y) {
  const double w = l[StripId::Bottom].Width(), h = l[StripId::Bottom].Height();
  if (y < 29 && x >= 8 && x <= w - 8) {
    return {StripHit::Kind::SeekShare, 0, std::clamp((x - 12) / std::max(w - 24, 1.0), 0.0, 1.0)};
  }
  const double cx = w / 2;
  if (y >= 32 && y <= 72) {
    constexpr StripHit kActions[] = {{StripHit::Kind::StepVod, -1}, {StripHit::Kind::SeekBy, -10},
                                     {StripHit::Kind::TogglePause}, {StripHit::Kind::SeekBy, +10},
                                     {StripHit::Kind::StepVod, +1}};
    for (int i = 0; i < 5; ++i) {
      if (x > cx + kTransport[i].from && x < cx + kTransport[i].to) return kActions[i];
    }
    return {StripHit::Kind::Inside};
  }
  if (y >= h - 44) {
    if (x >= w - 292 && x < w - 160) return {StripHit::Kind::Audio};
    if (x >= w - 148) return {StripHit::Kind::Subtitle};
  }
  return {StripHit::Kind::Inside};
}

}  // namespace

StripHit StripHitTest(const StripLayout& l, double x, double y) {
  const int id = StripAt(l, x, y);
  if (id < 0) return {};
  const RectF& r = l.rects[id];
  switch (StripId(id)) {
    case StripId::Top: return {StripHit::Kind::Back};
    case StripId::Right: return {StripHit::Kind::Volume, VolumeAt(l, y)};
    case StripId::LeftArrow: return {StripHit::Kind::StepChannel, -1};
    case StripId::RightArrow: return {StripHit::Kind::StepChannel, +1};
    case StripId::Bottom: return l.vod ? VodBottomHit(l, x - r.left, y - r.top) : LiveBottomHit(l, x - r.left, y - r.top);
  }
  return {};
}

// ---------------------------------------------------------------------------
// Painting: each strip in its own coordinates (origin at its top-left).

namespace {

void PaintTop(RenderResources& res, const RectF& r) {
  res.FillRounded(RectF{r.left + 6, r.top + 4, r.right - 6, r.bottom - 4}, 8, kPanel);
  res.DrawSingleLine(FontId::StripLarge, u"<", r, kText, kAlignCentered);
}

void PaintVolume(RenderResources& res, const RectF& r, int volume) {
  const double v = std::clamp(volume, 0, 100);
  const double h = r.Height(), cx = r.left + r.Width() / 2;
  const double top = r.top + h - 20 - (h - 40) * v / 100;
  res.FillRect(RectF{cx - 3, r.top + 20, cx + 3, r.top + h - 20}, kVolumeTrack);
  res.FillRect(RectF{cx - 3, top, cx + 3, r.top + h - 20}, kVolumeFill);
  res.FillRect(RectF{cx - 10, top - 8, cx + 10, top + 8}, kVolumeFill);
}

void PaintArrow(RenderResources& res, const RectF& r, std::u16string_view glyph) {
  const double cx = r.left + r.Width() / 2, cy = r.top + r.Height() / 2;
  const double radius = std::min(r.Width(), r.Height()) / 2 - 4;
  res.FillDisc(cx, cy, radius, kPanel);
  cairo_t* cr = res.Cr();
  cairo_new_path(cr);
  cairo_arc(cr, cx, cy, radius, 0, 2 * M_PI);
  cairo_set_source_rgba(cr, kArrowRing.r, kArrowRing.g, kArrowRing.b, kArrowRing.a);
  cairo_set_line_width(cr, 2);
  cairo_stroke(cr);
  res.DrawSingleLine(FontId::StripLarge, glyph, r, kText, kAlignCentered);
}

void PaintVodBottom(RenderResources& res, const RectF& r, const AppState& state) {
  const double w = r.Width(), h = r.Height();
  const auto at = [&](double l, double t, double rt, double b) { return Offset(RectF{l, t, rt, b}, r.left, r.top); };
  res.FillRounded(r, 10, kStripGround);
  res.FillRect(at(12, 8, w - 12, 16), kProgressTrack);
  const double pos = Seconds(state.player.sample.timePos), d = Seconds(state.player.sample.duration);
  if (d > 1.0 && pos >= 0) res.FillRect(at(12, 8, 12 + std::min(1.0, pos / d) * (w - 24), 16), kProgressFill);
  res.DrawSingleLine(FontId::StripSmall, MinutesSeconds(pos) + u" / " + MinutesSeconds(d), at(12, 20, w - 12, 40), kText,
                     kAlignLeadingCentered);
  const double cx = w / 2;
  for (const Glyph& g : kTransport) res.DrawSingleLine(FontId::StripLarge, g.text, at(cx + g.from, 36, cx + g.to, 68), kText, kAlignCentered);
  const RectF audio = at(w - 292, h - 44, w - 160, h - 8), subtitle = at(w - 148, h - 44, w - 16, h - 8);
  res.FillRounded(audio, 6, kPanel);
  res.FillRounded(subtitle, 6, kPanel);
  res.DrawTrimmed(FontId::StripSmall, Translate("audio"), audio, kText, kAlignCentered);
  res.DrawTrimmed(FontId::StripSmall, Translate("strip_subtitle"), subtitle, kText, kAlignCentered);
}

std::u16string CategoryName(const AppState& state, std::u16string_view categoryId) {
  for (const Category& c : state.catalog.LiveCategories) {
    if (c.id == categoryId) return c.name;
  }
  return std::u16string(Translate("no_info"));
}

void PaintExpandedButtons(RenderResources& res, const RectF& r) {
  const double w = r.Width(), h = r.Height();
  struct Button {
    std::u16string_view label;
    Rgba bar;
  };
  const Button buttons[8] = {{ExpandedButtonLabel(0), Hex(0xB4B4BA)}, {ExpandedButtonLabel(1), Hex(0xB4B4BA)},
                             {ExpandedButtonLabel(2), Hex(0xC83030)}, {ExpandedButtonLabel(3), Hex(0x30AA50)},
                             {ExpandedButtonLabel(4), Hex(0xDCC440)}, {ExpandedButtonLabel(5), Hex(0x4078DC)},
                             {ExpandedButtonLabel(6), Hex(0xB4B4BA)}, {ExpandedButtonLabel(7), Hex(0xB4B4BA)}};
  for (int i = 0; i < 8; ++i) {
    const double left = r.left + 8 + i * (w / 8), right = left + w / 8 - 16;
    const RectF button{left, r.top + h - 64, right, r.top + h - 12};
    res.FillRounded(button, 6, kButtonFill);
    res.DrawTrimmed(FontId::StripSmall, buttons[i].label, RectF{left + 6, button.top, right - 6, button.bottom - 8}, kText,
                    kAlignCentered);
    res.FillRect(RectF{left + 18, button.bottom - 6, right - 18, button.bottom - 4}, buttons[i].bar);
  }
}

void PaintLiveBottom(RenderResources& res, const RectF& r, const AppState& state) {
  const double w = r.Width(), h = r.Height();
  const auto at = [&](double l, double t, double rt, double b) { return Offset(RectF{l, t, rt, b}, r.left, r.top); };
  const CatalogItem& channel = state.playback.currentChannel;
  res.FillRounded(r, 10, kStripGround);
  res.FillRect(at(16, 12, 92, 88), kLiveBox);
  res.DrawTrimmed(FontId::StripSmall, CategoryName(state, channel.categoryId()), at(104, 12, w / 2, 38), kText,
                  kAlignLeadingCentered);
  std::u16string title = std::u16string(channel.name());
  if (!channel.num().empty()) title = std::u16string(channel.num()) + u"  " + title;
  res.DrawTrimmed(FontId::StripLarge, title, at(104, 38, w - 20, 88), kText, kAlignLeadingCentered);
  const StreamSample& sample = state.player.sample;
  if (!sample.width.empty() && !sample.height.empty()) {
    res.DrawSingleLine(FontId::StripSmall, sample.width + u"x" + sample.height, at(16, 90, 92, 108), kText, kAlignCentered);
  }
  const GuideView guide = CopyGuide(state.guide);
  const bool ours = guide.channelId == channel.id();
  const std::u16string noInfo(Translate("no_info"));
  res.DrawTrimmed(FontId::StripSmall, ours && !guide.now.empty() ? guide.now : noInfo, at(16, 110, w / 2 - 8, 132),
                  kText, kAlignLeadingCentered);
  res.DrawTrimmed(FontId::StripSmall, ours && !guide.next.empty() ? guide.next : noInfo, at(w / 2 + 8, 110, w - 16, 132),
                  kText, TextAlign{HAlign::Trailing, VAlign::Center});
  res.FillRect(at(16, 138, w - 16, 142), kProgressFill);
  const bool expanded = state.player.liveStripExpanded;
  const double y0 = expanded ? h - 108 : h - 40;
  res.FillRect(at(8, y0 - 2, w - 8, expanded ? h - 68 : h - 4), kPanel);
  res.DrawSingleLine(FontId::StripSmall, u"<  " + std::u16string(Translate("back")), at(16, y0, w / 3, y0 + 36), kText,
                     kAlignLeadingCentered);
  res.DrawSingleLine(FontId::StripSmall, u"v", at(w / 3, y0, 2 * w / 3, y0 + 36), kText, kAlignCentered);
  res.DrawSingleLine(FontId::StripSmall, std::u16string(Translate("next")) + u"  >", at(2 * w / 3, y0, w - 16, y0 + 36),
                     kText, TextAlign{HAlign::Trailing, VAlign::Center});
  if (expanded) PaintExpandedButtons(res, r);
}

}  // namespace

void PaintStrips(RenderResources& res, const AppState& state, int width, int height) {
  const bool onPlayer = state.CurrentScreen == Screen::Player || state.nav.fullVideo;
  if (!onPlayer || !state.player.stripsShown) return;
  const StripLayout l = StripLayoutFor(state, width, height);
  PaintTop(res, l[StripId::Top]);
  PaintVolume(res, l[StripId::Right], state.settings.Volume);
  if (l.vod) {
    PaintVodBottom(res, l[StripId::Bottom], state);
    return;
  }
  PaintArrow(res, l[StripId::LeftArrow], u"<");
  PaintArrow(res, l[StripId::RightArrow], u">");
  PaintLiveBottom(res, l[StripId::Bottom], state);
}

bool HoverCheck(AppState& state, const StripLayout& layout, int x, int y, bool inside, uint64_t nowMs) {
  PlayerControls& c = state.player;
  const bool moved = x != c.lastCursorX || y != c.lastCursorY;
  const bool overStrip = c.stripsShown && StripAt(layout, x, y) >= 0;
  if (!overStrip && !inside) {
    // Outside the window: the strips go 2.8 s after the last movement.
    if (!c.stripsShown || nowMs - c.lastMoveTick < kControlsShowMs) return false;
    c.controlsUntil = 0;
    return true;
  }
  if (!moved) {
    if (c.stripsShown) c.controlsUntil = nowMs + kControlsShowMs;
    return false;
  }
  c.lastCursorX = x;
  c.lastCursorY = y;
  c.lastMoveTick = nowMs;
  const bool passed = nowMs >= c.controlsUntil;
  c.controlsUntil = nowMs + kControlsShowMs;
  return passed;
}
