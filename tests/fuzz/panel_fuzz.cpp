// The panel's answers: playlists in every shape it sends them, messages.
#include "panel/panel_client.h"
#include "tests/fuzz/fuzz_target.h"

VISTRA_FUZZ_TARGET(panel) {
  PanelClient client(PanelState{}, PanelSettings{u"http://old/get.php?username=a&password=b", u"TV", {}});
  bool changed = false;
  const size_t count = client.ParsePanelLists(input, &changed);
  // A stored change holds exactly the playlists the answer gave.
  FUZZ_CHECK(!changed || count == client.State().panelLists.size());
  client.ParseMessages(input);
  ParseMessageList(input);
  DescriptorUrl(input);
  ParsePlaylistDescriptor(input, 3);
}
