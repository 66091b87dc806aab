#include "catalog/xtream_client.h"

// Sections: requests and their limits; building items from located values;
// the list parsers; the series-info walk; the loaders.

#include <array>
#include <climits>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>

#include "catalog/special_categories.h"
#include "net/http_client.h"
#include "net/json_scan.h"
#include "net/text.h"

namespace {

using JsonScan::RawValue;

// --- requests and their limits ---

constexpr uint32_t kSecondMs = 1000;
constexpr uint64_t kMiB = 1024 * 1024;

struct ApiRequest {
  std::u16string_view action;
  uint32_t timeoutMs;
  uint64_t cap;
};

// Whole-catalog answers of large servers reach tens of megabytes (a million
// channels, some 350 MiB), hence the long time-outs and the 512 MiB caps on
// the list requests: a list is never used cut, so the cap only bounds what a
// broken server can make us hold.
constexpr uint64_t kListCap = 512 * kMiB;
constexpr ApiRequest kLiveCategories{u"get_live_categories", 25 * kSecondMs, 4 * kMiB};
constexpr ApiRequest kLiveStreams{u"get_live_streams", 45 * kSecondMs, kListCap};
constexpr ApiRequest kVodCategories{u"get_vod_categories", 40 * kSecondMs, 8 * kMiB};
constexpr ApiRequest kSeriesCategories{u"get_series_categories", 40 * kSecondMs, 8 * kMiB};
constexpr ApiRequest kVodStreams{u"get_vod_streams", 90 * kSecondMs, kListCap};
constexpr ApiRequest kSeriesList{u"get_series", 90 * kSecondMs, kListCap};
constexpr ApiRequest kSeriesInfo{u"get_series_info", 25 * kSecondMs, 8 * kMiB};

std::u16string RequestUrl(const XtreamAccount& account, const ApiRequest& request, std::u16string_view extraQuery) {
  std::u16string url = PlayerApiUrl(account, request.action);
  url.append(extraQuery);
  return url;
}

HttpResult Fetch(const XtreamAccount& account, const ApiRequest& request, std::u16string_view extraQuery = {}) {
  return HttpClient::Get(RequestUrl(account, request, extraQuery), request.timeoutMs, request.cap);
}

HttpClient::HttpReply FetchWhole(const XtreamAccount& account, const ApiRequest& request) {
  return HttpClient::FetchGet(RequestUrl(account, request, {}), request.timeoutMs, request.cap);
}

bool IsJsonSpace(char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t'; }

// The decimal value of a text as C's atoi reads it (leading white space, a
// sign, digits; anything else ends the number; no digits give 0), clamped to
// 32 bits instead of overflowing.
int32_t DecimalValue(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && (IsJsonSpace(text[i]) || text[i] == '\v' || text[i] == '\f')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  int64_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > int64_t(INT32_MAX) + 1) break;
  }
  if (negative) value = -value;
  if (value > INT32_MAX) return INT32_MAX;
  if (value < INT32_MIN) return INT32_MIN;
  return int32_t(value);
}

// --- building items from located values ---

// Collects the decoded texts of one item in a buffer that is reused for every
// object of an answer, so that a list of 160,000 channels costs one
// allocation per item (the item's own copy of its texts) and nothing more.
class ItemTexts {
 public:
  struct Slot {
    uint32_t begin = 0;
    uint32_t end = 0;
    bool empty() const { return begin == end; }
  };

  void Clear() { text_.clear(); }

  Slot Add(const RawValue& value) {
    const uint32_t begin = Size();
    JsonScan::AppendDecodedWide(value, text_);
    return {begin, Size()};
  }

  Slot Add(std::u16string_view literal) {
    const uint32_t begin = Size();
    text_.append(literal);
    return {begin, Size()};
  }

  // The value, or `fallback` when the value is empty.
  Slot AddOr(const RawValue& value, std::u16string_view fallback) {
    const Slot slot = Add(value);
    return slot.empty() ? Add(fallback) : slot;
  }

  // The account's StreamUrlPrefix (made once per list) + id + "." + ext,
  // built in place.
  Slot AddStreamUrl(std::u16string_view prefix, Slot id, Slot ext) {
    const uint32_t begin = Size();
    text_.append(prefix);
    text_.append(text_, id.begin, id.end - id.begin).append(u".");
    text_.append(text_, ext.begin, ext.end - ext.begin);
    return {begin, Size()};
  }

