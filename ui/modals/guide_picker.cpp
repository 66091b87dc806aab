#include "ui/modals/guide_picker.h"

#include <algorithm>
#include <climits>

#include "catalog/channel_name_form.h"
#include "i18n/translate.h"
#include "platform/clock.h"
#include "platform/virtual_keys.h"

// Sections: the list and its filter; keys and pointer; layout; painting.

namespace {

constexpr double kRowsTop = 252;
constexpr double kRowHeight = 80;
constexpr double kBottomMargin = 24;
constexpr double kSourceWidth = 300;  // the source column at each row's right
constexpr double kNameIndent = 60;    // room for the current choice's mark
constexpr int kWheelRows = 3;
// A highlighted entry that is no entry at all: nothing to keep across a refilter.
constexpr int kNoEntry = INT_MIN;

int EntryCount(const GuidePicker& picker) { return static_cast<int>(picker.shown.size()); }

bool ValidRow(const GuidePickerAsk& ask, int row) { return row >= 0 && row < static_cast<int>(ask.rows.size()); }

// ------------------------------------------------------ the list and its filter

void FoldNames(GuidePicker& picker) {
  picker.starts.reserve(picker.ask.rows.size() + 1);
  for (const GuidePickerRow& row : picker.ask.rows) {
    picker.starts.push_back(static_cast<uint32_t>(picker.folded.size()));
    AppendFoldedForSearch(row.name, picker.folded);
    picker.folded.push_back('\n');
  }
  picker.starts.push_back(static_cast<uint32_t>(picker.folded.size()));
}

void RankRows(GuidePicker& picker) {
  const int count = static_cast<int>(picker.ask.rows.size());
  picker.ranked.reserve(count);
  for (int pass = 0; pass < 2; ++pass) {
    for (int row = 0; row < count; ++row) {
      if (picker.ask.rows[row].suggested == (pass == 0)) picker.ranked.push_back(row);
    }
  }
}

// One flag per row: its folded name contains `query`. The folded names sit
// end to end, so this is one scan that skips to the next name at each hit.
std::vector<char> RowsContaining(const GuidePicker& picker, const std::string& query) {
  std::vector<char> hit(picker.ask.rows.size(), 0);
  for (size_t at = picker.folded.find(query); at != std::string::npos;) {
    const auto next = std::upper_bound(picker.starts.begin(), picker.starts.end(), static_cast<uint32_t>(at));
    const size_t row = static_cast<size_t>(next - picker.starts.begin()) - 1;
    hit[row] = 1;
    at = picker.folded.find(query, *next);
  }
  return hit;
}

// Lists the entries for the filter, keeping the highlighted one when it is
// still listed; the list shows from its top.
void Refilter(GuidePicker& picker) {
  const int highlighted = picker.shown.empty() ? kNoEntry : picker.shown[picker.index];
  picker.shown.clear();
  std::string query;
  AppendFoldedForSearch(picker.filter, query);
  if (query.empty()) {
    picker.shown.push_back(kGuideEntryNoGuide);
    if (picker.ask.hasChoice) picker.shown.push_back(kGuideEntryByName);
    picker.shown.insert(picker.shown.end(), picker.ranked.begin(), picker.ranked.end());
  } else {
    const std::vector<char> hit = RowsContaining(picker, query);
    for (const int row : picker.ranked) {
      if (hit[row]) picker.shown.push_back(row);
    }
  }
  const auto kept = std::find(picker.shown.begin(), picker.shown.end(), highlighted);
  picker.index = kept == picker.shown.end() ? 0 : static_cast<int>(kept - picker.shown.begin());
  picker.first = 0;
}

int InitialEntry(const GuidePickerAsk& ask) {
  if (ValidRow(ask, ask.current)) return ask.current;
  if (ask.hasChoice) return kGuideEntryNoGuide;
  for (int row = 0; row < static_cast<int>(ask.rows.size()); ++row) {
    if (ask.rows[row].suggested) return row;
  }
  return kGuideEntryNoGuide;
}

void DeleteLastCharacter(std::u16string& text) {
  if (text.empty()) return;
  const bool pair = text.size() >= 2 && text.back() >= 0xDC00 && text.back() <= 0xDFFF;
  text.resize(text.size() - (pair ? 2 : 1));
}

void MoveBy(GuidePicker& picker, int rows) {
  picker.index = std::clamp(picker.index + rows, 0, std::max(0, EntryCount(picker) - 1));
}

// The first visible entry: the stored one, no further down than the last
// full page, moved to keep the highlight in view.
int FirstVisible(const GuidePicker& picker, int visible) {
  return ScrolledFirst(std::min(picker.first, std::max(0, EntryCount(picker) - visible)), picker.index, visible);
}

}  // namespace

GuidePicker MakeGuidePicker(GuidePickerAsk ask, uint64_t nowMs) {
  GuidePicker picker;
  picker.ask = std::move(ask);
  picker.clickGuardUntilMs = nowMs + kPickerClickGuardMs;
  FoldNames(picker);
  RankRows(picker);
  Refilter(picker);
  const int initial = InitialEntry(picker.ask);
  const auto at = std::find(picker.shown.begin(), picker.shown.end(), initial);
  if (at != picker.shown.end()) picker.index = static_cast<int>(at - picker.shown.begin());
  return picker;
}

