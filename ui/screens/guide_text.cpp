#include "ui/screens/guide_text.h"

#include "i18n/translate.h"
#include "net/text.h"
#include "state/app_state.h"

std::u16string CutInTheMiddle(RenderResources& res, FontId font, std::u16string_view text, double width) {
  if (width <= 0 || res.MeasureText(font, text).first <= width) return std::u16string(text);
  // The most characters kept, half from each end, that still fit.
  size_t low = 0, high = text.size();
  std::u16string best = u"\u2026";
  while (low < high) {
    const size_t keep = (low + high + 1) / 2;
    size_t head = (keep + 1) / 2, tail = keep / 2;
    // A surrogate pair is never split.
    if (head > 0 && head < text.size() && text[head] >= 0xDC00 && text[head] <= 0xDFFF) ++head;
    if (tail > 0 && text[text.size() - tail] >= 0xDC00 && text[text.size() - tail] <= 0xDFFF) ++tail;
    const std::u16string candidate =
        std::u16string(text.substr(0, head)) + u"\u2026" + std::u16string(text.substr(text.size() - tail));
    if (res.MeasureText(font, candidate).first <= width) {
      best = candidate;
      low = keep;
    } else {
      high = keep - 1;
    }
  }
  return best;
}

std::u16string UrlHost(std::string_view url) {
  const size_t scheme = url.find("://");
  if (scheme == std::string_view::npos) return Utf8ToWide(url);
  std::string_view rest = url.substr(scheme + 3);
  rest = rest.substr(0, rest.find_first_of("/?#"));
  if (const size_t at = rest.rfind('@'); at != std::string_view::npos) rest.remove_prefix(at + 1);
  // A port is dropped; a bracketed IPv6 address keeps its colons.
  const size_t colon = rest.rfind(':');
  if (colon != std::string_view::npos && rest.find(']', colon) == std::string_view::npos) rest = rest.substr(0, colon);
  return rest.empty() ? Utf8ToWide(url) : Utf8ToWide(rest);
}

std::u16string ReviewButtonText(const AppState& state) {
  return std::u16string(Translate("review_matches")) + u" (" + AsciiToWide(std::to_string(state.guideReview.size())) + u")";
}
