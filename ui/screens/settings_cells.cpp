#include "ui/screens/settings_cells.h"

#include <algorithm>
#include <array>
#include <numbers>

#include "net/endpoints.h"
#include "net/text.h"
#include "ui/screens/playlists.h"
#include "platform/process.h"
#include "player/external_players.h"
#include "i18n/translate.h"
#include "ui/modals/hide_categories.h"
#include "ui/modals/option_picker.h"
#include "ui/modals/question_dialog.h"
#include "ui/modals/speed_test_panel.h"
#include "ui/modals/text_prompt.h"
#include "ui/nav/navigator.h"
#include "ui/render/line_icon.h"
#include "store/preferences.h"

namespace {

std::u16string Tr(std::string_view key) { return std::u16string(Translate(key)); }

std::vector<std::u16string> Words(std::initializer_list<std::string_view> keys) {
  std::vector<std::u16string> words;
  for (std::string_view key : keys) words.push_back(Tr(key));
  return words;
}

// The device types as the settings store them (and the panel receives them),
// and the words the picker and the tile show for them.
struct DeviceType {
  std::u16string_view value;
  std::string_view key;
};
constexpr std::array<DeviceType, 6> kDeviceTypes = {{{u"Auto", "dev_auto"},
                                                      {u"TV", "dev_tv"},
                                                      {u"Stick", "dev_stick"},
                                                      {u"Phone", "dev_phone"},
                                                      {u"Tablet", "dev_tablet"},
                                                      {u"PC", "dev_pc"}}};

int ClampedSize(int32_t size) { return size < 0 ? 1 : std::min(size, 2); }

int PlayerHighlight(const Settings& s) {
  if (s.InternalPlayer == 1) return 1;
  if (s.ExternalKind == 1) return 2;
  if (s.ExternalKind == 2) return 3;
  return 0;
}

std::u16string Title(int cell) { return std::u16string(SettingsTileLabel(cell)); }

// The picker of a one-picker cell; -1 when cancelled.
int PickFor(ScreenContext& ctx, int cell) {
  SettingsChoice choice = SettingsChoiceFor(ctx.state.settings, cell);
  return OpenPicker(ctx.modal, Title(cell), std::move(choice.options), choice.highlighted);
}

void OpenAccount(ScreenContext& ctx) {
  ctx.state.nav.AccountFromHome = false;
  ctx.navigator.SetScreen(Screen::Account);
  ctx.content.StartPanelCheck();
}

// With parental control on, changing it needs the PIN first: otherwise
// anyone could switch the lock off or read the PIN from the prompt.
bool ParentalUnlocked(ScreenContext& ctx) {
  const Settings& s = ctx.state.settings;
  if (!s.ParentalOn) return true;
  TextPrompt prompt{Tr("parental"), Tr("enter_pin"), u"", true};
  const auto answer = AskTextOrCancel(ctx.modal, std::move(prompt));
  if (answer && *answer == s.ParentalPin) return true;
  if (answer) ctx.state.StatusText = Tr("wrong_pin");  // a cancel is no wrong answer
  return false;
}

// --- Value lines ----------------------------------------------------------------

std::u16string SubtitleSizeText(int32_t size) {
  if (size <= 0) return Tr("sub_small");
  return Tr(size == 1 ? "sub_medium" : "sub_large");
}

std::u16string ParentalValue(const AppState& state) { return Tr(state.settings.ParentalOn ? "on" : "off"); }

std::u16string PlaylistValue(const AppState& state) {
  const auto playlists = AccountPlaylists(state.panel, state.settings, Translate("playlist"));
  if (playlists.empty()) return {};
  const int active = PlaylistIndexOf(playlists, state.settings.PlaylistUrl);
  std::u16string name = active >= 0 && !playlists[active].name.empty() ? playlists[active].name : Tr("playlist");
  return name + u"  (" + AsciiToWide(std::to_string(playlists.size())) + u")";
}

std::u16string LanguageValue(const AppState&) { return std::u16string(LanguageName(CurrentLanguage())); }
std::u16string LayoutValue(const AppState& state) { return Tr(state.settings.IsGrid ? "layout_grid" : "layout_list"); }

std::u16string LiveSortValue(const AppState& state) {
  switch (state.settings.LiveSort) {
    case 1: return Tr("sort_az");
    case 2: return Tr("sort_za");
    case 3: return Tr("sort_num");
    default: return Tr("sort_default");
  }
}

std::u16string LiveFormatValue(const AppState& state) {
  const std::u16string& format = state.settings.LiveFormat;
  return format.empty() ? u"ts" : format;
}

std::u16string PlayerValue(const AppState& state) {
  const Settings& s = state.settings;
  if (s.ExternalKind == 1) return Tr("ext_vlc");
  if (s.ExternalKind == 2) return Tr("ext_mx");
  return Tr(s.InternalPlayer == 1 ? "player2" : "player1");
}

std::u16string AutoValue(const AppState& state) {
  const int32_t hours = state.settings.AutoHours;
  return Tr(hours >= 48 ? "auto_2day" : hours < 24 ? "auto_every" : "auto_day");
}

std::u16string TimeFormatValue(const AppState& state) { return Tr(state.settings.TimeFormat == 0 ? "time_24" : "time_12"); }
std::u16string SubtitleValue(const AppState& state) { return SubtitleSizeText(state.settings.SubSize); }
std::u16string DeviceTypeValue(const AppState& state) { return DeviceTypeLabel(state.settings.DeviceType); }
std::u16string PipValue(const AppState& state) { return SubtitleSizeText(state.settings.PipSize); }

// --- Choices and their writes -----------------------------------------------------

SettingsChoice LanguageChoices(const Settings& s) {
  SettingsChoice c;
  for (int i = 0; i < kLanguageCount; ++i) c.options.emplace_back(LanguageName(i));
  c.highlighted = LanguageIndex(s.Lang);
  return c;
}
void ApplyLanguage(ScreenContext& ctx, int choice) { ctx.state.settings.Lang = std::u16string(LanguageCode(choice)); }

SettingsChoice LayoutChoices(const Settings& s) { return {Words({"layout_grid", "layout_list"}), s.IsGrid ? 0 : 1}; }
void ApplyLayout(ScreenContext& ctx, int choice) { ctx.state.settings.IsGrid = choice == 0; }

SettingsChoice LiveSortChoices(const Settings& s) {
  return {Words({"sort_default", "sort_az", "sort_za", "sort_num"}), s.LiveSort};
}
void ApplyLiveSort(ScreenContext& ctx, int choice) { ctx.state.settings.LiveSort = choice; }

SettingsChoice LiveFormatChoices(const Settings& s) {
  return {Words({"fmt_mpeg", "fmt_hls"}), s.LiveFormat == u"m3u8" ? 1 : 0};
}
void ApplyLiveFormat(ScreenContext& ctx, int choice) { ctx.state.settings.LiveFormat = choice == 1 ? u"m3u8" : u"ts"; }

SettingsChoice PlayerChoices(const Settings& s) {
  return {Words({"player1", "player2", "ext_vlc", "ext_mx"}), PlayerHighlight(s)};
}

SettingsChoice AutoChoices(const Settings& s) {
  return {Words({"auto_every", "auto_day", "auto_2day"}), s.AutoHours < 24 ? 0 : s.AutoHours < 48 ? 1 : 2};
}
void ApplyAuto(ScreenContext& ctx, int choice) { ctx.state.settings.AutoHours = choice == 0 ? 1 : choice == 1 ? 24 : 48; }

SettingsChoice TimeFormatChoices(const Settings& s) { return {Words({"time_24", "time_12"}), s.TimeFormat != 0 ? 1 : 0}; }
void ApplyTimeFormat(ScreenContext& ctx, int choice) { ctx.state.settings.TimeFormat = choice; }

SettingsChoice SubtitleChoices(const Settings& s) {
  return {Words({"sub_small", "sub_medium", "sub_large"}), ClampedSize(s.SubSize)};
}
void ApplySubtitle(ScreenContext& ctx, int choice) {
  ctx.state.settings.SubSize = choice;
  ctx.playback.ApplyPlayerSettings();
}

SettingsChoice DeviceTypeChoices(const Settings& s) {
  SettingsChoice c{{}, 1};
  for (size_t i = 0; i < kDeviceTypes.size(); ++i) {
    c.options.push_back(Tr(kDeviceTypes[i].key));
    if (kDeviceTypes[i].value == s.DeviceType) c.highlighted = static_cast<int>(i);
  }
  return c;
}
void ApplyDeviceType(ScreenContext& ctx, int choice) {
  ctx.state.settings.DeviceType = std::u16string(kDeviceTypes[size_t(choice)].value);
}

// --- Actions of the other cells ---------------------------------------------------

void RunAddPlaylist(ScreenContext& ctx, int) { OpenPanelSite(ctx); }
void RunChangePlaylist(ScreenContext& ctx, int) { OpenAccount(ctx); }

void RunParental(ScreenContext& ctx, int cell) {
  Settings& s = ctx.state.settings;
  const int choice = OpenPicker(ctx.modal, Title(cell), Words({"off", "on"}), s.ParentalOn ? 1 : 0);
  if (choice >= 0) s.ParentalOn = choice == 1;
  const std::u16string pin = AskText(ctx.modal, Tr("parental"), Tr("enter_pin"), s.ParentalPin);
  if (!pin.empty()) s.ParentalPin = pin;
  ctx.window.SaveSettingsNow();
}

void RunHideCategories(ScreenContext& ctx, int cell) {
  EditHiddenCategories(ctx.modal, ctx.state, static_cast<CategoryKind>(cell - 5));
  ctx.window.SaveSettingsNow();
}

void RunClearHistory(ScreenContext& ctx, int cell) {
  static constexpr std::array<std::string_view, 3> kKeys = {"clear_live", "clear_vod", "clear_series"};
  const int which = cell - 8;
  if (OpenPicker(ctx.modal, Title(cell), Words({"cancel", kKeys[size_t(which)]}), 0) != 1) return;
  Settings& s = ctx.state.settings;
  IdList* lists[] = {&s.HistoryLive, &s.HistoryMovies, &s.HistorySeries};
  lists[which]->clear();
  ctx.window.SaveSettingsNow();
}

void RunPlayer(ScreenContext& ctx, int cell) {
  const int choice = PickFor(ctx, cell);
  if (choice < 0) return;
  Settings& s = ctx.state.settings;
  if (choice <= 1) {
    s.InternalPlayer = choice;
    s.ExternalKind = 0;
    s.ExternalPlayer.clear();
    ctx.playback.ApplyPlayerSettings();
    ctx.window.SaveSettingsNow();
    return;
  }
  const auto kind = choice == 2 ? ExternalPlayerKind::Vlc : ExternalPlayerKind::MxPlayer;
  const std::filesystem::path found = FindExternalPlayer(kind);
  if (found.empty()) {
    // A player that is not installed is not chosen (playing would only
    // fail); the download is offered instead.
    if (AskYesNo(ctx.modal, u"Vistra", Tr("ext_player"), true))
      ctx.window.OpenInBrowser(AsciiToWide(ExternalPlayerDownloadUrl(kind)));
    return;
  }
  s.ExternalKind = static_cast<int32_t>(kind);
  s.ExternalPlayer = Utf8ToWide(PathUtf8(found));
  ctx.window.SaveSettingsNow();
}

void RunUpdateNow(ScreenContext& ctx, int) {
  ctx.content.RestartBoot();
  ctx.window.OpenInBrowser(Endpoints::PanelUrl() + u"/vs4.3/");
  ctx.state.StatusText = Tr("update_now");
}

void RunSpeedTest(ScreenContext& ctx, int) { OpenSpeedTestPanel(ctx.modal, ctx.state, ctx.content); }

std::u16string BufferChoiceText(int minutes) {
  if (minutes <= 0) return Tr("off");
  std::u16string text = Tr("minutes_short");
  const size_t hole = text.find(u"{}");
  const std::u16string number = AsciiToWide(std::to_string(minutes));
  return hole == std::u16string::npos ? number + u" " + text : text.replace(hole, 2, number);
}

std::u16string LiveTvValue(const AppState& state) {
  std::u16string value = Tr("live_pause") + u": " + BufferChoiceText(state.preferences.liveBufferMinutes);
  if (state.preferences.startOnLastChannel) value += u" \u00b7 " + Tr("start_last");
  return value;
}

// Two pickers, as the picture-in-picture cell has: the live pause buffer,
// then the start on the last channel. Each cancelled picker keeps its value.
// The buffer's list ends with the guide sources, which open their screen.
void RunLiveTv(ScreenContext& ctx, int) {
  Preferences& p = ctx.state.preferences;
  std::vector<std::u16string> buffers;
  int current = 0;
  for (size_t i = 0; i < std::size(kLiveBufferChoices); ++i) {
    buffers.push_back(BufferChoiceText(kLiveBufferChoices[i]));
    if (kLiveBufferChoices[i] == p.liveBufferMinutes) current = int(i);
  }
  // The guide sources have a screen of their own: their entry closes the
  // list and opens it.
  buffers.push_back(Tr("guide_sources"));
  const int buffer = OpenPicker(ctx.modal, Tr("live_pause"), std::move(buffers), current);
  if (buffer == int(std::size(kLiveBufferChoices))) {
    ctx.navigator.SetScreen(Screen::GuideSources);
    return;
  }
  if (buffer >= 0) p.liveBufferMinutes = kLiveBufferChoices[size_t(buffer)];
  const int last = OpenPicker(ctx.modal, Tr("start_last"), Words({"off", "on"}), p.startOnLastChannel ? 1 : 0);
  if (last >= 0) p.startOnLastChannel = last == 1;
  SavePreferences(p);
  ctx.playback.ApplyPlayerSettings();
}

std::u16string FolderText(const Preferences& p) {
  return p.recordingsFolder.empty() ? Tr("rec_default") : Utf8ToWide(p.recordingsFolder);
}

std::u16string Labelled(std::string_view key, const std::u16string& value) { return Tr(key) + u": " + value; }

// Which setting of a choice list holds `value`; the first when none does.
template <size_t N>
int ChoiceIndex(const int (&choices)[N], int value) {
  for (size_t i = 0; i < N; ++i)
    if (choices[i] == value) return int(i);
  return 0;
}

// False when the picker was cancelled (`minutes` unchanged).
template <size_t N>
bool PickMinutes(ScreenContext& ctx, std::string_view key, const int (&choices)[N], int& minutes) {
  std::vector<std::u16string> options;
  for (int choice : choices) options.push_back(BufferChoiceText(choice));
  const int picked = OpenPicker(ctx.modal, Tr(key), std::move(options), ChoiceIndex(choices, minutes));
  if (picked < 0) return false;
  minutes = choices[size_t(picked)];
  return true;
}

// The recordings folder as typed (surrounding blanks dropped); false when
// the prompt was cancelled. Empty is the default folder.
bool AskRecordingsFolder(ScreenContext& ctx, std::string& folder) {
  TextPrompt prompt{Tr("rec_folder"), Tr("rec_folder_hint"), Utf8ToWide(folder)};
  const std::optional<std::u16string> typed = AskTextOrCancel(ctx.modal, std::move(prompt));
  if (!typed) return false;
  const size_t first = typed->find_first_not_of(u' ');
  const size_t last = typed->find_last_not_of(u' ');
  folder = first == std::u16string::npos ? std::string() : WideToUtf8(typed->substr(first, last - first + 1));
  return true;
}

// A picker of the three recording settings, each with its value, then the
// chosen one's own question; the recording desk reads the preferences when
// it makes a recording. A cancelled question writes nothing.
void RunRecordings(ScreenContext& ctx, int) {
  Preferences& p = ctx.state.preferences;
  std::vector<std::u16string> rows = {Labelled("rec_folder", FolderText(p)),
                                      Labelled("rec_before", BufferChoiceText(p.paddingBeforeMinutes)),
                                      Labelled("rec_after", BufferChoiceText(p.paddingAfterMinutes))};
  const int row = OpenPicker(ctx.modal, Tr("rec_settings"), std::move(rows), 0);
  bool changed = false;
  if (row == 0) changed = AskRecordingsFolder(ctx, p.recordingsFolder);
  if (row == 1) changed = PickMinutes(ctx, "rec_before", kPaddingBeforeChoices, p.paddingBeforeMinutes);
  if (row == 2) changed = PickMinutes(ctx, "rec_after", kPaddingAfterChoices, p.paddingAfterMinutes);
  if (changed) SavePreferences(p);
}

void RunPip(ScreenContext& ctx, int) {
  Settings& s = ctx.state.settings;
  const std::u16string title = Tr("pip_title");
  const int size = OpenPicker(ctx.modal, title, Words({"sub_small", "sub_medium", "sub_large"}), ClampedSize(s.PipSize));
  // Esc on the size is a cancel of the whole question, not a skip to the
  // position.
  if (size < 0) return;
  s.PipSize = size;
  const int pos = OpenPicker(ctx.modal, title, Words({"pip_top", "pip_bottom"}), s.PipPos != 0 ? 1 : 0);
  if (pos >= 0) s.PipPos = pos;
  ctx.window.SaveSettingsNow();
  ctx.playback.LayoutVideo();
}

}  // namespace