// ------------------------------------------------------------ keys and pointer

PickerResult GuidePickerOnKey(GuidePicker& picker, int vk) {
  switch (vk) {
    case Vk::Escape: return PickerResult::Cancelled;
    case Vk::Return: return picker.shown.empty() ? PickerResult::Open : PickerResult::Chosen;
    case Vk::Up: MoveBy(picker, -1); break;
    case Vk::Down: MoveBy(picker, 1); break;
    case Vk::PageUp: MoveBy(picker, -std::max(1, picker.page)); break;
    case Vk::PageDown: MoveBy(picker, std::max(1, picker.page)); break;
    case Vk::Home: picker.index = 0; break;
    case Vk::End: MoveBy(picker, EntryCount(picker)); break;
    case Vk::Back:
      if (picker.filter.empty()) break;
      DeleteLastCharacter(picker.filter);
      Refilter(picker);
      break;
    default: break;
  }
  return PickerResult::Open;
}

bool GuidePickerOnChar(GuidePicker& picker, char16_t ch) {
  if (ch < 32 || ch == 127 || picker.filter.size() >= kGuideFilterMaxLength) return false;
  picker.filter.push_back(ch);
  Refilter(picker);
  return true;
}

PickerResult GuidePickerOnPointer(GuidePicker& picker, const PointerEvent& event, double width, double height,
                                  uint64_t nowMs) {
  if (event.kind == PointerEvent::Kind::Wheel) {
    MoveBy(picker, -event.wheelNotches * kWheelRows);
    return PickerResult::Open;
  }
  if (event.kind != PointerEvent::Kind::Up || nowMs < picker.clickGuardUntilMs) return PickerResult::Open;
  const int entry = GuidePickerHitTest(picker, event.x, event.y, width, height);
  if (entry < 0) return PickerResult::Open;
  picker.index = entry;
  return PickerResult::Chosen;
}

GuidePickerAnswer GuidePickerAnswerOf(const GuidePicker& picker, PickerResult result) {
  if (result != PickerResult::Chosen || picker.index < 0 || picker.index >= EntryCount(picker)) return {};
  const int entry = picker.shown[picker.index];
  if (entry == kGuideEntryNoGuide) return {GuidePickerAnswer::NoGuide};
  if (entry == kGuideEntryByName) return {GuidePickerAnswer::ByName};
  return {GuidePickerAnswer::Row, entry};
}

// ----------------------------------------------------------------------- layout

int GuidePickerVisibleRows(double height) { return DesignRowsThatFit(height, kRowsTop, kRowHeight, kBottomMargin); }

RectF GuidePickerRowRect(int slot, double width, double height) {
  const double top = DesignY(kRowsTop + slot * kRowHeight, height);
  return RectF{DesignX(72, width), top, width - DesignX(72, width), top + DesignY(kRowHeight, height)};
}

RectF GuidePickerSearchRect(double width, double height) { return DesignRect(72, 164, 1848, 232, width, height); }

int GuidePickerHitTest(const GuidePicker& picker, double x, double y, double width, double height) {
  const int visible = GuidePickerVisibleRows(height);
  const int first = FirstVisible(picker, visible);
  for (int slot = 0; slot < visible && first + slot < EntryCount(picker); ++slot) {
    if (GuidePickerRowRect(slot, width, height).Contains(x, y)) return first + slot;
  }
  return -1;
}

// --------------------------------------------------------------------- painting

