#include "app/recording_desk.h"

#include <algorithm>
#include <system_error>

#include "app/playback_control.h"
#include "catalog/account.h"
#include "i18n/translate.h"
#include "net/text.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/process.h"
#include "player/recording_schedule.h"
#include "store/data_folder.h"
#include "store/runtime_log.h"
#include "ui/modals/pin_gate.h"

namespace {

// Record now without a guide: until stopped, but never unattended for
// longer than this.
constexpr int64_t kNoGuideSeconds = 4 * 3600;
constexpr uint64_t kRecordNoticeMs = 4000;
// The guides of channels with an every-airing rule are asked for this often.
constexpr int64_t kRuleGuideEverySeconds = 15 * 60;

std::string NewRecordingId() {
  static uint32_t counter = 0;
  return "r" + std::to_string(NowUnix()) + "-" + std::to_string(++counter);
}

std::string OwnerOf(const std::string& id) { return std::string(kRecorderOwnerPrefix) + id; }


const EpgEntry* ProgrammeAt(const std::vector<EpgEntry>& rows, int64_t now) {
  for (const EpgEntry& row : rows) {
    if (row.start <= now && now < row.start + int64_t(row.durationMin) * 60) return &row;
  }
  return nullptr;
}

// A name not taken yet in `folder`: the name, else "name (2).ts", ...
std::filesystem::path FreeFileName(const std::filesystem::path& folder, const std::u16string& name) {
  const std::filesystem::path first = folder / Utf8Path(WideToUtf8(name));
  std::error_code error;
  if (!std::filesystem::exists(first, error)) return first;
  const std::u16string stem = name.size() > 3 ? name.substr(0, name.size() - 3) : name;
  for (int n = 2;; ++n) {
    const std::filesystem::path next =
        folder / Utf8Path(WideToUtf8(stem + u" (" + AsciiToWide(std::to_string(n)) + u").ts"));
    if (!std::filesystem::exists(next, error)) return next;
  }
}

void LogState(const Recording& r) {
  WriteLogF(512, "record state id=%s %s bytes=%lld missing=%lld", r.id.c_str(),
            std::string(RecordingStateWord(r.state)).c_str(), static_cast<long long>(r.bytes),
            static_cast<long long>(r.state == RecordingState::Partial ? MissingSeconds(r) : 0));
}

}  // namespace

std::filesystem::path DefaultRecordingsFolder(const std::filesystem::path& videosDir,
                                              const std::filesystem::path& dataFolder) {
  if (!videosDir.empty()) return videosDir / "Vistra";
  return dataFolder / "recordings";
}

RecordingDesk::RecordingDesk(AppState& state, Services services, MediaEngineHooks recorderHooks)
    : state_(state), services_(std::move(services)), hooks_(std::move(recorderHooks)) {}

RecordingDesk::~RecordingDesk() = default;

std::filesystem::path RecordingDesk::Folder() const {
  if (!state_.preferences.recordingsFolder.empty()) return Utf8Path(state_.preferences.recordingsFolder);
  return DefaultRecordingsFolder(UserVideosFolder(), EnsureDataFolder());
}

Recording* RecordingDesk::Find(const std::string& id) {
  for (Recording& r : state_.recordings.recordings) {
    if (r.id == id) return &r;
  }
  return nullptr;
}

void RecordingDesk::Save() {
  if (!SaveRecordings(state_.recordings)) WriteLog("record save failed");
}

void RecordingDesk::Notice(std::u16string text) { ShowNotice(state_, std::move(text), kRecordNoticeMs); }

void RecordingDesk::Load(int64_t now) {
  state_.recordings = LoadRecordings();
  std::vector<Recording> before = state_.recordings.recordings;
  const int settled = SettleAtStart(state_.recordings.recordings, now);
  const int dropped = DropEndedReminders(state_.recordings.reminders, now);
  for (size_t i = 0; i < before.size(); ++i) {
    if (before[i].state != state_.recordings.recordings[i].state) LogState(state_.recordings.recordings[i]);
  }
  if (settled + dropped > 0) Save();
}

// ---------------------------------------------------------------------------
// Starting and stopping