  // Valid until the next Add or Clear.
  std::u16string_view View(Slot slot) const {
    return std::u16string_view(text_).substr(slot.begin, slot.end - slot.begin);
  }
  // The value's UTF-8 bytes, unescaped; valid until the next call.
  std::string_view Bytes(const RawValue& value) {
    if (!value.found) return {};
    if (!value.quoted || !value.escaped) return value.raw;
    bytes_.clear();
    JsonScan::AppendDecoded(value, bytes_);
    return bytes_;
  }

 private:
  uint32_t Size() const { return static_cast<uint32_t>(text_.size()); }

  std::u16string text_;
  std::string bytes_;
};

// --- the list parsers ---

enum LiveKey { kLiveId, kLiveName, kLiveCategory, kLiveEpg, kLiveContainer, kLiveIcon, kLiveNum, kLiveArchive,
               kLiveAdded, kLiveKeyCount };
constexpr std::array<std::string_view, kLiveKeyCount> kLiveKeys = {
    "stream_id", "name", "category_id", "epg_channel_id", "container_extension",
    "stream_icon", "num", "tv_archive", "added"};

enum ItemKey { kItemId, kItemName, kItemCategory, kItemContainer, kItemIcon, kItemNum, kItemAdded, kItemRating,
               kItemKeyCount };
constexpr std::array<std::string_view, kItemKeyCount> kMovieKeys = {
    "stream_id", "name", "category_id", "container_extension", "stream_icon", "num", "added", "rating"};
constexpr std::array<std::string_view, kItemKeyCount> kSeriesKeys = {
    "series_id", "name", "category_id", "container_extension", "cover", "num", "added", "rating"};

enum CategoryKey { kCategoryName, kCategoryId, kCategoryKeyCount };
constexpr std::array<std::string_view, kCategoryKeyCount> kCategoryKeys = {"category_name", "category_id"};

// Builds the items of one list answer as a JsonScan::ListReader cuts its
// objects: the wanted members are decoded into one reused buffer and the
// item copies them out, so an item costs its own allocation and nothing more.
enum class ListOf { Live, Movies, Series };

class ListBuilder {
 public:
  ListBuilder(const XtreamAccount& account, ListOf of, std::u16string_view liveFormat)
      : of_(of),
        liveFormat_(liveFormat),
        urlExt_(liveFormat.empty() ? std::u16string_view(u"ts") : liveFormat),
        urlPrefix_(StreamUrlPrefix(account, of == ListOf::Live ? u"live" : u"movie")) {}

  std::span<const std::string_view> Keys() const {
    if (of_ == ListOf::Live) return kLiveKeys;
    return of_ == ListOf::Movies ? std::span<const std::string_view>(kMovieKeys) : kSeriesKeys;
  }

  // Room for the items of an answer of `bytes` bytes: live objects run at
  // about 300 bytes, movie and series objects are larger.
  void Reserve(uint64_t bytes) { items_.Reserve(size_t(bytes / 256 + 1)); }

  static void OnObject(void* self, std::span<const RawValue> values) {
    auto* builder = static_cast<ListBuilder*>(self);
    if (builder->of_ == ListOf::Live) {
      builder->AddLive(values);
    } else {
      builder->AddVodOrSeries(values);
    }
  }

  SharedItems Finish() { return items_.Finish(); }
  void Drop() { items_ = ItemListBuilder(); }

 private:
  // One record's texts, as places in texts_ (the views are taken once all
  // are in, since adding may move the buffer).
  struct Slots {
    ItemTexts::Slot id, name, category, epg, container, icon, num, url, added, rating;
  };

  void AddLive(std::span<const RawValue> v) {
    texts_.Clear();
    Slots s;
    s.id = texts_.Add(v[kLiveId]);
    if (s.id.empty()) return;
    s.name = texts_.Add(v[kLiveName]);
    s.category = texts_.Add(v[kLiveCategory]);
    s.epg = texts_.Add(v[kLiveEpg]);
    s.container = texts_.AddOr(v[kLiveContainer], liveFormat_);
    s.icon = texts_.Add(v[kLiveIcon]);
    s.num = texts_.Add(v[kLiveNum]);
    s.added = texts_.Add(v[kLiveAdded]);
    const auto ext = texts_.Add(urlExt_);
    s.url = texts_.AddStreamUrl(urlPrefix_, s.id, ext);
    items_.Add(ItemKind::Live, FieldsOf(s), DecimalValue(texts_.Bytes(v[kLiveArchive])));
  }

