// settings.json: whatever the file holds, the record read from it survives
// a save and a load unchanged.
#include "store/settings_file.h"
#include "tests/fuzz/fuzz_target.h"

VISTRA_FUZZ_TARGET(settings) {
  Settings read;
  ParseSettingsText(input, read);
  Settings again;
  ParseSettingsText(SerializeSettings(read), again);
  FUZZ_CHECK(again == read);
  SettingsValue(input, "PlaylistUrl");
  SettingsList(input, "FavLive");
}