std::u16string DeviceTypeLabel(std::u16string_view stored) {
  const std::u16string_view value = stored.empty() ? std::u16string_view(u"TV") : stored;
  for (const DeviceType& type : kDeviceTypes) {
    if (type.value == value) return Tr(type.key);
  }
  return std::u16string(value);
}

void OpenPanelSite(ScreenContext& ctx) {
  ctx.window.OpenInBrowser(ctx.state.panel.identity.PanelLink());
  OpenAccount(ctx);
  ctx.state.StatusText = Tr("scan_code");
}

SettingsChoice SettingsChoiceFor(const Settings& s, int cell) {
  const SettingsCell* row = SettingsCellAt(cell);
  return row && row->choices ? row->choices(s) : SettingsChoice{};
}

void RunSettingsCell(ScreenContext& ctx, int index) {
  const SettingsCell* row = SettingsCellAt(index);
  if (!row) return;
  if (row->needsPin && !ParentalUnlocked(ctx)) return;
  if (row->run) {
    row->run(ctx, index);
    return;
  }
  if (!row->apply) return;
  const int choice = PickFor(ctx, index);
  if (choice < 0) return;
  row->apply(ctx, choice);
  ctx.window.SaveSettingsNow();
}

// ---------------------------------------------------------------------------
// Tile icons: one line drawing per setting, in the order of the cells. Each
// draws with the pen's stroke `w` (thinner details at 0.8 w).

