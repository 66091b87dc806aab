#pragma once
// The product's mark: "VS" in the interface's bold face. The Home screen
// draws it as the first word of its wordmark, in the accent colour; the
// build draws it, in the default accent on the Home screen's dark ground,
// into the program's icons (ui/render/tools/icon_render_main.cpp).
#include "ui/render/render_resources.h"

// The dark ground of the Home screen, behind the mark in the icons.
inline constexpr Rgba kMarkGround{0.02, 0.02, 0.04, 1};

// Draws "VS" `sizePx` high (the font's pixel size), its ink centred in `box`.
void DrawProductMark(Canvas& canvas, const RectF& box, double sizePx, Rgba colour);

// The icon, size x size from the origin: the ground as a rounded square
// filling it and the mark in `accent` across its middle.
void DrawProductIcon(Canvas& canvas, double size, Rgba accent);
