// Every interface text, in every language, fits where it is drawn in the
// 1280 x 720 window, measured by the canvas in the painters' own fonts.
//
// Each key is listed once, under the place that limits it most: the
// narrowest room for its font among the places that show it. (The settings
// labels, for instance, are also the option picker's title, in a bigger font
// but across the whole screen; their tile is the tighter place.) Keys that
// no screen draws yet are held to the status line, the place any one-line
// message may end up in.
//
// How a text may use its room depends on how the place draws it:
//   Line     one line, neither wrapped nor trimmed (a toast, a status line, a
//            title in a box one line high): the text fits the width.
//   Trimmed  one line cut with an ellipsis (tiles, tabs, buttons): the text
//            fits, or the ellipsis takes no more than the second half of its
//            last word, so every other word and the start of the last one
//            stay readable ("Untertitel-Einstellungen" may show as
//            "Untertitel-Einstel…", never as "Untertit…").
//   Wrapped  wrapped at the width (panel bodies, the question text): the
//            wrapped lines fit the height.
// A few places are too small even for the English text at this size; the
// English texts are fixed, so those places are the layout's to fix: they are
// printed as a note, and only a language that keeps the English text there
// is let off. Every translation fits.
//
// Texts are measured with the fonts this machine has for the family list
// (DejaVu Sans where neither Segoe UI nor Noto Sans is installed, the widest
// of the three), so what passes here fits on any of them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "net/text.h"
#include "platform/offscreen_canvas.h"
#include "i18n/languages.h"
#include "i18n/translate.h"
#include "ui/render/render_resources.h"
#include "ui/screens/player_strips.h"

