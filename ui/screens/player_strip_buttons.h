#pragma once
// The buttons of the live strip's open row, one row each, left to right:
// what the button says, the colour bar under its label and what pressing it
// (a click or Enter) does. The painter, the hit test and the press all read
// this one table; a button is added by adding its row. Main thread only.
#include <span>
#include <string_view>

#include "ui/render/render_resources.h"

struct ScreenContext;

struct StripButton {
  // The screens a button opens are named by the menu word their header tab
  // uses (a kMenu* index); -1 names it by the interface text `textKey`.
  int menuWord;
  std::string_view textKey;
  Rgba bar;
  void (*press)(ScreenContext&);
};

std::span<const StripButton> StripButtons();

// The number of rows of StripButtons().
extern const int kStripButtonCount;