bool RecordingDesk::StartRecorder(Recording& r, int64_t now) {
  if (r.account != AccountKey(state_.account)) {
    // The stream ids are another provider's: nothing of it can be fetched.
    WriteLogF(256, "record refused id=%s account", r.id.c_str());
    return false;
  }
  if (!state_.connections.Take(OwnerOf(r.id))) {
    WriteLogF(256, "conn refused %s", OwnerOf(r.id).c_str());
    Notice(TranslateWith("rec_full", AsciiToWide(std::to_string(state_.connections.Slots().value_or(0)))));
    return false;
  }
  const std::filesystem::path folder = Folder();
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  const LocalTime at = ToLocalTime(r.start);
  const std::filesystem::path file =
      FreeFileName(folder, RecordingFileName(r.channelName, r.title, at.year, at.month, at.day, at.hour, at.minute));
  MediaEngineHooks hooks = hooks_;
  hooks.extraOptions.push_back({"user-agent", PreferencesFrom(state_.settings).userAgent});
  auto recorder = std::make_unique<Recorder>(std::move(hooks));
  // The URL is built now, from the account as it is: a recording scheduled
  // days ago still gets the line's current address. Always the MPEG-TS
  // form: a playlist format would write the playlist's text.
  const std::u16string url = LiveStreamUrl(state_.account, r.streamId, u"ts");
  if (!recorder->Start(url, file)) {
    state_.connections.Give(OwnerOf(r.id));
    WriteLogF(256, "record refused id=%s engine", r.id.c_str());
    return false;
  }
  r.state = RecordingState::Recording;
  r.file = PathUtf8(file);
  r.writtenFrom = now;
  r.writtenTo = now;
  r.bytes = 0;
  WriteLogF(1024, "record start id=%s channel=%s file=%s", r.id.c_str(), WideToUtf8(r.streamId).c_str(),
            r.file.c_str());
  recorders_[r.id] = std::move(recorder);
  return true;
}

void RecordingDesk::StartDue(Recording& r, int64_t now) {
  if (StartRecorder(r, now)) return;
  FinishRecording(r, StopCause::StreamBroke, now, 0);
  LogState(r);
  Notice(TranslateWith("rec_failed", RecordingLabel(r)));
}

void RecordingDesk::Finish(Recording& r, StopCause cause, int64_t now) {
  const auto found = recorders_.find(r.id);
  if (found != recorders_.end()) {
    found->second->Stop();
    r.bytes = int64_t(found->second->BytesWritten());
    // The slot goes back once the engine has closed the stream (FollowClosing).
    closing_.push_back(Closing{r.id, std::move(found->second)});
    recorders_.erase(found);
  }
  FinishRecording(r, cause, now, r.bytes);
  static constexpr const char* kCauseWords[] = {"window", "user", "broke", "disk"};  // StopCause order
  WriteLogF(256, "record stop id=%s cause=%s", r.id.c_str(), kCauseWords[int(cause)]);
  LogState(r);
}

void RecordingDesk::FollowClosing() {
  std::erase_if(closing_, [this](Closing& c) {
    if (c.recorder->Writing()) return false;
    // What arrived between the stop and the close belongs to the file too.
    Recording* r = Find(c.id);
    const int64_t bytes = int64_t(c.recorder->BytesWritten());
    if (r && bytes > r->bytes) {
      r->bytes = bytes;
      dirty_ = true;
    }
    state_.connections.Give(OwnerOf(c.id));
    return true;
  });
}

// ---------------------------------------------------------------------------
// The tick

bool RecordingDesk::FollowRecorders(int64_t now) {
  bool changed = false;
  for (Recording& r : state_.recordings.recordings) {
    const auto found = recorders_.find(r.id);
    if (r.state != RecordingState::Recording || found == recorders_.end()) continue;
    const int64_t bytes = int64_t(found->second->BytesWritten());
    if (bytes != r.bytes) changed = true;
    r.bytes = bytes;
    if (bytes > 0) r.writtenTo = now;
    if (found->second->Writing()) continue;
    // The stream ended on its own: the provider cut it, or it never opened.
    Finish(r, StopCause::StreamBroke, now);
    Notice(TranslateWith(r.bytes > 0 ? "rec_broke" : "rec_failed", RecordingLabel(r)));
    changed = dirty_ = true;
  }
  return changed;
}

// Each recording's own folder is asked (a recording keeps the folder it
// began in, whatever the setting says meanwhile).
bool RecordingDesk::KeepDiskFree(int64_t now) {
  bool stopped = false;
  for (Recording& r : state_.recordings.recordings) {
    if (r.state != RecordingState::Recording || !recorders_.count(r.id)) continue;
    std::error_code error;
    const std::filesystem::space_info space = std::filesystem::space(Utf8Path(r.file).parent_path(), error);
    if (error || space.available >= keepFreeBytes_) continue;
    WriteLogF(128, "record disk full free=%llu", static_cast<unsigned long long>(space.available));
    Finish(r, StopCause::DiskFull, now);
    stopped = true;
  }
  if (!stopped) return false;
  Notice(std::u16string(Translate("rec_disk_full")));
  dirty_ = true;
  return true;
}

