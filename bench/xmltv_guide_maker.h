#pragma once
// Generated XMLTV guides of a given size for the guide benchmarks
// (bench/xmltv_bench.cpp, bench/guide_timing.py through vistra_guide_tool).
//
// Shaped like a large provider's file: channel by channel, fourteen days
// (ten back, four ahead of `now`) of back-to-back programmes of 15 to 120
// minutes, titles from a few thousand shows, descriptions from tens of
// thousands (with entities now and then), a display name and an icon per
// channel. A tenth of the channels is not in the catalog (KeptChannels
// leaves them out), as a provider's guide lists channels the user's
// package does not hold.
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>

#include "catalog/whole_guide.h"

// Writes a guide of at least `bytes` bytes (ending after the channel that
// passes it) to `write`, piece by piece. Returns the bytes written.
uint64_t WriteGeneratedXmltv(uint64_t bytes, int64_t now, const std::function<void(std::string_view)>& write);

// The catalog's channel set for a generated guide of `bytes`.
GuideChannelSet GeneratedXmltvChannels(uint64_t bytes);

// The `now` the generated guides are made around (a fixed day, so runs compare).
constexpr int64_t kGeneratedGuideNow = 1796644800;  // 2026-12-07 12:00 UTC
