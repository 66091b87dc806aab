// Vistra 4.3: a full-screen IPTV player driven like a TV remote.
#include "app/application.h"

int main() {
  Application application;
  return application.Run();
}
