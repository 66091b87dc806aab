#pragma once
// guide_map.json: which guide each live channel takes, as the user chose
// it. A choice names the guide's channel in one source (the provider's own
// guide, or one of the user's guide sources by its URL), or says the channel
// has no guide at all. Choices are keyed by account and stream id, so they
// survive a catalog reload and a guide refresh, and they win over the
// provider's guide id and over matching by name. The file is the program's
// own, written whole and crash-safe like preferences.json; an entry that
// cannot be read is skipped, never the whole file. All functions are
// thread-safe.
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

struct GuideAssignment {
  std::string account;     // the account's key (user@server)
  std::u16string streamId;
  // The source: empty for the provider's own guide, else a guide source's
  // URL (kept by URL, so reordering the sources keeps the choice).
  std::string source;
  // The guide channel's id in that source; empty: no guide for this channel.
  std::string guideId;
  bool NoGuide() const { return guideId.empty(); }
  bool operator==(const GuideAssignment&) const = default;
};

struct GuideMapFile {
  std::vector<GuideAssignment> assignments;  // one per (account, streamId)
  bool operator==(const GuideMapFile&) const = default;

  // The choice for a channel, or null.
  const GuideAssignment* Find(std::string_view account, std::u16string_view streamId) const;
  // Sets (replaces) the choice of its channel.
  void Set(GuideAssignment assignment);
  // Forgets the choice of a channel; false when there was none.
  bool Forget(std::string_view account, std::u16string_view streamId);
};

// Data folder + "guide_map.json".
std::filesystem::path GuideMapPath();

GuideMapFile LoadGuideMap();
// Writes the whole file; false (file unchanged) when it could not be written.
bool SaveGuideMap(const GuideMapFile& file);

// The exact text SaveGuideMap writes, and its reading (a later entry for the
// same channel wins).
std::string SerializeGuideMap(const GuideMapFile& file);
GuideMapFile ParseGuideMap(std::string_view text);
