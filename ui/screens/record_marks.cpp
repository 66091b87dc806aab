#include "ui/screens/record_marks.h"

#include <algorithm>

void PaintRecordMark(RenderResources& res, ProgrammeMark mark, double cx, double cy, double size, Rgba clockColour) {
  const double radius = size / 2;
  // A hairline vanishes at 720 lines: the strokes keep 1.5 pixels at least.
  const double stroke = std::max(1.5, size / 7);
  const Rgba red = res.Brush().Red;
  switch (mark) {
    case ProgrammeMark::None: return;
    case ProgrammeMark::Recording: res.FillDisc(cx, cy, radius, red); return;
    case ProgrammeMark::Scheduled: res.StrokeCircle(cx, cy, radius - stroke / 2, red, stroke); return;
    case ProgrammeMark::Reminder: break;
  }
  // The clock: its face and the hands at three o'clock, which read as a
  // clock at any size.
  res.StrokeCircle(cx, cy, radius - stroke / 2, clockColour, stroke);
  Canvas& canvas = res.Target();
  canvas.ClearPath();
  canvas.MoveTo(cx, cy - radius * 0.55);
  canvas.LineTo(cx, cy);
  canvas.LineTo(cx + radius * 0.45, cy);
  canvas.Stroke(clockColour, stroke, LineEnds::Round);
}
