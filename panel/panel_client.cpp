#include "panel/panel_client.h"

#include <array>
#include <initializer_list>
#include <utility>

#include "store/runtime_log.h"
#include "net/endpoints.h"
#include "net/http_client.h"
#include "net/json_scan.h"
#include "net/text.h"
#include "platform/device_names.h"
#include "store/settings_file.h"

// Contents
//   1. The panel's calls (a table) and request helpers
//   2. Field reading
//   3. Playlist objects: DescriptorUrl, ParsePlaylistDescriptor
//   4. Messages: ParseMessageList
//   5. PanelClient: SignIn, CheckMine, SendMessage, ParsePanelLists
//   6. The main thread's merge

namespace {

constexpr size_t npos = std::string_view::npos;

// --- 1. The panel's calls -------------------------------------------------

struct PanelCall {
  std::u16string_view method;
  std::u16string_view path;
  bool bearer;  // "Authorization: Bearer <token>" before the content type
  uint32_t timeoutMs;
  uint64_t cap;
};

constexpr uint64_t kOneMiB = 1048576;
constexpr PanelCall kLogin{u"POST", u"/vs4.3/api/lists.php?do=login", false, 15000, kOneMiB};
constexpr PanelCall kRegister{u"POST", u"/vs4.3/api/register.php", false, 15000, kOneMiB};
constexpr PanelCall kMessages{u"GET", u"/vs4.3/api/lists.php?do=messages", true, 12000, kOneMiB};
constexpr PanelCall kMine{u"GET", u"/vs4.3/api/lists.php?do=mine", true, 12000, kOneMiB};
constexpr PanelCall kMessage{u"POST", u"/vs4.3/api/lists.php?do=message", true, 15000, 262144};

constexpr std::u16string_view kJsonContent = u"Content-Type: application/json\r\n";

HttpResult Perform(const PanelCall& call, std::u16string_view token, std::string_view body) {
  std::u16string headers;
  if (call.bearer) headers.append(u"Authorization: Bearer ").append(token).append(u"\r\n");
  headers.append(kJsonContent);
  std::u16string url = Endpoints::PanelUrl();
  url.append(call.path);
  return HttpClient::Request(call.method, url, headers, body, call.timeoutMs, call.cap);
}

// A flat JSON object of string values, in the order given, without spaces.
std::string JsonBody(std::initializer_list<std::pair<std::string_view, std::u16string_view>> fields) {
  std::string body = "{";
  for (const auto& [key, value] : fields) {
    if (body.size() > 1) body.push_back(',');
    body.append("\"").append(key).append("\":\"");
    body.append(JsonScan::Escape(WideToUtf8(value))).append("\"");
  }
  body.push_back('}');
  return body;
}

// Text from a server that goes into one log line or one header line: a
// control character would split the line, so each becomes a space.
std::string OneLine(std::string text) {
  for (char& c : text)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
  return text;
}

bool HasControlCharacter(std::u16string_view text) {
  for (char16_t c : text)
    if (c < 0x20 || c == 0x7F) return true;
  return false;
}

// --- 2. Field reading -----------------------------------------------------

bool IsSpace(char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t'; }

// A located value as text: strings decoded; numbers and booleans as written
// without surrounding white space (so an id of 7 equals an activeId of 7
// however the answer is laid out); null, objects and arrays as empty, so
// that "url":null never becomes a playlist called "null".
std::u16string AsText(const JsonScan::RawValue& value) {
  if (!value.found) return {};
  if (value.quoted) return JsonScan::DecodedW(value);
  std::string_view token = value.raw;
  while (!token.empty() && IsSpace(token.back())) token.remove_suffix(1);
  if (token.empty() || token == "null" || token.front() == '{' || token.front() == '[') return {};
  return Utf8ToWide(token);
}

std::u16string Field(std::string_view object, std::string_view key) {
  JsonScan::RawValue value;
  JsonScan::FindValues(object, std::span<const std::string_view>(&key, 1), std::span<JsonScan::RawValue>(&value, 1));
  return AsText(value);
}

// The first non-empty value among `keys`, in the order of `keys`.
std::u16string FirstField(std::string_view object, std::initializer_list<std::string_view> keys) {
  std::array<JsonScan::RawValue, 8> values;
  if (keys.size() > values.size()) return {};
  const std::span<const std::string_view> wanted(keys.begin(), keys.size());
  JsonScan::FindValues(object, wanted, std::span<JsonScan::RawValue>(values.data(), keys.size()));
  for (size_t i = 0; i < keys.size(); ++i) {
    std::u16string text = AsText(values[i]);
    if (!text.empty()) return text;
  }
  return {};
}

// --- 3. Playlist objects --------------------------------------------------

bool Contains(std::u16string_view text, std::u16string_view part) { return text.find(part) != npos; }

// The host part of a URL as a playlist's fallback name: the text after
// "://", cut before the first "/", then before the first ":" (the port)
// unless the text starts with it.
std::u16string HostName(std::u16string_view url) {
  const size_t scheme = url.find(u"://");
  std::u16string_view host = scheme == npos ? url : url.substr(scheme + 3);
  host = host.substr(0, host.find(u'/'));
  const size_t colon = host.find(u':');
  if (colon != npos && colon != 0) host = host.substr(0, colon);
  return std::u16string(host);
}

}  // namespace

std::u16string DescriptorUrl(std::string_view object) {
  const std::u16string url = FirstField(object, {"url", "m3u", "link", "playlistUrl"});
  std::u16string server = FirstField(object, {"server", "host", "portal"});
  // A bare server address given as the URL still combines with credentials.
  if (server.empty() && !url.empty() && !Contains(url, u"get.php") && !Contains(url, u"username=")) server = url;
  const std::u16string user = FirstField(object, {"username", "user"});
  const std::u16string password = FirstField(object, {"password", "pass"});

  if (Contains(url, u"username=")) return url;
  if (server.empty() || user.empty()) return url;
  while (!server.empty() && (server.back() == u'/' || server.back() == u'\\')) server.pop_back();
  server.append(u"/get.php?username=").append(user).append(u"&password=").append(password);
  server.append(u"&type=m3u_plus&output=ts");
  return server;
}

std::optional<PlaylistDescriptor> ParsePlaylistDescriptor(std::string_view object, size_t collected) {
  PlaylistDescriptor descriptor;
  descriptor.url = DescriptorUrl(object);
  descriptor.name = FirstField(object, {"name", "title", "playlist_name", "dns", "label"});
  if (descriptor.name.empty() && !descriptor.url.empty()) descriptor.name = HostName(descriptor.url);
  if (descriptor.name.empty() && descriptor.url.empty()) return std::nullopt;
  if (descriptor.name.empty()) descriptor.name = u"Playlist " + AsciiToWide(std::to_string(collected + 1));
  descriptor.id = Field(object, "id");
  return descriptor;
}

// --- 4. Messages ----------------------------------------------------------

std::optional<std::vector<PanelMessage>> ParseMessageList(std::string_view answer) {
  const std::string array = JsonScan::Array(answer, "messages");
  if (array.empty()) return std::nullopt;
  std::vector<PanelMessage> messages;
  JsonScan::ForEachObject(array, [&](std::string_view object) {
    PanelMessage message;
    message.id = Field(object, "id");
    message.title = Field(object, "title");
    message.text = FirstField(object, {"text", "message"});
    message.from = FirstField(object, {"fromRole", "from"});
    message.role = Field(object, "role");
    if (message.text.empty() && message.title.empty()) return;
    messages.push_back(std::move(message));
  });
  return messages;
}

// --- 5. PanelClient -------------------------------------------------------

PanelSettings PanelSettings::From(const Settings& settings) {
  return PanelSettings{settings.PlaylistUrl, settings.DeviceType, settings.Extra};
}

PanelClient::PanelClient(PanelState state, PanelSettings settings)
    : state_(std::move(state)), settings_(std::move(settings)), account_(DeriveXtreamSource(settings_.PlaylistUrl)) {}

bool PanelClient::SignIn() {
  signInRan_ = true;
  state_.identity.Refresh();
  state_.messages.clear();
  messagesReplaced_ = true;
  state_.token.clear();

  const std::u16string& mac = state_.identity.panelMac;
  const std::u16string& key = state_.identity.deviceKey;
  const HttpResult login = Perform(kLogin, {}, JsonBody({{"mac", mac}, {"key", key}}));
  if (login.empty()) {
    WriteLog("panel login empty");
    return false;
  }
  std::u16string token = Field(login, "token");
  // The token goes into a header line; one that could break the line is unusable.
  if (!HasControlCharacter(token)) state_.token = std::move(token);
  bool loginChanged = false;
  ParsePanelLists(login, &loginChanged);
  ParseMessages(login);

  const std::u16string deviceType = settings_.DeviceType.empty() ? u"TV" : settings_.DeviceType;
  const HttpResult registration = Perform(kRegister, {}, JsonBody({{"mac", mac},
                                                                   {"key", key},
                                                                   {"code", key},
                                                                   {"appId", u"vistra-desk-043"},
                                                                   {"platform", SystemName()},
                                                                   {"deviceType", deviceType}}));
  bool registrationChanged = false;
  ParsePanelLists(registration, &registrationChanged);
  ParseMessages(registration);
  WriteLogF(160, "register bytes=%d listsKey=%d loginListsKey=%d", static_cast<int>(registration.size()),
            registration.find("\"playlists\"") != npos ? 1 : 0, login.find("\"playlists\"") != npos ? 1 : 0);

  const std::u16string panelMac = Field(login, "mac");
  if (!panelMac.empty()) state_.identity.panelMac = panelMac;

  // A change seen in the login or registration answer counts as much as one
  // seen by the check: the caller reloads the catalog on either.
  const bool mineChanged = !state_.token.empty() && CheckMine();
  return loginChanged || registrationChanged || mineChanged;
}

bool PanelClient::CheckMine() {
  if (state_.token.empty()) return false;
  ParseMessages(Perform(kMessages, state_.token, {}));
  bool changed = false;
  const size_t count = ParsePanelLists(Perform(kMine, state_.token, {}), &changed);
  if (count == 0 && state_.panelLists.empty())
    WriteLogF(96, "panel mine empty msgs=%d", static_cast<int>(state_.messages.size()));
  return changed;
}

bool PanelClient::SendMessage(std::u16string_view title, std::u16string_view text) {
  if (state_.token.empty() || text.empty()) return false;
  const HttpResult answer = Perform(kMessage, state_.token, JsonBody({{"title", title}, {"text", text}}));
  // A panel that says "error": null or false reports no error.
  std::string error = WideToUtf8(Field(answer, "error"));
  if (error == "false") error.clear();
  WriteLogF(96, "panel send bytes=%d err=%s", static_cast<int>(answer.size()),
            error.empty() ? "none" : OneLine(error).c_str());
  const bool ok = !answer.empty() && error.empty();
  if (ok) CheckMine();
  return ok;
}

void PanelClient::ParseMessages(std::string_view answer) {
  auto messages = ParseMessageList(answer);
  if (!messages) return;
  state_.messages = std::move(*messages);
  messagesReplaced_ = true;
}

namespace {

// The descriptors of one answer, with the URLs that decide the active one.
struct Collected {
  std::vector<PlaylistDescriptor> found;
  std::u16string firstUrl;
  std::u16string activeUrl;  // of the descriptor whose id is the answer's activeId
  std::u16string activeId;