namespace {

constexpr double kW = 1280, kH = 720;

enum class Fit { Line, Trimmed, Wrapped };

struct Place {
  const char* name;
  FontId font;
  Fit fit;
  RectF room;  // pixels at 1280 x 720
  std::vector<std::string_view> keys;
};

RectF Design(double l, double t, double r, double b) { return DesignRect(l, t, r, b, kW, kH); }
RectF Wide(double l, double t, double r, double b) { return WideRect(l, t, r, b, kW, kH); }
RectF Pixels(double width) { return RectF{0, 0, width, 40}; }

// Settings tile text: four columns of (W − 48) / 4, text from 48 in to 14
// short of the right edge. Player strip buttons: twelve of W / 12 − 16.
const double kSettingsText = (kW - 12 - 12 - 24) / 4 - 48 - 14;
const double kStripButton = kW / 12 - 16;
// The lost stream's message: a panel at most 820 design pixels wide, padded
// by 20, in the Live preview (the window's right half), the narrower place.
const double kStreamNotice = std::min(kW / 2 - 40 * kW / 1920, 820 * kW / 1920) - 40 * kW / 1920;

// Coordinates as the screens give them: Design() in the 1920 x 1080 space,
// Wide() with x in the 2400-wide one, Pixels() where the layout is in pixels.
const std::vector<Place>& Places() {
  static const std::vector<Place> places = {
      {"toast", FontId::Label, Fit::Line, Wide(60, 55, 880, 110),
       {"fav_add", "fav_rem", "locked", "unlocked", "channel_added", "next_ep", "season_end", "ext_fail",
        "catchup_no", "catchup_not_yet", "resume", "pause", "play", "buffering", "stream_fail", "ts_unavailable",
        "conn_full", "conn_full_mv", "conn_full_rec", "rec_started", "rec_stopped", "rec_scheduled",
        "rec_scheduled_every", "rec_cancelled", "rec_full", "rec_overlap", "rec_failed", "rec_broke", "rec_disk_full",
        "rec_file_gone", "reminder_set", "reminder_removed"}},
      {"home status line", FontId::Hint, Fit::Line, Wide(562, 820, 1475, 858),
       {"auto_reload", "scan_code", "type_msg", "write_first", "sending", "sent", "send_fail", "wrong_pin",
        "reload",
        // not drawn by any screen yet
        "account", "add_channel", "add_group", "add_m3u", "aspect", "delete_group", "dev_auto", "dev_pc",
        "dev_phone", "dev_stick", "dev_tablet", "dev_tv", "enter_m3u", "exit", "ext_ok", "file", "fullscreen",
        "group_exists", "group_name", "home", "kb_del", "kb_space", "live", "live_history", "message_admin",
        "message_hint", "message_reseller", "message_send", "message_sent", "message_you", "movies", "next_ch",
        "no_trailer", "now", "parental_toggle", "password", "pick_group", "pip", "player1", "player2",
        "playlist_added", "playlist_name", "port", "prev_ch", "put_m3u", "put_pass", "put_user", "recently",
        "reload_short", "rename_group", "series", "set_ext", "trailer_play", "username", "xtream_api"}},
      {"settings tile label or value", FontId::Hint, Fit::Trimmed, Pixels(kSettingsText),
       {"add_playlist", "change_playlist", "language", "change_layout", "hide_live", "hide_vod",
        "hide_series", "clear_live", "clear_vod", "clear_series", "live_sort", "live_fmt", "change_player",
        "automatic", "time_fmt", "subtitle", "device_type", "update_now", "off", "on", "playlist",
        "layout_grid", "layout_list", "sort_default", "sort_az", "sort_za", "sort_num", "ext_vlc", "ext_mx",
        "time_24", "time_12", "sub_small", "sub_medium", "sub_large", "live_tv", "live_pause"}},
      {"settings extra tile", FontId::Label, Fit::Line, Pixels((kW - 48) / 4), {"speed_test"}},
      {"option picker row", FontId::Label, Fit::Line, Design(96, 0, 1848, 56),
       {"auto_every", "auto_day", "auto_2day", "cancel", "ext_default", "fmt_mpeg", "fmt_hls", "start_last",
        "minutes_short", "watch_live", "from_start"}},
      {"option picker hint", FontId::Hint, Fit::Line, Design(72, 110, 1848, 148), {"pick_hint"}},
      {"text prompt title", FontId::Title, Fit::Trimmed, Wide(675, 340, 1725, 410), {"parental", "new_group", "reminder"}},
      {"text prompt label and hint", FontId::Hint, Fit::Line, Wide(675, 420, 1725, 470),
       {"enter_pin", "name", "ok_esc"}},
      {"question text", FontId::Label, Fit::Wrapped, Wide(675, 420, 1725, 560),
       {"exit_ask", "ext_player", "reminder_question"}},
      {"question button", FontId::Label, Fit::Line, Wide(880, 590, 1180, 680), {"yes", "no"}},
      {"home action button", FontId::Hint, Fit::Trimmed, Pixels(168), {"trailer", "information"}},
      {"home panel title", FontId::Title, Fit::Trimmed, Wide(537, 210, 1500, 290), {"messages"}},
      {"home panel reply button", FontId::Hint, Fit::Trimmed, Wide(537, 820, 1025, 880),
       {"reply_send", "send", "msg_complaint", "msg_feature"}},
      {"home panel close button", FontId::Hint, Fit::Trimmed, Wide(1050, 820, 1425, 880), {"close"}},
      {"home panel body", FontId::Hint, Fit::Wrapped, Wide(537, 300, 2075, 800), {"no_messages", "you"}},
      {"reloading notice", FontId::Title, Fit::Wrapped, RectF{0.28 * kW, 0.40 * kH, 0.72 * kW, 0.56 * kH},
       {"reloading"}},
      {"live button", FontId::Hint, Fit::Trimmed, Pixels((1920 - 18 - 996 - 56 - 58) / 4.0 * kW / 1920),
       {"add_fav", "search"}},
      {"live empty list", FontId::Label, Fit::Line, Design(470, 400, 940, 480), {"no_channels"}},
      {"stream notice headline", FontId::Label, Fit::Trimmed, Pixels(kStreamNotice), {"conn_lost", "conn_gave_up"}},
      {"stream notice detail", FontId::Row, Fit::Trimmed, Pixels(kStreamNotice), {"conn_attempt", "conn_retry"}},
      {"player strip programme line", FontId::Row, Fit::Trimmed, Pixels(kW / 2 - 104), {"no_info"}},
      {"player strip step button", FontId::Row, Fit::Line, Pixels((kW - 40 - 240 - 44) / 3 - 16), {"back", "next"}},
      // the live strip's Record button; stopping, its red dot takes 26
      {"player strip record button", FontId::StripSmall, Fit::Line, Pixels(240 - 24 - 26),
       {"strip_record", "strip_record_stop"}},
      {"player strip button", FontId::StripSmall, Fit::Trimmed, Pixels(kStripButton), {"lock", "favorite"}},
      {"catch-up title", FontId::Title, Fit::Line, Design(160, 30, 480, 110), {"catchup"}},
      {"catch-up empty day", FontId::Label, Fit::Line, Design(480, 300, 1900, 380),
       {"catchup_loading", "catchup_empty"}},
      {"episodes title", FontId::Title, Fit::Line, Design(924, 20, 1896, 90), {"episodes"}},
      {"groups title", FontId::Title, Fit::Line, Wide(24, 16, 900, 90), {"my_groups"}},
      {"groups help", FontId::Hint, Fit::Line, Wide(24, 90, 2376, 130), {"groups_help"}},
      {"groups empty", FontId::Label, Fit::Line, Wide(40, 300, 1400, 380), {"no_groups"}},
      {"settings title", FontId::Title, Fit::Line, Design(0, 40, 1920, 110), {"settings"}},
      {"sports title", FontId::Title, Fit::Line, RectF{160 * kW / 1920, 0, 1200 * kW / 2400, 60}, {"sports"}},
      {"account line", FontId::Hint, Fit::Line, Design(168, 290, 1320, 360), {"open_site"}},
      {"account right column", FontId::Hint, Fit::Line, Design(1370, 720, 1896, 760),
       {"mac_address", "device_key"}},
      {"speed test button", FontId::Label, Fit::Trimmed, Pixels((kW - 52) / 3 - 16),
       {"speed_start", "speed_cache", "speed_wifi"}},
      {"speed test report line", FontId::Hint, Fit::Line, Design(32, 0, 1888, 28),
       {"speed_hint", "speed_not_wifi", "speed_wifi_ok", "speed_wifi_no"}},
      // inside the narrowest notice place, the header band's on Movies and Series
      {"toast, notices", FontId::Label, Fit::Line, Pixels(328),
       {"mute", "volume_level", "channel_number", "aspect_auto", "no_audio_tracks", "no_subtitles", "no_episodes"}},
      {"home status line, catalog", FontId::Hint, Fit::Line, Wide(562, 820, 1475, 858),
       {"url_not_playlist", "url_not_xtream", "load_under_way", "playlist_no_answer", "loading_live",
        "panel_no_answer", "retry_in",
        "loading_movies", "loading_series"}},
      {"grid empty list", FontId::Label, Fit::Line, Design(480, 400, 1920, 500), {"no_items"}},
      {"search section title", FontId::Hint, Fit::Line, Design(48, 0, 800, 36), {"live_channels"}},
      {"search query box", FontId::Label, Fit::Trimmed, Design(280, 54, 1100, 144), {"search_hint"}},
      {"settings pip tile", FontId::Label, Fit::Line, Pixels((kW - 48) / 4), {"pip_title"}},
      {"option picker row, pip", FontId::Label, Fit::Line, Design(96, 0, 1848, 56), {"pip_top", "pip_bottom"}},
      {"account playlist row", FontId::Label, Fit::Trimmed, Design(120, 0, 1270, 80), {"playlist_number"}},
      {"category row", FontId::Row, Fit::Trimmed, Design(16, 0, 328, 40), {"recently_viewed", "all"}},
      {"sports sub-title", FontId::Hint, Fit::Trimmed, RectF{160 * kW / 1920, 0, 1400 * kW / 2400, 42},
       {"sports_subtitle"}},
      {"sports row", FontId::Row, Fit::Trimmed, RectF{32 * kW / 2400, 0, 1400 * kW / 2400, 60},
       {"sports_loading", "sports_failed"}},
      {"home panel body, texts", FontId::Hint, Fit::Wrapped, Wide(537, 300, 2075, 800),
       {"panel_author", "genre_line"}},
      {"player strip button, texts", FontId::StripSmall, Fit::Trimmed, Pixels(kStripButton),
       {"epg", "strip_subtitle", "audio", "tv_guide", "prev_channel", "back_to_live", "multiview"}},
      // right of the channel's name on the live strip, while it records
      {"player strip recording mark", FontId::StripSmall, Fit::Line, Pixels(120), {"strip_rec"}},
      // the grid's band: after the programme's times and the catch-up mark
      // "%s" is a range such as "14:00–15:00".
      {"grid band title", FontId::Title, Fit::Trimmed, Design(170, 122, 1890 - 300, 186), {"replay_slot"}},
      {"grid band recording mark", FontId::Label, Fit::Line, Design(700, 0, 1890, 44),
       {"grid_rec_now", "grid_rec_scheduled", "grid_rec_reminded"}},
      {"option picker row, grid", FontId::Label, Fit::Line, Design(96, 0, 1848, 56),
       {"grid_rec_record", "grid_rec_cancel", "grid_rec_every", "grid_rec_every_cancel", "grid_rec_remind",
        "grid_rec_remind_cancel", "grid_rec_description"}},
      {"player strip buffer state", FontId::StripSmall, Fit::Line, Pixels(560 - 120 - 10), {"ts_paused", "ts_live"}},
      {"speed test report line, texts", FontId::Hint, Fit::Line, Design(32, 0, 1888, 28),
       {"speed_report_title", "speed_device", "speed_mac", "speed_public_ip", "speed_latency", "speed_site",
        "speed_download", "speed_upload", "speed_done", "speed_wifi_platform", "speed_wifi_steps", "speed_local_ip",
        "speed_none", "speed_net_wifi", "speed_net_ethernet", "speed_net_other", "speed_trace_ip",
        "speed_trace_country", "speed_trace_edge", "cache_cleared"}},
      {"home provider status", FontId::Hint, Fit::Trimmed, Wide(562, 776, 2350, 816),
       {"provider_refused_http", "provider_refused", "provider_no_answer", "provider_not_catalog",
        "line_expired_on", "line_expired", "line_banned", "line_disabled", "line_inactive"}},
      {"account heading details", FontId::Hint, Fit::Trimmed, Design(168, 86, 1320, 118),
       {"line_expires", "line_no_expiry", "line_connections"}},
      {"toast, multi-view", FontId::Label, Fit::Line, Wide(60, 55, 880, 110), {"mv_limit"}},
      // the notice box of a tile: 84 % of a quarter of the window
      {"multi-view tile notice", FontId::StripLarge, Fit::Line, Pixels(kW / 2 * 0.84), {"mv_failed"}},
      {"multi-view tile notice, key", FontId::StripSmall, Fit::Line, Pixels(kW / 2 * 0.84), {"mv_other"}},
      {"multi-view channel picker title", FontId::Title, Fit::Line, Design(72, 36, 1848, 110), {"mv_pick"}},
      {"multi-view key hint", FontId::StripSmall, Fit::Line, Pixels(kW - 2 * 24 - 2 * 24), {"mv_keys"}},
      // the key help: two columns of 884 design pixels, each line the keys'
      // names (28 %, less a gap of 16) and what they do (the rest)
      {"key help title", FontId::Title, Fit::Line, Design(56, 36, 1864, 110), {"help_title"}},
      {"key help hint", FontId::Hint, Fit::Line, Design(56, 110, 1864, 148), {"help_hint"}},
      {"key help line", FontId::Row, Fit::Line, Design(0, 0, 636, 40),
       {"help_everywhere", "help_volume", "help_help", "help_move", "help_open", "help_to_channels",
        "help_to_categories", "help_prev_category", "help_step_channels", "help_fill_window", "help_pause",
        "help_played_before", "help_favorite", "help_lock", "help_groups", "help_external", "help_number",
        "help_row_buttons", "help_skip_buffer", "help_seek", "help_strip_buttons", "help_show_strips",
        "help_delete_char", "help_show_group", "help_remove", "help_add_to_group", "help_next_category",
        "help_play_or_episodes", "help_day", "help_replay", "help_grid_channels", "help_grid_programmes",
        "help_grid_enter", "help_tile_focus", "help_tile_channel", "help_tile_pick", "help_tile_add",
        "help_tile_fill", "help_to_player", "help_change_setting", "help_record_now", "help_grid_record",
        "help_grid_remind"}},
      {"key help keys", FontId::Row, Fit::Line, Design(0, 0, 231, 40),
       {"key_enter", "key_tab", "key_end", "key_page_up", "key_page_down", "key_backspace", "key_esc", "key_shift"}},
      // the Recordings screen: a row's state takes the second line's right
      // half (48 % of the row, less 16 design pixels)
      {"recordings title", FontId::Title, Fit::Line, Design(180, 30, 850, 114), {"recordings"}},
      {"recordings row state", FontId::Hint, Fit::Trimmed, Pixels(0.48 * (kW - 104 * kW / 1920) - 16 * kW / 1920),
       {"rec_state_scheduled", "rec_state_recording", "rec_state_done", "rec_state_partial", "rec_state_failed",
        "rec_state_missed", "rec_state_cancelled", "rec_every_airing"}},
      {"recordings empty", FontId::Label, Fit::Wrapped, Design(80, 300, 1840, 480), {"rec_empty"}},
      {"recordings settings button", FontId::Hint, Fit::Trimmed, Pixels(460 * kW / 1920 - 16), {"rec_settings"}},
      {"question text, recordings", FontId::Label, Fit::Wrapped, Wide(675, 420, 1725, 560),
       {"rec_stop_ask", "rec_delete_ask", "rec_cancel_ask"}},
      {"key help line, recordings", FontId::Row, Fit::Line, Design(0, 0, 636, 40), {"help_rec_enter"}},
      {"text prompt title, recordings", FontId::Title, Fit::Trimmed, Wide(675, 340, 1725, 410), {"rec_folder"}},
      {"text prompt label, recordings", FontId::Hint, Fit::Line, Wide(675, 420, 1725, 470), {"rec_folder_hint"}},
      // a picker row: the setting, ": " and its value
      {"option picker row, recordings", FontId::Label, Fit::Line, Design(96, 0, 1848, 56),
       {"rec_before", "rec_after", "rec_default"}},
      // the guide picker: its title (the channel's name follows), its search
      // line, its fixed rows (from the current-choice mark to the row's end)
      // and the tag of a suggested row, which takes no more than the source
      // column beside it
      {"guide picker title", FontId::Title, Fit::Line, Design(72, 36, 1848, 110), {"assign_guide"}},
      {"guide picker search line", FontId::Label, Fit::Line, Design(120, 164, 1840, 232), {"type_to_filter"}},
      {"guide picker fixed row", FontId::Label, Fit::Line, Design(132, 0, 1832, 80), {"no_guide", "guide_by_name"}},
      {"guide picker tag", FontId::Hint, Fit::Line, Design(0, 0, 280, 40), {"suggested"}},
      {"guide source name", FontId::Hint, Fit::Line, Design(0, 0, 280, 40), {"guide_provider"}},
      {"toast, guides", FontId::Label, Fit::Line, Wide(60, 55, 880, 110), {"no_guide_held"}},
      {"option picker title, channel menu", FontId::Title, Fit::Line, Design(72, 36, 1848, 110), {"channel_menu"}},
      // the guide sources screen: its title, the notice beside it, a row's
      // name (left of the offset column), the offset column, the status line
      {"guide sources title", FontId::Title, Fit::Line, Design(180, 30, 880, 114), {"guide_sources"}},
      {"guide sources notice", FontId::Label, Fit::Line, Design(900, 30, 1400, 114), {"guide_url_bad", "guide_url_listed"}},
      {"guide sources row name", FontId::Row, Fit::Line, Design(64, 0, 1640, 48), {"guide_provider_row", "add_guide_source"}},
      {"guide sources offset", FontId::Row, Fit::Line, Design(0, 0, 176, 48), {"hours_short"}},
      {"guide sources status", FontId::Hint, Fit::Line, Design(64, 0, 1832, 48),
       {"guide_programmes", "guide_channels", "guide_linked", "guide_failed", "guide_reading", "guide_not_read"}},
      {"option picker row, guide sources", FontId::Label, Fit::Line, Design(96, 0, 1848, 56),
       {"guide_offset", "move_up", "move_down"}},
      {"question text, guide sources", FontId::Label, Fit::Wrapped, Wide(675, 420, 1725, 560), {"remove_source_ask"}},
      {"text prompt label, guide sources", FontId::Hint, Fit::Line, Wide(675, 420, 1725, 470), {"guide_url_hint"}},
      {"key help line, guides", FontId::Row, Fit::Line, Design(0, 0, 636, 40),
       {"help_take_suggestion", "help_guide_source_enter"}},
      // the review of unsure matches: the title, and the empty list's line
      {"guide review title", FontId::Title, Fit::Line, Design(180, 30, 1370, 114), {"review_matches"}},
      {"guide review empty", FontId::Label, Fit::Wrapped, Design(80, 300, 1840, 480), {"nothing_to_review"}},
  };
  return places;
}

// What a painter puts after a text before drawing it.
std::u16string Shown(std::string_view key, std::u16string_view text) {
  std::u16string shown(text);
  if (key == "resume") shown += u" 75:03";                // the resume point
  if (key == "key_shift") shown += u"+R";                 // Shift+R
  if (key == "reload") shown += u"panel.vistra.example";  // the panel host
  return shown;
}

// The text up to the middle of its last word, with the ellipsis.
std::u16string KeptByTrimming(std::u16string_view text) {
  const size_t lastWord = text.find_last_of(u' ') == std::u16string_view::npos ? 0 : text.find_last_of(u' ') + 1;
  const size_t keep = lastWord + (text.size() - lastWord + 1) / 2;
  return std::u16string(text.substr(0, keep)) + u"…";
}

class TextWidth : public ::testing::Test {
 protected:
  void SetUp() override {
    res_.BeginFrame(image_.Draw(), static_cast<int>(kW), static_cast<int>(kH), 0);
  }
  void TearDown() override { res_.EndFrame(); }

