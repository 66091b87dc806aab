#pragma once
// The plain background of a screen: the dark fill, the back arrow, the
// screen's menu word as its title and the status line. Screens whose lists
// are not drawn yet show just this.
#include <string>
#include <string_view>

#include "state/screen.h"
#include "ui/render/render_resources.h"

void PaintScreenBackground(RenderResources& res, Screen screen, const std::u16string& statusText);

// The menu word that titles `screen`, in the current language.
std::u16string_view ScreenTitleWord(Screen screen);
