#include "ui/screens/stream_notice.h"

#include <algorithm>
#include <string>

#include "i18n/translate.h"
#include "net/text.h"
#include "player/reconnect.h"

namespace {

std::u16string Number(int value) { return AsciiToWide(std::to_string(value)); }

}  // namespace

StreamNoticeText StreamNoticeOf(const ReconnectState& reconnect) {
  if (reconnect.gaveUp)
    return {TranslateWith("conn_gave_up", Number(reconnect.attempts)), std::u16string(Translate("conn_retry"))};
  if (!reconnect.active) return {};
  std::u16string detail;
  if (reconnect.attempts > 0)
    detail = TranslateWith("conn_attempt", Number(reconnect.attempts) + u" / " + Number(kReconnectAttempts));
  return {std::u16string(Translate("conn_lost")), std::move(detail)};
}

// An opaque panel of its own, to read over any picture, no wider
// than the video and centred in it.
void PaintStreamNotice(RenderResources& res, const ReconnectState& reconnect, const RectF& video) {
  const StreamNoticeText text = StreamNoticeOf(reconnect);
  if (text.headline.empty() || video.Width() <= 0 || video.Height() <= 0) return;
  res.MarkTexts("stream_notice");
  const double pad = res.Px(20);
  const double width = std::min(video.Width() - 2 * pad, res.Px(820));
  const double headline = res.Px(40), detail = text.detail.empty() ? 0 : res.Px(32);
  const double height = headline + detail + 2 * pad;
  const double left = video.left + (video.Width() - width) / 2;
  const double top = video.top + (video.Height() - height) / 2;
  res.FillRounded(RectF{left, top, left + width, top + height}, res.Px(12), Rgba{0.06, 0.07, 0.10, 1});
  const double textLeft = left + pad, textRight = left + width - pad;
  res.DrawTrimmed(FontId::Label, text.headline, RectF{textLeft, top + pad, textRight, top + pad + headline},
                  res.Brush().White, kAlignCentered);
  if (detail > 0)
    res.DrawTrimmed(FontId::Row, text.detail, RectF{textLeft, top + pad + headline, textRight, top + pad + headline + detail},
                    res.Brush().Dim, kAlignCentered);
}
