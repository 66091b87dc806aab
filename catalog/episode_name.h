#pragma once
// How the player names an episode to the viewer. Pure; any thread.
#include <string>
#include <string_view>

#include "catalog/xtream_client.h"

// "S01 E01 · Arrival": the season and the episode number in two digits and
// the episode's own title. Providers often write the series name and an
// "S01E01" into the title ("The Lighthouse S01E01 - Arrival"); both are left
// out of the title, and the numbers are read from there when the episode
// carries none. A part that is missing is left out ("S01 E03", "Arrival");
// a number that is no number (a JSON null) is missing.
std::u16string EpisodeHeading(const Episode& episode, std::u16string_view seriesName);
