// The test programs' entry point. No test may reach past 127.0.0.1: every
// service endpoint starts out at a closed local port, and a test that needs a
// service points it at its own stand-in server.
#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/scoped_env.h"

int main(int argc, char** argv) {
  for (const char* name : {"VISTRA_PANEL_URL", "VISTRA_TMDB_API_URL", "VISTRA_TMDB_IMAGE_URL", "VISTRA_WATCH_URL",
                           "VISTRA_SPORTS_URL", "VISTRA_TRACE_URL", "VISTRA_SPEEDTEST_URL"}) {
    if (!std::getenv(name)) SetEnvVar(name, "http://127.0.0.1:9");
  }
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