  void AddVodOrSeries(std::span<const RawValue> v) {
    const bool movies = of_ == ListOf::Movies;
    texts_.Clear();
    Slots s;
    s.id = texts_.Add(v[kItemId]);
    if (s.id.empty()) return;
    s.name = texts_.Add(v[kItemName]);
    s.category = texts_.Add(v[kItemCategory]);
    s.container = texts_.AddOr(v[kItemContainer], u"mp4");
    s.icon = texts_.Add(v[kItemIcon]);
    s.num = texts_.Add(v[kItemNum]);
    s.added = texts_.Add(v[kItemAdded]);
    s.rating = texts_.Add(v[kItemRating]);
    if (movies) s.url = texts_.AddStreamUrl(urlPrefix_, s.id, s.container);
    items_.Add(movies ? ItemKind::Vod : ItemKind::Series, FieldsOf(s), 0);
  }

  CatalogItem::Fields FieldsOf(const Slots& s) const {
    return CatalogItem::Fields{texts_.View(s.id),   texts_.View(s.name),      texts_.View(s.category),
                               texts_.View(s.epg),  texts_.View(s.container), texts_.View(s.icon),
                               texts_.View(s.num),  texts_.View(s.url),       texts_.View(s.added),
                               texts_.View(s.rating)};
  }

  ListOf of_;
  std::u16string_view liveFormat_;
  std::u16string_view urlExt_;
  std::u16string urlPrefix_;
  ItemTexts texts_;
  ItemListBuilder items_;
};

// The objects of a text that is the list's items (or the list with its
// brackets), cut as JsonScan::ForEachObject cuts them.
void ReadObjects(std::string_view json, ListBuilder& builder) {
  JsonScan::ListReader reader(JsonScan::ListReader::Start::Objects, builder.Keys(), &ListBuilder::OnObject,
                              &builder);
  reader.Feed(json);
  reader.Finish();
}

// --- the series-info walk ---

constexpr size_t npos = std::string_view::npos;

// Where the "episodes" member starts (its key's opening quote), or 0 when the
// answer has none. Only a key counts, never a value that reads "episodes".
size_t EpisodesStart(std::string_view json) {
  constexpr std::string_view kKey = "\"episodes\"";
  for (size_t at = json.find(kKey); at != npos; at = json.find(kKey, at + 1)) {
    size_t p = at + kKey.size();
    while (p < json.size() && IsJsonSpace(json[p])) ++p;
    if (p < json.size() && json[p] == ':') return at;
  }
  return 0;
}

// Whether the string closing at text[close] is followed, after optional
// white space, by a colon: then it stands as a key.
bool IsKeyAt(std::string_view text, size_t close) {
  size_t p = close + 1;
  while (p < text.size() && IsJsonSpace(text[p])) ++p;
  return p < text.size() && text[p] == ':';
}

// The episode objects of a series-info text, in answer order, in one pass.
// An object is an episode when container_extension or episode_num is one of
// its own members (not a member of something nested in it); an episode is
// taken whole with whatever it nests, and an object that is not one is
// searched for episodes inside it. Whether an object is an episode is only
// known at its '}' (the key may follow its nested objects), so the episodes
// found inside an open object wait in `found` until it closes, and give way
// to the object itself if it is an episode. An object that the text never
// closes (a cut answer) yields nothing, nor does anything after a string
// that never closes.
std::vector<std::string_view> EpisodeObjects(std::string_view text) {
  // One word per open '{' or '[': its position, and for an object whether it
  // has shown an episode key. Deep nesting costs 8 bytes a level.
  constexpr uint64_t kEpisodeBit = uint64_t{1} << 63;
  std::vector<uint64_t> open;
  const auto isObject = [&](uint64_t entry) { return text[size_t(entry & ~kEpisodeBit)] == '{'; };
  std::vector<std::string_view> found;
  size_t taken = 0;  // found[0, taken) stand outside every open object
  size_t objects = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '"') {
      const size_t close = JsonScan::detail::StringEnd(text, i);
      if (close == npos) break;
      if (!open.empty() && isObject(open.back()) && IsKeyAt(text, close)) {
        const std::string_view name = text.substr(i + 1, close - i - 1);
        if (name == "container_extension" || name == "episode_num") open.back() |= kEpisodeBit;
      }
      i = close;
    } else if (c == '{' || c == '[') {
      open.push_back(i);
      objects += c == '{';
    } else if (c == ']') {
      if (!open.empty() && !isObject(open.back())) open.pop_back();
    } else if (c == '}' && objects > 0) {
      // Braces alone decide where an object ends; a list left open inside
      // it ends with it.
      while (!isObject(open.back())) open.pop_back();
      const uint64_t entry = open.back();
      open.pop_back();
      --objects;
      if (entry & kEpisodeBit) {
        const char* begin = text.data() + (entry & ~kEpisodeBit);
        while (found.size() > taken && found.back().data() > begin) found.pop_back();
        found.push_back(std::string_view(begin, size_t(text.data() + i + 1 - begin)));
      }
      if (objects == 0) taken = found.size();
    }
  }
  found.resize(taken);
  return found;
}

