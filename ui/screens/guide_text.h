#pragma once
// Texts the guide sources screen and the review of unsure matches share.
// Main thread only.
#include <string>
#include <string_view>

#include "ui/render/render_resources.h"

struct AppState;

// `text` as it fits `width` pixels in `font`: whole, or its start and its
// end around an ellipsis (an address keeps its host and its file).
std::u16string CutInTheMiddle(RenderResources& res, FontId font, std::u16string_view text, double width);
// The host of an address ("epg.example.org"); the address itself when it
// has none.
std::u16string UrlHost(std::string_view url);
// "Review guide matches (3)": the header button of the sources screen.
std::u16string ReviewButtonText(const AppState& state);
