#include "ui/screens/screen_background.h"

#include <iterator>

#include "i18n/translate.h"

namespace {

constexpr Rgba kBackgroundFill{0.04, 0.05, 0.08, 1};

// The menu word that titles each screen, in Screen order.
#define VISTRA_SCREEN_TITLE(name, number, title) kMenu##title,
constexpr int kTitleWord[kScreenCount] = {VISTRA_SCREENS(VISTRA_SCREEN_TITLE)};
#undef VISTRA_SCREEN_TITLE

}  // namespace

std::u16string_view ScreenTitleWord(Screen screen) {
  const int index = ScreenIndex(screen);
  const int word = index >= 0 && index < kScreenCount ? kTitleWord[index] : kMenuHome;
  return MenuWord(CurrentLanguage(), word);
}

void PaintScreenBackground(RenderResources& res, Screen screen, const std::u16string& statusText) {
  res.Clear(kBackgroundFill);
  res.DrawBackButton(res.BackButtonRect());
  res.DrawLabel(FontId::Title, ScreenTitleWord(screen), res.Design(180, 36, 1200, 110), res.Brush().Accent);
  if (!statusText.empty())
    res.DrawLabel(FontId::Hint, statusText, res.Design(180, 120, 1800, 160), res.Brush().Accent);
}
