#include "ui/screens/recordings_screen.h"

#include <algorithm>
#include <cstdio>

#include "i18n/translate.h"
#include "net/text.h"
#include "platform/date_format.h"
#include "platform/virtual_keys.h"
#include "player/recording_schedule.h"
#include "ui/modals/question_dialog.h"
#include "ui/nav/navigator.h"
#include "ui/screens/settings_cells.h"

// Sections: the list's order and texts; layout; painting; keys and clicks.

namespace {

// Where a state falls in the list: in progress, scheduled, then the rest.
int Group(RecordingState state) {
  if (state == RecordingState::Recording) return 0;
  if (state == RecordingState::Scheduled) return 1;
  return 2;
}

std::u16string MinutesText(int64_t seconds) {
  const int64_t minutes = std::max<int64_t>(1, (seconds + 59) / 60);
  std::u16string text(Translate("minutes_short"));
  const size_t hole = text.find(u"{}");
  const std::u16string number = AsciiToWide(std::to_string(minutes));
  return hole == std::u16string::npos ? number + u" " + text : text.replace(hole, 2, number);
}

std::u16string ClockText(const LocalTime& t) {
  char text[8];
  std::snprintf(text, sizeof text, "%02d:%02d", t.hour, t.minute);
  return AsciiToWide(text);
}

// The seconds written (at `now` for one in progress); 0 when none were.
int64_t WrittenSeconds(const Recording& r, int64_t now) {
  if (r.writtenFrom <= 0) return 0;
  const int64_t to = r.state == RecordingState::Recording ? std::max(now, r.writtenTo) : r.writtenTo;
  return std::max<int64_t>(0, to - r.writtenFrom);
}

}  // namespace

std::vector<size_t> RecordingsOrder(const std::vector<Recording>& list) {
  std::vector<size_t> order(list.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
    const Recording& x = list[a];
    const Recording& y = list[b];
    const int gx = Group(x.state), gy = Group(y.state);
    if (gx != gy) return gx < gy;
    return gx == 2 ? x.start > y.start : x.start < y.start;
  });
  return order;
}

std::u16string RecordingStateText(const Recording& r) {
  switch (r.state) {
    case RecordingState::Scheduled: return std::u16string(Translate("rec_state_scheduled"));
    case RecordingState::Recording: return std::u16string(Translate("rec_state_recording"));
    case RecordingState::Done: return std::u16string(Translate("rec_state_done"));
    case RecordingState::Partial: return TranslateWith("rec_state_partial", MinutesText(MissingSeconds(r)));
    case RecordingState::Failed: return std::u16string(Translate("rec_state_failed"));
    case RecordingState::Missed: return std::u16string(Translate("rec_state_missed"));
    case RecordingState::Cancelled: return std::u16string(Translate("rec_state_cancelled"));
  }
  return {};
}

std::u16string RecordingSizeText(int64_t bytes) {
  if (bytes <= 0) return {};
  char text[32];
  if (bytes >= 1000LL * 1000 * 1000) std::snprintf(text, sizeof text, "%.1f GB", double(bytes) / 1e9);
  else std::snprintf(text, sizeof text, "%lld MB", static_cast<long long>(std::max<int64_t>(1, bytes / 1000000)));
  return AsciiToWide(text);
}

std::u16string RecordingTimeText(const Recording& r, int64_t now, int language) {
  const LocalTime start = ToLocalTime(r.start);
  std::u16string day = WeekdayDayMonthText(DateLocale(language), start);
  if (day.empty()) {
    char fallback[16];
    std::snprintf(fallback, sizeof fallback, "%02d/%02d", start.day, start.month);
    day = AsciiToWide(fallback);
  }
  std::u16string text = day + u"  " + ClockText(start) + u"\u2013" + ClockText(ToLocalTime(r.end));
  const int64_t written = WrittenSeconds(r, now);
  const int64_t length = r.state == RecordingState::Scheduled ? r.end - r.start : written;
  if (length > 0) text += u"  \u00b7  " + MinutesText(length);
  if (r.bytes > 0) text += u"  \u00b7  " + RecordingSizeText(r.bytes);
  return text;
}

// --- Layout -----------------------------------------------------------------------

RectF RecordingsLayout::RowRect(int offset, double width) const {
  const double top = rows.RowTop(offset);
  return RectF{DesignX(40, width), top, width - DesignX(64, width), top + rows.rowHeight - 4};
}

RecordingsLayout RecordingsLayoutOf(int selected, int count, double width, double height) {
  RecordingsLayout l;
  l.back = DesignRect(54, 24, 144, 114, width, height);
  l.settingsButton = DesignRect(1420, 40, 1880, 104, width, height);
  l.notice = DesignRect(860, 30, 1400, 114, width, height);
  l.rows = ListRowsOf(150, 1064, 96, height);
  l.first = ClampFirst(KeepInView(0, selected, l.rows.visible), l.rows.visible, count);
  return l;
}

