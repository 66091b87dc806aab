#pragma once
// Boot, reloads and lazy loads of the catalog, and the panel and backdrop
// jobs around them. Every function here runs on the main thread; the work
// itself runs on jobs that post their results through the mailbox.
//
// On every path a kind (live, movies, series) whose download fails keeps
// the lists on screen and its cache file as they are; only a kind that
// loaded is delivered and saved. Lists of another account than the one on
// screen are taken only with its channels, and then replace all three kinds.
#include <cstdint>

#include "state/app_state.h"
#include "app/jobs.h"

// Loads settings, derives the account, loads the cache and starts the boot
// job (panel sign-in, trending, and the live catalog when needed). The
// settings read are written back (normalised, and created on a first run):
// at once, or, at the program's start, by the caller once the first frame is
// on screen, so that frame does not wait for the disk.
enum class BootSettingsWrite { Now, ByCaller };
void StartBoot(AppState& state, JobMailbox& mailbox, BootSettingsWrite write = BootSettingsWrite::Now);

// The boot job again, on the settings and lists held (nothing is read from
// the settings file): a load that gave no channels is tried so, with the
// panel sign-in and the trending list that failed with it.
void RetryBoot(AppState& state, JobMailbox& mailbox);

// Home tile "reload": sign in to the panel, then reload the whole catalog.
void StartFullReload(AppState& state, JobMailbox& mailbox);

// Account screen: switch to playlist `url` and reload everything. The switch
// happens only when the new server answers with its channels: until then,
// and for good when it does not answer or `url` is no playlist, the current
// playlist and catalog stay and the status line says why. False when `url`
// was refused at once, or while another catalog load runs (its lists would
// land after the new playlist's).
bool ReloadPlaylistUrl(AppState& state, JobMailbox& mailbox, const std::u16string& url);

// One-second tick checks.
void CheckAutoReload(AppState& state, JobMailbox& mailbox, uint64_t nowMs);
void CheckPanelPoll(AppState& state, JobMailbox& mailbox, uint64_t nowMs);

// Starts the movie or series fetch that MoviesWanted / SeriesWanted asks for.
void StartLazyLoads(AppState& state, JobMailbox& mailbox);

// Panel playlist check (Home tile "playlist", settings cells).
void StartPanelCheck(const AppState& state, JobMailbox& mailbox);

// Downloads the first trending movie's backdrop to backdrop.jpg, once per
// new picture: nothing when there is none, its download was started already
// (BackdropUrlRequested), or it failed less than kBackdropRetryMs before
// `nowMs`. A failed download answers BackdropFailed.
inline constexpr uint64_t kBackdropRetryMs = 60'000;
void StartBackdropJob(AppState& state, JobMailbox& mailbox, uint64_t nowMs);