  void Take(std::string_view object) {
    auto descriptor = ParsePlaylistDescriptor(object, found.size());
    if (!descriptor) return;
    if (firstUrl.empty()) firstUrl = descriptor->url;
    if (activeUrl.empty() && !activeId.empty() && descriptor->id == activeId) activeUrl = descriptor->url;
    found.push_back(std::move(*descriptor));
  }
  void TakeAll(std::string_view text) {
    JsonScan::ForEachObject(text, [this](std::string_view object) { Take(object); });
  }
  bool AnyUrl() const { return !firstUrl.empty(); }
};

bool StartsWithBracket(std::string_view text) {
  const size_t first = text.find_first_not_of(" \t\r\n");
  return first != npos && text[first] == '[';
}

bool SameLists(const std::vector<PlaylistDescriptor>& found, const std::vector<PlaylistEntry>& stored) {
  if (found.size() != stored.size()) return false;
  for (size_t i = 0; i < found.size(); ++i)
    if (found[i].name != stored[i].name || found[i].url != stored[i].url) return false;
  return true;
}

}  // namespace

// The playlists are read, in this order of preference, from the "playlists"
// array, the "lists" array, a single "playlist" object, or the answer itself
// (a bare list of objects, or one object). An answer that names no list at
// all and yields no playlist with a URL (an error answer, a plain "ok") says
// nothing about the playlists and leaves them, and the settings, alone.
size_t PanelClient::ParsePanelLists(std::string_view answer, bool* changed) {
  if (answer.empty()) return 0;
  Collected collected;
  collected.activeId = Field(answer, "activeId");

  const std::string playlists = JsonScan::Array(answer, "playlists");
  collected.TakeAll(playlists);
  std::string lists;
  if (collected.found.empty()) {
    lists = JsonScan::Array(answer, "lists");
    collected.TakeAll(lists);
  }
  const bool bareList = StartsWithBracket(answer);
  const bool listNamed = !playlists.empty() || !lists.empty() || bareList;
  bool singleNamed = false;
  if (bareList && collected.found.empty()) {
    collected.TakeAll(answer);
  } else if (!listNamed) {
    const size_t single = answer.find("\"playlist\":{");
    singleNamed = single != npos;
    if (singleNamed) {
      // The object itself when it is whole; a cut answer still gives its beginning.
      const std::string_view rest = answer.substr(answer.find('{', single));
      const auto objects = JsonScan::Objects(rest);
      collected.Take(objects.empty() ? rest : objects.front());
    } else {
      collected.TakeAll(answer);
    }
  }
  if (!listNamed && !singleNamed && !collected.AnyUrl()) return 0;

  const std::u16string activeUrl = collected.activeUrl.empty() ? collected.firstUrl : collected.activeUrl;
  const bool sameActive = activeUrl.empty() || activeUrl == settings_.PlaylistUrl;
  if (SameLists(collected.found, state_.panelLists) && sameActive) return collected.found.size();

  if (changed) *changed = true;
  StorePanelLists(collected.found, activeUrl);
  WriteLogF(96, "panel lists=%d xtream=%d", static_cast<int>(collected.found.size()), account_.IsXtream ? 1 : 0);
  return collected.found.size();
}

void PanelClient::StorePanelLists(const std::vector<PlaylistDescriptor>& found, const std::u16string& activeUrl) {
  listsStored_ = true;
  state_.panelLists.clear();
  settings_.Extra.clear();
  for (const PlaylistDescriptor& descriptor : found) {
    state_.panelLists.push_back({descriptor.name, descriptor.url});
    if (!descriptor.url.empty() && descriptor.url != activeUrl) settings_.Extra.push_back({descriptor.name, descriptor.url});
  }
  if (!activeUrl.empty() && activeUrl != settings_.PlaylistUrl) {
    settings_.PlaylistUrl = activeUrl;
    playlistUrlChanged_ = true;
  }
  if (!activeUrl.empty()) {
    account_ = DeriveXtreamSource(settings_.PlaylistUrl);
    accountApplied_ = true;
  }
}

PanelResult PanelClient::Result() const {
  PanelResult result;
  result.changed = listsStored_;
  if (signInRan_) {
    result.identity = state_.identity;
    result.token = state_.token;
  }
  if (listsStored_) {
    result.panelLists = state_.panelLists;
    result.Extra = settings_.Extra;
  }
  if (messagesReplaced_) result.messages = state_.messages;
  if (playlistUrlChanged_) result.PlaylistUrl = settings_.PlaylistUrl;
  if (accountApplied_) result.account = account_;
  return result;
}

// --- 6. The main thread's merge -------------------------------------------

bool ApplyPanelResult(const PanelResult& result, PanelState& panel, Settings& settings, XtreamAccount& account) {
  if (result.identity) panel.identity = *result.identity;
  if (result.token) panel.token = *result.token;
  if (result.panelLists) panel.panelLists = *result.panelLists;
  if (result.messages) panel.messages = *result.messages;
  if (result.PlaylistUrl) settings.PlaylistUrl = *result.PlaylistUrl;
  if (result.Extra) settings.Extra = *result.Extra;
  if (result.account) account = *result.account;
  return result.SettingsChanged();
}

bool MergePanelResult(const PanelResult& result, PanelState& panel, Settings& settings, XtreamAccount& account) {
  if (!ApplyPanelResult(result, panel, settings, account)) return false;
  SaveSettings(settings);
  return true;
}