int RecordingAt(const RecordingsLayout& l, int count, double x, double y, double width) {
  for (int offset = 0; offset < l.rows.visible && l.first + offset < count; ++offset) {
    if (l.RowRect(offset, width).Contains(x, y)) return l.first + offset;
  }
  return -1;
}

// --- Painting ---------------------------------------------------------------------

namespace {

Rgba StateColour(const Brushes& brush, RecordingState state) {
  switch (state) {
    case RecordingState::Recording: return brush.Red;
    case RecordingState::Partial:
    case RecordingState::Failed:
    case RecordingState::Missed: return brush.Yellow;
    case RecordingState::Scheduled: return brush.Accent;
    default: return brush.Dim;
  }
}

std::u16string TitleLine(const Recording& r) {
  std::u16string line = r.channelName;
  if (!r.title.empty()) line += u"  \u2013  " + r.title;
  if (r.everyAiring) line += u"  (" + std::u16string(Translate("rec_every_airing")) + u")";
  return line;
}

void PaintRow(RenderResources& res, const Recording& r, const RectF& row, bool selected, int language) {
  const Brushes& brush = res.Brush();
  res.FillRounded(row, res.Px(10), selected ? brush.Blue : Rgba{1, 1, 1, 0.06});
  const Rgba text = selected ? ReadableOn(brush.Blue) : brush.White;
  const double mid = (row.top + row.bottom) / 2;
  const double left = row.left + res.X(56);
  if (r.state == RecordingState::Recording) {
    const double radius = std::max(4.0, row.Height() * 0.11);
    res.FillDisc(row.left + res.X(28), mid, radius, brush.Red);
  } else if (r.state == RecordingState::Scheduled) {
    const double radius = std::max(4.0, row.Height() * 0.10);
    res.StrokeCircle(row.left + res.X(28), mid, radius, brush.Red, std::max(1.5, res.Px(2.5)));
  }
  res.DrawTrimmedLine(FontId::Row, TitleLine(r), RectF{left, row.top, row.right - res.X(16), mid},
                      text, kAlignLeadingCentered);
  // The state takes the line's right part; the times, which are short,
  // keep the left.
  const double split = row.left + row.Width() * 0.52;
  res.DrawTrimmedLine(FontId::Hint, RecordingTimeText(r, NowUnix(), language), RectF{left, mid, split - res.X(12), row.bottom},
                      selected ? text : brush.Dim, kAlignLeadingCentered);
  res.DrawTrimmedLine(FontId::Hint, RecordingStateText(r), RectF{split, mid, row.right - res.X(16), row.bottom},
                      selected ? text : StateColour(brush, r.state), TextAlign{HAlign::Trailing, VAlign::Center});
}

}  // namespace

void RecordingsScreen::Paint(RenderResources& res, const AppState& state, const LocalTime& /*now*/) const {
  const Brushes& brush = res.Brush();
  const double W = res.Width(), H = res.Height();
  const std::vector<Recording>& list = state.recordings.recordings;
  const int count = int(list.size());
  const RecordingsLayout l = RecordingsLayoutOf(state.nav.RecordingIndex, count, W, H);
  res.Clear(kScreenClear);
  res.DrawBackButton(l.back);
  res.DrawTrimmedLine(FontId::Title, Translate("recordings"), res.Design(180, 30, 850, 114), brush.Accent,
                      kAlignLeadingCentered);
  res.StrokeRounded(l.settingsButton, res.Px(12), brush.Accent, std::max(1.5, res.Px(1.5)));
  res.DrawTrimmedLine(FontId::Hint, Translate("rec_settings"),
                      RectF{l.settingsButton.left + 8, l.settingsButton.top, l.settingsButton.right - 8, l.settingsButton.bottom},
                      brush.White, kAlignCentered);
  res.FillRect(RectF{0, res.Y(130), W, res.Y(130) + 2}, Rgba{1, 1, 1, 0.25});
  if (list.empty()) {
    res.DrawTrimmed(FontId::Label, Translate("rec_empty"), res.Design(80, 300, 1840, 480), brush.Dim,
                    kAlignLeadingCentered);
    return;
  }
  const std::vector<size_t> order = RecordingsOrder(list);
  const int language = CurrentLanguage();
  for (int offset = 0; offset < l.rows.visible && l.first + offset < count; ++offset) {
    const int index = l.first + offset;
    PaintRow(res, list[order[size_t(index)]], l.RowRect(offset, W), index == state.nav.RecordingIndex, language);
  }
  res.DrawScrollbar(W - res.X(40), l.rows.top, l.rows.top + l.rows.visible * l.rows.rowHeight, l.first,
                    l.rows.visible, count);
}