  double Width(FontId font, std::u16string_view text) { return res_.MeasureText(font, text).first; }

  double WrappedHeight(FontId font, std::u16string_view text, double width) {
    const RectF logical = image_.Draw().MeasureText(res_.Face(font), WideToUtf8(text), TextFlow{width}).logical;
    return std::ceil(logical.bottom) - std::floor(logical.top);
  }

  // Empty when the text fits its place, or is the English text where even
  // that does not fit; else why not.
  std::string Overflow(const Place& place, std::u16string_view text, std::u16string_view english) {
    return text == english ? std::string() : Misfit(place, text);
  }

  std::string Misfit(const Place& place, std::u16string_view text) {
    const double room = place.room.Width();
    const double width = Width(place.font, text);
    char why[160] = "";
    switch (place.fit) {
      case Fit::Line:
        if (width > room) std::snprintf(why, sizeof why, "%.0f px wide, the room is %.0f", width, room);
        break;
      case Fit::Trimmed:
        if (width > room && Width(place.font, KeptByTrimming(text)) > room) {
          std::snprintf(why, sizeof why, "%.0f px wide, the room is %.0f: the ellipsis would cut more than "
                        "half of the last word", width, room);
        }
        break;
      case Fit::Wrapped: {
        const double height = WrappedHeight(place.font, text, room);
        if (height > place.room.Height()) {
          std::snprintf(why, sizeof why, "%.0f px high when wrapped at %.0f, the room is %.0f", height, room,
                        place.room.Height());
        }
        break;
      }
    }
    return why;
  }