enum EpisodeKey { kEpisodeId, kEpisodeTitle, kEpisodeContainer, kEpisodeNum, kEpisodeSeason, kEpisodeSeasonNum,
                  kEpisodeKeyCount };
constexpr std::array<std::string_view, kEpisodeKeyCount> kEpisodeKeys = {
    "id", "title", "container_extension", "episode_num", "season", "season_num"};

void AddEpisode(std::string_view object, std::vector<Episode>& episodes) {
  std::array<RawValue, kEpisodeKeyCount> v;
  JsonScan::FindValues(object, kEpisodeKeys, v);
  Episode episode;
  episode.id = JsonScan::DecodedW(v[kEpisodeId]);
  if (episode.id.empty()) return;
  episode.containerExt = JsonScan::DecodedW(v[kEpisodeContainer]);
  if (episode.containerExt.empty() && JsonScan::Decoded(v[kEpisodeNum]).empty()) return;
  if (episode.containerExt.empty()) episode.containerExt = u"mp4";
  episode.title = JsonScan::DecodedW(v[kEpisodeTitle]);
  episode.season = JsonScan::DecodedW(v[kEpisodeSeason]);
  if (episode.season.empty()) episode.season = JsonScan::DecodedW(v[kEpisodeSeasonNum]);
  if (episode.season.empty()) episode.season = u"1";
  episode.number = JsonScan::DecodedW(v[kEpisodeNum]);
  episodes.push_back(std::move(episode));
}

// --- the loaders ---

std::vector<Category> DownloadLiveCategories(std::vector<Category> server) {
  using namespace SpecialCategory;
  std::vector<Category> list = {{std::u16string(AddGroupName), std::u16string(AddGroup)},
                                {std::u16string(RecentName), std::u16string(Recent)},
                                {std::u16string(AllName), std::u16string(All)},
                                {std::u16string(FavoriteName), std::u16string(Favorite)},
                                {std::u16string(LockName), std::u16string(Lock)}};
  list.insert(list.end(), std::make_move_iterator(server.begin()), std::make_move_iterator(server.end()));
  return list;
}

std::vector<Category> DownloadVodCategories(std::vector<Category> server) {
  using namespace SpecialCategory;
  std::vector<Category> list = {{std::u16string(DownloadAllName), std::u16string(All)},
                                {std::u16string(DownloadFavoritesName), std::u16string(Favorite)}};
  list.insert(list.end(), std::make_move_iterator(server.begin()), std::make_move_iterator(server.end()));
  return list;
}

}  // namespace

std::vector<Category> ParseServerCategories(std::string_view json) {
  std::vector<Category> categories;
  std::array<RawValue, kCategoryKeyCount> v;
  JsonScan::ForEachObject(json, [&](std::string_view object) {
    JsonScan::FindValues(object, kCategoryKeys, v);
    Category category{JsonScan::DecodedW(v[kCategoryName]), JsonScan::DecodedW(v[kCategoryId])};
    if (!category.id.empty()) categories.push_back(std::move(category));
  });
  return categories;
}

SharedItems ParseLiveStreams(std::string_view json, const XtreamAccount& account, std::u16string_view liveFormat) {
  ListBuilder builder(account, ListOf::Live, liveFormat);
  builder.Reserve(json.size());
  ReadObjects(json, builder);
  return builder.Finish();
}

SharedItems ParseVodOrSeries(std::string_view json, const XtreamAccount& account, VodKind kind) {
  ListBuilder builder(account, kind == VodKind::Movies ? ListOf::Movies : ListOf::Series, {});
  builder.Reserve(json.size());
  ReadObjects(json, builder);
  return builder.Finish();
}

bool ParseSeriesInfo(std::string_view json, SeriesInfo& info) {
  info = SeriesInfo{};
  info.SeriesPlot = JsonScan::ValueW(json, "plot");
  // Episode objects may stand at any depth (a list per season, an object of
  // seasons, a flat list): containers are entered, episodes taken whole with
  // whatever they nest.
  for (const std::string_view object : EpisodeObjects(json.substr(EpisodesStart(json))))
    AddEpisode(object, info.Episodes);
  return !info.Episodes.empty();
}