RectF RecordingsScreen::NoticeRect(const AppState& state, int width, int height) const {
  return RecordingsLayoutOf(state.nav.RecordingIndex, int(state.recordings.recordings.size()), width, height).notice;
}

// --- Keys and clicks --------------------------------------------------------------

namespace {

// The recording at list position `index`; nullptr when there is none.
const Recording* RecordingAtIndex(const AppState& state, int index) {
  const std::vector<Recording>& list = state.recordings.recordings;
  if (index < 0 || index >= int(list.size())) return nullptr;
  return &list[RecordingsOrder(list)[size_t(index)]];
}

bool HasFile(const Recording& r) {
  return !r.file.empty() && (r.state == RecordingState::Done || r.state == RecordingState::Partial);
}

// Enter: plays a finished one, asks to stop one in progress. The id is kept
// before asking: the desk may change the list while the question is shown.
void ActOnSelected(ScreenContext& ctx) {
  const Recording* r = RecordingAtIndex(ctx.state, ctx.state.nav.RecordingIndex);
  if (!r) return;
  const std::string id = r->id;
  if (HasFile(*r)) {
    ctx.recording.PlayRecording(id);
    return;
  }
  if (r->state != RecordingState::Recording) return;
  if (AskYesNo(ctx.modal, std::u16string(Translate("recordings")), std::u16string(Translate("rec_stop_ask")), false))
    ctx.recording.StopRecording(id);
}

// Delete: a scheduled one is cancelled, anything else goes with its file;
// either after a question whose No is the default.
void DeleteSelected(ScreenContext& ctx) {
  const Recording* r = RecordingAtIndex(ctx.state, ctx.state.nav.RecordingIndex);
  if (!r) return;
  const std::string id = r->id;
  const char* question = r->state == RecordingState::Scheduled ? "rec_cancel_ask" : "rec_delete_ask";
  if (!AskYesNo(ctx.modal, std::u16string(Translate("recordings")), std::u16string(Translate(question)), false)) return;
  ctx.recording.DeleteRecording(id);
}

void MoveBy(AppState& state, int delta) {
  const int count = int(state.recordings.recordings.size());
  state.nav.RecordingIndex = std::clamp(state.nav.RecordingIndex + delta, 0, std::max(0, count - 1));
}

// A page: the rows the list shows at once.
int PageRows(const ScreenContext& ctx) { return RecordingsLayoutOf(0, 0, ctx.width, ctx.height).rows.visible; }

}  // namespace

void RecordingsScreen::OnKey(ScreenContext& ctx, int vk) {
  switch (vk) {
    case Vk::Down: MoveBy(ctx.state, 1); break;
    case Vk::Up: MoveBy(ctx.state, -1); break;
    case Vk::PageDown: MoveBy(ctx.state, PageRows(ctx)); break;
    case Vk::PageUp: MoveBy(ctx.state, -PageRows(ctx)); break;
    case Vk::Return: ActOnSelected(ctx); break;
    case Vk::Delete: DeleteSelected(ctx); break;
    default:
      if (vk == Vk::Letter('S')) RunSettingsCell(ctx, kRecordingsCell);
      break;
  }
}

void RecordingsScreen::OnPointer(ScreenContext& ctx, const PointerEvent& event) {
  AppState& state = ctx.state;
  const int count = int(state.recordings.recordings.size());
  if (event.kind == PointerEvent::Kind::Wheel) {
    MoveBy(state, -event.wheelNotches);
    return;
  }
  if (event.kind != PointerEvent::Kind::Up) return;
  const RecordingsLayout l = RecordingsLayoutOf(state.nav.RecordingIndex, count, ctx.width, ctx.height);
  if (l.back.Contains(event.x, event.y)) {
    ctx.navigator.SetScreen(state.nav.recordingsFrom);
    return;
  }
  if (l.settingsButton.Contains(event.x, event.y)) {
    RunSettingsCell(ctx, kRecordingsCell);
    return;
  }
  const int row = RecordingAt(l, count, event.x, event.y, ctx.width);
  if (row < 0) return;
  // A click highlights a row; a click on the highlighted one acts as Enter.
  if (row == state.nav.RecordingIndex) ActOnSelected(ctx);
  else state.nav.RecordingIndex = row;
}

void RecordingsScreen::OnEnter(ScreenContext& ctx, Screen from) {
  if (from == Screen::Player) return;
  ctx.state.nav.recordingsFrom = from == Screen::Live ? Screen::Live : Screen::Home;
  ctx.state.nav.RecordingIndex = 0;
}

ScreenHelp RecordingsScreen::Help(const AppState& /*state*/) const {
  return {"recordings",
          {{{Vk::Up, Vk::Down, Vk::PageUp, Vk::PageDown}, "help_move"},
           {{Vk::Return}, "help_rec_enter"},
           {{Vk::Delete}, "help_remove"},
           {{Vk::Letter('S')}, "rec_settings"}}};
}