bool RecordingDesk::StartAndStopDue(int64_t now) {
  // Until the boot has read the account, nothing can be fetched: what is
  // due waits for it (a window still open starts late).
  if (!state_.account.IsXtream) return false;
  std::vector<Recording>& list = state_.recordings.recordings;
  const std::vector<size_t> stops = DueToStop(list, now);
  for (const size_t i : stops) Finish(list[i], StopCause::WindowEnded, now);
  const std::vector<size_t> starts = DueToStart(list, now);
  for (const size_t i : starts) StartDue(list[i], now);
  if (stops.empty() && starts.empty()) return false;
  dirty_ = true;
  return true;
}

bool RecordingDesk::ExpandRules(int64_t now) {
  std::vector<std::u16string> channels;
  for (const Recording& r : state_.recordings.recordings) {
    if (r.everyAiring && r.state != RecordingState::Cancelled &&
        std::find(channels.begin(), channels.end(), r.streamId) == channels.end())
      channels.push_back(r.streamId);
  }
  if (channels.empty()) return false;
  int added = 0;
  for (const std::u16string& id : channels)
    added += ExpandEveryAiring(state_.recordings.recordings, id, state_.guide.RowsOf(id), now, NewRecordingId);
  if (now - rulesAskedAt_ >= kRuleGuideEverySeconds && services_.requestGuides) {
    rulesAskedAt_ = now;
    std::vector<GuideWish> wishes;
    for (const std::u16string& id : channels) {
      if (!state_.guide.IsFresh(id, false, now)) wishes.push_back(GuideWish{id, false});
    }
    if (!wishes.empty()) services_.requestGuides(wishes);
  }
  if (added == 0) return false;
  WriteLogF(128, "record rules added=%d", added);
  dirty_ = true;
  return true;
}

bool RecordingDesk::PostReminders(int64_t now) {
  std::vector<Reminder>& list = state_.recordings.reminders;
  const std::vector<size_t> due = DueReminders(list, now);
  for (auto it = due.rbegin(); it != due.rend(); ++it) {
    const Reminder& r = list[*it];
    WriteLogF(512, "reminder due channel=%s start=%lld title=%s", WideToUtf8(r.streamId).c_str(),
              static_cast<long long>(r.start), WideToUtf8(r.title).c_str());
    state_.RemindersToAsk.push_back(r);
    list.erase(list.begin() + std::ptrdiff_t(*it));
  }
  const int dropped = DropEndedReminders(list, now);
  if (due.empty() && dropped == 0) return false;
  dirty_ = true;
  return !due.empty();
}

bool RecordingDesk::Tick(int64_t now) {
  FollowClosing();
  bool changed = FollowRecorders(now);
  changed |= KeepDiskFree(now);
  changed |= StartAndStopDue(now);
  changed |= ExpandRules(now);
  changed |= PostReminders(now);
  if (dirty_) {
    dirty_ = false;
    Save();
  }
  return changed;
}

void RecordingDesk::Shutdown(int64_t now) {
  bool any = false;
  for (Recording& r : state_.recordings.recordings) {
    if (r.state != RecordingState::Recording || !recorders_.count(r.id)) continue;
    Finish(r, StopCause::StreamBroke, now);
    any = true;
  }
  if (any) Save();
  // The engines end their streams as they go; each file stays as written.
  closing_.clear();
}

// ---------------------------------------------------------------------------
// RecordActions

Recording RecordingDesk::NewRecording(const CatalogItem& channel) const {
  Recording r;
  r.id = NewRecordingId();
  r.account = AccountKey(state_.account);
  r.streamId = std::u16string(channel.id());
  r.channelName = std::u16string(channel.name());
  r.paddingAfter = state_.preferences.paddingAfterMinutes * 60;
  return r;
}

void RecordingDesk::ToggleRecordNow(const CatalogItem& channel) {
  const int64_t now = NowUnix();
  for (Recording& r : state_.recordings.recordings) {
    if (r.state != RecordingState::Recording || r.streamId != channel.id()) continue;
    Finish(r, StopCause::User, now);
    Save();
    Notice(TranslateWith("rec_stopped", RecordingLabel(r)));
    return;
  }
  Recording r = NewRecording(channel);
  const EpgEntry* on = ProgrammeAt(state_.guide.RowsOf(channel.id()), now);
  // The programme on now, begun before the window: it keeps its own start
  // (its mark, its name) and the window opens now.
  r.start = on ? on->start : now;
  r.paddingBefore = int32_t(r.start - now);
  r.end = on ? on->start + int64_t(on->durationMin) * 60 : now + kNoGuideSeconds;
  if (on) r.title = on->title;
  else r.paddingAfter = 0;
  if (!StartRecorder(r, now)) {
    // A refusal for want of a slot said so already.
    if (state_.connections.Free() > 0) Notice(TranslateWith("rec_failed", RecordingLabel(r)));
    return;
  }
  state_.recordings.recordings.push_back(r);
  Save();
  Notice(TranslateWith("rec_started", RecordingLabel(r)));
}

