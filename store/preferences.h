#pragma once
// preferences.json: the user's choices that settings.json has no field for
// (the live pause buffer, starting on the last channel, where and with
// what padding recordings are made, the user's own guides and their
// time offsets). The file is the
// program's own, written whole and crash-safe like settings.json; unknown
// keys are ignored and an unreadable value keeps its default, so an older
// or hand-edited file never stops a start. All functions are thread-safe.
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

// The lengths the live pause buffer can be set to, in minutes; 0 is off.
inline constexpr int kLiveBufferChoices[] = {0, 5, 15, 30};

// The padding a scheduled recording gets before its programme's start and
// after its end, in minutes.
inline constexpr int kPaddingBeforeChoices[] = {0, 1, 2, 5, 10};
inline constexpr int kPaddingAfterChoices[] = {0, 1, 5, 10, 15, 30};

// A guide's time offset, in whole hours, for a guide that runs early or late.
inline constexpr int kGuideOffsetLimitHours = 12;
// How many guide sources of its own a user may list.
inline constexpr size_t kMaxGuideSources = 8;

// One of the user's own guides: an XMLTV document (plain or gzip) and the
// hours its times are shifted by.
struct GuideSourcePreference {
  std::string url;
  int offsetHours = 0;
  bool operator==(const GuideSourcePreference&) const = default;
};

struct Preferences {
  // How far back live TV can be paused and rewound; one of
  // kLiveBufferChoices. Off by default: the buffer holds that much of the
  // stream in memory while a channel plays, which a user should choose.
  int liveBufferMinutes = 0;
  // Open the last live channel played, full window, once the catalog is
  // ready.
  bool startOnLastChannel = false;
  // Where recordings are written, UTF-8; empty: the default folder
  // ($XDG_VIDEOS_DIR/Vistra, else the data folder's recordings/).
  std::string recordingsFolder;
  // One of kPaddingBeforeChoices and one of kPaddingAfterChoices.
  int paddingBeforeMinutes = 1;
  int paddingAfterMinutes = 5;
  // The user's guides after the provider's own, in the order they are asked
  // for a channel (the first that has it wins); at most kMaxGuideSources.
  std::vector<GuideSourcePreference> guideSources;
  // The provider's own guide shifted by this many hours.
  int providerGuideOffsetHours = 0;

  bool operator==(const Preferences&) const = default;
};

// Data folder + "preferences.json".
std::filesystem::path PreferencesPath();

// The defaults overwritten by what the file holds; a missing file gives the
// defaults.
Preferences LoadPreferences();
// Writes the whole file; false (file unchanged) when it could not be written.
bool SavePreferences(const Preferences& preferences);

// The exact text SavePreferences writes, and its reading (a value outside
// its choices reads as the default; an offset is clamped to
// ±kGuideOffsetLimitHours; a guide source without a URL is skipped).
std::string SerializePreferences(const Preferences& preferences);
Preferences ParsePreferences(std::string_view text);
