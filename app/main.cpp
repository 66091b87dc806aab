// Vistra 4.3: a full-screen IPTV player driven like a TV remote.
#include "app/application.h"

namespace {
// Never destroyed: jobs still running at exit hold references into the
// application (its state and mailbox) and end with the process.
Application* g_application = nullptr;
}  // namespace

int main() {
  g_application = new Application();
  const int code = g_application->Run();
  g_application->Shutdown();
  return code;
}
