#pragma once
// What is playing: the channel or item, the URL loaded for it, the resume
// key and the ticks the repeat guard and supervision read. Main thread only.
#include <cstdint>
#include <string>
#include <vector>

#include "catalog/catalog_item.h"

// The two kinds of selectable track of a playing stream.
enum class TrackKind { Audio, Subtitle };

struct PlaybackState {
  CatalogItem currentChannel;        // the channel being played
  std::u16string currentChannelUrl;  // the URL actually loaded for it
  CatalogItem currentItem;           // the movie or series being played
  bool isEpisode = false;
  std::u16string itemKey;  // resume key: movie stream id or episode id; empty for live
  double resumeSeconds = 0;
  std::u16string lastUrl;
  std::u16string lastChannelId;
  uint64_t playStartTick = 0;
  uint64_t lastLiveLoadTick = 0;  // 0 forces the next live load
  bool autoplayEpisodes = false;

  // Catch-up: the archive URLs of the programme being replayed, in the order
  // they are tried, and the one loaded now. Active while a candidate has not
  // yet shown video.
  std::vector<std::u16string> catchupCandidates;
  int32_t catchupIndex = 0;
  bool catchupActive = false;
};