void RecordingDesk::ToggleSchedule(const CatalogItem& channel, const EpgEntry& programme, bool everyAiring) {
  const int64_t now = NowUnix();
  std::vector<Recording>& list = state_.recordings.recordings;
  for (Recording& r : list) {
    const bool pending = r.state == RecordingState::Scheduled || r.state == RecordingState::Recording;
    if (!pending || r.streamId != channel.id() || r.start != programme.start || r.title != programme.title) continue;
    // Asked again: the one scheduled is cancelled, the one already in its
    // window stops (what was written is kept), never a second copy.
    if (r.state == RecordingState::Recording) {
      Finish(r, StopCause::User, now);
      Notice(TranslateWith("rec_stopped", RecordingLabel(r)));
    } else {
      r.state = RecordingState::Cancelled;
      LogState(r);
      Notice(TranslateWith("rec_cancelled", RecordingLabel(r)));
    }
    Save();
    return;
  }
  Recording r = NewRecording(channel);
  r.title = programme.title;
  r.start = programme.start;
  r.end = programme.start + int64_t(std::max(programme.durationMin, 1)) * 60;
  r.paddingBefore = state_.preferences.paddingBeforeMinutes * 60;
  r.everyAiring = everyAiring;
  if (r.WindowEnd() <= now) return;
  if (!FitsBudget(list, r, state_.connections.Slots().value_or(0))) {
    WriteLogF(256, "record refused id=%s overlap", r.id.c_str());
    Notice(TranslateWith("rec_overlap", AsciiToWide(std::to_string(state_.connections.Slots().value_or(0)))));
    return;
  }
  list.push_back(r);
  WriteLogF(512, "record schedule id=%s channel=%s start=%lld every=%d", r.id.c_str(), WideToUtf8(r.streamId).c_str(),
            static_cast<long long>(r.start), int(everyAiring));
  if (everyAiring) ExpandEveryAiring(list, r.streamId, state_.guide.RowsOf(channel.id()), now, NewRecordingId);
  Save();
  Notice(TranslateWith(everyAiring ? "rec_scheduled_every" : "rec_scheduled", RecordingLabel(r)));
}

void RecordingDesk::ToggleReminder(const CatalogItem& channel, const EpgEntry& programme) {
  Reminder reminder;
  reminder.account = AccountKey(state_.account);
  reminder.streamId = std::u16string(channel.id());
  reminder.channelName = std::u16string(channel.name());
  reminder.title = programme.title;
  reminder.start = programme.start;
  reminder.end = programme.start + int64_t(std::max(programme.durationMin, 1)) * 60;
  if (reminder.end <= NowUnix()) return;
  const bool added = ::ToggleReminder(state_.recordings.reminders, reminder);
  Save();
  Notice(TranslateWith(added ? "reminder_set" : "reminder_removed", programme.title));
}

void RecordingDesk::StopRecording(const std::string& id) {
  Recording* r = Find(id);
  if (!r || r->state != RecordingState::Recording) return;
  Finish(*r, StopCause::User, NowUnix());
  Save();
  Notice(TranslateWith("rec_stopped", RecordingLabel(*r)));
}

void RecordingDesk::DeleteRecording(const std::string& id) {
  Recording* r = Find(id);
  if (!r) return;
  if (r->state == RecordingState::Recording) Finish(*r, StopCause::User, NowUnix());
  if (r->state == RecordingState::Scheduled) {
    // A scheduled one stays listed as cancelled: it was asked for.
    r->state = RecordingState::Cancelled;
    LogState(*r);
    Save();
    return;
  }
  if (!r->file.empty()) {
    std::error_code error;
    std::filesystem::remove(Utf8Path(r->file), error);
    WriteLogF(1024, "record delete id=%s file=%s%s", r->id.c_str(), r->file.c_str(), error ? " failed" : "");
  }
  std::erase_if(state_.recordings.recordings, [&](const Recording& each) { return each.id == id; });
  Save();
}

void RecordingDesk::PlayRecording(const std::string& id) {
  const Recording* r = Find(id);
  if (!r || r->file.empty() || r->state == RecordingState::Scheduled) return;
  std::error_code error;
  if (!std::filesystem::exists(Utf8Path(r->file), error)) {
    Notice(TranslateWith("rec_file_gone", RecordingLabel(*r)));
    return;
  }
  // A recording of a locked channel is as locked as the channel.
  for (const CatalogItem& channel : *state_.catalog.LiveChannels) {
    if (channel.id() != r->streamId) continue;
    if (services_.askPin && !ChannelGate(services_.askPin, state_, channel, LiveStart::Chosen)) return;
    break;
  }
  if (services_.playFile) services_.playFile(*r);
}