struct SettingIconPen {
  IconPen p;
  double w;
};

namespace {

using Icon = SettingIconPen;

void Slash(const Icon& i) {  // "hidden": a stroke across the whole box
  i.p.Line(0.10, 0.90, 0.90, 0.10);
  i.p.Stroke(i.w);
}

void ScreenShape(const Icon& i) {  // a television: screen and stand
  i.p.Rect(0.10, 0.18, 0.90, 0.72);
  i.p.Line(0.35, 0.88, 0.65, 0.88);
  i.p.Stroke(i.w);
}

void FilmShape(const Icon& i) {  // a frame of film with its perforations
  i.p.Rect(0.16, 0.10, 0.84, 0.90);
  i.p.Line(0.32, 0.10, 0.32, 0.90);
  i.p.Line(0.68, 0.10, 0.68, 0.90);
  i.p.Stroke(i.w);
}

void StackShape(const Icon& i) {  // episodes: a screen with two behind it
  i.p.Rect(0.10, 0.40, 0.90, 0.90);
  i.p.Line(0.20, 0.27, 0.80, 0.27);
  i.p.Line(0.30, 0.14, 0.70, 0.14);
  i.p.Stroke(i.w);
}

void BinLid(const Icon& i) {  // the lid and handle of a waste bin: "clear"
  i.p.Line(0.10, 0.18, 0.90, 0.18);
  i.p.Line(0.38, 0.18, 0.42, 0.06);
  i.p.Line(0.42, 0.06, 0.58, 0.06);
  i.p.Line(0.58, 0.06, 0.62, 0.18);
  i.p.Stroke(i.w);
}

void AddPlaylistIcon(const Icon& i) {  // a list and a plus
  for (double y : {0.20, 0.45, 0.70}) i.p.Line(0.08, y, 0.52, y);
  i.p.Line(0.78, 0.50, 0.78, 0.90);
  i.p.Line(0.58, 0.70, 0.98, 0.70);
  i.p.Stroke(i.w);
}

void ParentalIcon(const Icon& i) {  // a padlock
  i.p.Rect(0.18, 0.45, 0.82, 0.92);
  i.p.Arc(0.50, 0.45, 0.22, std::numbers::pi, 2 * std::numbers::pi);
  i.p.Stroke(i.w);
  i.p.Line(0.50, 0.62, 0.50, 0.75);
  i.p.Stroke(0.8 * i.w);
}

void ChangePlaylistIcon(const Icon& i) {  // two arrows going opposite ways
  i.p.Line(0.10, 0.32, 0.88, 0.32);
  i.p.Line(0.70, 0.14, 0.88, 0.32);
  i.p.Line(0.88, 0.32, 0.70, 0.50);
  i.p.Line(0.90, 0.70, 0.12, 0.70);
  i.p.Line(0.30, 0.52, 0.12, 0.70);
  i.p.Line(0.12, 0.70, 0.30, 0.88);
  i.p.Stroke(i.w);
}

void LanguageIcon(const Icon& i) {  // a globe: outline, meridian, equator
  i.p.Ellipse(0.50, 0.50, 0.42, 0.42);
  i.p.Stroke(i.w);
  i.p.Ellipse(0.50, 0.50, 0.18, 0.42);
  i.p.Line(0.08, 0.50, 0.92, 0.50);
  i.p.Stroke(0.8 * i.w);
}

void LayoutIcon(const Icon& i) {  // four cells of a grid
  i.p.Rect(0.10, 0.10, 0.44, 0.44);
  i.p.Rect(0.56, 0.10, 0.90, 0.44);
  i.p.Rect(0.10, 0.56, 0.44, 0.90);
  i.p.Rect(0.56, 0.56, 0.90, 0.90);
  i.p.Stroke(i.w);
}

void HideLiveIcon(const Icon& i) { ScreenShape(i); Slash(i); }
void HideVodIcon(const Icon& i) { FilmShape(i); Slash(i); }
void HideSeriesIcon(const Icon& i) { StackShape(i); Slash(i); }

void ClearLiveIcon(const Icon& i) {  // a lid over a small television
  BinLid(i);
  i.p.Rect(0.20, 0.34, 0.80, 0.74);
  i.p.Line(0.40, 0.90, 0.60, 0.90);
  i.p.Stroke(i.w);
}

void ClearVodIcon(const Icon& i) {  // a lid over a play sign
  BinLid(i);
  i.p.MoveTo(0.30, 0.34);
  i.p.LineTo(0.78, 0.62);
  i.p.LineTo(0.30, 0.90);
  i.p.canvas.ClosePath();
  i.p.Stroke(i.w);
}

void ClearSeriesIcon(const Icon& i) {  // a lid over a stack of lines
  BinLid(i);
  for (double y : {0.40, 0.60, 0.80}) i.p.Line(0.22, y, 0.78, y);
  i.p.Stroke(i.w);
}

void LiveSortIcon(const Icon& i) {  // an arrow down beside bars of falling length
  i.p.Line(0.20, 0.10, 0.20, 0.88);
  i.p.Line(0.06, 0.72, 0.20, 0.88);
  i.p.Line(0.20, 0.88, 0.34, 0.72);
  i.p.Line(0.46, 0.20, 0.94, 0.20);
  i.p.Line(0.46, 0.48, 0.80, 0.48);
  i.p.Line(0.46, 0.76, 0.64, 0.76);
  i.p.Stroke(i.w);
}

void StreamFormatIcon(const Icon& i) {  // a stream: a wave between brackets
  i.p.Line(0.22, 0.20, 0.06, 0.50);
  i.p.Line(0.06, 0.50, 0.22, 0.80);
  i.p.Line(0.78, 0.20, 0.94, 0.50);
  i.p.Line(0.94, 0.50, 0.78, 0.80);
  i.p.Stroke(i.w);
  i.p.MoveTo(0.30, 0.50);
  i.p.CurveTo(0.40, 0.25, 0.45, 0.25, 0.50, 0.50);
  i.p.CurveTo(0.55, 0.75, 0.60, 0.75, 0.70, 0.50);
  i.p.Stroke(0.8 * i.w);
}

void PlayerIcon(const Icon& i) {  // a play sign in a circle
  i.p.Ellipse(0.50, 0.50, 0.42, 0.42);
  i.p.Stroke(i.w);
  i.p.MoveTo(0.40, 0.32);
  i.p.LineTo(0.68, 0.50);
  i.p.LineTo(0.40, 0.68);
  i.p.canvas.ClosePath();
  i.p.Stroke(0.8 * i.w);
}

void ClockHands(const Icon& i) {
  i.p.Line(0.50, 0.50, 0.50, 0.28);
  i.p.Line(0.50, 0.50, 0.66, 0.58);
  i.p.Stroke(0.8 * i.w);
}

void AutomaticIcon(const Icon& i) {  // a clock inside a turning arrow
  i.p.Arc(0.50, 0.50, 0.42, -0.30 * std::numbers::pi, 1.35 * std::numbers::pi);
  i.p.Stroke(i.w);
  const double tipX = 0.50 + 0.42 * std::cos(1.35 * std::numbers::pi), tipY = 0.50 + 0.42 * std::sin(1.35 * std::numbers::pi);
  i.p.Line(tipX, tipY, tipX + 0.20, tipY - 0.02);
  i.p.Line(tipX, tipY, tipX + 0.02, tipY + 0.20);
  i.p.Stroke(i.w);
  ClockHands(i);
}

void TimeFormatIcon(const Icon& i) {  // a digital clock: four digits about a colon
  i.p.Rect(0.04, 0.24, 0.96, 0.76);
  i.p.Stroke(i.w);
  for (double x : {0.20, 0.34, 0.66, 0.80}) i.p.Line(x, 0.38, x, 0.62);
  i.p.Line(0.50, 0.42, 0.50, 0.43);
  i.p.Line(0.50, 0.57, 0.50, 0.58);
  i.p.Stroke(0.8 * i.w);
}

void SubtitleIcon(const Icon& i) {  // a screen with two lines of text at its foot
  i.p.Rect(0.06, 0.16, 0.94, 0.84);
  i.p.Stroke(i.w);
  i.p.Line(0.20, 0.56, 0.80, 0.56);
  i.p.Line(0.30, 0.70, 0.70, 0.70);
  i.p.Stroke(0.8 * i.w);
}

void DeviceTypeIcon(const Icon& i) {  // a monitor and a phone beside it
  i.p.Rect(0.04, 0.14, 0.66, 0.62);
  i.p.Line(0.22, 0.80, 0.48, 0.80);
  i.p.Rect(0.74, 0.38, 0.96, 0.86);
  i.p.Stroke(i.w);
}

void LiveTvIcon(const Icon& i) {  // a television with the pause sign
  i.p.Rect(0.06, 0.14, 0.94, 0.74);
  i.p.Line(0.35, 0.88, 0.65, 0.88);
  i.p.Stroke(i.w);
  i.p.Line(0.42, 0.32, 0.42, 0.56);
  i.p.Line(0.58, 0.32, 0.58, 0.56);
  i.p.Stroke(0.8 * i.w);
}

void UpdateIcon(const Icon& i) {  // an arrow down into a tray
  i.p.Line(0.50, 0.08, 0.50, 0.62);
  i.p.Line(0.30, 0.42, 0.50, 0.62);
  i.p.Line(0.50, 0.62, 0.70, 0.42);
  i.p.Line(0.10, 0.66, 0.10, 0.90);
  i.p.Line(0.10, 0.90, 0.90, 0.90);
  i.p.Line(0.90, 0.90, 0.90, 0.66);
  i.p.Stroke(i.w);
}

}  // namespace

