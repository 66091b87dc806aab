#include "app/recording_desk.h"

#include "store/data_folder.h"

std::filesystem::path DefaultRecordingsFolder(const std::filesystem::path& videosDir,
                                              const std::filesystem::path& dataFolder) {
  if (!videosDir.empty()) return videosDir / "Vistra";
  return dataFolder / "recordings";
}

RecordingDesk::RecordingDesk(AppState& state, PlayFile playFile, MediaEngineHooks recorderHooks)
    : state_(state), playFile_(std::move(playFile)), hooks_(std::move(recorderHooks)) {}

void RecordingDesk::Load(int64_t) {}
bool RecordingDesk::Tick(int64_t) { return false; }
void RecordingDesk::Shutdown(int64_t) {}
std::filesystem::path RecordingDesk::Folder() const { return {}; }
void RecordingDesk::ToggleRecordNow(const CatalogItem&) {}
void RecordingDesk::ToggleSchedule(const CatalogItem&, const EpgEntry&, bool) {}
void RecordingDesk::ToggleReminder(const CatalogItem&, const EpgEntry&) {}
void RecordingDesk::StopRecording(const std::string&) {}
void RecordingDesk::DeleteRecording(const std::string&) {}
void RecordingDesk::PlayRecording(const std::string&) {}