namespace {

struct RowInk {
  Rgba text;
  Rgba dim;
  Rgba mark;
};

// The search line: the filter and its caret, or the caret and a dim
// invitation to type.
void PaintSearch(RenderResources& res, const GuidePicker& picker) {
  const RectF box = GuidePickerSearchRect(res.Width(), res.Height());
  res.DrawTextField(box, picker.filter, u"", true);
  if (!picker.filter.empty()) return;
  const double caret = res.MeasureText(FontId::Label, u"|").first;
  const RectF after{box.left + 12 + caret + res.Px(6), box.top, box.right - 8, box.bottom};
  res.DrawTrimmedLine(FontId::Label, Translate("type_to_filter"), after, res.Brush().Dim, kAlignLeadingCentered);
}

// "Suggested" in an outlined tag ending at `right`, centred on `midY`; returns its left edge.
double PaintSuggestedTag(RenderResources& res, double right, double midY, Rgba colour) {
  const std::u16string_view tag = Translate("suggested");
  const auto [textWidth, textHeight] = res.MeasureText(FontId::Hint, tag);
  const double padX = res.Px(10), padY = res.Px(3);
  const RectF box{right - textWidth - 2 * padX, midY - textHeight / 2 - padY, right, midY + textHeight / 2 + padY};
  res.StrokeRounded(box, box.Height() / 2, colour, std::max(1.0, res.Px(1.5)));
  res.DrawSingleLine(FontId::Hint, tag, RectF{box.left + padX, box.top, box.right - padX, box.bottom}, colour,
                     kAlignLeadingCentered);
  return box.left;
}

// A row's first line (the name, the tag, the source): its upper part when
// the programme on now goes below, else all of it.
RectF NameLine(RenderResources& res, const RectF& rect, bool twoLines) {
  const double bottom = twoLines ? rect.top + rect.Height() * 0.55 : rect.bottom - res.Y(4);
  return RectF{rect.left, rect.top + res.Y(4), rect.right - res.X(16), bottom};
}

void PaintGuideRow(RenderResources& res, const GuidePickerRow& row, const RectF& rect, double nameLeft,
                   const RowInk& ink) {
  const RectF line = NameLine(res, rect, !row.onNow.empty());
  const RectF source{line.right - res.X(kSourceWidth), line.top, line.right, line.bottom};
  res.DrawTrimmedLine(FontId::Hint, row.source, source, ink.dim, TextAlign{HAlign::Trailing, VAlign::Center});
  double nameRight = source.left - res.X(24);
  if (row.suggested) nameRight = PaintSuggestedTag(res, nameRight, (line.top + line.bottom) / 2, ink.mark) - res.X(16);
  res.DrawTrimmedLine(FontId::Label, row.name, RectF{nameLeft, line.top, nameRight, line.bottom}, ink.text,
                      kAlignLeadingCentered);
  const RectF onNow{nameLeft, line.bottom, source.left - res.X(24), rect.bottom - res.Y(4)};
  res.DrawTrimmedLine(FontId::Hint, row.onNow, onNow, ink.dim, kAlignLeadingCentered);
}

bool IsCurrent(const GuidePickerAsk& ask, int entry) {
  if (entry >= 0) return entry == ask.current;
  return entry == kGuideEntryNoGuide && ask.hasChoice && !ValidRow(ask, ask.current);
}

void PaintEntry(RenderResources& res, const GuidePicker& picker, int entry, const RectF& rect, bool selected) {
  const Brushes& brush = res.Brush();
  if (selected) res.FillRect(RectF{rect.left, rect.top + 4, rect.right, rect.bottom - 4}, brush.Blue);
  const Rgba onBlue = ReadableOn(brush.Blue);
  const RowInk ink{selected ? onBlue : brush.White, selected ? WithAlpha(onBlue, 0.82) : brush.Dim,
                   selected ? onBlue : LegibleAccent(brush.Accent, brush.Panel)};
  const double nameLeft = rect.left + res.X(kNameIndent);
  const GuidePickerRow* row = entry >= 0 ? &picker.ask.rows[entry] : nullptr;
  if (IsCurrent(picker.ask, entry)) {
    const RectF line = NameLine(res, rect, row && !row->onNow.empty());
    res.FillDisc(rect.left + res.X(30), (line.top + line.bottom) / 2, res.Px(6), ink.mark);
  }
  if (row) {
    PaintGuideRow(res, *row, rect, nameLeft, ink);
    return;
  }
  const std::u16string_view text = Translate(entry == kGuideEntryNoGuide ? "no_guide" : "guide_by_name");
  res.DrawTrimmedLine(FontId::Label, text, RectF{nameLeft, rect.top, rect.right - res.X(16), rect.bottom}, ink.text,
                      kAlignLeadingCentered);
}

}  // namespace

void PaintGuidePicker(RenderResources& res, const GuidePicker& picker) {
  if (!res.Drawing()) return;
  const double W = res.Width(), H = res.Height();
  const Brushes& brush = res.Brush();
  res.FillRect(RectF{0, 0, W, H}, brush.Panel);
  std::u16string title(Translate("assign_guide"));
  title += u": ";
  title += picker.ask.channelName;
  res.DrawTrimmedLine(FontId::Title, title, RectF{res.X(72), res.Y(36), W - res.X(72), res.Y(110)}, brush.Accent);
  res.DrawTrimmedLine(FontId::Hint, Translate("pick_hint"), res.Design(72, 118, 1848, 156), brush.Dim,
                      kAlignLeadingCentered);
  PaintSearch(res, picker);

  const int visible = GuidePickerVisibleRows(H);
  picker.page = visible;
  picker.first = FirstVisible(picker, visible);
  if (picker.shown.empty()) {
    RectF note = GuidePickerRowRect(0, W, H);
    note.left += res.X(kNameIndent);
    res.DrawTrimmedLine(FontId::Label, Translate("no_channels"), note, brush.Dim, kAlignLeadingCentered);
  }
  for (int slot = 0; slot < visible && picker.first + slot < EntryCount(picker); ++slot) {
    const int at = picker.first + slot;
    PaintEntry(res, picker, picker.shown[at], GuidePickerRowRect(slot, W, H), at == picker.index);
  }
  res.DrawScrollbar(W - res.X(72) + 8, GuidePickerRowRect(0, W, H).top, GuidePickerRowRect(visible, W, H).top,
                    picker.first, visible, EntryCount(picker));
}

GuidePickerAnswer OpenGuidePicker(ModalSlot& slot, GuidePickerAsk ask) {
  GuidePickerModal modal(MakeGuidePicker(std::move(ask), TickMs()));
  if (!slot.Run(modal)) return {};
  return modal.Answer();
}