// --- The table ------------------------------------------------------------------

namespace {

using Tile = SettingsCell::Tile;

// One row per cell: tile, column, row, button text, icon, value line,
// choices, their write, other action, PIN first.
const SettingsCell kCells[kSettingsCellCount] = {
    {Tile::Setting, 0, 0, {}, AddPlaylistIcon, nullptr, nullptr, nullptr, RunAddPlaylist, false},
    {Tile::Setting, 1, 0, {}, ParentalIcon, ParentalValue, nullptr, nullptr, RunParental, true},
    {Tile::Setting, 2, 0, {}, ChangePlaylistIcon, PlaylistValue, nullptr, nullptr, RunChangePlaylist, false},
    {Tile::Setting, 3, 0, {}, LanguageIcon, LanguageValue, LanguageChoices, ApplyLanguage, nullptr, false},
    {Tile::Setting, 0, 1, {}, LayoutIcon, LayoutValue, LayoutChoices, ApplyLayout, nullptr, false},
    {Tile::Setting, 1, 1, {}, HideLiveIcon, nullptr, nullptr, nullptr, RunHideCategories, false},
    {Tile::Setting, 2, 1, {}, HideVodIcon, nullptr, nullptr, nullptr, RunHideCategories, false},
    {Tile::Setting, 3, 1, {}, HideSeriesIcon, nullptr, nullptr, nullptr, RunHideCategories, false},
    {Tile::Setting, 0, 2, {}, ClearLiveIcon, nullptr, nullptr, nullptr, RunClearHistory, false},
    {Tile::Setting, 1, 2, {}, ClearVodIcon, nullptr, nullptr, nullptr, RunClearHistory, false},
    {Tile::Setting, 2, 2, {}, ClearSeriesIcon, nullptr, nullptr, nullptr, RunClearHistory, false},
    {Tile::Setting, 3, 2, {}, LiveSortIcon, LiveSortValue, LiveSortChoices, ApplyLiveSort, nullptr, false},
    {Tile::Setting, 0, 3, {}, StreamFormatIcon, LiveFormatValue, LiveFormatChoices, ApplyLiveFormat,
     nullptr, false},
    {Tile::Setting, 1, 3, {}, PlayerIcon, PlayerValue, PlayerChoices, nullptr, RunPlayer, false},
    // The external players: no tile of its own, chosen through 13's picker.
    {Tile::None, 0, 0, {}, nullptr, nullptr, PlayerChoices, nullptr, RunPlayer, false},
    {Tile::Setting, 2, 3, {}, AutomaticIcon, AutoValue, AutoChoices, ApplyAuto, nullptr, false},
    {Tile::Setting, 3, 3, {}, TimeFormatIcon, TimeFormatValue, TimeFormatChoices, ApplyTimeFormat,
     nullptr, false},
    {Tile::Setting, 0, 4, {}, SubtitleIcon, SubtitleValue, SubtitleChoices, ApplySubtitle, nullptr,
     false},
    {Tile::Setting, 1, 4, {}, DeviceTypeIcon, DeviceTypeValue, DeviceTypeChoices, ApplyDeviceType,
     nullptr, false},
    {Tile::Setting, 2, 4, {}, UpdateIcon, nullptr, nullptr, nullptr, RunUpdateNow, false},
    {Tile::Button, 3, 5, "speed_test", nullptr, nullptr, nullptr, nullptr, RunSpeedTest, false},
    {Tile::Button, 2, 5, "pip_title", nullptr, PipValue, nullptr, nullptr, RunPip, false},
    // The live TV choices kept in preferences.json, in the grid's free place.
    {Tile::Setting, 3, 4, "live_tv", LiveTvIcon, LiveTvValue, nullptr, nullptr, RunLiveTv, false},
    {Tile::None, 0, 0, "rec_settings", nullptr, nullptr, nullptr, nullptr, RunRecordings, false},
};

}  // namespace

const SettingsCell* SettingsCellAt(int cell) {
  return cell >= 0 && cell < kSettingsCellCount ? &kCells[cell] : nullptr;
}

std::u16string_view SettingsTileLabel(int cell) {
  if (cell < kSettingsRowCount) return SettingsRowLabel(cell);
  const SettingsCell* row = SettingsCellAt(cell);
  return row ? Translate(row->buttonKey) : std::u16string_view();
}

void DrawSettingIcon(Canvas& canvas, int cell, const RectF& box, Rgba colour, double stroke) {
  const SettingsCell* row = SettingsCellAt(cell);
  if (!row || !row->icon) return;
  canvas.ClearPath();
  row->icon(Icon{IconPen{canvas, box, colour}, stroke});
}
