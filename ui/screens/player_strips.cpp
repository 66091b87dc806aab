#include "ui/screens/player_strips.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "catalog/episode_name.h"
#include "catalog/guide.h"
#include "net/text.h"
#include "platform/date_format.h"
#include "i18n/translate.h"
#include "ui/screens/record_marks.h"

namespace {

constexpr Rgba Hex(uint32_t rgb, double alpha = 1.0) {
  return Rgba{((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0, alpha};
}

constexpr Rgba kText = Hex(0xFAFAFC);
constexpr Rgba kDimText = Hex(0xC8C8D0);
constexpr Rgba kPanel = Hex(0x1C1C22);
constexpr Rgba kArrowRing = Hex(0xE6C450);
constexpr Rgba kVolumeTrack = Hex(0x505058);
constexpr Rgba kVolumeFill = Hex(0x46A0E6);
constexpr Rgba kProgressTrack = Hex(0x5A5A60);
constexpr Rgba kProgressFill = Hex(0xF0F0F5);
constexpr Rgba kLiveBox = Hex(0x38383E);
constexpr Rgba kLiveRed = Hex(0xE04848);
constexpr Rgba kButtonFill = Hex(0x28282E);
constexpr Rgba kButtonEdge{1, 1, 1, 0.22};
// The strips' ground: the video shows through it a little.
constexpr Rgba kStripGround{0.05, 0.05, 0.07, 0.88};

// Sizes at 1080 lines (multiplied by the layout's scale).
constexpr double kPad = 16;
constexpr double kLiveHeight = 206, kExpandedHeight = 270, kRecordingHeight = 128;
constexpr double kTransportButton = 56, kTransportGap = 8, kTrackButton = 132, kRecordButton = 240;
constexpr double kToastWidth = 860, kToastHeight = 80;
constexpr double kShiftWidth = 560, kShiftBarWidth = 120, kShiftBarGap = 10;

RectF Rect(double x, double y, double w, double h) { return RectF{x, y, x + w, y + h}; }

double Seconds(const std::u16string& text) {
  const std::string ascii = WideToUtf8(text);
  if (ascii.empty()) return -1;
  char* end = nullptr;
  const double value = std::strtod(ascii.c_str(), &end);
  return end == ascii.c_str() || !std::isfinite(value) ? -1 : value;
}

bool Seekable(StripMode mode) { return mode != StripMode::Live; }

// The live strip's places, in window coordinates, from the strip's
// rectangle `b` and the scale `s`.
void LayOutLive(StripLayout& l, RectF b, double s) {
  const double w = b.Width(), x0 = b.left, y0 = b.top;
  const auto at = [&](double left, double top, double right, double bottom) {
    return RectF{x0 + left * s, y0 + top * s, x0 + right * s, y0 + bottom * s};
  };
  const double ws = w / s;  // the width in unscaled units
  l.logo = at(kPad, 14, kPad + 76, 90);
  l.resolution = at(ws - kPad - 150, 14, ws - kPad, 42);
  // The buffer's state takes what its longest words need ("PAUSIERT" or
  // "SZÜNETEL" and an hour behind, with its bar); the category the rest.
  l.shift = at(ws - kPad - 162 - kShiftWidth, 14, ws - kPad - 162, 42);
  l.category = at(108, 14, ws - kPad - 174 - kShiftWidth, 42);
  l.title = at(108, 46, ws - kPad, 90);
  l.now = at(kPad, 100, ws / 2 - 8, 128);
  l.next = at(ws / 2 + 8, 100, ws - kPad, 128);
  l.progress = at(kPad, 136, ws - kPad, 142);
  // Back, the row's chevron and Next share what Record leaves at the end.
  const double recordLeft = ws - kPad - kRecordButton;
  const double third = (recordLeft - 12 - kPad) / 3;
  using K = StripHit::Kind;
  const StripHit row[3] = {{K::StepChannel, -1}, {K::ToggleExpand}, {K::StepChannel, +1}};
  for (int i = 0; i < 3; ++i) {
    const double left = kPad + i * third;
    l.controls.push_back({at(left + (i ? 6 : 0), 152, left + third - (i < 2 ? 6 : 0), 192), row[i]});
  }
  l.controls.push_back({at(recordLeft, 152, ws - kPad, 192), {K::Record}});
  if (!l.expanded) return;
  const double share = (ws - 2 * kPad) / kStripButtonCount;
  for (int i = 0; i < kStripButtonCount; ++i) {
    const double left = kPad + i * share;
    l.controls.push_back(
        {at(left + (i ? 4 : 0), 204, left + share - (i < kStripButtonCount - 1 ? 4 : 0), 256), {K::StripButton, i}});
  }
}

// The recording strip: title and time, the seek bar, then the transport
// (centred, moved left of the track buttons when it would meet them) and
// the two track buttons at the right end.
void LayOutRecording(StripLayout& l, RectF b, double s) {
  const double w = b.Width(), x0 = b.left, y0 = b.top;
  const auto at = [&](double left, double top, double right, double bottom) {
    return RectF{x0 + left * s, y0 + top * s, x0 + right * s, y0 + bottom * s};
  };
  const double ws = w / s;
  l.title = at(kPad, 10, ws - kPad - 232, 40);
  l.time = at(ws - kPad - 220, 10, ws - kPad, 40);
  l.progress = at(kPad, 48, ws - kPad, 62);
  using K = StripHit::Kind;
  const bool movie = l.mode == StripMode::Movie;
  std::vector<StripHit> transport;
  if (movie) transport.push_back({K::StepVod, -1});
  transport.insert(transport.end(), {{K::SeekBy, -10}, {K::TogglePause}, {K::SeekBy, +10}});
  if (movie) transport.push_back({K::StepVod, +1});
  const double n = double(transport.size());
  const double total = n * kTransportButton + (n - 1) * kTransportGap;
  const double audioLeft = ws - kPad - 2 * kTrackButton - 12;
  const double left = std::max(kPad, std::min(ws / 2 - total / 2, audioLeft - 24 - total));
  for (size_t i = 0; i < transport.size(); ++i) {
    const double x = left + double(i) * (kTransportButton + kTransportGap);
    l.controls.push_back({at(x, 72, x + kTransportButton, 116), transport[i]});
  }
  l.controls.push_back({at(audioLeft, 72, audioLeft + kTrackButton, 116), {K::Audio}});
  l.controls.push_back({at(ws - kPad - kTrackButton, 72, ws - kPad, 116), {K::Subtitle}});
}

}  // namespace

std::u16string_view ExpandedButtonLabel(int button) {
  if (button < 0 || button >= kStripButtonCount) return {};
  const StripButton& row = StripButtons()[size_t(button)];
  return row.menuWord >= 0 ? MenuWord(CurrentLanguage(), row.menuWord) : Translate(row.textKey);
}

StripMode StripModeOf(const AppState& state) {
  if (state.Playing().PlayingTrailer()) return StripMode::Trailer;
  if (state.Playing().PlayingVod()) return StripMode::Movie;
  if (state.Playing().PlayingCatchup()) return StripMode::Catchup;
  return StripMode::Live;
}

StripLayout StripLayoutOf(int W, int H, StripMode mode, bool expanded) {
  StripLayout l;
  l.mode = mode;
  l.expanded = expanded && mode == StripMode::Live;
  const double s = std::max(1.0, H / 1080.0);
  l.scale = s;
  const double bw = W - 40 * s;
  const double bh = (Seekable(mode) ? kRecordingHeight : l.expanded ? kExpandedHeight : kLiveHeight) * s;
  l.rects[int(StripId::Top)] = Rect(16 * s, 10 * s, 88 * s, 48 * s);
  const double bottomTop = H - bh - 12 * s;
  l.rects[int(StripId::Bottom)] = Rect((W - bw) / 2, bottomTop, bw, bh);
  // Centred, but raised above a tall bottom strip in a low window.
  const double volumeLeft = W - 56 * s;
  const double volumeTop = std::min((H - 200 * s) / 2, bottomTop - 216 * s);
  l.rects[int(StripId::Right)] = Rect(volumeLeft, volumeTop, 36 * s, 200 * s);
  l.rects[int(StripId::LeftArrow)] = Rect(28 * s, (H - 72 * s) / 2, 72 * s, 72 * s);
  // Left of the volume bar, never through it.
  l.rects[int(StripId::RightArrow)] = Rect(volumeLeft - 16 * s - 72 * s, (H - 72 * s) / 2, 72 * s, 72 * s);
  if (Seekable(mode)) {
    LayOutRecording(l, l[StripId::Bottom], s);
  } else {
    LayOutLive(l, l[StripId::Bottom], s);
  }
  return l;
}

int FirstExpandedControl(const StripLayout& l) {
  for (size_t i = 0; i < l.controls.size(); ++i) {
    if (l.controls[i].hit.kind == StripHit::Kind::StripButton) return int(i);
  }
  return 0;
}

StripLayout StripLayoutFor(const AppState& state, int width, int height) {
  return StripLayoutOf(width, height, StripModeOf(state), state.playerScreen.liveStripExpanded);
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
  const double inset = 20 * l.scale;
  const double v = (r.bottom - inset - y) * 100 / std::max(r.Height() - 2 * inset, 1.0);
  return std::clamp(int(std::lround(v)), 0, 100);
}

StripHit StripHitTest(const StripLayout& l, double x, double y) {
  const int id = StripAt(l, x, y);
  if (id < 0) return {};
  switch (StripId(id)) {
    case StripId::Top: return {StripHit::Kind::Back};
    case StripId::Right: return {StripHit::Kind::Volume, VolumeAt(l, y)};
    case StripId::LeftArrow: return {StripHit::Kind::StepChannel, -1};
    case StripId::RightArrow: return {StripHit::Kind::StepChannel, +1};
    case StripId::Bottom: break;
  }
  if (Seekable(l.mode) && l.progress.Contains(x, y)) {
    const double share = (x - l.progress.left) / std::max(l.progress.Width(), 1.0);
    return {StripHit::Kind::SeekShare, 0, std::clamp(share, 0.0, 1.0)};
  }
  for (const StripControl& c : l.controls) {
    if (c.rect.Contains(x, y)) return c.hit;
  }
  return {StripHit::Kind::Inside};
}

RectF TimeshiftTextRect(const StripLayout& l) {
  const RectF& r = l.shift;
  return RectF{r.left, r.top, r.right - (kShiftBarWidth + kShiftBarGap) * l.scale, r.bottom};
}

RectF PlayerToastRect(const StripLayout& l, int width) {
  const double s = l.scale;
  const double clear = l[StripId::Top].right + 24 * s;
  const double w = std::min(kToastWidth * s, width - 2 * clear);
  const double left = (width - w) / 2;
  return RectF{left, 10 * s, left + w, (10 + kToastHeight) * s};
}

int SubtitlePosition(const StripLayout& l, int height, bool stripsShown) {
  if (!stripsShown || height <= 0) return 100;
  // The engine keeps its own bottom margin below the line as well; a gap of
  // the strips' padding keeps the line clear of the strip's rounded edge.
  const double top = l[StripId::Bottom].top - kPad * l.scale;
  return std::clamp(int(std::floor(top * 100 / height)), 0, 100);
}

// ---------------------------------------------------------------------------
// Painting

namespace {

void PaintTop(RenderResources& res, const RectF& r, double s) {
  res.FillRounded(r, 8 * s, kPanel);
  res.DrawTrimmedLine(FontId::StripLarge, u"<", r, kText, kAlignCentered);
}

void PaintVolume(RenderResources& res, const RectF& r, int volume, double s) {
  const double v = std::clamp(volume, 0, 100);
  const double inset = 20 * s, cx = r.left + r.Width() / 2;
  const double top = r.bottom - inset - (r.Height() - 2 * inset) * v / 100;
  res.FillRounded(r, 8 * s, WithAlpha(kPanel, 0.8));
  res.FillRect(RectF{cx - 3 * s, r.top + inset, cx + 3 * s, r.bottom - inset}, kVolumeTrack);
  res.FillRect(RectF{cx - 3 * s, top, cx + 3 * s, r.bottom - inset}, kVolumeFill);
  res.FillRect(RectF{cx - 10 * s, top - 8 * s, cx + 10 * s, top + 8 * s}, kVolumeFill);
}

void PaintArrow(RenderResources& res, const RectF& r, std::u16string_view glyph, double s) {
  const double cx = r.left + r.Width() / 2, cy = r.top + r.Height() / 2;
  const double radius = std::min(r.Width(), r.Height()) / 2 - 2 * s;
  res.FillDisc(cx, cy, radius, kPanel);
  res.StrokeCircle(cx, cy, radius, kArrowRing, 2 * s);
  res.DrawTrimmedLine(FontId::StripLarge, glyph, r, kText, kAlignCentered);
}

void PaintBar(RenderResources& res, const RectF& track, double share) {
  res.FillRect(track, kProgressTrack);
  if (share < 0) return;
  res.FillRect(RectF{track.left, track.top, track.left + std::min(1.0, share) * track.Width(), track.bottom},
               kProgressFill);
}

// The transport symbols as shapes: they stay inside their buttons at every
// size, where text glyphs ran into each other.
void Triangle(Canvas& canvas, double x, double cy, double w, double h, bool right) {
  canvas.MoveTo(right ? x : x + w, cy - h / 2);
  canvas.LineTo(right ? x + w : x, cy);
  canvas.LineTo(right ? x : x + w, cy + h / 2);
  canvas.ClosePath();
}

void Bar(Canvas& canvas, double x, double cy, double w, double h) { canvas.Rectangle(RectF{x, cy - h / 2, x + w, cy + h / 2}); }

void PaintTransportSymbol(RenderResources& res, const StripControl& c, bool paused) {
  Canvas& canvas = res.Target();
  const RectF& r = c.rect;
  const double u = r.Height() / 44;  // the unit at this size
  const double cx = r.left + r.Width() / 2, cy = r.top + r.Height() / 2;
  const double tw = 11 * u, th = 18 * u;
  canvas.ClearPath();
  using K = StripHit::Kind;
  switch (c.hit.kind) {
    case K::TogglePause:
      if (paused) {
        Triangle(canvas, cx - 7 * u, cy, 16 * u, th, true);
      } else {
        Bar(canvas, cx - 7 * u, cy, 5 * u, th);
        Bar(canvas, cx + 2 * u, cy, 5 * u, th);
      }
      break;
    case K::SeekBy: {
      const bool forward = c.hit.value > 0;
      Triangle(canvas, cx - tw, cy, tw, th, forward);
      Triangle(canvas, cx, cy, tw, th, forward);
      break;
    }
    case K::StepVod: {
      const bool forward = c.hit.value > 0;
      Triangle(canvas, forward ? cx - 8 * u : cx - 4 * u, cy, 12 * u, th, forward);
      Bar(canvas, forward ? cx + 4 * u : cx - 8 * u, cy, 3 * u, th);
      break;
    }
    default: break;
  }
  canvas.Fill(kText);
}

// A button's face: the fill and a faint edge inside its rectangle, so its
// extent shows over any video behind the strip.
void PaintButtonFace(RenderResources& res, const RectF& r, double s) {
  res.FillRounded(r, 6 * s, kButtonFill);
  const double half = 0.75 * s;
  res.StrokeRounded(RectF{r.left + half, r.top + half, r.right - half, r.bottom - half}, 6 * s, kButtonEdge, 2 * half);
}

// The keys' place on the open row: a ring in the arrows' gold over the
// button's edge, thick enough to find from a sofa.
void PaintFocusRing(RenderResources& res, const RectF& r, double s) {
  const double half = 1.5 * s;
  res.StrokeRounded(RectF{r.left + half, r.top + half, r.right - half, r.bottom - half}, 6 * s, kArrowRing, 2 * half);
}

void PaintButton(RenderResources& res, const RectF& r, std::u16string_view label, double s) {
  PaintButtonFace(res, r, s);
  res.DrawTrimmedLine(FontId::StripSmall, label, RectF{r.left + 6 * s, r.top, r.right - 6 * s, r.bottom}, kText,
                  kAlignCentered);
}

std::u16string CatchupWhen(const PlaybackState& playback) {
  if (playback.catchupStart < 1) return {};
  const LocalTime local = ToLocalTime(playback.catchupStart);
  std::u16string day = WeekdayDayMonthText(DateLocale(CurrentLanguage()), local);
  if (day.empty()) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%02d/%02d", local.day, local.month);
    day = AsciiToWide(digits);
  }
  char clock[16];
  std::snprintf(clock, sizeof clock, "  %02d:%02d", local.hour, local.minute);
  return day + AsciiToWide(clock);
}

}  // namespace

std::u16string TimeshiftText(const TimeshiftState& shift) {
  if (shift.window <= 0 || shift.refused) return {};
  const std::u16string behind = u"\u2212" + PlayTimeText(shift.shownBehind);
  if (shift.paused) return std::u16string(Translate("ts_paused")) + u"  " + behind;
  if (shift.behind > 0) return behind;
  return std::u16string(Translate("ts_live"));
}

std::u16string PlayTimeText(double seconds) {
  const long total = seconds > 0 && std::isfinite(seconds) ? long(seconds) : 0;
  char text[32];
  if (total >= 3600) {
    std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", total / 3600, total / 60 % 60, total % 60);
  } else {
    std::snprintf(text, sizeof text, "%ld:%02ld", total / 60, total % 60);
  }
  return AsciiToWide(text);
}

std::u16string SeekNoticeText(const std::u16string& timePos, const std::u16string& duration) {
  const double pos = Seconds(timePos), length = Seconds(duration);
  if (pos < 0) return {};
  if (length <= 0) return PlayTimeText(pos);
  return PlayTimeText(pos) + u" / " + PlayTimeText(length);
}

namespace {

// The episode playing, looked up in the open series' list (which the next
// episode is taken from as well); none for a movie.
const Episode* PlayingEpisode(const AppState& state) {
  const PlaybackState& playback = state.Playing();
  if (!playback.isEpisode) return nullptr;
  for (const Episode& episode : state.series.Episodes) {
    if (episode.id == playback.itemKey) return &episode;
  }
  return nullptr;
}

std::u16string VodTitle(const AppState& state) {
  const std::u16string name = CleanDisplayName(state.Playing().currentItem.name());
  const Episode* episode = PlayingEpisode(state);
  const std::u16string heading = episode ? EpisodeHeading(*episode, name) : std::u16string();
  if (heading.empty()) return name;
  return name.empty() ? heading : name + u"  \u2014  " + heading;
}

}  // namespace

std::u16string RecordingTitle(const AppState& state, StripMode mode) {
  const PlaybackState& playback = state.Playing();
  switch (mode) {
    case StripMode::Trailer:
      return state.trending.empty() ? std::u16string(Translate("trailer")) : state.trending.front().title;
    case StripMode::Catchup: {
      std::u16string title = playback.catchupTitle;
      const std::u16string when = CatchupWhen(playback);
      if (!when.empty()) title = title.empty() ? when : title + u"  \u00b7  " + when;
      if (playback.catchupActive) title = std::u16string(Translate("catchup_loading")) + u"  " + title;
      return title;
    }
    default: return VodTitle(state);
  }
}

namespace {

void PaintRecordingBottom(RenderResources& res, const StripLayout& l, const AppState& state) {
  const double s = l.scale;
  res.FillRounded(l[StripId::Bottom], 10 * s, kStripGround);
  res.DrawTrimmedLine(FontId::StripSmall, RecordingTitle(state, l.mode), l.title, kText, kAlignLeadingCentered);
  const double pos = Seconds(state.Playing().sample.timePos), d = Seconds(state.Playing().sample.duration);
  const bool known = d > 1.0 && pos >= 0;
  PaintBar(res, l.progress, known ? pos / d : -1);
  if (pos >= 0 || d > 0) {
    res.DrawTrimmedLine(FontId::StripSmall, PlayTimeText(pos) + u" / " + PlayTimeText(d), l.time, kText,
                    TextAlign{HAlign::Trailing, VAlign::Center});
  }
  const bool paused = state.Playing().sample.paused;
  for (const StripControl& c : l.controls) {
    if (c.hit.kind == StripHit::Kind::Audio) {
      PaintButton(res, c.rect, Translate("audio"), s);
    } else if (c.hit.kind == StripHit::Kind::Subtitle) {
      PaintButton(res, c.rect, Translate("strip_subtitle"), s);
    } else {
      PaintButtonFace(res, c.rect, s);
      PaintTransportSymbol(res, c, paused);
    }
  }
}

// The expand button's sign: down to open the row of eight, up to close it.
void PaintChevron(RenderResources& res, const RectF& r, bool up) {
  Canvas& canvas = res.Target();
  const double cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2, u = r.Height() / 40;
  const double dy = (up ? -5 : 5) * u;
  canvas.ClearPath();
  canvas.MoveTo(cx - 10 * u, cy - dy);
  canvas.LineTo(cx, cy + dy);
  canvas.LineTo(cx + 10 * u, cy - dy);
  canvas.Stroke(kText, 3 * u, LineEnds::Round);
}

std::u16string CategoryName(const AppState& state, std::u16string_view categoryId) {
  for (const Category& c : state.catalog.LiveCategories) {
    if (c.id == categoryId) return c.name;
  }
  return std::u16string(Translate("no_info"));
}

// One button of the expanded row: its label and colour bar.
void PaintExpandedButton(RenderResources& res, const StripControl& c, double s) {
  const int index = std::clamp(c.hit.value, 0, kStripButtonCount - 1);
  const std::u16string_view label = ExpandedButtonLabel(index);
  const Rgba bar = StripButtons()[size_t(index)].bar;
  const RectF& r = c.rect;
  PaintButtonFace(res, r, s);
  res.DrawTrimmedLine(FontId::StripSmall, label, RectF{r.left + 6 * s, r.top, r.right - 6 * s, r.bottom - 8 * s}, kText,
                  kAlignCentered);
  res.FillRect(RectF{r.left + 14 * s, r.bottom - 7 * s, r.right - 14 * s, r.bottom - 4 * s}, bar);
}

void PaintLogo(RenderResources& res, const RectF& box, const CatalogItem& channel) {
  res.FillRect(box, kLiveBox);
  const Picture* icon = res.IconFor(channel);
  if (!icon) return;
  const double iw = icon->Width(), ih = icon->Height();
  if (iw <= 0 || ih <= 0) return;
  // Fitted inside the box with its own proportions.
  const double k = std::min(box.Width() / iw, box.Height() / ih);
  const double w = iw * k, h = ih * k;
  const double left = box.left + (box.Width() - w) / 2, top = box.top + (box.Height() - h) / 2;
  res.DrawPicture(icon, RectF{left, top, left + w, top + h});
}

// The share of the current programme that has passed, or -1.
double ProgrammeShare(const std::vector<EpgEntry>& rows, int64_t nowUnix) {
  const int32_t row = CurrentGuideRow(rows, nowUnix);
  if (row < 0 || size_t(row) >= rows.size()) return -1;
  const EpgEntry& e = rows[size_t(row)];
  if (e.start < 1 || e.durationMin <= 0 || nowUnix < e.start) return -1;
  return double(nowUnix - e.start) / (double(e.durationMin) * 60);
}

// The buffer's state in words, then its bar at the right end of the place:
// the whole window as the track, what the buffer holds behind live filled,
// and a tick where the picture is.
void PaintTimeshift(RenderResources& res, const StripLayout& l, const TimeshiftState& shift) {
  const std::u16string text = TimeshiftText(shift);
  if (text.empty()) return;
  const double s = l.scale;
  const RectF& r = l.shift;
  const double barWidth = kShiftBarWidth * s, barHeight = 6 * s, cy = (r.top + r.bottom) / 2;
  const RectF bar{r.right - barWidth, cy - barHeight / 2, r.right, cy + barHeight / 2};
  const Rgba colour = shift.paused ? kArrowRing : shift.behind > 0 ? kText : kLiveRed;
  res.DrawTrimmedLine(FontId::StripSmall, text, TimeshiftTextRect(l), colour, TextAlign{HAlign::Trailing, VAlign::Center});
  res.FillRect(bar, kProgressTrack);
  const double held = shift.span.seekable ? std::min(shift.window, shift.span.end - shift.span.start) : 0;
  const double window = std::max(shift.window, 1.0);
  res.FillRect(RectF{bar.right - barWidth * held / window, bar.top, bar.right, bar.bottom}, kVolumeFill);
  const double x = bar.right - barWidth * std::min(double(shift.shownBehind), window) / window;
  res.FillRect(RectF{x - 1.5 * s, bar.top - 4 * s, x + 1.5 * s, bar.bottom + 4 * s}, kProgressFill);
}

// "REC" in red with its dot at the right end of the title line, while the
// channel shown records; returns where the title has to end.
double PaintRecMark(RenderResources& res, const StripLayout& l) {
  const double s = l.scale, dot = 16 * s;
  const std::u16string_view word = Translate("strip_rec");
  const double width = res.MeasureText(FontId::StripSmall, word).first;
  const RectF& r = l.title;
  const double wordLeft = r.right - width, middle = (r.top + r.bottom) / 2;
  res.DrawTrimmedLine(FontId::StripSmall, word, RectF{wordLeft, r.top, r.right, r.bottom}, res.Brush().Red,
                      TextAlign{HAlign::Trailing, VAlign::Center});
  PaintRecordMark(res, ProgrammeMark::Recording, wordLeft - 8 * s - dot / 2, middle, dot, kText);
  return wordLeft - 8 * s - dot - 24 * s;
}

// Record, or while the channel records its red dot and "Stop REC".
void PaintRecordButton(RenderResources& res, const RectF& r, bool recording, double s) {
  if (!recording) {
    PaintButton(res, r, Translate("strip_record"), s);
    return;
  }
  PaintButton(res, r, {}, s);
  const std::u16string_view word = Translate("strip_record_stop");
  const double dot = 16 * s, gap = 10 * s;
  const double width = std::min(res.MeasureText(FontId::StripSmall, word).first, r.Width() - dot - gap - 24 * s);
  const double left = (r.left + r.right - dot - gap - width) / 2;
  PaintRecordMark(res, ProgrammeMark::Recording, left + dot / 2, (r.top + r.bottom) / 2, dot, kText);
  res.DrawTrimmedLine(FontId::StripSmall, word, RectF{left + dot + gap, r.top, left + dot + gap + width + 1, r.bottom},
                      kText, kAlignLeadingCentered);
}

void PaintLiveBottom(RenderResources& res, const StripLayout& l, const AppState& state, int64_t nowUnix) {
  const double s = l.scale;
  const CatalogItem& channel = state.Playing().currentChannel;
  res.FillRounded(l[StripId::Bottom], 10 * s, kStripGround);
  PaintLogo(res, l.logo, channel);
  res.DrawTrimmedLine(FontId::StripSmall, CategoryName(state, channel.categoryId()), l.category, kDimText,
                  kAlignLeadingCentered);
  const StreamSample& sample = state.Playing().sample;
  if (!sample.width.empty() && !sample.height.empty()) {
    res.DrawTrimmedLine(FontId::StripSmall, sample.width + u"x" + sample.height, l.resolution, kDimText,
                    TextAlign{HAlign::Trailing, VAlign::Center});
  }
  std::u16string title = CleanDisplayName(channel.name());
  if (!channel.num().empty()) title = std::u16string(channel.num()) + u"  " + title;
  RectF titleRect = l.title;
  const bool recording = ChannelRecording(state.recordings.recordings, channel.id());
  if (recording) titleRect.right = PaintRecMark(res, l);
  res.DrawTrimmedLine(FontId::StripLarge, title, titleRect, kText, kAlignLeadingCentered);
  // The lines are read at painting time: they move on when a programme ends.
  const std::vector<EpgEntry>& rows = state.guide.RowsOf(channel.id());
  const GuideLines lines = GuideLinesAt(rows, nowUnix);
  const std::u16string noInfo(Translate("no_info"));
  res.DrawTrimmedLine(FontId::StripSmall, !lines.now.empty() ? lines.now : noInfo, l.now, kText,
                  kAlignLeadingCentered);
  res.DrawTrimmedLine(FontId::StripSmall, !lines.next.empty() ? lines.next : noInfo, l.next, kDimText,
                  TextAlign{HAlign::Trailing, VAlign::Center});
  PaintBar(res, l.progress, rows.empty() ? -1 : ProgrammeShare(rows, nowUnix));
  PaintTimeshift(res, l, state.Playing().timeshift);
  for (const StripControl& c : l.controls) {
    switch (c.hit.kind) {
      case StripHit::Kind::StripButton: PaintExpandedButton(res, c, s); break;
      case StripHit::Kind::Record: PaintRecordButton(res, c.rect, recording, s); break;
      case StripHit::Kind::ToggleExpand:
        PaintButton(res, c.rect, {}, s);
        PaintChevron(res, c.rect, l.expanded);
        break;
      default:
        PaintButton(res, c.rect,
                    c.hit.value < 0 ? u"<  " + std::u16string(Translate("back"))
                                    : std::u16string(Translate("next")) + u"  >",
                    s);
        break;
    }
  }
  const int focus = state.playerScreen.stripFocus;
  if (l.expanded && focus >= 0 && size_t(focus) < l.controls.size())
    PaintFocusRing(res, l.controls[size_t(focus)].rect, s);
}

}  // namespace

void PaintStrips(RenderResources& res, const AppState& state, int width, int height, int64_t nowUnix) {
  const bool onPlayer = state.CurrentScreen == Screen::Player || state.nav.fullVideo;
  if (!onPlayer || !state.playerScreen.stripsShown) return;
  const StripLayout l = StripLayoutFor(state, width, height);
  const double s = l.scale;
  PaintTop(res, l[StripId::Top], s);
  PaintVolume(res, l[StripId::Right], state.settings.Volume, s);
  if (Seekable(l.mode)) {
    PaintRecordingBottom(res, l, state);
    return;
  }
  PaintArrow(res, l[StripId::LeftArrow], u"<", s);
  PaintArrow(res, l[StripId::RightArrow], u">", s);
  PaintLiveBottom(res, l, state, nowUnix);
}

bool HoverCheck(AppState& state, const StripLayout& layout, int x, int y, bool inside, uint64_t nowMs) {
  PlayerScreenControls& c = state.playerScreen;
  const bool moved = inside && (x != c.hoverX || y != c.hoverY);
  if (moved) {
    c.hoverX = x;
    c.hoverY = y;
    c.hoverMovedMs = nowMs;
    const bool hidden = nowMs >= c.stripsUntil;
    c.stripsUntil = nowMs + kControlsShowMs;
    return hidden;
  }
  const bool resting = inside && c.stripsShown && StripAt(layout, x, y) >= 0;
  if (resting || state.Playing().catchupActive || state.Playing().timeshift.paused) {
    c.stripsUntil = nowMs + kControlsShowMs;
    return !c.stripsShown;
  }
  return c.stripsShown && nowMs >= c.stripsUntil;
}