namespace {

// A list answer is usable only whole: a connection that dropped, even one
// that announced no length, leaves a list without its closing bracket, and a
// cut list would replace a good catalog (and its cache) with a fragment.
// Anything that holds no list (an HTML error page, an authentication
// failure object) is no answer either: taking it as an empty list would
// wipe a good catalog because of a passing server fault. Text around the
// list (PHP notices, HTML comments) is ignored.
//
// The list is parsed as it downloads, so that the items are ready about when
// its last byte arrives and the answer is never held whole: only the object
// still open between two pieces is kept, and the reply keeps the answer's
// head for explaining a failure. Items of a list that was not whole are
// dropped at the end.
constexpr size_t kAnswerHead = 64 * 1024;

struct StreamedList {
  HttpClient::HttpReply reply;  // its body: the answer's head only
  bool whole = false;
};

StreamedList FetchList(const XtreamAccount& account, const ApiRequest& request, ListBuilder& builder) {
  JsonScan::ListReader reader(JsonScan::ListReader::Start::List, builder.Keys(), &ListBuilder::OnObject, &builder);
  StreamedList list;
  list.reply = HttpClient::FetchGetInto(RequestUrl(account, request, {}), request.timeoutMs, request.cap,
                                        [&reader](std::string_view bytes) { reader.Feed(bytes); }, kAnswerHead);
  list.whole = reader.Finish() == JsonScan::ObjectList::State::Whole && list.reply.whole();
  if (!list.whole) builder.Drop();
  return list;
}

// The categories answer: a failed request or an answer that holds no list
// gives no categories (the items still load, under "All"); a list that
// broke off fails the whole load instead, since a catalog that lost its
// categories to a passing fault is no better than the one it would replace.
std::optional<std::vector<Category>> ServerCategories(const HttpClient::HttpReply& reply) {
  using State = JsonScan::ObjectList::State;
  const JsonScan::ObjectList list = JsonScan::FindObjectList(reply.body);
  if (list.state == State::None) return std::vector<Category>{};
  if (!reply.whole() || list.state != State::Whole) return std::nullopt;
  return ParseServerCategories(list.items);
}

}  // namespace

bool LoadLive(const XtreamAccount& account, std::u16string_view liveFormat, Catalog& catalog,
              ProviderAnswer* answer) {
  if (!account.IsXtream) return false;
  const auto report = [answer](const HttpClient::HttpReply& reply, bool catalogCame) {
    if (!answer) return;
    *answer = DescribeAnswer(reply);
    answer->catalog = catalogCame;
  };
  // The categories are parsed before the (much larger) list is fetched so
  // that only one answer is in hand at a time.
  std::optional<std::vector<Category>> categories;
  {
    const HttpClient::HttpReply reply = FetchWhole(account, kLiveCategories);
    categories = ServerCategories(reply);
    if (!categories) {
      const JsonScan::ObjectList list = JsonScan::FindObjectList(reply.body);
      report(reply, reply.whole() && list.state == JsonScan::ObjectList::State::Whole);
      return false;
    }
  }
  ListBuilder builder(account, ListOf::Live, liveFormat);
  const StreamedList streams = FetchList(account, kLiveStreams, builder);
  report(streams.reply, streams.whole);
  if (!streams.whole) return false;
  catalog.LiveCategories = DownloadLiveCategories(std::move(*categories));
  catalog.LiveChannels = builder.Finish();
  return !catalog.LiveChannels->empty();
}

bool LoadVodOrSeries(const XtreamAccount& account, VodKind kind, Catalog& catalog) {
  if (!account.IsXtream) return false;
  const bool movies = kind == VodKind::Movies;
  std::optional<std::vector<Category>> categories =
      ServerCategories(FetchWhole(account, movies ? kVodCategories : kSeriesCategories));
  if (!categories) return false;
  ListBuilder builder(account, movies ? ListOf::Movies : ListOf::Series, {});
  if (!FetchList(account, movies ? kVodStreams : kSeriesList, builder).whole) return false;
  CategoriesOf(catalog, kind) = DownloadVodCategories(std::move(*categories));
  ItemsOf(catalog, kind) = builder.Finish();
  return !ItemsOf(catalog, kind)->empty();
}

bool GetSeriesInfo(const XtreamAccount& account, std::u16string_view seriesId, SeriesInfo& info) {
  info = SeriesInfo{};
  if (!account.IsXtream) return false;
  std::u16string query = u"&series_id=";
  query.append(seriesId);
  const HttpResult answer = Fetch(account, kSeriesInfo, query);
  if (answer.empty()) return false;
  return ParseSeriesInfo(answer, info);
}