  OffscreenCanvas image_{static_cast<int>(kW), static_cast<int>(kH)};
  RenderResources res_;
};

}  // namespace

TEST(TextPlaces, EveryKeyHasExactlyOnePlace) {
  std::vector<int> places(kTextCount, 0);
  for (const Place& place : Places()) {
    for (std::string_view key : place.keys) {
      const auto* it = std::lower_bound(std::begin(kTextKeys), std::end(kTextKeys), key);
      ASSERT_TRUE(it != std::end(kTextKeys) && *it == key) << place.name << ": no key " << key;
      ++places[it - std::begin(kTextKeys)];
    }
  }
  for (size_t i = 0; i < kTextCount; ++i) EXPECT_EQ(places[i], 1) << kTextKeys[i];
}

TEST_F(TextWidth, EveryTextFitsItsPlace) {
  for (const Place& place : Places()) {
    for (std::string_view key : place.keys) {
      const std::u16string english = Shown(key, TranslateIn(0, key));
      if (const std::string why = Misfit(place, english); !why.empty()) {
        std::printf("layout: even the English %s \"%s\" does not fit the %s: %s\n", std::string(key).c_str(),
                    WideToUtf8(english).c_str(), place.name, why.c_str());
      }
    }
  }
  for (int language = 0; language < kLanguageCount; ++language) {
    const std::string file = "i18n/po/" + WideToUtf8(LanguageCode(language)) + ".po";
    for (const Place& place : Places()) {
      for (std::string_view key : place.keys) {
        const std::u16string text = Shown(key, TranslateIn(language, key));
        const std::string why = Overflow(place, text, Shown(key, TranslateIn(0, key)));
        EXPECT_TRUE(why.empty()) << file << " " << key << " \"" << WideToUtf8(text) << "\" (" << place.name
                                 << "): " << why;
      }
    }
  }
}

