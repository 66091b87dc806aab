#pragma once
// Movies and episodes: starting one with its resume position, storing the
// position while it plays, stepping to the previous or next one, and the
// step into the next episode at the end of a file. Main thread only; the
// callers place the video and write the settings file when asked to.
#include <cstdint>
#include <string>

#include "catalog/catalog_item.h"
#include "catalog/xtream_client.h"

class MediaEngine;
struct AppState;

// "<resume> m:ss" for a resume position; minutes are not wrapped into hours.
std::u16string ResumeNoticeText(std::u16string_view resumeWord, double seconds);

// Plays `item` on the Player screen: a movie (episode null) or an episode of
// the series `item`. Switches CurrentScreen to the Player directly (the
// caller lays out the video), looks up the resume position, loads the URL
// with the preferences, logs "play vod ...", records the history and
// announces the resume position.
void PlayVod(AppState& state, MediaEngine& engine, const CatalogItem& item, const Episode* episode, uint64_t nowMs);

enum class ResumeSave { Nothing, Stored, Removed };
// Stores or clears the position of the tracked item from "time-pos" and
// "duration". The caller writes the settings unless Nothing came back.
ResumeSave SaveResumePosition(AppState& state, MediaEngine& engine);

// The previous (-1) or next (+1) episode of the current series, or movie of
// the item list, with wrap-around. False when there is nothing to play.
bool StepVod(AppState& state, MediaEngine& engine, int delta, uint64_t nowMs);

// The end of a movie or episode: the resume entry goes; an episode leads
// into the next one, or the last one shows the season's end. The caller
// writes the settings.
void FinishVod(AppState& state, MediaEngine& engine, uint64_t nowMs);

// Shows a notice: the toast, on every screen. The interface draws it (on the
// Player too, above the strips); the engine's own on-screen text is never
// used, so a notice shows once.
void ShowNotice(AppState& state, std::u16string text, uint64_t durationMs, uint64_t nowMs);