// The menu words are kept in i18n/languages.cpp; they label the home
// tiles, the player strip and a home button. (The browsing screens' header
// tabs, 81 to 123 px wide at this size in a 26 px font, cannot hold the
// word for Home or Live of many languages; that is for their layout to
// solve, so they are not listed here.)
TEST_F(TextWidth, EveryMenuWordFitsItsPlaces) {
  struct WordPlace {
    const char* name;
    int word;
    FontId font;
    RectF room;
  };
  const RectF tile{0, 0, 389 * kW / 1920 - 8 - (43 * kW / 1920 + 87 * kW / 2400), 40};
  std::vector<WordPlace> places = {
      {"search pill", kMenuSearch, FontId::Hint, Design(780, 0, 1170, 40)},
      {"player strip button", kMenuMovies, FontId::StripSmall, Pixels(kStripButton)},
      {"player strip button", kMenuSeries, FontId::StripSmall, Pixels(kStripButton)},
      {"player strip button", kMenuSearch, FontId::StripSmall, Pixels(kStripButton)},
      {"home action button", kMenuMovies, FontId::Hint, Pixels(168)},
  };
  for (int word : {kMenuLive, kMenuMovies, kMenuSeries, kMenuSports, kMenuPlaylist, kMenuSettings, kMenuReload,
                   kMenuExit}) {
    places.push_back({"home tile", word, FontId::Row, tile});
  }
  for (int language = 0; language < kLanguageCount; ++language) {
    for (const WordPlace& place : places) {
      const Place asPlace{place.name, place.font, Fit::Trimmed, place.room, {}};
      const std::u16string_view word = MenuWord(language, place.word);
      const std::string why = Overflow(asPlace, word, MenuWord(0, place.word));
      EXPECT_TRUE(why.empty()) << WideToUtf8(LanguageCode(language)) << " menu word \"" << WideToUtf8(word)
                               << "\" (" << place.name << "): " << why;
    }
  }
}

// The live strip's buffer state, paused an hour and more behind live, is
// whole in its place at each window size the program is looked at in (the
// fonts follow the window's height, the strips their own scale).
TEST(StripTextWidth, TheBufferStateFitsInEveryLanguageAtEverySize) {
  TimeshiftState shift;
  shift.window = 5400;
  shift.paused = true;
  shift.shownBehind = 4999;  // 1:23:19
  for (const auto& [w, h] : {std::pair{1280, 720}, {1920, 1080}, {3840, 2160}}) {
    OffscreenCanvas image(w, h);
    RenderResources res;
    res.BeginFrame(image.Draw(), w, h, 0);
    const double room = TimeshiftTextRect(StripLayoutOf(w, h, StripMode::Live, false)).Width();
    for (int language = 0; language < kLanguageCount; ++language) {
      SetCurrentLanguageCode(LanguageCode(language));
      const std::u16string text = TimeshiftText(shift);
      const double width = res.MeasureText(FontId::StripSmall, text).first;
      EXPECT_LE(width, room) << WideToUtf8(LanguageCode(language)) << " \"" << WideToUtf8(text) << "\" at " << w
                             << "x" << h;
    }
    res.EndFrame();
  }
  SetCurrentLanguageCode(u"en");
}
